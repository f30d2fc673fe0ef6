#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// A one-line text question with OK and キャンセル: the caption, a prompt above
// the box and the text typed. Shown through ModalForms::exec.
class TInputStringDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TInputStringDlg(QWidget *parent = nullptr);

    QLabel *LbPrompt = nullptr;
    QLineEdit *EditString = nullptr;

    // Asks with caption and prompt; true with the typed text (blanks at both
    // ends taken off) on OK with a text that is not empty.
    static bool Execute(QWidget *owner, const QString &caption, const QString &prompt, QString &value);
};
