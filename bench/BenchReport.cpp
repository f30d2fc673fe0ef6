// Printing a year's lines as the automatic grid report to PDF: the report
// engine (bands, items, masks, colours, carry and page events) next to Qt
// drawing the same texts into the same cells of a PDF by itself.
#include "BenchParts.h"

#include <cstdio>

#include <QDate>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include "GenerateBook.h"
#include "controls/MyDBGrid.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "printing/ReportGrid.h"

using namespace Qt::StringLiterals;

namespace {

// The same texts at the same places, one page per page of the report.
void bareWrite(const QAbstractItemModel &model, const TFrameAutoLightRep &report, const QString &path)
{
    QPdfWriter pdf(path);
    pdf.setResolution(600);
    pdf.setPageLayout(report.LightRep.pageLayout());
    QPainter p(&pdf);
    const double s = double(pdf.width()) / report.LightRep.width();
    QFont font = ReportFont(12);
    font.setPixelSize(qRound(12 * s));
    p.setFont(font);
    const int perPage = report.RowsPerPage();
    const int rowHeight = qRound(15 * s);
    const int top = qRound(130 * s);
    for (int row = 0; row < model.rowCount(); ++row) {
        if (row > 0 && row % perPage == 0)
            pdf.newPage();
        const int y = top + (row % perPage) * rowHeight;
        for (int i = 0; i < report.DataItems.size(); ++i) {
            const TLRDBItem *item = report.DataItems[i];
            const QRect cell(qRound((78 + item->left()) * s), y, qRound(item->width() * s), rowHeight);
            p.drawText(cell, int(item->Alignment) | Qt::AlignVCenter,
                       model.data(model.index(row, item->Column)).toString());
        }
    }
}

} // namespace

BenchPart benchReport()
{
    BenchPart part;
    part.name = u"report"_s;
    part.measure = [](const BenchChild &child) {
        Database db;
        db.open(GenerateBook::databasePath(child.book));
        const QString busiest = db.scalar(u"SELECT substr(RECDATE, 1, 4) FROM Master WHERE DATANO <> 0 "
                                          "GROUP BY 1 ORDER BY COUNT(*) DESC LIMIT 1"_s).toString();
        const int year = busiest.isEmpty() ? QDate::currentDate().year() : busiest.toInt();
        Query q(db);
        q.SQL << u"SELECT RECDATE, KARICODE, KASICODE, KINGAKU, DATANO FROM Master"_s
              << u"WHERE RECDATE BETWEEN '%1-01-01' AND '%1-12-31' ORDER BY RECDATE"_s.arg(year);
        q.open();
        DataSource source(&q);
        TMyDBGrid grid;
        grid.setDataSource(&source);
        grid.setColumns({{u"RECDATE"_s, u"日付"_s}, {u"KARICODE"_s, u"借方"_s}, {u"KASICODE"_s, u"貸方"_s},
                         {u"KINGAKU"_s, u"金額"_s}, {u"DATANO"_s, u"番号"_s}});
        QFont font = grid.font();
        font.setPixelSize(12);
        grid.setFont(font);
        TFrameAutoLightRep rep;
        rep.SetDBGrid(&grid);
        rep.ItTitle->SetText(u"明細"_s);
        const int rows = rep.RecordCount();
        const QString layer = child.work + u"/report.pdf"_s;
        const QString bare = child.work + u"/bare.pdf"_s;
        QString why;
        const double layerMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            if (!rep.PrintToPdf(layer, &why) && rows > 0)
                std::fprintf(stderr, "report failed: %s\n", qPrintable(why));
            return elapsedMs(t);
        });
        const double bareMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            bareWrite(*grid.dataModel(), rep, bare);
            return elapsedMs(t);
        });
        QFile::remove(layer);
        QFile::remove(bare);
        report("rows", rows);
        report("pages", rep.PageCount > 0 ? rep.PageCount : 0);
        report("layer", layerMs);
        report("bare", bareMs);
    };
    part.print = [](const Figures &empty, const Figures &large) {
        auto perSecond = [](const Figures &f) {
            return f.value(u"layer"_s) > 0 ? QString::number(f.value(u"pages"_s) * 1000.0 / f.value(u"layer"_s), 'f', 1)
                                           : u"-"_s;
        };
        row(u"grid report of a year's lines to PDF (rows)"_s, QString::number(empty.value(u"rows"_s)),
            QString::number(large.value(u"rows"_s)));
        row(u"  pages per second"_s, perSecond(empty), perSecond(large));
        const double r = large.value(u"bare"_s) > 0 ? large.value(u"layer"_s) / large.value(u"bare"_s) : 0;
        row(u"  report engine vs Qt drawing the texts"_s,
            ms(empty.value(u"layer"_s)) + u" / "_s + ms(empty.value(u"bare"_s)),
            ms(large.value(u"layer"_s)) + u" / "_s + ms(large.value(u"bare"_s)), ratio(r), u"<= 2x"_s, verdict(r > 0 && r <= 2.0));
    };
    return part;
}
