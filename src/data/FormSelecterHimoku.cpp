#include "data/FormSelecterHimoku.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "data/DatModSql.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

void removeFirstCode(QComboBox *box, int code)
{
    const int i = box->findData(code);
    if (i >= 0)
        box->removeItem(i);
}

} // namespace

TFormSelecterHimoku::TFormSelecterHimoku(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FormSelecterHimoku"_s);
    setWindowTitle(u"費目・口座を選択してください。"_s);
    LbTitle = new QLabel(this);
    CmbBoxHimoku = new QComboBox(this);
    CmbBoxHimoku->setEditable(false);
    CmbBoxHimoku->setMaxVisibleItems(30);
    ShapeBtnOK = new QPushButton(u"OK"_s, this);
    ShapeBtnCancel = new QPushButton(u"キャンセル"_s, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LbTitle);
    layout->addWidget(CmbBoxHimoku);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ShapeBtnOK);
    buttons->addWidget(ShapeBtnCancel);
    layout->addLayout(buttons);

    connect(ShapeBtnOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(ShapeBtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

void TFormSelecterHimoku::SetOperation(uint8_t operation)
{
    m_operation = operation;
    switch (operation) {
    case 1: LbTitle->setText(u"削除"_s); break;
    case 2: LbTitle->setText(u"コピー先の費目・口座を選択肢ください。"_s); break;
    case 3: LbTitle->setText(u"移動先の費目・口座を選択肢ください。"_s); break;
    default: break;
    }
}

void TFormSelecterHimoku::SetListKind(uint8_t listKind)
{
    m_listKind = listKind;
}

int TFormSelecterHimoku::GetSelectedCode() const
{
    const int i = CmbBoxHimoku->currentIndex();
    return i < 0 ? -1 : CmbBoxHimoku->itemData(i).toInt();
}

void TFormSelecterHimoku::FillList()
{
    if (!DatModSql)
        return;
    DatModSql->FillHimokuCombo(CmbBoxHimoku, 4, false, 0);
    removeFirstCode(CmbBoxHimoku, 12);
    if (m_listKind == 9)
        removeFirstCode(CmbBoxHimoku, 13);
}

void TFormSelecterHimoku::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FillList();
}
