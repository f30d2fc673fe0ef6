#include "main/FrameIri.h"

#include "controls/CurrencyGrid.h"
#include "controls/CurrencyGridModel.h"
#include "controls/FrameBtn.h"
#include "main/MainForm.h"
#include "main/MeisaiGrid.h"

TFrameIri::TFrameIri(QWidget *parent)
    : TFrameDeru(parent)
{
    setObjectName(QStringLiteral("FrameIri"));
    FrameKind = 1;
    PeriodCode = 1;
    // The income colours: blue headers and rows, where the expense page is red.
    if (PaletteColor5.isValid())
        Hyou->model()->setFixedColor(PaletteColor5);
    if (PaletteColor13.isValid())
        Hyou->model()->setRowOddColor(PaletteColor13);
}

TFrameIri::~TFrameIri() = default;

void TFrameIri::SetHelpContexts()
{
    TFrameDeru::SetHelpContexts();
    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(Hyou), static_cast<QWidget *>(MyDbGridMeisai)})
        w->setProperty("helpContext", 10054);
    for (QWidget *w : {FrBtnNormal, FrBtnReceipt, FrBtnFree})
        w->setProperty("helpContext", 10057);
    FrBtnCredit->setProperty("helpContext", 10056);
}

void TFrameIri::BuildColumnList(int mode)
{
    AmountStyle = 1;
    ColumnList.clear();
    // No tax-treatment column on this page: income carries no consumption tax.
    const TToolBtnRec account{uint8_t(UseSyusiHimoku ? 16 : 14), QStringLiteral("振込先"), QStringLiteral("KARICODE"),
                              QStringLiteral("KARICODE")};
    if (BuildSharedColumns(mode, {QStringLiteral("KASICODE"), account, false}))
        return;
    auto add = [this](uint8_t kind, const QString &caption, const QString &view, const QString &edit,
                      bool slip = false) { ColumnList << TToolBtnRec{kind, caption, view, edit, slip}; };
    switch (mode) {
    case 3:
        add(2, QStringLiteral("伝票"), QString(), QString());
        add(14, QStringLiteral("口座名"), QStringLiteral("CreditCode"), QString(), true);
        add(5, QStringLiteral("日付"), QStringLiteral("RECDATE"), QStringLiteral("RECDATE"));
        add(7, QStringLiteral("費目"), QStringLiteral("KASICODE"), QStringLiteral("KASICODE"));
        add(9, QStringLiteral("品名"), QStringLiteral("HinmeiName"), QStringLiteral("HINMEICODE"));
        add(0, QStringLiteral("金額"), QStringLiteral("KINGAKU"), QStringLiteral("KINGAKU"));
        add(10, QStringLiteral("店名"), QStringLiteral("ShopName"), QStringLiteral("SHOPCODE"));
        add(12, QStringLiteral("使用者"), QStringLiteral("PersonName"), QStringLiteral("PERSONCODE"));
        if (IncludeReservedFlag)
            add(22, QStringLiteral("予約"), QStringLiteral("RESERVED"), QStringLiteral("RESERVED"));
        break;
    default:
        break;
    }
}
