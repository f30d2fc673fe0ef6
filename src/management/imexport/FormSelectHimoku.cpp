#include "management/imexport/FormSelectHimoku.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "management/imexport/CodeConvert.h"
#include "platform/ui/Dialogs.h"

namespace {

QString kindName(int kind)
{
    return kind == 1 ? QStringLiteral("収入費目") : kind == 2 ? QStringLiteral("支出費目") : QStringLiteral("口座");
}

QWidget *radioGroup(const QString &title, const QStringList &items, int columns, QButtonGroup *&group,
                    QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *grid = new QGridLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items.at(i), box);
        group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    return box;
}

} // namespace

TFormSelectHimoku::TFormSelectHimoku(THimokuConvert &convert, const QString &text, bool accountSideMode,
                                     unsigned allowed, bool silent, QWidget *parent)
    : QDialog(parent), m_accountSideMode(accountSideMode), m_silent(silent)
{
    setWindowTitle(QStringLiteral("費目・口座の対応設定"));
    auto *v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("読み込む　費目・口座名"), this));
    LbText = new QLabel(text, this);
    LbText->setStyleSheet(QStringLiteral("font-weight: bold"));
    v->addWidget(LbText);
    RdBtnKizon = new QRadioButton(QStringLiteral("既存の費目・口座を使用する。"), this);
    v->addWidget(RdBtnKizon);
    auto *h = new QHBoxLayout;
    CmbBoxSelect = new QComboBox(this);
    LbSyuSiIdo = new QLabel(this);
    h->addWidget(CmbBoxSelect, 1);
    h->addWidget(LbSyuSiIdo);
    v->addLayout(h);
    RdGrpKizonKariKasi = radioGroup(QStringLiteral("口座の目的を指定してください。"),
                                    {QStringLiteral("口座へ入金"), QStringLiteral("口座から出金")}, 2, KizonKariKasi,
                                    this);
    v->addWidget(RdGrpKizonKariKasi);
    RdBtnNew = new QRadioButton(QStringLiteral("新規に作成する。"), this);
    v->addWidget(RdBtnNew);
    v->addWidget(new QLabel(QStringLiteral("新規名称"), this));
    LbdEditNew = new QLineEdit(text, this);
    v->addWidget(LbdEditNew);
    const QStringList purposes = accountSideMode
                                     ? QStringList{QStringLiteral("収入"), QStringLiteral("支出"),
                                                   QStringLiteral("口座へ入金"), QStringLiteral("口座から出金")}
                                     : QStringList{QStringLiteral("収入"), QStringLiteral("支出"), QStringLiteral("口座")};
    RdGrpSyuSiIdo = radioGroup(QStringLiteral("費目・口座の目的を指定してください。"), purposes,
                               accountSideMode ? 2 : 3, SyuSiIdo, this);
    v->addWidget(RdGrpSyuSiIdo);
    RdGrpKizonKariKasi->setVisible(accountSideMode && !silent);
    RdGrpSyuSiIdo->setVisible(!silent);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    v->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (BtnOKClick())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (const auto &row : convert.BookCategories(allowed)) {
        const int kind = THimokuConvert::KindOfBunrui(row.bunrui);
        m_choices.append({row.name, kind, kind == 1 ? 1 : kind == 2 ? 2 : 0});
    }
    for (int i = 1; i <= convert.Count(); ++i)
        m_choices.append({convert.Items.at(i).toName, convert.Items.at(i).kind, convert.Items.at(i).side});
    QStringList names;
    for (const auto &c : m_choices)
        if (!names.contains(c.name))
            names << c.name;
    CmbBoxSelect->addItems(names);
    const int at = names.indexOf(text);
    RdBtnKizon->setChecked(true);
    if (at >= 0) {
        CmbBoxSelect->setCurrentIndex(at);
    } else {
        CmbBoxSelect->setCurrentIndex(names.isEmpty() ? -1 : 0);
        RdBtnNew->setChecked(true);
    }
    connect(CmbBoxSelect, &QComboBox::currentIndexChanged, this, &TFormSelectHimoku::selectionChanged);
    connect(RdBtnKizon, &QRadioButton::toggled, this, &TFormSelectHimoku::selectionChanged);
    selectionChanged();
}

void TFormSelectHimoku::selectionChanged()
{
    const QString name = CmbBoxSelect->currentText();
    int kind = 0;
    for (const auto &c : m_choices)
        if (c.name == name) {
            kind = c.kind;
            break;
        }
    LbSyuSiIdo->setText(name.isEmpty() ? QString() : kindName(kind));
    const bool existing = RdBtnKizon->isChecked();
    CmbBoxSelect->setEnabled(existing);
    RdGrpKizonKariKasi->setEnabled(existing && m_accountSideMode && kind == 3);
    LbdEditNew->setEnabled(!existing);
    RdGrpSyuSiIdo->setEnabled(!existing);
}

bool TFormSelectHimoku::BtnOKClick()
{
    if (!RdBtnKizon->isChecked() && !RdBtnNew->isChecked()) {
        MessageDlg(QStringLiteral("処理方法を指定してください。"), MsgDlgType::Confirmation, mbOK);
        return false;
    }
    if (RdBtnKizon->isChecked()) {
        const QString name = CmbBoxSelect->currentText();
        const Choice *choice = nullptr;
        for (const auto &c : m_choices)
            if (c.name == name) {
                choice = &c;
                break;
            }
        if (!choice) {
            MessageDlg(QStringLiteral("処理方法を指定してください。"), MsgDlgType::Confirmation, mbOK);
            return false;
        }
        Name = choice->name;
        Kind = choice->kind;
        Side = choice->side;
        if (m_accountSideMode && !m_silent && Kind == 3) {
            if (KizonKariKasi->checkedId() < 0) {
                MessageDlg(QStringLiteral("口座の目的を指定してください。"), MsgDlgType::Confirmation, mbOK);
                return false;
            }
            Side = KizonKariKasi->checkedId() == 0 ? 1 : 2;
        }
        return true;
    }
    const QString name = LbdEditNew->text().trimmed();
    if (name.isEmpty()) {
        MessageDlg(QStringLiteral("新規名称を入力してください。"), MsgDlgType::Confirmation, mbOK);
        return false;
    }
    const int purpose = SyuSiIdo->checkedId();
    if (!m_silent && purpose < 0) {
        MessageDlg(QStringLiteral("費目・口座の目的を指定してください。"), MsgDlgType::Confirmation, mbOK);
        return false;
    }
    for (const auto &c : m_choices)
        if (c.name == name) {
            MessageDlg(QStringLiteral("この名称は既に使用されています。名称を変更してください。"),
                       MsgDlgType::Information, mbOK);
            return false;
        }
    Name = name;
    // Purposes: 収入, 支出, then 口座 or (account-side mode) 口座へ入金, 口座から出金.
    Kind = purpose == 0 ? 1 : purpose == 1 ? 2 : 3;
    if (purpose == 0)
        Side = 1;
    else if (purpose == 1)
        Side = 2;
    else if (m_accountSideMode)
        Side = purpose == 2 ? 1 : 2;
    else
        Side = 0;
    if (m_silent && purpose < 0) {
        Kind = 3;
        Side = 0;
    }
    return true;
}

bool TFormSelectHimoku::Ask(THimokuConvert &convert, const QString &text, bool accountSideMode, unsigned allowed,
                            bool silent, QString &name, int &kind, int &side)
{
    TFormSelectHimoku form(convert, text, accountSideMode, allowed, silent);
    if (ModalForms::exec(form) != QDialog::Accepted)
        return false;
    name = form.Name;
    kind = form.Kind;
    side = form.Side;
    return true;
}
