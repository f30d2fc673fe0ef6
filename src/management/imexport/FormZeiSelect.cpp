#include "management/imexport/FormZeiSelect.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"

TFormZeiSelect::TFormZeiSelect(const QString &text, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("税扱いの設定"));
    auto *v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("読み込む　税扱いの名称"), this));
    LbText = new QLabel(text, this);
    v->addWidget(LbText);
    auto *box = new QGroupBox(QStringLiteral("税扱いを指定してください。"), this);
    auto *bv = new QVBoxLayout(box);
    RdGrpZei = new QButtonGroup(box);
    const QStringList names{QStringLiteral("対象外"), QStringLiteral("税込"), QStringLiteral("税抜")};
    for (int i = 0; i < names.size(); ++i) {
        auto *b = new QRadioButton(names.at(i), box);
        RdGrpZei->addButton(b, i);
        bv->addWidget(b);
    }
    v->addWidget(box);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    v->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (BtnOKClick())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TFormZeiSelect::BtnOKClick()
{
    if (RdGrpZei->checkedId() < 0) {
        MessageDlg(QStringLiteral("税扱いを指定してください。"), MsgDlgType::Confirmation, mbOK);
        return false;
    }
    return true;
}

bool TFormZeiSelect::Ask(const QString &text, int &treatment)
{
    TFormZeiSelect form(text);
    if (ModalForms::exec(form) != QDialog::Accepted)
        return false;
    treatment = form.RdGrpZei->checkedId();
    return treatment >= 0;
}
