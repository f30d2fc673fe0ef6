#include "data/FormStartData.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/Dialogs.h"

TFormStartData::TFormStartData(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormStartData"));
    setWindowTitle(QStringLiteral("新規家計簿の開始"));
    auto *layout = new QVBoxLayout(this);
    RGSelect = new QGroupBox(QStringLiteral("どちらか選択してください。"), this);
    auto *g = new QVBoxLayout(RGSelect);
    Choices = new QButtonGroup(this);
    // No choice is made for the user: "実行" insists on one.
    Choices->setExclusive(true);
    const QStringList items = {QStringLiteral("新規に家計簿を作る"), QStringLiteral("Ver1のデータを読み込む")};
    for (int i = 0; i < items.size(); ++i) {
        auto *r = new QRadioButton(items.at(i), RGSelect);
        Choices->addButton(r, i);
        g->addWidget(r);
    }
    layout->addWidget(RGSelect);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    BtnExecute = new QPushButton(QStringLiteral("実行"), this);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(BtnExecute);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(Choices, &QButtonGroup::idClicked, this, [this](int id) {
        if (NewBookChosen)
            *NewBookChosen = id == 0;
    });
    connect(BtnExecute, &QPushButton::clicked, this, &TFormStartData::BtnExecuteClick);
    connect(BtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

int TFormStartData::itemIndex() const
{
    return Choices->checkedId();
}

void TFormStartData::setItemIndex(int index)
{
    if (QAbstractButton *b = Choices->button(index)) {
        b->setChecked(true);
        if (NewBookChosen)
            *NewBookChosen = index == 0;
    }
}

void TFormStartData::BtnExecuteClick()
{
    if (itemIndex() < 0) {
        MessageDlg(QStringLiteral("どちらか選択してください。"), MsgDlgType::Information, mbOK);
        return;
    }
    done(mrOk);
}
