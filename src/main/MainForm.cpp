#include "main/MainForm.h"

#include <QGuiApplication>

TMainForm *MainForm = nullptr;

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    resize(800, 560);
}
