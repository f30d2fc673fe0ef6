#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class TColorBtn;

// "パスワード": asks the data password. Masked with "*" unless the caller
// shows the typed text; at most 8 characters; Enter acts as OK.
class TPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget *parent = nullptr);
    ~TPasswordDlg() override;

    QLabel *LbMesaage = nullptr;
    QLineEdit *EditPassword = nullptr;
    TColorBtn *ClrBtnOk = nullptr;
    TColorBtn *ClrBtnCancel = nullptr;

    void setMasked(bool masked);

    // The data module's password question: shows prompt (masked as the data
    // module says), gives the typed text; false on キャンセル, which the data
    // module records as PasswordCancelled.
    static bool Ask(const QString &prompt, QString &password);

protected:
    void showEvent(QShowEvent *event) override;
};

// The dialog while it is shown.
extern TPasswordDlg *PasswordDlg;
