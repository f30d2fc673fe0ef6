#pragma once

#include <QString>

class Database;

// How the journal is written to an exchange file.
struct ExportOptions
{
    bool ownFormat = true;     // ".pep": version line, 18 fields, Shift-JIS, CR LF
    QChar delimiter = u',';    // the other family's choices
    QChar quote = u'"';        // 0: nothing is quoted
    bool captionLine = false;
    QString dateFormat = QStringLiteral("yyyy/mm/dd");
};

// Writes every journal line (DATANO above 0, in DATANO order) to fileName and
// gives the number of lines written. Codes are written as names, so that the
// reader can map them onto another book's codes. The file is written beside its
// place and moved there at the end: a failed write leaves any earlier file as
// it was and throws a std::runtime_error with a Japanese text.
int ExportEntries(Database &db, const ExportOptions &options, const QString &fileName);
