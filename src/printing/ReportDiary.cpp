#include "printing/ReportDiary.h"

#include <cmath>

#include <QLocale>

#include "data/HimokuCache.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

TFrameLrpMemoList::TFrameLrpMemoList()
{
    LightRep1.SetMargins(50, m_baseLeftMargin, 30, 30);
    auto title = std::make_unique<TLRLayoutPanel>(u"LRLayouTitle"_s);
    title->setBounds(QRect(0, 0, 10, 40));
    LRLayouTitle = LightRep1.add(std::move(title));
    LRItemTitle = LRLayouTitle->add(std::make_unique<TLRItem>(u"LRItemTitle"_s));
    LRItemTitle->Font = ReportFont(18);
    LRItemTitle->Alignment = Qt::AlignHCenter;
    LRItemTitle->Layout = tlCenter;
    LRItemTitle->LineBottom = lsSingle;
    LRItemTitle->SetText(u"仕訳リスト"_s);

    auto grid = std::make_unique<TLRGridPanel>(u"LRGridPnlMain"_s);
    grid->setBounds(QRect(0, 1000, 10, 900));   // under the title
    LRGridPnlMain = LightRep1.add(std::move(grid));
    LRGridPnlMain->set(Qt::black, lsSingle, lsSingle, lsSingle, lsSingle);
    LRGridPnlMain->ChildLines().set(Qt::black, lsHalf, lsNone, lsNone, lsHalf);
    ItemRecDate = LRGridPnlMain->ChildPanel()->add(std::make_unique<TLRItem>(u"ItemRecDate"_s));
    ItemRecDate->Font = ReportFont(12);
    ItemRecDate->LineRight = lsHalf;
    ItemRecDate->WordWrap = true;
    ItemMemo = LRGridPnlMain->ChildPanel()->add(std::make_unique<TLRItem>(u"ItemMemo"_s));
    ItemMemo->WordWrap = true;
    ItemMemo->AutoFit = false;
    ItemMemo->Font = ReportFont(12);

    auto footer = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlFooter"_s);
    footer->setBounds(QRect(0, 100000, 10, 20));   // below the grid
    LRLyoPnlFooter = LightRep1.add(std::move(footer));
    ItemPage = LRLyoPnlFooter->add(std::make_unique<TLRItem>(u"ItemPage"_s));
    ItemPage->Font = ReportFont(11);
    ItemPage->SetVMargin(0);   // a whole line fits the footer only without a margin
    ItemPage->Alignment = Qt::AlignHCenter;
    ItemPage->setBounds(QRect(0, 2, 140, 16));
    ItemDate = LRLyoPnlFooter->add(std::make_unique<TLRItem>(u"ItemDate"_s));
    ItemDate->Font = ReportFont(9);
    ItemDate->SetVMargin(0);   // a whole line fits the footer only without a margin
    ItemDate->Alignment = Qt::AlignRight;
    ItemDate->setBounds(QRect(0, 2, 120, 16));

    LRLyoPnlFooter->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        LRLyoPnlFooterBeforePrint();
    };
    LRGridPnlMain->OnPrintPanel = [this](TLRGridPanel *, int, int, const QRect &, TPrintStatus &status) {
        LRGridPnlMainPrintPanel(status);
    };
    LRGridPnlMain->SetRowCount(7);
    Relayout();
}

void TFrameLrpMemoList::SetSource(const TDiarySource &source)
{
    m_source = source;
    m_hasSource = true;
    m_row = 0;
    if (source.MemoFont.pixelSize() > 0 || source.MemoFont.pointSizeF() > 0) {
        QFont f = ReportFont(source.MemoFont.pixelSize() > 0
                                 ? source.MemoFont.pixelSize()
                                 : int(std::lround(source.MemoFont.pointSizeF() * 96 / 72)));
        ItemMemo->Font = f;
    }
}

void TFrameLrpMemoList::SetRowCount(int rows)
{
    const int avail = LightRep1.height() - LightRep1.MarginTop() - LightRep1.MarginBottom() -
                      LRLayouTitle->height() - LRLyoPnlFooter->height();
    if (rows <= 0 || avail / rows <= 0)
        throw ELRError(u"行数が有効範囲を超えています．"_s);
    // Every row gets the same whole height; the grid shrinks to fit them.
    LRGridPnlMain->setHeight(rows * (avail / rows));
    LRGridPnlMain->SetRowCount(rows);
    ItemRecDate->setHeight(LRGridPnlMain->ChildPanel()->height());
}

void TFrameLrpMemoList::SetColCount(int cols)
{
    LRGridPnlMain->SetColCount(cols);
}

void TFrameLrpMemoList::Relayout()
{
    LightRep1.SetMarginLeft(m_baseLeftMargin);
    const int rows = LRGridPnlMain->RowCount();
    const int avail = LightRep1.height() - LightRep1.MarginTop() - LightRep1.MarginBottom() -
                      LRLayouTitle->height() - LRLyoPnlFooter->height();
    LRGridPnlMain->setHeight(rows > 0 ? rows * (avail / rows) : avail);
    LightRep1.realign();
    const int cols = LRGridPnlMain->ColCount();
    if (cols == 7) {
        // Seven equal columns fill the width; what is left over goes to the left margin.
        const int spare = LRGridPnlMain->width() % 7;
        if (spare > 0) {
            LightRep1.SetMarginLeft(m_baseLeftMargin + spare);
            LightRep1.realign();
        }
    }
    LRGridPnlMain->realign();
    LRLayouTitle->realign();
    LRItemTitle->setBounds(QRect(0, 0, LRLayouTitle->width(), LRLayouTitle->height() - 4));
    const QRect cell = LRGridPnlMain->ChildPanel()->bounds();
    if (cols == 7) {
        const int h = int(std::lround(std::abs(ItemRecDate->Font.pixelSize()) * 1.4));
        ItemRecDate->setBounds(QRect(0, 0, cell.width(), h));
        ItemRecDate->Alignment = Qt::AlignLeft;
        ItemRecDate->LineBottom = lsHalf;
        ItemRecDate->LineRight = lsNone;
        // One line under the day: a long holiday name shrinks to the cell's width.
        ItemRecDate->WordWrap = false;
        ItemMemo->setBounds(QRect(0, h, cell.width(), qMax(1, cell.height() - h)));
    } else {
        ItemRecDate->setBounds(QRect(0, 0, m_dateDesignWidth, cell.height()));
        ItemRecDate->Alignment = Qt::AlignLeft;
        ItemRecDate->LineBottom = lsNone;
        ItemRecDate->LineRight = lsHalf;
        ItemRecDate->WordWrap = true;   // the holiday's name on the line below the day
        ItemMemo->setBounds(QRect(m_dateDesignWidth, 0, qMax(1, cell.width() - m_dateDesignWidth), cell.height()));
    }
    const int fw = LRLyoPnlFooter->width();
    ItemPage->setLeft((fw - ItemPage->width()) / 2);
    ItemDate->setLeft(fw - ItemDate->width() - ItemDate->width() / 8);
}

void TFrameLrpMemoList::LRLyoPnlFooterBeforePrint()
{
    ItemDate->SetText(u"Print "_s + QDate::currentDate().toString(u"yy/MM/dd"_s));
    ItemPage->SetText(PageCount < 2 ? u"- %1 -"_s.arg(LightRep1.PageNumber())
                                    : u"- %1/%2 -"_s.arg(LightRep1.PageNumber()).arg(PageCount));
}

void TFrameLrpMemoList::LRGridPnlMainPrintPanel(TPrintStatus &status)
{
    if (!m_hasSource)
        return;
    if (m_row >= m_source.MemoClt.size()) {
        status = psLineOnly;   // an empty framed cell
        return;
    }
    const TDiarySource::Day &day = m_source.MemoClt.at(m_row);
    const QDate d = day.RECDATE;
    QColor colour = Qt::black;
    if (d.dayOfWeek() == Qt::Sunday)
        colour = QColor(0xFF, 0, 0);
    else if (d.dayOfWeek() == Qt::Saturday)
        colour = QColor(0, 0, 0xFF);
    if (colour != QColor(0xFF, 0, 0) && IsHoliday(d))
        colour = QColor(0xFF, 0, 0);
    if ((m_source.First.isValid() && d < m_source.First) || (m_source.Last.isValid() && d > m_source.Last))
        colour = QColor(0xC0, 0xC0, 0xC0);
    ItemRecDate->FontColor = colour;
    static const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QString text = u"%1日(%2)"_s.arg(d.day()).arg(japanese.dayName(d.dayOfWeek(), QLocale::ShortFormat));
    const QString holiday = GetHolidayName(d);
    if (!holiday.isEmpty())
        text += (LRGridPnlMain->ColCount() == 7 ? u" "_s : u"\n"_s) + holiday;
    ItemRecDate->SetText(text);
    ItemMemo->SetText(day.MEMO);
    ++m_row;
}

int TFrameLrpMemoList::ComputePageCount()
{
    const int perPage = DaysPerPage();
    PageCount = perPage > 0 ? (int(m_source.MemoClt.size()) + perPage - 1) / perPage : 0;
    return PageCount;
}

bool TFrameLrpMemoList::Print(QPagedPaintDevice &device, QString *why)
{
    if (!m_hasSource || m_source.MemoClt.isEmpty()) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    ComputePageCount();
    return PrintReportPages(device, LightRep1, PageCount, [this](int page) { PositionPage(page); }, why);
}

bool TFrameLrpMemoList::PrintToPdf(const QString &file, QString *why)
{
    if (!m_hasSource || m_source.MemoClt.isEmpty()) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    ComputePageCount();
    return PrintReportToPdf(file, LightRep1, PageCount, [this](int page) { PositionPage(page); }, why);
}
