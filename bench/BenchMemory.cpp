#include "BenchMemory.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QElapsedTimer>
#include <QRandomGenerator>

#include "platform/db/ClientDataSet.h"
#include "platform/db/Field.h"

namespace {

constexpr int Rows = 5000;

// Fills a data set with Rows lines (a code and a sort position), sorted by the
// position when asked, then edits and posts every row once with a new
// position, as a renumbering of the lines does. Milliseconds of the posts.
double postEveryRow(bool sorted)
{
    ClientDataSet ds;
    ds.setFieldDefs({{QStringLiteral("CODE"), FieldType::Integer}, {QStringLiteral("RecPos"), FieldType::Integer}});
    ds.createDataSet();
    QRandomGenerator random(42);
    for (int i = 1; i <= Rows; ++i) {
        ds.append();
        ds[QStringLiteral("CODE")].setAsInteger(i);
        ds[QStringLiteral("RecPos")].setAsInteger(int(random.bounded(Rows)));
        ds.post();
    }
    if (sorted)
        ds.setIndexFieldNames(QStringLiteral("RecPos"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= Rows; ++i) {
        ds.setRecNo(i);
        ds.edit();
        ds[QStringLiteral("RecPos")].setAsInteger(int(random.bounded(Rows)));
        ds.post();
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianOf(int runs, bool sorted)
{
    std::vector<double> ms;
    postEveryRow(sorted);
    for (int i = 0; i < runs; ++i)
        ms.push_back(postEveryRow(sorted));
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

void benchSortedPosts()
{
    const double plain = medianOf(5, false);
    const double sorted = medianOf(5, true);
    std::printf("\nin-memory data set, posting every row of %d (median of 5)\n", Rows);
    std::printf("%-40s %12.2f ms\n", "    unsorted", plain);
    std::printf("%-40s %12.2f ms %10.2f  %-26s %s\n", "    sorted by a field", sorted, sorted / plain,
                "sorted <= 2 x unsorted", sorted <= 2 * plain ? "met" : "NOT MET");
}
