#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

QHash<QString, QList<QStringList>> ReadWorkbooks(const QStringList &files, QString *skip)
{
    QHash<QString, QList<QStringList>> result;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        *skip = QStringLiteral("soffice (libreoffice-calc-nogui) is not installed: workbooks cannot be read back");
        return result;
    }
    // POMU_KEEP_WORKBOOKS names a folder that receives a copy of every workbook
    // read back, to look at them after the run.
    const QString keep = qEnvironmentVariable("POMU_KEEP_WORKBOOKS");
    if (!keep.isEmpty())
        for (const QString &f : files)
            QFile::copy(f, QDir(keep).filePath(QFileInfo(f).fileName()));
    QTemporaryDir home, out;
    // UTF-8 (76), comma separated, values as shown (formatted).
    QStringList args{QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), out.path()};
    args += files;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(soffice, args);
    if (!p.waitForFinished(120000)) {
        *skip = QStringLiteral("soffice did not finish");
        return result;
    }
    for (const QString &f : QDir(out.path()).entryList({QStringLiteral("*.csv")})) {
        QFile file(QDir(out.path()).filePath(f));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QList<QStringList> rows;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            QStringList cells;
            QString cell;
            bool quoted = false;
            for (const QChar ch : line) {
                if (ch == u'"')
                    quoted = !quoted;
                else if (ch == u',' && !quoted) {
                    cells << cell;
                    cell.clear();
                } else if (ch != u'\r')
                    cell += ch;
            }
            cells << cell;
            rows << cells;
        }
        result.insert(QFileInfo(f).completeBaseName(), rows);
    }
    return result;
}

QString SheetCell(const QList<QStringList> &rows, int row, int col)
{
    if (row < 1 || col < 1 || row - 1 >= rows.size() || col - 1 >= rows[row - 1].size())
        return {};
    return rows[row - 1][col - 1];
}

QString WorkbookXml(const QString &file, const QString &member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, member});
    if (!p.waitForFinished(10000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
