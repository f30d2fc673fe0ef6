// Printing the expense page's month table to a PDF file: the page's own print
// (the table preview laying out both bands, shrinking long texts to their
// cells) next to Qt drawing the same cells as a plain table on the same printer.
#include <memory>
#include <stdexcept>

#include <QDate>
#include <QFile>
#include <QPainter>
#include <QPrinter>

#include "BenchParts.h"
#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "data/Vocabulary.h"
#include "main/DeruPrintMenu.h"
#include "main/FrameDeru.h"
#include "printing/PrintPreViewHyou.h"

using namespace Qt::StringLiterals;

namespace {

// The same cells, one rectangle and one text each, on an A4 landscape PDF.
// The printer is made once, as the page's print reuses the program's printer.
double plainTable(TCurrencyGrid *grid, QPrinter &printer)
{
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const int cols = grid->colCount(), rows = grid->rowCount();
    const double w = double(page.width()) / cols, h = double(page.height()) / rows;
    QFont font(PrintMinchoFamily());
    font.setPixelSize(qMax(1, int(h * 0.8)));
    painter.setFont(font);
    const QFontMetrics fm = painter.fontMetrics();
    // Texts placed by their measured width, Qt's quickest way to set them.
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const QRect cell(int(c * w), int(r * h), int(w), int(h));
            painter.drawRect(cell);
            const QString text = grid->displayText(c, r);
            if (!text.isEmpty())
                painter.drawText(QPoint(cell.right() - fm.horizontalAdvance(text), cell.top() + fm.ascent()), text);
        }
    painter.end();
    return elapsedMs(timer);
}

void measure(const BenchChild &child)
{
    openBenchBook(child);
    IncludeReservedFlag = false;
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.InitPage();
        if (!page.LoadCell(-1, -1, false, pastMonthDay()))
            throw std::runtime_error("the expense page did not load the past month");
        TCurrencyGrid *hyou = page.Hyou;
        const QString ours = child.work + u"/page.pdf"_s, plain = child.work + u"/plain.pdf"_s;
        std::unique_ptr<TFormPrintPreViewHyou> preview(NewDeruHyouPreview(&page, false));
        preview->show();
        NkPrinter().SelectPrinter(TNkPrinter::PdfTargetName());
        NkPrinter().SetPdfFile(ours);
        preview->StartPage = preview->EndPage = 1;
        report("page", warmThenTime([&] {
                   QElapsedTimer timer;
                   timer.start();
                   if (!preview->PrintPages())
                       throw std::runtime_error("the month table did not print");
                   return elapsedMs(timer);
               }));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(plain);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        report("plain", warmThenTime([&] { return plainTable(hyou, printer); }));
        report("rows", hyou->rowCount());
        report("cols", hyou->colCount());
        preview.reset();
        page.LeavePage();
    }
    closeBenchBook(false);
}

void print(const Figures &e, const Figures &l)
{
    row(u"(p) month table to PDF (page's print, two bands)"_s, ms(e[u"page"_s]), ms(l[u"page"_s]));
    row(u"(q) same cells, Qt plain table to PDF"_s, ms(e[u"plain"_s]), ms(l[u"plain"_s]));
    const double r = l[u"page"_s] / l[u"plain"_s];
    row(u"    (p) / (q), large book (%1 rows x %2 columns)"_s.arg(int(l[u"rows"_s])).arg(int(l[u"cols"_s])), QString(),
        QString(), ratio(r), u"<= 2"_s, verdict(r <= 2));
}

} // namespace

BenchPart benchPrint()
{
    return {u"print"_s, measure, print};
}
