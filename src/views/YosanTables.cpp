#include "views/YosanTables.h"

#include "controls/CurrencyGridModel.h"
#include "data/Utils.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

namespace {

void heading(CurrencyGridModel &grid, int col, int row, const QString &text)
{
    grid.setCells(col, row, text);
    grid.setCellAlignment(col, row, CellAlignment::taCenter);
}

void rateCell(CurrencyGridModel &grid, int col, int row, const QString &text)
{
    grid.setCells(col, row, text);
    grid.setCellAlignment(col, row, CellAlignment::taRightJustify);
}

} // namespace

QString TYosanTables::RateText(Currency part, Currency whole)
{
    if (whole.isZero())
        return {};
    const int64_t rate = RoundHalfAway(part.toDouble() / whole.toDouble() * 100.0);
    return KingakuToStr(Currency::fromInt(rate)) + u'%';
}

QString TYosanTables::PlainAmountText(Currency amount)
{
    if (amount.isZero())
        return {};
    QString text = amount.toString(4, false);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

void TYosanTables::FillTables(int side, const TYosanJissekiData &data, CurrencyGridModel &yosan,
                              CurrencyGridModel &jisseki, CurrencyGridModel &kako, CurrencyGridModel &syusi)
{
    const bool iri = side == 1;
    const TYosanJissekiArray &rows = iri ? data.IriRows : data.DeruRows;
    const int n = int(rows.size());

    for (CurrencyGridModel *grid : {&yosan, &jisseki, &kako}) {
        grid->setRowCount(n + FirstCategoryRow);
        // With no category the grid keeps one scrollable row; it stays empty.
        grid->setFixedRows(FirstCategoryRow);
        grid->clearAll();
    }
    syusi.setSize(4, 5);
    syusi.clearAll();

    heading(yosan, 0, 0, iri ? u"収　入"_s : u"支　出"_s);
    heading(yosan, 1, 0, u"予　算"_s);
    heading(yosan, 0, TotalRow, u"合　計"_s);
    heading(jisseki, 0, 0, u"実　績"_s);
    heading(jisseki, 1, 0, iri ? u"過不足"_s : u"残　り"_s);
    heading(jisseki, 2, 0, iri ? u"充足率"_s : u"使用率"_s);
    heading(kako, 1, 0, u"予　算"_s);
    heading(kako, 2, 0, u"実　績"_s);
    heading(kako, 0, TotalRow, u"合　計"_s);

    yosan.setValue(1, TotalRow, iri ? data.IriImaYosan : data.DeruImaYosan);
    jisseki.setValue(0, TotalRow, iri ? data.IriImaJisseki : data.DeruImaJisseki);
    kako.setValue(1, TotalRow, iri ? data.IriKakoYosan : data.DeruKakoYosan);
    kako.setValue(2, TotalRow, iri ? data.IriKakoJisseki : data.DeruKakoJisseki);
    for (int i = 0; i < n; ++i) {
        const TYosanJissekiRec &r = rows.at(i);
        const int row = FirstCategoryRow + i;
        yosan.setCells(0, row, r.Name);
        yosan.setCellAlignment(0, row, CellAlignment::taLeftJustify);
        yosan.setObjects(0, row, r.Code);
        yosan.setValue(1, row, r.ImaYosan);
        jisseki.setValue(0, row, r.ImaJisseki);
        kako.setCells(0, row, r.Name);
        kako.setCellAlignment(0, row, CellAlignment::taLeftJustify);
        kako.setValue(1, row, r.KakoYosan);
        kako.setValue(2, row, r.KakoJisseki);
    }

    heading(syusi, SyusiYosan, 0, u"予　算"_s);
    heading(syusi, SyusiJisseki, 0, u"実　績"_s);
    heading(syusi, SyusiSagaku, 0, u"差　額"_s);
    heading(syusi, 0, SyusiIri, u"収入合計"_s);
    heading(syusi, 0, SyusiDeru, u"支出合計"_s);
    heading(syusi, 0, SyusiSyusi, u"収    支"_s);
    heading(syusi, 0, SyusiRate, u"使 用 率"_s);
    heading(syusi, SyusiSagaku, SyusiRate, u"－"_s);
    syusi.setValue(SyusiYosan, SyusiIri, data.IriImaYosan);
    syusi.setValue(SyusiYosan, SyusiDeru, data.DeruImaYosan);
    syusi.setValue(SyusiJisseki, SyusiIri, data.IriImaJisseki);
    syusi.setValue(SyusiJisseki, SyusiDeru, data.DeruImaJisseki);

    CalcTables(side, yosan, jisseki, syusi);
}

void TYosanTables::CalcTables(int side, CurrencyGridModel &yosan, CurrencyGridModel &jisseki,
                              CurrencyGridModel &syusi)
{
    const bool iri = side == 1;
    for (int row = TotalRow; row < yosan.rowCount(); ++row) {
        const Currency budget = yosan.getValue(1, row);
        const Currency actual = jisseki.getValue(0, row);
        // Income is short when below its budget, expense has the rest left.
        jisseki.setValue(1, row, iri ? actual - budget : budget - actual);
        rateCell(jisseki, 2, row, RateText(actual, budget));
    }

    const Currency iriYosan = syusi.getValue(SyusiYosan, SyusiIri);
    const Currency deruYosan = syusi.getValue(SyusiYosan, SyusiDeru);
    const Currency iriJisseki = syusi.getValue(SyusiJisseki, SyusiIri);
    const Currency deruJisseki = syusi.getValue(SyusiJisseki, SyusiDeru);
    const Currency syusiYosan = iriYosan - deruYosan;
    const Currency syusiJisseki = iriJisseki - deruJisseki;
    syusi.setValue(SyusiYosan, SyusiSyusi, syusiYosan);
    syusi.setValue(SyusiJisseki, SyusiSyusi, syusiJisseki);
    syusi.setValue(SyusiSagaku, SyusiIri, iriJisseki - iriYosan);
    syusi.setValue(SyusiSagaku, SyusiDeru, deruYosan - deruJisseki);
    syusi.setValue(SyusiSagaku, SyusiSyusi, syusiJisseki - syusiYosan);
    rateCell(syusi, SyusiYosan, SyusiRate, RateText(deruYosan, iriYosan));
    rateCell(syusi, SyusiJisseki, SyusiRate, RateText(deruJisseki, iriJisseki));

    for (CurrencyGridModel *grid : {&yosan, &jisseki, &syusi})
        grid->invalidateChangedCells();
}
