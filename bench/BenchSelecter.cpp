#include <stdexcept>

#include "BenchParts.h"
#include "data/DatMod.h"
#include "main/FrameSelecter.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

// The selector's lists on the book: the registered items of every category,
// the items narrowed by typed text, the shops narrowed by typed text; each
// next to the bare SQL of the same list read row by row.
namespace {

struct ListCase
{
    const char *name;
    int kind;
    QString filter;
};

double showList(TFrameSelecter &sel, const ListCase &c)
{
    // The column is open already; what is timed is the list built for the text.
    sel.ShowList(c.kind, -1, 2, false);
    QElapsedTimer timer;
    timer.start();
    sel.AssistText = c.filter;
    sel.ShowList(c.kind, -1, 2, true);
    const double took = elapsedMs(timer);
    if (!c.filter.isEmpty() && !sel.FilteredList)
        throw std::runtime_error("the list was not filtered");
    return took;
}

double bareList(const ListCase &c)
{
    const QString sql = LocalSql::translate(TFrameSelecter::BuildListSql(c.kind, -1, 2, c.filter, false).join(u'\n'));
    QElapsedTimer timer;
    timer.start();
    Statement st(DatMod->MainDatabase, sql);
    int rows = 0;
    while (st.next()) {
        (void)st.intValue(0);
        (void)st.textValue(1);
        ++rows;
    }
    const double took = elapsedMs(timer);
    if (rows < 0)
        throw std::runtime_error("no rows");
    return took;
}

void measure(const BenchChild &child)
{
    openBenchBook(child);
    {
        TFrameSelecter sel;
        sel.resize(600, 500);
        sel.show();
        const ListCase cases[] = {{"items", 9, QString()}, {"itemFilter", 9, u"1"_s}, {"shopFilter", 10, u"1"_s}};
        for (const ListCase &c : cases) {
            report(c.name, warmThenTime([&] { return showList(sel, c); }));
            report((QByteArray(c.name) + "Sql").constData(), warmThenTime([&] { return bareList(c); }));
            report((QByteArray(c.name) + "Rows").constData(), sel.choiceCount());
        }
        sel.CloseList();
    }
    closeBenchBook(false);
}

void print(const Figures &e, const Figures &l)
{
    const struct
    {
        QString key;
        QString what;
    } lines[] = {{u"items"_s, u"(s) item list, every category"_s},
                 {u"itemFilter"_s, u"(s) item list filtered by typed \"1\""_s},
                 {u"shopFilter"_s, u"(s) shop list filtered by typed \"1\""_s}};
    for (const auto &line : lines) {
        const double r = l[line.key] / std::max(0.001, l[line.key + u"Sql"_s]);
        row(line.what + u" (%1 rows)"_s.arg(int(l[line.key + u"Rows"_s])), ms(e[line.key]), ms(l[line.key]),
            ratio(r), u"large <= 2 x bare SQL"_s, verdict(r <= 2.0));
        row(u"    the same SQL alone (bare)"_s, ms(e[line.key + u"Sql"_s]), ms(l[line.key + u"Sql"_s]));
    }
}

} // namespace

BenchPart benchSelecter()
{
    return {u"selecter"_s, measure, print};
}
