#include "printing/ReportBalanceSheet.h"

#include <cmath>

#include "controls/CurrencyGrid.h"
#include "data/Utils.h"
#include "printing/ReportPanels.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

TFrameLrpSisanGaiyo::TFrameLrpSisanGaiyo()
{
    LightRep.SetMargins(40, 78, 30, 40);
    ItTitle = AddReportTitleBand(LightRep, 50, LRLyoPnlTitle);

    ItemDate = AddReportDateBand(LightRep, LRLyoPnlBottom);

    LRLyoPnlMain = AddIncomeExpenseBody(LightRep, LRGridPnlIri, LRGridPnlDeru);

    ItTitle->setBounds(QRect(0, 0, LRLyoPnlTitle->width(), LRLyoPnlTitle->height() - 10));
    ItemDate->setBounds(QRect(LRLyoPnlBottom->width() - 160, 2, 160, 16));
    const int half = LRLyoPnlMain->width() / 2;
    LRGridPnlIri->setBounds(QRect(0, 0, half - 6, LRLyoPnlMain->height()));
    LRLyoPnlMain->realign();
    LRGridPnlIri->SetRowCount(30);
    LRGridPnlDeru->SetRowCount(30);
    auto makeItems = [](TLRGridPanel *grid, const QString &prefix, TLRItem *&caption, TLRItem *&amount) {
        caption = grid->ChildPanel()->add(std::make_unique<TLRItem>(prefix + u"_0"_s));
        amount = grid->ChildPanel()->add(std::make_unique<TLRItem>(prefix + u"_1"_s));
        amount->Alignment = Qt::AlignRight;
    };
    makeItems(LRGridPnlIri, u"LRIriYosan"_s, LRIriYosan_0, LRIriYosan_1);
    makeItems(LRGridPnlDeru, u"LRDeruYosan"_s, LRDeruYosan_0, LRDeruYosan_1);

    LRLyoPnlTitle->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        ItemDate->SetText(u"Print "_s + QDate::currentDate().toString(u"yy/MM/dd"_s));
        QString title = m_source.SyukeiBi ? m_source.GaiyoSimeBi.toString(u"yyyy年M月d日現在　　"_s)
                                           : u"入力済みデータ総計　　"_s;
        title += m_source.View != 0 ? m_source.AllGakuCaption : u"わが家のバランスシート"_s;
        ItTitle->SetText(title);
    };
    auto rowCounts = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        if (!m_source.HyouSisan || !m_source.HyouFusai)
            return;
        const QPair<int, int> rows =
            PanelRows(m_source.HyouSisan->rowCount(), m_source.HyouFusai->rowCount(), m_source.View);
        LRGridPnlIri->SetRowCount(rows.first);
        LRGridPnlDeru->SetRowCount(rows.second);
    };
    LRGridPnlIri->BeforePrint = rowCounts;
    LRGridPnlIri->OnPrintPanel = [this](TLRGridPanel *, int, int r, const QRect &, TPrintStatus &st) {
        printRow(true, r, st);
    };
    LRGridPnlDeru->OnPrintPanel = [this](TLRGridPanel *, int, int r, const QRect &, TPrintStatus &st) {
        printRow(false, r, st);
    };
}

void TFrameLrpSisanGaiyo::SetSource(const TBalanceSheetSource &source)
{
    m_source = source;
}

QPair<int, int> TFrameLrpSisanGaiyo::PanelRows(int assetRows, int liabilityRows, int view)
{
    const int a = assetRows;
    const int l = liabilityRows + (view == 0 ? 5 : 0);
    if (a <= 30 && l <= 30)
        return {30, 30};
    const int rows = qMax(a, l);
    return {rows, rows};
}

QString TFrameLrpSisanGaiyo::RatioText(Currency assets, Currency liabilities)
{
    const Currency sum = assets + liabilities;
    const Currency net = assets - liabilities;
    if (sum == Currency())
        return u"---"_s;
    if (net == Currency())
        return u"0.0%"_s;
    return QString::number(net.toDouble() / sum.toDouble() * 100, 'f', 1) + u"%"_s;
}

void TFrameLrpSisanGaiyo::printRow(bool left, int r, TPrintStatus &status)
{
    TCurrencyGrid *table = left ? m_source.HyouSisan : m_source.HyouFusai;
    TLRGridPanel *grid = left ? LRGridPnlIri : LRGridPnlDeru;
    TLRItem *caption = left ? LRIriYosan_0 : LRDeruYosan_0;
    TLRItem *amount = left ? LRIriYosan_1 : LRDeruYosan_1;
    if (!table)
        return;
    TLRLines &cell = grid->ChildLines();
    const int n = table->rowCount();
    const int f = table->fixedRows();
    auto bold = [&](bool on) {
        caption->Font.setBold(on);
        amount->Font.setBold(on);
    };
    auto texts = [&](const QString &a, const QString &b) {
        caption->SetText(a);
        amount->SetText(b);
    };
    if (r == 0) {
        const int h = grid->ChildPanel()->height();
        const int w = grid->ChildPanel()->width();
        caption->setBounds(QRect(0, 0, w * 3 / 5, h));
        amount->setBounds(QRect(w * 3 / 5, 0, w - w * 3 / 5, h));
        caption->Font = ReportFont(int(std::lround(h / 2.0)));
        amount->Font = caption->Font;
        cell.set(Qt::black, lsSingleHalf, lsSingleHalf, lsSingleHalf, lsSingle);
        caption->LineRight = lsSingle;
        amount->LineRight = lsHalf;
        texts(table->displayText(0, 0) + u"の部"_s, table->displayText(1, 0));
        bold(true);
        caption->Alignment = amount->Alignment = Qt::AlignHCenter;
        return;
    }
    if (r < n - 1) {
        if (r == 1)
            cell.set(Qt::black, lsSingleHalf, lsNone, lsSingleHalf, lsHalf);
        const int row = r + 1;
        const bool account = m_source.IsAccountRow ? m_source.IsAccountRow(left, row)
                                                   : table->displayText(0, row).startsWith(u' ');
        texts(table->displayText(0, row), table->displayText(1, row));
        bold(!account);
        caption->Alignment = Qt::AlignLeft;
        amount->Alignment = Qt::AlignRight;
        return;
    }
    if (r == n - 1) {
        cell.set(Qt::black, lsSingleHalf, lsSingle, lsSingleHalf, lsSingleHalf);
        texts(table->displayText(0, f - 1), table->displayText(1, f - 1));
        bold(true);
        caption->Alignment = Qt::AlignHCenter;
        amount->Alignment = Qt::AlignRight;
        return;
    }
    if (left || m_source.View != 0 || r > n + 4 || !m_source.HyouSisan) {
        status = psEndNow;
        return;
    }
    const Currency assets = m_source.HyouSisan->getValue(1, 1);
    const Currency liabilities = m_source.HyouFusai->getValue(1, 1);
    switch (r - n) {
    case 0:
        texts(QString(), QString());
        cell.set(Qt::black, lsNone, lsNone, lsNone, lsNone);
        caption->LineRight = lsNone;
        amount->LineRight = lsNone;
        break;
    case 1:
        texts(u"資本の部"_s, u"合計"_s);
        bold(true);
        caption->Alignment = amount->Alignment = Qt::AlignHCenter;
        cell.set(Qt::black, lsSingleHalf, lsSingleHalf, lsSingleHalf, lsSingle);
        caption->LineRight = lsSingle;
        amount->LineRight = lsHalf;
        break;
    case 2:
        texts(u"わが家の資本"_s, KingakuToStr(assets - liabilities));
        bold(false);
        caption->Alignment = Qt::AlignLeft;
        amount->Alignment = Qt::AlignRight;
        cell.set(Qt::black, lsSingleHalf, lsNone, lsSingleHalf, lsHalf);
        break;
    case 3:
        texts(u"(自己資本比率)"_s, RatioText(assets, liabilities));
        bold(false);
        caption->Alignment = Qt::AlignHCenter;
        amount->Alignment = Qt::AlignRight;
        break;
    default:
        texts(u"合計"_s, KingakuToStr(assets - liabilities));
        bold(true);
        caption->Alignment = Qt::AlignHCenter;
        amount->Alignment = Qt::AlignRight;
        cell.set(Qt::black, lsSingleHalf, lsSingle, lsSingleHalf, lsSingleHalf);
        break;
    }
}

bool TFrameLrpSisanGaiyo::Print(QPagedPaintDevice &device, QString *why)
{
    if (!m_source.HyouSisan || !m_source.HyouFusai) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    return PrintReportPages(device, LightRep, 1, {}, why);
}

bool TFrameLrpSisanGaiyo::PrintToPdf(const QString &file, QString *why)
{
    if (!m_source.HyouSisan || !m_source.HyouFusai) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    return PrintReportToPdf(file, LightRep, 1, {}, why);
}
