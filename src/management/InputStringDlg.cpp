#include "management/InputStringDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

TInputStringDlg::TInputStringDlg(QWidget *parent) : QDialog(parent)
{
    auto *v = new QVBoxLayout(this);
    LbPrompt = new QLabel(this);
    EditString = new QLineEdit(this);
    EditString->setMaxLength(40);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole);
    v->addWidget(LbPrompt);
    v->addWidget(EditString);
    v->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { done(mrOk); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(mrCancel); });
    resize(360, sizeHint().height());
}

bool TInputStringDlg::Execute(QWidget *owner, const QString &caption, const QString &prompt, QString &value)
{
    TInputStringDlg dlg(owner);
    dlg.setWindowTitle(caption);
    dlg.LbPrompt->setText(prompt);
    dlg.EditString->setText(value);
    if (ModalForms::exec(dlg) != mrOk)
        return false;
    value = dlg.EditString->text().trimmed();
    return !value.isEmpty();
}
