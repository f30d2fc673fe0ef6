#pragma once

#include <QDialog>

class QLabel;
class TColorBtn;

// "はじめに": the welcome note a user sees once, at the first showing of the
// main window on their account, before any book is opened.
class TFormFirstUse : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFirstUse(QWidget *parent = nullptr);
    ~TFormFirstUse() override;

    QLabel *TextPanel = nullptr;
    TColorBtn *ColorBtn1 = nullptr;
};

// The note's one instance while it is shown.
extern TFormFirstUse *FormFirstUse;

// Shows the note unless the per-user "MainForm"/"v3FirstUseShow" says it was
// shown already, then sets that flag. The main window's first showing calls it.
void ShowFirstUseNote(QWidget *owner);
