#include <stdexcept>
#include <thread>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "BenchParts.h"
#include "controls/CurrencyGrid.h"
#include "data/DatModBackUp.h"
#include "main/FrameDeru.h"

using namespace Qt::StringLiterals;

// Closing the book with its automatic backup, next to gzip -6 packing the same
// files; and the peak memory of a whole session (open, the month on the
// expense page, close with the backup).
namespace {

QString shellQuote(const QString &text)
{
    return u"'"_s + QString(text).replace(u"'"_s, u"'\\''"_s) + u"'"_s;
}

// The user closes the main window: the book is closed and backed up.
double closeWithBackUp(const BenchChild &child)
{
    startProgram(child);
    const double took = stopProgram();
    const QString archive = QDir(benchBackUpFolder(child)).filePath(BackUpGenerationName(u"ベンチマーク"_s, 1));
    if (QFileInfo(archive).size() < 100 || QFileInfo(archive).lastModified().msecsTo(QDateTime::currentDateTime()) > 60000)
        throw std::runtime_error("the close wrote no backup");
    return took;
}

double gzip(const BenchChild &child)
{
    QStringList files;
    for (const QString &file : BookFileList(child.book))
        if (QFileInfo::exists(file))
            files << shellQuote(file);
    return shellMs(u"gzip -6 -c "_s + files.join(u' ') + u" > /dev/null"_s);
}

double cpuMs()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3)
        + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
}

// The archive alone, as the close writes it; *cores: the processor time it
// took over its wall time (how many cores it kept busy).
double archiveAlone(const BenchChild &child, double *cores)
{
    const QString file = QDir(child.work).filePath(u"alone.pbk"_s);
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    QString error;
    if (!WriteBookArchive(file, child.book, u"ベンチマーク"_s, &error))
        throw std::runtime_error(error.toStdString());
    const double took = elapsedMs(timer);
    *cores = (cpuMs() - cpuBefore) / took;
    QFile::remove(file);
    return took;
}

void measureTime(const BenchChild &child)
{
    report("close", warmThenTime([&] { return closeWithBackUp(child); }));
    double cores = 0;
    report("archive", warmThenTime([&] { return archiveAlone(child, &cores); }));
    report("busy", cores);
    report("gzip", warmThenTime([&] { return gzip(child); }));
    report("cores", std::thread::hardware_concurrency());
}

void printTime(const Figures &e, const Figures &l)
{
    const int cores = int(l[u"cores"_s]);
    const double limit = cores >= 4 ? 0.5 : 1.0;
    const double r = l[u"close"_s] / l[u"gzip"_s];
    row(u"(f) closing the window (automatic backup)"_s, ms(e[u"close"_s]), ms(l[u"close"_s]));
    row(u"    of it: the archive alone (WriteBookArchive)"_s, ms(e[u"archive"_s]), ms(l[u"archive"_s]),
        u"%1 busy"_s.arg(l[u"busy"_s], 0, 'f', 1), u"(cores kept busy)"_s);
    row(u"    gzip -6 of the same files"_s, ms(e[u"gzip"_s]), ms(l[u"gzip"_s]));
    row(u"    close / gzip, large book (%1 cores)"_s.arg(cores), QString(), QString(), ratio(r),
        u"<= %1"_s.arg(limit, 0, 'f', 1), verdict(r <= limit));
}

void measureMemory(const BenchChild &child)
{
    startProgram(child);
    stopProgram();
    report("hwm", double(peakMemoryKb()));
}

void printMemory(const Figures &e, const Figures &l)
{
    const double grow = l[u"hwm"_s] - e[u"hwm"_s];
    row(u"peak memory, session with close (VmHWM)"_s, mb(e[u"hwm"_s]), mb(l[u"hwm"_s]), u"+"_s + mb(grow),
        u"large <= empty + 50 MB"_s, verdict(grow <= 50 * 1024));
}

} // namespace

BenchPart benchCloseBackUp()
{
    return {u"close"_s, measureTime, printTime};
}

BenchPart benchMemory()
{
    return {u"memory"_s, measureMemory, printMemory};
}
