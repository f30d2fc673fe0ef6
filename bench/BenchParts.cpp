#include "BenchParts.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include "controls/CurrencyGrid.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/MyRegistryIniFile.h"
#include "main/FrameDeru.h"
#include "main/MainForm.h"
#include "main/Startup.h"

using namespace Qt::StringLiterals;

void report(const char *name, double value)
{
    std::printf("%s %.6f\n", name, value);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double warmThenTime(const std::function<double()> &body)
{
    body();
    return body();
}

qint64 peakMemoryKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

double shellMs(const QString &command)
{
    // What starting a shell costs alone is taken off: the least of a few runs.
    static const double spawn = [] {
        double least = 1e9;
        for (int i = 0; i < 5; ++i) {
            QProcess shell;
            QElapsedTimer timer;
            timer.start();
            shell.start(u"/bin/sh"_s, {u"-c"_s, u"cat /dev/null > /dev/null"_s});
            shell.waitForFinished(-1);
            least = std::min(least, elapsedMs(timer));
        }
        return least;
    }();
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(u"/bin/sh"_s, {u"-c"_s, command});
    if (!shell.waitForFinished(-1) || shell.exitCode() != 0)
        throw std::runtime_error(("the command failed: " + command).toStdString());
    return std::max(0.01, elapsedMs(timer) - spawn);
}

bool dropFromCache(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Only clean pages can go: write back whatever is still dirty first.
    ::fdatasync(fd);
    const bool dropped = posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return dropped;
}

namespace {
std::unique_ptr<TDatMod> benchDataModule;
std::unique_ptr<Startup> benchProgram;

void writeBenchSettings(const BenchChild &child)
{
    RegIni->WriteStringAndUpdate(u"BackUp"_s, u"BackUpPlace"_s, benchBackUpFolder(child));
    RegIni->WriteIntegerAndUpdate(u"BackUp"_s, u"AutoBackUpCount"_s, 2);
}
} // namespace

double startProgram(const BenchChild &child)
{
    if (benchProgram)
        throw std::runtime_error("the program runs already");
    {
        // The user's settings as a returning user has them: the book is the
        // current one and the first-use note was seen.
        TDatMod settings;
        writeBenchSettings(child);
        RegisterBook(u"ベンチマーク"_s, child.book, true);
        RegIni->WriteBoolAndUpdate(u"MainForm"_s, u"v3FirstUseShow"_s, true);
    }
    QElapsedTimer timer;
    timer.start();
    benchProgram = std::make_unique<Startup>();
    benchProgram->prepareApplication();
    benchProgram->createModules();
    TMainForm *window = benchProgram->mainForm();
    window->resize(1280, 800);
    window->show();
    for (;;) {
        QCoreApplication::processEvents();
        auto *page = qobject_cast<TFrameDeru *>(window->frameOf(pgDeru));
        if (DatMod && DatMod->DataOpen && page && page->periodStart().isValid() && page->Hyou->rowCount() > 2)
            break;
        if (timer.elapsed() > 120000)
            throw std::runtime_error("the program did not show the book");
    }
    return elapsedMs(timer);
}

double stopProgram()
{
    if (!benchProgram)
        return 0;
    QElapsedTimer timer;
    timer.start();
    benchProgram->mainForm()->close();
    const double took = elapsedMs(timer);
    if (DatMod && DatMod->DataOpen)
        throw std::runtime_error("the main window did not close the book");
    benchProgram.reset();
    return took;
}

QString benchBackUpFolder(const BenchChild &child)
{
    return QDir(child.work).filePath(u"AutoBackUp"_s);
}

QDate pastMonthDay()
{
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), 15).addMonths(-1);
}

TDatMod &openBenchBook(const BenchChild &child)
{
    if (benchDataModule)
        throw std::runtime_error("the book is open already");
    benchDataModule = std::make_unique<TDatMod>();
    writeBenchSettings(child);
    if (!child.key.isEmpty())
        benchDataModule->OnAskPassword = [key = child.key](const QString &, QString &typed) {
            typed = key;
            return true;
        };
    QString folder = child.book;
    if (!benchDataModule->OpenBook(u"ベンチマーク"_s, folder) || !benchDataModule->DataOpen)
        throw std::runtime_error("the data module did not open the book");
    return *benchDataModule;
}

void closeBenchBook(bool withBackUp)
{
    if (!benchDataModule)
        return;
    benchDataModule->CloseAndBackUp(withBackUp);
    benchDataModule.reset();
}

void row(const QString &what, const QString &empty, const QString &large, const QString &measure,
         const QString &target, const QString &verdict)
{
    std::printf("%-44s %12s %12s %10s  %-34s %s\n", qPrintable(what), qPrintable(empty), qPrintable(large),
                qPrintable(measure), qPrintable(target), qPrintable(verdict));
}

QString ms(double v)
{
    return v < 10 ? QString::number(v, 'f', 2) + u" ms"_s : QString::number(v, 'f', 1) + u" ms"_s;
}

QString mb(double kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + u" MB"_s;
}

QString ratio(double v)
{
    return QString::number(v, 'f', 2);
}

QString verdict(bool ok)
{
    return ok ? u"met"_s : u"NOT MET"_s;
}
