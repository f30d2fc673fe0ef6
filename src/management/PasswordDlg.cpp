#include "management/PasswordDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "controls/ColorBtn.h"
#include "data/DatMod.h"

TPasswordDlg *PasswordDlg = nullptr;

TPasswordDlg::TPasswordDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("パスワード"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    LbMesaage = new QLabel(QStringLiteral("パスワードの入力してください :"), this);
    auto *limit = new QLabel(QStringLiteral("最大8文字"), this);
    EditPassword = new QLineEdit(this);
    EditPassword->setObjectName(QStringLiteral("EditPassword"));
    EditPassword->setMaxLength(8);
    // No input method: a password is typed in half-width letters and digits.
    EditPassword->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Control characters never reach a line edit; printable ASCII only.
    EditPassword->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x21-\\x7e]*")), EditPassword));
    EditPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    ClrBtnOk = new TColorBtn(this);
    ClrBtnOk->setText(QStringLiteral("OK"));
    ClrBtnOk->setDefault(true);
    ClrBtnCancel = new TColorBtn(this);
    ClrBtnCancel->setText(QStringLiteral("キャンセル"));
    connect(ClrBtnOk, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(ClrBtnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(EditPassword, &QLineEdit::returnPressed, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LbMesaage);
    auto *row = new QHBoxLayout;
    row->addWidget(EditPassword, 1);
    row->addWidget(limit);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ClrBtnOk);
    buttons->addWidget(ClrBtnCancel);
    layout->addLayout(buttons);
    setMasked(true);
    PasswordDlg = this;
}

TPasswordDlg::~TPasswordDlg()
{
    if (PasswordDlg == this)
        PasswordDlg = nullptr;
}

void TPasswordDlg::setMasked(bool masked)
{
    EditPassword->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void TPasswordDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    EditPassword->setFocus();
}

bool TPasswordDlg::Ask(const QString &prompt, QString &password)
{
    TPasswordDlg dialog;
    // The prompts break their lines with CR, which a label shows as a space.
    QString shown = prompt;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    dialog.LbMesaage->setText(shown);
    dialog.setMasked(!DatMod || DatMod->PasswordMasked);
    dialog.EditPassword->clear();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    password = dialog.EditPassword->text();
    return true;
}
