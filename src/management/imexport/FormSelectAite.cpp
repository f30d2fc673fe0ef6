#include "management/imexport/FormSelectAite.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "management/imexport/CodeConvert.h"
#include "platform/ui/Dialogs.h"

TFormSelectAite::TFormSelectAite(THimokuConvert &convert, const QString &defaultName, QWidget *parent)
    : QDialog(parent), m_convert(convert)
{
    setWindowTitle(QStringLiteral("相手口座の設定"));
    auto *v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("相手口座を指定してください"), this));
    CmbBoxAite = new QComboBox(this);
    CmbBoxAite->setEditable(true);
    v->addWidget(CmbBoxAite);
    v->addWidget(new QLabel(QStringLiteral("ここで新しい名前を入力して"), this));
    v->addWidget(new QLabel(QStringLiteral("新規に口座を作成することもできます。"), this));
    QStringList names;
    for (const auto &row : convert.BookCategories(0xF8))
        if (!names.contains(row.name))
            names << row.name;
    for (int i = 1; i <= convert.Count(); ++i)
        if (convert.Items.at(i).kind == 3 && !names.contains(convert.Items.at(i).toName))
            names << convert.Items.at(i).toName;
    CmbBoxAite->addItems(names);
    if (!defaultName.isEmpty())
        CmbBoxAite->setCurrentText(defaultName);
    else if (!names.isEmpty())
        CmbBoxAite->setCurrentIndex(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    v->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (BtnOKClick())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TFormSelectAite::BtnOKClick()
{
    const QString name = CmbBoxAite->currentText().trimmed();
    if (name.isEmpty()) {
        MessageDlg(QStringLiteral("相手口座を指定してください。"), MsgDlgType::Confirmation, mbYesNo);
        return false;
    }
    for (int i = 1; i <= m_convert.Count(); ++i)
        if (m_convert.Items.at(i).toName == name && m_convert.Items.at(i).kind != 3) {
            MessageDlg(QStringLiteral("この名前はすでに使われています。"), MsgDlgType::Confirmation, mbYesNo);
            return false;
        }
    for (const auto &row : m_convert.BookCategories(0x06))
        if (row.name == name) {
            MessageDlg(QStringLiteral("この名前はすでに使われています。"), MsgDlgType::Confirmation, mbYesNo);
            return false;
        }
    return true;
}

bool TFormSelectAite::Ask(THimokuConvert &convert, QString &name)
{
    TFormSelectAite form(convert, name);
    if (ModalForms::exec(form) != QDialog::Accepted)
        return false;
    name = form.CmbBoxAite->currentText().trimmed();
    return true;
}
