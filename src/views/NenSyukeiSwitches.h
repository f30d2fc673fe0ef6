#pragma once

#include <functional>

#include <QList>

class QComboBox;
class QLabel;
class QString;
class QWidget;
class TFrameBtn;
class TShapeBtn;

// What the 集計 and グラフ pages do alike with their switches and filter bar:
// both pages drive the one annual calculator, NenSyukeiData, so a switch or a
// filter set on one page must be stored the same way on the other.

// The switches and filter boxes both pages show over the one calculator,
// named alike on both.
struct TNenSyukeiControls
{
    TFrameBtn *FrBtnHassei = nullptr;
    TFrameBtn *FrBtnRuikei = nullptr;
    TFrameBtn *FrBtnGetuji = nullptr;
    TFrameBtn *FrBtnNenji = nullptr;
    TFrameBtn *FrBtnGetudo = nullptr;
    TFrameBtn *FrBtnKoyomi = nullptr;
    TFrameBtn *FrBtnSuryou = nullptr;
    TFrameBtn *FrBtnJyouken = nullptr;
    TShapeBtn *SpBtnTokubetu = nullptr;
    TShapeBtn *SpBtnReserve = nullptr;
    QWidget *PnlBarJyouken = nullptr;
    QComboBox *CmbBoxHimoku = nullptr;
    QComboBox *CmbBoxHinmei = nullptr;
    QComboBox *CmbBoxShop = nullptr;
    QComboBox *CmbBoxPerson = nullptr;
    QComboBox *CmbBoxKouza = nullptr;
};

// A switch of the pages' tool bars: as wide as its caption needs, and at least
// `minWidth`.
TFrameBtn *MakeSwitchButton(QWidget *parent, const QString &name, const QString &caption, int group, bool allowAllUp,
                            int minWidth);

// The code of the chosen entry of a filter box; 0 (all) when none is chosen.
int FilterComboCode(QComboBox *combo);

// Fills `bar` with the filter bar: its caption, then a labelled box for the
// category, item, shop, user and account, each listing すべて first.
// `changed` runs on every change of a box's choice. Returns the five labels in
// that order (the account's last).
QList<QLabel *> BuildNenSyukeiFilterBar(QWidget *bar, QComboBox *&himoku, QComboBox *&hinmei, QComboBox *&shop,
                                        QComboBox *&person, QComboBox *&kouza, const std::function<void()> &changed);

// The five boxes' codes and texts into NenSyukeiData.
void StoreNenSyukeiFilters(QComboBox *himoku, QComboBox *hinmei, QComboBox *shop, QComboBox *person,
                           QComboBox *kouza);

// The 予約 switch: whether reserved lines count, kept in the book's state.
void StoreIncludeReserved(bool include);

// The 特別 switch: whether special categories show, kept in the book's state;
// the category lists are reloaded to follow it.
void StoreTokubetuShow(bool show);
