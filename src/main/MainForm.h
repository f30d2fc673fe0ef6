#pragma once

#include <QMainWindow>

// The main window. For now it carries the application title and the name by
// which a second start finds it; the pages are added as they are built.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
};

// The program's main window, made by the start-up and alive until it closes.
extern TMainForm *MainForm;
