#pragma once

#include <functional>
#include <vector>

#include <QDate>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QString>

// pomu-bench is made of parts, each a group of figures in a file of its own
// (BenchOpen.cpp, BenchMonth.cpp, ...). A part measures in a child process
// started on one book (the empty one, then the large one, in turns over the
// rounds) and prints rows from the medians of both books' figures. A new part
// is a new file defining a function that returns its BenchPart, declared at the
// end of this file, and one line in the list in bench.cpp.

// Medians of the figures a part reported, by name.
using Figures = QMap<QString, double>;

// What a child knows: the book to measure (a folder it may open and change
// the lock file of, but must not write otherwise), a work folder of its own
// for copies and archives, and whether this book is the empty one.
struct BenchChild
{
    QString book;
    QString work;
    bool emptyBook = false;
    QString key; // the data password of the book, when it has one
};

struct BenchPart
{
    QString name;                                         // its child mode
    std::function<void(const BenchChild &)> measure;      // in the child: report()s
    std::function<void(const Figures &empty, const Figures &large)> print; // in the parent
};

// ---- helpers of the parts ------------------------------------------------------

// A figure of the child, read back by the parent.
void report(const char *name, double value);
double median(std::vector<double> values);
double elapsedMs(const QElapsedTimer &timer);
// Runs the body once to warm the caches the program would have warm, then
// once more; the milliseconds the second run returns.
double warmThenTime(const std::function<double()> &body);
// The peak resident memory of this process in KB (VmHWM).
qint64 peakMemoryKb();
// Milliseconds of a run of the command through the shell, less what starting
// the shell costs.
double shellMs(const QString &command);
// Drops the file's pages from the system's cache; false when the machine does
// not allow it (the file stays cached).
bool dropFromCache(const QString &path);

// The book opened by a data module of the child's own (with the settings the
// benchmark needs: no question may come up), closed with its automatic backup
// into the work folder when closeWithBackUp.
class TDatMod;
// A day in the middle of the month before the current one: the generated books
// are full there.
QDate pastMonthDay();

TDatMod &openBenchBook(const BenchChild &child);
void closeBenchBook(bool withBackUp);
QString benchBackUpFolder(const BenchChild &child);

// The program started as main() starts it (without the single-instance lock)
// on the child's book, registered as the current one; the milliseconds until
// the main window shows the month on the expense page.
double startProgram(const BenchChild &child);
// Closes the main window as the user does (the page's changes committed, the
// book closed with its automatic backup); the milliseconds it took.
double stopProgram();

// One printed row: what is measured, the empty and the large book's figures,
// the measure compared, the target and whether it is met.
void row(const QString &what, const QString &empty, const QString &large, const QString &measure = QString(),
         const QString &target = QString(), const QString &verdict = QString());
QString ms(double v);
QString mb(double kb);
QString ratio(double v);
QString verdict(bool ok);

// ---- the parts -------------------------------------------------------------------

BenchPart benchOpen();
BenchPart benchMonth();
BenchPart benchSave();
BenchPart benchUncleanStart();
BenchPart benchCloseBackUp();
BenchPart benchMemory();
BenchPart benchSelecter();
BenchPart benchEncrypted();
BenchPart benchExport();
BenchPart benchReserve();
BenchPart benchImport();
BenchPart benchPrint();
BenchPart benchTransferMonth();
BenchPart benchReport();
BenchPart benchRecode();
