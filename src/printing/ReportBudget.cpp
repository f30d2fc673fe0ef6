#include "printing/ReportBudget.h"

#include <cmath>

#include <QDate>

#include "controls/CurrencyGrid.h"
#include "printing/ReportPanels.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

TFrameLrpYosan::TFrameLrpYosan()
{
    LightRep.SetMargins(40, 78, 30, 40);
    ItTitle = AddReportTitleBand(LightRep, 40, LRLyoPnlTitle);
    ItTitle->setBounds(QRect(0, 0, LRLyoPnlTitle->width(), 36));

    auto summary = std::make_unique<TLRLayoutPanel>(u"LRLayoutPanel5"_s);
    summary->setBounds(QRect(0, 40, 10, 5 * 22 + 10));
    LRLayoutPanel5 = LightRep.add(std::move(summary));
    const int w = LRLayoutPanel5->width();
    const int widths[5] = {w * 22 / 100, w * 22 / 100, w * 22 / 100, w * 22 / 100, w - 4 * (w * 22 / 100)};
    int x = 0;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            TLRItem *it = LRLayoutPanel5->add(std::make_unique<TLRItem>(u"ITSyusi_%1%2"_s.arg(i).arg(j)));
            it->setBounds(QRect(x, j * 22, widths[i], 22));
            it->Font = ReportFont(11);
            it->Alignment = i == 0 ? Qt::AlignLeft : i == 4 ? Qt::AlignLeft : Qt::AlignRight;
            it->Layout = tlCenter;
            it->LineBottom = lsHalf;
            ITSyusi[i][j] = it;
        }
        x += widths[i];
    }
    ITSyusi[4][1]->SetText(u"実績-予算"_s);
    ITSyusi[4][2]->SetText(u"予算-実績"_s);
    ITSyusi[4][3]->SetText(u"実績-予算"_s);

    ItemDate = AddReportDateBand(LightRep, LRLyoPnlBottom);
    ItemDate->setBounds(QRect(LRLyoPnlBottom->width() - 160, 2, 160, 16));

    LRLyoPnlMain = AddIncomeExpenseBody(LightRep, LRGridPnlIri, LRGridPnlDeru);
    LRGridPnlIri->setBounds(QRect(0, 0, LRLyoPnlMain->width() / 2 - 4, LRLyoPnlMain->height()));
    LRLyoPnlMain->realign();
    LRGridPnlIri->SetRowCount(30);
    LRGridPnlDeru->SetRowCount(30);
    auto makeItems = [](TLRGridPanel *grid, const QString &side, TLRItem **items) {
        const QStringList names{u"Yosan_0"_s, u"Yosan_1"_s, u"Jisseki_0"_s, u"Jisseki_1"_s, u"Jisseki_2"_s};
        for (int k = 0; k < 5; ++k)
            items[k] = grid->ChildPanel()->add(std::make_unique<TLRItem>(u"LR"_s + side + names[k]));
    };
    makeItems(LRGridPnlIri, u"Iri"_s, Iri);
    makeItems(LRGridPnlDeru, u"Deru"_s, Deru);

    LRLyoPnlTitle->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        ItemDate->SetText(u"Print "_s + QDate::currentDate().toString(u"yy/MM/dd"_s));
        ItTitle->SetText(u"予算 と 実績  　"_s + m_source.ImaNen + m_source.NenCaption + u" "_s + m_source.ImaTuki +
                         m_source.TukiCaption);
    };
    LRLayoutPanel5->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        if (!m_source.SyusiHyou)
            return;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 5; ++j)
                ITSyusi[i][j]->SetText(i < m_source.SyusiHyou->colCount() && j < m_source.SyusiHyou->rowCount()
                                           ? m_source.SyusiHyou->displayText(i, j)
                                           : QString());
    };
    LRGridPnlIri->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        const int rows = PanelRows(m_source.IncomeRows, m_source.ExpenseRows);
        LRGridPnlIri->SetRowCount(rows);
        LRGridPnlDeru->SetRowCount(rows);
    };
    LRGridPnlIri->OnPrintPanel = [this](TLRGridPanel *, int, int r, const QRect &, TPrintStatus &st) {
        printRow(true, r, st);
    };
    LRGridPnlDeru->OnPrintPanel = [this](TLRGridPanel *, int, int r, const QRect &, TPrintStatus &st) {
        printRow(false, r, st);
    };
}

int TFrameLrpYosan::PanelRows(int incomeRows, int expenseRows)
{
    if (incomeRows <= 28 && expenseRows <= 28)
        return 30;
    return qMax(incomeRows, expenseRows) + 2;
}

void TFrameLrpYosan::printRow(bool income, int r, TPrintStatus &status)
{
    if (!m_source.YosanHyou || !m_source.JissekiHyou)
        return;
    TLRGridPanel *grid = income ? LRGridPnlIri : LRGridPnlDeru;
    TLRItem **items = income ? Iri : Deru;
    TLRLines &cell = grid->ChildLines();
    if (r == 0) {
        if (m_source.ShowSide)
            m_source.ShowSide(income);
        const int h = grid->ChildPanel()->height();
        const int w = grid->ChildPanel()->width();
        // Name, budget, then the actual's three columns.
        const int widths[5] = {w * 28 / 100, w * 18 / 100, w * 18 / 100, w * 18 / 100,
                               w - w * 28 / 100 - 3 * (w * 18 / 100)};
        int x = 0;
        const TLineStyle rights[5] = {lsSingle, lsHalf, lsHalf, lsHalf, lsNone};
        for (int k = 0; k < 5; ++k) {
            items[k]->setBounds(QRect(x, 0, widths[k], h));
            items[k]->Font = ReportFont(int(std::lround(h / 2.0)));
            items[k]->Alignment = Qt::AlignHCenter;
            items[k]->Layout = tlCenter;
            items[k]->LineRight = rights[k];
            x += widths[k];
        }
        cell.set(Qt::black, lsSingleHalf, lsSingleHalf, lsSingleHalf, lsHalf);
    } else if (r == 1) {
        items[0]->Alignment = Qt::AlignHCenter;
        for (int k = 1; k < 5; ++k)
            items[k]->Alignment = Qt::AlignRight;
        cell.set(Qt::black, lsSingleHalf, lsNone, lsSingleHalf, lsSingle);
    } else if (r == 2) {
        items[0]->Alignment = Qt::AlignLeft;
        cell.set(Qt::black, lsSingleHalf, lsNone, lsSingleHalf, lsHalf);
    }
    const int n = m_source.YosanHyou->rowCount();
    if (r >= n) {
        status = psEndNow;
        return;
    }
    if (r == n - 1)
        cell.set(Qt::black, lsSingleHalf, lsNone, lsSingleHalf, lsSingleHalf);
    items[0]->SetText(m_source.YosanHyou->displayText(0, r));
    items[1]->SetText(m_source.YosanHyou->displayText(1, r));
    for (int k = 0; k < 3; ++k)
        items[2 + k]->SetText(k < m_source.JissekiHyou->colCount() ? m_source.JissekiHyou->displayText(k, r)
                                                                    : QString());
}

bool TFrameLrpYosan::Print(QPagedPaintDevice &device, QString *why)
{
    if (!m_source.YosanHyou || !m_source.JissekiHyou || !m_source.SyusiHyou) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    return PrintReportPages(device, LightRep, 1, {}, why);
}

bool TFrameLrpYosan::PrintToPdf(const QString &file, QString *why)
{
    if (!m_source.YosanHyou || !m_source.JissekiHyou || !m_source.SyusiHyou) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    return PrintReportToPdf(file, LightRep, 1, {}, why);
}
