#pragma once

#include <QString>
#include <QStringList>

#include "platform/settings/IniDocument.h"

// An INI file read whole into memory when the object is made and written back
// whole by updateFile(). Section and key names match without regard to case;
// Booleans are written "1" and "0"; numbers as plain decimal text.
//
// A file that cannot be read, or is damaged, is read as far as it goes (see
// IniDocument) and the store keeps working; loadError() says what went wrong.
// updateFile() writes a temporary file beside the target and renames it over the
// old one, so a crash or a full disk never leaves half a file: either the old
// text or the new one is on disk.
class MemIniFile
{
public:
    explicit MemIniFile(const QString &fileName);
    virtual ~MemIniFile();
    MemIniFile(const MemIniFile &) = delete;
    MemIniFile &operator=(const MemIniFile &) = delete;

    QString fileName() const { return m_fileName; }
    // Empty when the file was read (or did not exist); else why it was not.
    QString loadError() const { return m_loadError; }

    QString readString(const QString &section, const QString &key, const QString &def) const;
    // Decimal, or hexadecimal with "$" or "0x"; anything else gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    // An integer other than 0 is True; "true"/"false" are understood too; else def.
    bool readBool(const QString &section, const QString &key, bool def) const;
    double readFloat(const QString &section, const QString &key, double def) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeFloat(const QString &section, const QString &key, double value);

    bool sectionExists(const QString &section) const { return m_doc.sectionExists(section); }
    bool valueExists(const QString &section, const QString &key) const { return m_doc.valueExists(section, key); }
    // The key names of a section, in file order.
    QStringList readSection(const QString &section) const { return m_doc.keys(section); }
    QStringList readSections() const { return m_doc.sections(); }
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);

    // Writes the whole store to the file (temporary file, then rename). Throws
    // Exception with the file name and the system's reason when that fails; the
    // old file is then left as it was.
    virtual void updateFile();

protected:
    // Called after every change; the per-user store writes through here.
    virtual void changed() {}
    void saveNow();

private:
    QString m_fileName;
    QString m_loadError;
    IniDocument m_doc;
};

// Parses the integer texts the stores accept; false for anything else.
bool parseIniInteger(const QString &text, int *value);
