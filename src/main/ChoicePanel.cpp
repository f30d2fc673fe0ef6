#include "main/ChoicePanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/Vocabulary.h"
#include "main/FrameSelecter.h"
#include "platform/db/Currency.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

TChoicePanel::TChoicePanel(TFrameSelecter *selecter, QWidget *parent) : QWidget(parent), m_sel(selecter)
{
    setObjectName(u"PnlTuika"_s);
    // The name and the buttons on top, the item's values under them, so a
    // narrow window keeps every caption readable.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(3);
    layout->setVerticalSpacing(2);
    layout->addWidget(new QLabel(u"選択肢の追加"_s, this), 0, 0);
    EditTuika = new QLineEdit(this);
    EditTuika->setMinimumWidth(60);
    layout->addWidget(EditTuika, 0, 1, 1, 4);
    FrBtnAppendList = new QToolButton(this);
    FrBtnAppendList->setText(u"登録"_s);
    layout->addWidget(FrBtnAppendList, 0, 5);
    FrBtnDeleteList = new QToolButton(this);
    FrBtnDeleteList->setText(u"削除"_s);
    FrBtnDeleteList->setToolTip(u"選択中の選択肢を削除"_s);
    layout->addWidget(FrBtnDeleteList, 0, 6);
    auto *values = new QWidget(this);
    auto *row = new QHBoxLayout(values);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    auto labelled = [&](const QString &caption, QWidget *box) {
        auto *label = new QLabel(caption, values);
        row->addWidget(label);
        row->addWidget(box, 1);
        m_itemOnly << label << box;
    };
    EditGaku = new QLineEdit(u"0"_s, values);
    EditGaku->setAlignment(Qt::AlignRight);
    EditGaku->setMinimumWidth(40);
    labelled(u"価格"_s, EditGaku);
    EditQuantity = new QLineEdit(u"0"_s, values);
    EditQuantity->setAlignment(Qt::AlignRight);
    EditQuantity->setMinimumWidth(30);
    labelled(u"数量"_s, EditQuantity);
    CmbZeiAtukai = new QComboBox(values);
    for (QStringView name : ZeiAtukaiNames)
        CmbZeiAtukai->addItem(name.toString());
    CmbZeiAtukai->setCurrentIndex(3);
    labelled(u"税扱"_s, CmbZeiAtukai);
    layout->addWidget(values, 1, 0, 1, 7);
    connect(FrBtnAppendList, &QToolButton::clicked, this, [this] { AppendChoice(); });
    connect(FrBtnDeleteList, &QToolButton::clicked, this, [this] { DeleteChoice(); });
    for (QLineEdit *e : {EditTuika, EditGaku, EditQuantity})
        e->installEventFilter(this);
}

void TChoicePanel::SetKind(int kind)
{
    m_kind = kind;
    setVisible(kind >= 9 && kind <= 12);
    for (QWidget *w : std::as_const(m_itemOnly))
        w->setEnabled(kind == 9);
    EditTuika->clear();
    EditGaku->setText(u"0"_s);
    EditQuantity->setText(u"0"_s);
}

bool TChoicePanel::AppendChoice()
{
    const QString name = EditTuika->text().trimmed();
    if (name.isEmpty() || m_kind < 9 || m_kind > 12)
        return false;
    const int category = m_sel->ListCode;
    if (m_kind != 12 && category <= 0) {
        MessageDlg(u"費目が記入されていないので登録できません。"_s, MsgDlgType::Information, mbOK);
        return false;
    }
    bool added = false;
    if (m_kind == 9) {
        bool ok = false;
        const double quantity = EditQuantity->text().toDouble(&ok);
        bool amountOk = false;
        const Currency amount = Currency::fromString(EditGaku->text(), &amountOk);
        added = AddHinmeiListItem(category, -1, name, CmbZeiAtukai->currentIndex(), ok ? quantity : 0.0,
                                  amountOk ? amount : Currency());
    } else if (m_kind == 10 || m_kind == 11) {
        added = AddShopListItem(category, -1, name);
    } else {
        added = AddPerson(name);
    }
    if (added) {
        m_sel->AssistText.clear();
        m_sel->EditAssist->clear();
        m_sel->ShowList(m_kind, category, m_sel->PageKind, true);
    }
    return m_sel->LocateName(name) && added;
}

void TChoicePanel::DeleteChoice()
{
    if (m_sel->choiceCount() == 0 || m_kind < 9 || m_kind > 12)
        return;
    const int code = m_sel->GetChoiceCode();
    const QString name = m_sel->GetChoiceName();
    const int category = m_sel->ListCode;
    bool found = false;
    if (m_kind == 12) {
        Table &t = *DatMod->PersonTbl;
        if (t.locate(u"CODE"_s, code)) {
            found = true;
            if (MessageDlg(name + u" を削除します"_s, MsgDlgType::Confirmation, mbOK | mbCancel) == mrOk) {
                // The person stays for the lines that name them.
                t.edit();
                t.fieldByName(u"VISIBLE"_s)->setAsBoolean(false);
                t.post();
            }
        }
    } else {
        Table &t = m_kind == 9 ? *DatMod->HinmeiLstTbl : *DatMod->ShopLstTbl;
        if (t.locate(u"HIMOKUCODE;OYACODE;KOCODE"_s, QVariantList{category, code, 0})) {
            found = true;
            const QString owner = m_kind == 11 ? u"レシート入力用"_s : HimokuCodeToName(category);
            if (MessageDlg(owner + u" の "_s + name + u" を削除します"_s, MsgDlgType::Confirmation, mbOK | mbCancel)
                == mrOk)
                t.remove();
        }
    }
    if (!found)
        MessageDlg(name + u" は選択肢に登録されたものではありません。\r"_s
                       + u"アシスト機能で自動抽出されたものなので削除はできません。"_s,
                   MsgDlgType::Information, mbOK);
    else
        m_sel->ShowList(m_kind, category, m_sel->PageKind, true);
    EditTuika->clear();
}

bool TChoicePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            AppendChoice();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
