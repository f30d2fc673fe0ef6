#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "platform/settings/RegistryIniFile.h"

// The per-user store: program-wide choices, window placement, the list of books.
// Every write is on disk at once. Integers and Booleans are kept as numbers
// (Boolean 0 or 1), reals as full-precision decimal text; an integer read takes a
// text holding a number.
//
// Read-or-seed: a missing key is written with its default and the store flushed,
// so the store lists every key the program has asked for. Should that flush fail,
// the read still answers the default (the seed stays in memory and goes out with
// the next write): a read never fails for want of a writable disk. The
// Write...AndUpdate routines throw Exception when the file cannot be written.
class TMyRegistryIniFile : public RegistryIniFile
{
public:
    // The store on the user's file (the configuration folder, "Kirafu/PomuZenit.ini").
    TMyRegistryIniFile();
    explicit TMyRegistryIniFile(const QString &fileName);

    QString ReadOrWriteString(const QString &section, const QString &key, const QString &def);
    int ReadOrWriteInteger(const QString &section, const QString &key, int def);
    double ReadOrWriteFloat(const QString &section, const QString &key, double def);
    bool ReadOrWriteBool(const QString &section, const QString &key, bool def);

    void WriteStringAndUpdate(const QString &section, const QString &key, const QString &value);
    void WriteIntegerAndUpdate(const QString &section, const QString &key, int value);
    void WriteFloatAndUpdate(const QString &section, const QString &key, double value);
    void WriteBoolAndUpdate(const QString &section, const QString &key, bool value);

    // Number of keys of a section; 0 when the section is missing.
    int SectionKeyCount(const QString &section);

    void UpdateFile() { updateFile(); }

    // "FontName", "FontSize" (points), "FontColor" (colour-name text such as
    // "clBlack" or "$00BBGGRR") and "FontStyle" (bold 1, italic 2, underline 4,
    // strike-out 8), each written and flushed.
    void SaveFont(const QString &section, const QFont &font, const QColor &color);
    // Reads the four keys by read-or-seed with the font's current values as
    // defaults; a stored style of 0 leaves the font's style as it was.
    void LoadFont(const QString &section, QFont &font, QColor &color);
};

// The program's per-user store, made and freed by the data module.
extern TMyRegistryIniFile *RegIni;

// The font routines on RegIni. Throw Exception when RegIni does not exist.
void SaveFontToRegistry(const QString &section, const QFont &font, const QColor &color);
void LoadFontFromRegistry(const QString &section, QFont &font, QColor &color);
