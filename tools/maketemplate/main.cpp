// Writes the new-book template archive: an empty book at the current schema
// level with the schema's system rows, the seed content added from the seed
// files, its calendar days generated, its record
// counters set, its settings file and notepad written, all packed into one
// archive of the kind every book backup has.
//
//     pomu_maketemplate <seed folder> <archive file>
//
// The program never builds a book's tables at run time; a new book is the
// restore of this archive, so whatever is written here is what every new book
// starts with.

#include <cstdio>
#include <functional>
#include <type_traits>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include "data/BackUp.h"
#include "data/BookSchema.h"
#include "data/Holidays.h"
#include "data/MyMemIniFile.h"
#include "platform/db/Database.h"

namespace {

constexpr int FirstYear = 1990;
constexpr int LastYear = 2040;

// A column definition of the schema, whatever the schema calls its type.
using SeedField = std::remove_cvref_t<decltype(*std::declval<TableDef>().field(QString()))>;

class ETemplateError : public std::runtime_error
{
public:
    explicit ETemplateError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

QVariant seedValue(const SeedField &field, const QString &text, const QString &where)
{
    if (text.isEmpty())
        return QVariant();
    bool ok = true;
    QVariant value;
    switch (field.type.unicode()) {
    case 'S':
    case 'I':
    case 'L':
        value = text.toLongLong(&ok);
        break;
    case 'N':
    case '$':
        value = text.toDouble(&ok);
        break;
    case 'D':
        ok = QDate::fromString(text, Qt::ISODate).isValid();
        value = text;
        break;
    default:
        if (field.type == u'A' && field.size > 0 && text.size() > field.size)
            throw ETemplateError(where + QStringLiteral(": text longer than %1 characters in %2")
                                             .arg(field.size)
                                             .arg(field.name));
        value = text;
    }
    if (!ok)
        throw ETemplateError(where + QStringLiteral(": bad value \"%1\" for %2").arg(text, field.name));
    return value;
}

qlonglong maxOf(Database &db, const QString &table, const QString &column)
{
    const QVariant v = db.scalar(QStringLiteral("SELECT MAX(%1) FROM \"%2\"").arg(column, table));
    return v.isValid() ? v.toLongLong() : 0;
}

// Adds the file's rows to the table named by the file. The system rows of a
// book (category groups, system items, row 0 of the journal and of the
// masters, counters) are the schema's own seed and are never taken from a file:
// a file row on one of them fails on its key, and a file for a table without
// a key that the schema already fills is refused.
void loadSeedFile(Database &db, const QString &path)
{
    const QString tableName = QFileInfo(path).completeBaseName();
    const TableDef *table = BookSchema::table(tableName);
    if (!table)
        throw ETemplateError(path + QStringLiteral(": no book table of that name"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw ETemplateError(path + QStringLiteral(": ") + file.errorString());
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);

    QList<const SeedField *> columns;
    QString header = in.readLine();
    for (const QString &name : header.split(u'\t')) {
        const SeedField *field = table->field(name.trimmed());
        if (!field)
            throw ETemplateError(path + QStringLiteral(": no column %1 in %2").arg(name, table->name));
        columns << field;
    }
    QStringList names, marks;
    for (const SeedField *field : columns) {
        names << field->name;
        marks << QStringLiteral("?");
    }

    if (table->keyFields.isEmpty() && db.scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table->name)).toLongLong() > 0)
        throw ETemplateError(path + QStringLiteral(": %1 is seeded by the book schema").arg(table->name));
    Statement insert(db, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                             .arg(table->name, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    int lineNo = 1;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNo;
        if (line.trimmed().isEmpty())
            continue;
        const QStringList cells = line.split(u'\t');
        const QString where = QStringLiteral("%1:%2").arg(path).arg(lineNo);
        if (cells.size() > columns.size())
            throw ETemplateError(where + QStringLiteral(": more cells than columns"));
        insert.reset();
        for (int i = 0; i < columns.size(); ++i)
            insert.bind(i + 1, seedValue(*columns.at(i), cells.value(i), where));
        try {
            insert.exec();
        } catch (const EDatabaseError &e) {
            throw ETemplateError(where + QStringLiteral(": ") + e.message());
        }
    }
}

void setCounter(Database &db, const QString &name, qlonglong used)
{
    const QVariant current = db.scalar(QStringLiteral("SELECT MAXNO FROM \"AutoInc\" WHERE NAME = ?"), {name});
    if (current.isValid()) {
        // A counter seeded above the rows (user codes start above the system
        // range) keeps its floor.
        if (used > current.toLongLong()) {
            Statement st(db, QStringLiteral("UPDATE \"AutoInc\" SET MAXNO = ? WHERE NAME = ?"));
            st.bind(1, used);
            st.bind(2, name);
            st.exec();
        }
    } else if (used > 0) {
        Statement st(db, QStringLiteral("INSERT INTO \"AutoInc\" (NAME, MAXNO) VALUES (?, ?)"));
        st.bind(1, name);
        st.bind(2, used);
        st.exec();
    }
}

// Every numbered table's counter at the highest number its rows use, so the
// first number a new book gives is never one a seed row has.
void setCounters(Database &db)
{
    for (const TableDef &table : BookSchema::tables()) {
        QString numbered;
        if (table.field(QStringLiteral("DATANO")))
            numbered = QStringLiteral("DATANO");
        else if (table.keyFields == QStringList{QStringLiteral("CODE")})
            numbered = QStringLiteral("CODE");
        if (!numbered.isEmpty())
            setCounter(db, table.counterName(), maxOf(db, table.name, numbered));
    }
    setCounter(db, QStringLiteral("receiptno"),
               qMax(maxOf(db, QStringLiteral("Master"), QStringLiteral("RECEIPTNO")),
                    maxOf(db, QStringLiteral("ReserveList"), QStringLiteral("RECEIPTNO"))));
}

void writeBook(const QString &seedFolder, const QString &bookFolder)
{
    Database db;
    db.open(QDir(bookFolder).filePath(BookSchema::databaseFileName()), QString(), true);
    BookSchema::createEmptyBook(db);

    const QStringList seeds = QDir(seedFolder).entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name);
    if (seeds.isEmpty())
        throw ETemplateError(seedFolder + QStringLiteral(": no seed files"));
    {
        Transaction transaction(db, Database::TransactionMode::Exclusive);
        for (const QString &seed : seeds)
            loadSeedFile(db, QDir(seedFolder).filePath(seed));
        transaction.commit();
    }

    // The days come from the book's own (seeded) rules; numbers follow the seed rows.
    qint32 next = qint32(maxOf(db, QStringLiteral("DateList"), QStringLiteral("DATANO")));
    const std::function<qint32()> nextDataNo = [&next] { return ++next; };
    for (int year = FirstYear; year <= LastYear; ++year)
        GenerateYearInBook(db, year, nextDataNo);

    {
        Transaction transaction(db, Database::TransactionMode::Exclusive);
        setCounters(db);
        transaction.commit();
    }
    db.exec(QStringLiteral("VACUUM"));
    db.close();

    TMyMemIniFile ini(TMyMemIniFile::fileIn(bookFolder));
    ini.writeInteger(QStringLiteral("DataLevel"), QStringLiteral("DataLevel"), BookSchema::Level);
    ini.UpdateFile();

    QFile memo(QDir(bookFolder).filePath(QStringLiteral("MemoRandum.txt")));
    if (!memo.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ETemplateError(memo.fileName() + QStringLiteral(": ") + memo.errorString());
    memo.close();
}

void packBook(const QString &bookFolder, const QString &archiveFile)
{
    const QDir book(bookFolder);
    TBackUp archive;
    archive.AutoBackUpId = true;
    archive.BackUpId = QStringLiteral("BackUp");
    archive.DataKind = QStringLiteral("ZenitBackUp_100 ");
    archive.DataName = QStringLiteral("PomuZenitData");
    archive.BackUpFileName = archiveFile;
    archive.IncludePath = false;
    archive.CheckOverWrite = false;
    archive.NoMessage = true;
    archive.setCompressMode(cmZlib);
    archive.setCompressLevel(2);
    archive.FileList() = {book.filePath(QStringLiteral("PomuZenitData.ini")),
                          book.filePath(QStringLiteral("MemoRandum.txt")),
                          book.filePath(BookSchema::databaseFileName())};
    // Nobody is there to answer at build time: any question is a failure.
    QString asked;
    archive.onMessage = [&asked](TBackUp::MessageKind, TBackUp::Buttons, const QString &text) {
        asked = text;
        return false;
    };
    if (!archive.BackUp())
        throw ETemplateError(archiveFile + QStringLiteral(": not written. ") + asked);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: pomu_maketemplate <seed folder> <archive file>\n");
        return 2;
    }
    const QString seedFolder = args.at(1);
    const QString archiveFile = QFileInfo(args.at(2)).absoluteFilePath();
    try {
        QTemporaryDir work;
        if (!work.isValid())
            throw ETemplateError(QStringLiteral("no temporary folder: ") + work.errorString());
        writeBook(seedFolder, work.path());
        QDir().mkpath(QFileInfo(archiveFile).absolutePath());
        packBook(work.path(), archiveFile);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu_maketemplate: %s\n", e.what());
        QFile::remove(archiveFile);
        return 1;
    }
    return 0;
}
