// Exporting a year's lines to a spreadsheet: the export layer (grid columns,
// formats, column widths, temporary file and rename) next to libxlsxwriter
// writing the same cells by itself.
#include "BenchParts.h"

#include <cstdio>

#include <QDate>
#include <QDir>
#include <QFile>
#include <xlsxwriter.h>

#include "GenerateBook.h"
#include "controls/MyDBGrid.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "printing/ExcelExport.h"

using namespace Qt::StringLiterals;

namespace {

bool numeric(const Field *f)
{
    return f->dataType() == FieldType::Smallint || f->dataType() == FieldType::Integer
        || f->dataType() == FieldType::Float || f->dataType() == FieldType::Currency;
}

// The same cells, formats and sheet as the export, written by the library alone.
void bareWrite(Query &q, const QString &path)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "明細");
    lxw_format *money = workbook_add_format(book);
    format_set_num_format(money, "#,##0;[Red]-#,##0");
    lxw_format *text = workbook_add_format(book);
    format_set_num_format(text, "@");
    for (int c = 0; c < q.fieldCount(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), q.field(c)->fieldName().toUtf8().constData(), nullptr);
    lxw_row_t row = 1;
    for (q.first(); !q.eof(); q.next(), ++row)
        for (int c = 0; c < q.fieldCount(); ++c) {
            Field *f = q.field(c);
            if (numeric(f))
                worksheet_write_number(sheet, row, lxw_col_t(c), f->asFloat(), money);
            else
                worksheet_write_string(sheet, row, lxw_col_t(c), f->text().toUtf8().constData(), text);
        }
    workbook_close(book);
}

} // namespace

BenchPart benchExport()
{
    BenchPart part;
    part.name = u"export"_s;
    part.measure = [](const BenchChild &child) {
        Database db;
        db.open(GenerateBook::databasePath(child.book));
        // The year with the most lines.
        const QString busiest = db.scalar(u"SELECT substr(RECDATE, 1, 4) FROM Master WHERE DATANO <> 0 "
                                          "GROUP BY 1 ORDER BY COUNT(*) DESC LIMIT 1"_s).toString();
        const int year = busiest.isEmpty() ? QDate::currentDate().year() : busiest.toInt();
        Query q(db);
        q.SQL << u"SELECT RECDATE, KARICODE, KASICODE, KINGAKU, DATANO FROM Master"_s
              << u"WHERE RECDATE BETWEEN '%1-01-01' AND '%1-12-31' ORDER BY RECDATE"_s.arg(year);
        q.open();
        const int rows = q.recordCount();
        DataSource source(&q);
        TMyDBGrid grid;
        grid.setDataSource(&source);
        TDBGridExcelExport ex;
        ex.DBGrid = &grid;
        ex.SheetName = u"明細"_s;
        const QString layer = child.work + u"/layer.xlsx"_s;
        const QString bare = child.work + u"/bare.xlsx"_s;
        QString why;
        const double layerMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            if (!ex.execute(layer, &why))
                std::fprintf(stderr, "export failed: %s\n", qPrintable(why));
            return elapsedMs(t);
        });
        const double bareMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            bareWrite(q, bare);
            return elapsedMs(t);
        });
        QFile::remove(layer);
        QFile::remove(bare);
        report("rows", rows);
        report("layer", layerMs);
        report("bare", bareMs);
    };
    part.print = [](const Figures &empty, const Figures &large) {
        auto perSecond = [](const Figures &f) {
            return f.value(u"layer"_s) > 0 ? QString::number(qRound(f.value(u"rows"_s) * 1000.0 / f.value(u"layer"_s)))
                                           : u"-"_s;
        };
        row(u"export a year's lines (rows)"_s, QString::number(empty.value(u"rows"_s)), QString::number(large.value(u"rows"_s)));
        row(u"  rows per second"_s, perSecond(empty), perSecond(large));
        const double r = large.value(u"bare"_s) > 0 ? large.value(u"layer"_s) / large.value(u"bare"_s) : 0;
        row(u"  export layer vs bare libxlsxwriter"_s, ms(empty.value(u"layer"_s)) + u" / "_s + ms(empty.value(u"bare"_s)),
            ms(large.value(u"layer"_s)) + u" / "_s + ms(large.value(u"bare"_s)), ratio(r), u"<= 2x"_s, verdict(r <= 2.0));
    };
    return part;
}
