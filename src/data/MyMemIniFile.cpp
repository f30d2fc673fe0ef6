#include "data/MyMemIniFile.h"

#include "platform/system/Exception.h"

TMyMemIniFile *DataIni = nullptr;

TMyMemIniFile::TMyMemIniFile(const QString &fileName)
    : MemIniFile(fileName)
{
}

QString TMyMemIniFile::fileIn(const QString &bookFolder)
{
    return bookFolder + QStringLiteral("/PomuZenitData.ini");
}

// The default is written and flushed; a store that cannot be written says so
// to the caller (and from there to the user) rather than answer as if seeded.
template <typename Write>
static void seed(TMyMemIniFile *store, Write write)
{
    write();
    store->UpdateFile();
}

// A key that is present with an empty value reads as 0 and False, not as the
// caller's default: it is there, so nothing is seeded either.
static bool emptyValue(const MemIniFile &store, const QString &section, const QString &key)
{
    return store.readString(section, key, QString()).trimmed().isEmpty();
}

QString TMyMemIniFile::ReadOrWriteString(const QString &section, const QString &key, const QString &def)
{
    if (valueExists(section, key))
        return readString(section, key, def);
    seed(this, [&] { writeString(section, key, def); });
    return def;
}

int TMyMemIniFile::ReadOrWriteInteger(const QString &section, const QString &key, int def)
{
    if (valueExists(section, key))
        return emptyValue(*this, section, key) ? 0 : readInteger(section, key, def);
    seed(this, [&] { writeInteger(section, key, def); });
    return def;
}

bool TMyMemIniFile::ReadOrWriteBool(const QString &section, const QString &key, bool def)
{
    if (valueExists(section, key))
        return emptyValue(*this, section, key) ? false : readBool(section, key, def);
    seed(this, [&] { writeBool(section, key, def); });
    return def;
}

void TMyMemIniFile::WriteStringAndUpdate(const QString &section, const QString &key, const QString &value)
{
    writeString(section, key, value);
    UpdateFile();
}

void TMyMemIniFile::WriteIntegerAndUpdate(const QString &section, const QString &key, int value)
{
    writeInteger(section, key, value);
    UpdateFile();
}

void TMyMemIniFile::WriteFloatAndUpdate(const QString &section, const QString &key, double value)
{
    writeFloat(section, key, value);
    UpdateFile();
}

void TMyMemIniFile::WriteBoolAndUpdate(const QString &section, const QString &key, bool value)
{
    writeBool(section, key, value);
    UpdateFile();
}
