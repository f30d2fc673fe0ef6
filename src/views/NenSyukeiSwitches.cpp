#include "views/NenSyukeiSwitches.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

TFrameBtn *MakeSwitchButton(QWidget *parent, const QString &name, const QString &caption, int group, bool allowAllUp,
                            int minWidth)
{
    auto *b = new TFrameBtn(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setGroupIndex(group);
    b->setAllowAllUp(allowAllUp);
    b->setFixedSize(std::max(b->fontMetrics().horizontalAdvance(caption) + 16, minWidth), 24);
    return b;
}

int FilterComboCode(QComboBox *combo)
{
    return combo->currentIndex() >= 0 ? combo->currentData().toInt() : 0;
}

QList<QLabel *> BuildNenSyukeiFilterBar(QWidget *bar, QComboBox *&himoku, QComboBox *&hinmei, QComboBox *&shop,
                                        QComboBox *&person, QComboBox *&kouza, const std::function<void()> &changed)
{
    auto *filters = new QHBoxLayout(bar);
    filters->setContentsMargins(4, 0, 4, 0);
    filters->addWidget(new QLabel(u"条件付き集計"_s, bar));
    QList<QLabel *> labels;
    auto filter = [&](QComboBox *&combo, const QString &name, const QString &label) {
        auto *lb = new QLabel(label, bar);
        labels << lb;
        filters->addWidget(lb);
        combo = new QComboBox(bar);
        combo->setObjectName(name);
        combo->setMinimumContentsLength(8);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->addItem(u"すべて"_s, 0);
        filters->addWidget(combo);
        QObject::connect(combo, &QComboBox::currentIndexChanged, bar, [changed] { changed(); });
    };
    filter(himoku, u"CmbBoxHimoku"_s, u"費目"_s);
    filter(hinmei, u"CmbBoxHinmei"_s, u"品名"_s);
    filter(shop, u"CmbBoxShop"_s, u"店名"_s);
    filter(person, u"CmbBoxPerson"_s, u"使用者"_s);
    filter(kouza, u"CmbBoxKouza"_s, u"口座"_s);
    filters->addStretch(1);
    return labels;
}

void StoreNenSyukeiFilters(QComboBox *himoku, QComboBox *hinmei, QComboBox *shop, QComboBox *person,
                           QComboBox *kouza)
{
    TNenSyukeiData &d = NenSyukeiData;
    d.HimokuCode = FilterComboCode(himoku);
    d.KouzaCode = FilterComboCode(kouza);
    d.HinmeiCode = FilterComboCode(hinmei);
    d.ShopCode = FilterComboCode(shop);
    d.PersonCode = FilterComboCode(person);
    d.HimokuText = himoku->currentText();
    d.KouzaText = kouza->currentText();
    d.HinmeiText = hinmei->currentText();
    d.ShopText = shop->currentText();
    d.PersonText = person->currentText();
}

void StoreIncludeReserved(bool include)
{
    IncludeReservedFlag = include;
    if (DataIni)
        DataIni->WriteBoolAndUpdate(u"State"_s, u"IncludeReseved"_s, IncludeReservedFlag);
}

void StoreTokubetuShow(bool show)
{
    TokubetuShowFlag = show;
    if (DataIni)
        DataIni->WriteBoolAndUpdate(u"State"_s, u"TokubetuShow"_s, TokubetuShowFlag);
    if (DatMod && DatMod->DataOpen)
        LoadHimokuCaches(DatMod->MainDatabase);
}
