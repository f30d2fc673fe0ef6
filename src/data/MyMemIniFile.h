#pragma once

#include <QString>

#include "platform/settings/MemIniFile.h"

// The per-book store on "PomuZenitData.ini" in the book folder: the book's own
// choices. Read whole when made, written whole (temporary file, then rename) by
// UpdateFile; sections and keys match without regard to case; Booleans "1"/"0".
//
// Read-or-seed writes a missing key's default and flushes at once; should that
// flush fail the read still answers the default. Write...AndUpdate throws
// Exception when the file cannot be written, and the old file stays whole.
class TMyMemIniFile : public MemIniFile
{
public:
    explicit TMyMemIniFile(const QString &fileName);

    QString ReadOrWriteString(const QString &section, const QString &key, const QString &def);
    int ReadOrWriteInteger(const QString &section, const QString &key, int def);
    bool ReadOrWriteBool(const QString &section, const QString &key, bool def);

    void WriteStringAndUpdate(const QString &section, const QString &key, const QString &value);
    void WriteIntegerAndUpdate(const QString &section, const QString &key, int value);
    void WriteFloatAndUpdate(const QString &section, const QString &key, double value);
    void WriteBoolAndUpdate(const QString &section, const QString &key, bool value);

    void UpdateFile() { updateFile(); }

    // The file name of the per-book store in a book folder.
    static QString fileIn(const QString &bookFolder);
};

// The open book's store; exists only while the book's tables are open (made by
// the data module's reopen, flushed and freed by its close). Never keep a
// reference to it across a table flush.
extern TMyMemIniFile *DataIni;
