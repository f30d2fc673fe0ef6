#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Reads exported workbooks back with a real spreadsheet program: every file is
// converted to CSV in one headless LibreOffice run. Returns the rows of each
// workbook's first sheet by the file's base name; empty with the reason in
// *skip when soffice is not installed.
QHash<QString, QList<QStringList>> ReadWorkbooks(const QStringList &files, QString *skip);

// One cell (row and column from 1) of a read-back sheet; empty when outside.
QString SheetCell(const QList<QStringList> &rows, int row, int col);

// A member of the workbook's zip (e.g. "xl/styles.xml"), through unzip.
QString WorkbookXml(const QString &file, const QString &member);
