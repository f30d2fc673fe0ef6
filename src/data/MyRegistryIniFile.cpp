#include "data/MyRegistryIniFile.h"

#include <cmath>

#include "data/Utils.h"
#include "platform/system/Exception.h"
#include "platform/system/Folders.h"

TMyRegistryIniFile *RegIni = nullptr;

namespace {
const QString FontName = QStringLiteral("FontName");
const QString FontSize = QStringLiteral("FontSize");
const QString FontColor = QStringLiteral("FontColor");
const QString FontStyle = QStringLiteral("FontStyle");

int fontPointSize(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return int(std::lround(font.pixelSize() * 72.0 / 96.0));
    return 9;
}
} // namespace

TMyRegistryIniFile::TMyRegistryIniFile()
    : TMyRegistryIniFile(Folders::userSettingsFile())
{
}

TMyRegistryIniFile::TMyRegistryIniFile(const QString &fileName)
    : RegistryIniFile(fileName)
{
}

// The default is written and flushed; a store that cannot be written says so
// to the caller (and from there to the user) rather than answer as if seeded.
template <typename Write>
static void seed(TMyRegistryIniFile *store, Write write)
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

QString TMyRegistryIniFile::ReadOrWriteString(const QString &section, const QString &key, const QString &def)
{
    if (valueExists(section, key))
        return readString(section, key, def);
    seed(this, [&] { writeString(section, key, def); });
    return def;
}

int TMyRegistryIniFile::ReadOrWriteInteger(const QString &section, const QString &key, int def)
{
    if (valueExists(section, key))
        return emptyValue(*this, section, key) ? 0 : readInteger(section, key, def);
    seed(this, [&] { writeInteger(section, key, def); });
    return def;
}

double TMyRegistryIniFile::ReadOrWriteFloat(const QString &section, const QString &key, double def)
{
    if (valueExists(section, key))
        return readFloat(section, key, def);
    seed(this, [&] { writeFloat(section, key, def); });
    return def;
}

bool TMyRegistryIniFile::ReadOrWriteBool(const QString &section, const QString &key, bool def)
{
    if (valueExists(section, key))
        return emptyValue(*this, section, key) ? false : readBool(section, key, def);
    seed(this, [&] { writeBool(section, key, def); });
    return def;
}

void TMyRegistryIniFile::WriteStringAndUpdate(const QString &section, const QString &key, const QString &value)
{
    writeString(section, key, value);
    UpdateFile();
}

void TMyRegistryIniFile::WriteIntegerAndUpdate(const QString &section, const QString &key, int value)
{
    writeInteger(section, key, value);
    UpdateFile();
}

void TMyRegistryIniFile::WriteFloatAndUpdate(const QString &section, const QString &key, double value)
{
    writeFloat(section, key, value);
    UpdateFile();
}

void TMyRegistryIniFile::WriteBoolAndUpdate(const QString &section, const QString &key, bool value)
{
    writeBool(section, key, value);
    UpdateFile();
}

int TMyRegistryIniFile::SectionKeyCount(const QString &section)
{
    return int(readSection(section).size());
}

void TMyRegistryIniFile::SaveFont(const QString &section, const QFont &font, const QColor &color)
{
    WriteStringAndUpdate(section, FontName, font.family());
    WriteIntegerAndUpdate(section, FontSize, fontPointSize(font));
    WriteStringAndUpdate(section, FontColor, ColorToString(color));
    WriteIntegerAndUpdate(section, FontStyle, FontStyleToBits(font));
}

void TMyRegistryIniFile::LoadFont(const QString &section, QFont &font, QColor &color)
{
    const QString name = ReadOrWriteString(section, FontName, font.family());
    const int size = ReadOrWriteInteger(section, FontSize, fontPointSize(font));
    const QString colorText = ReadOrWriteString(section, FontColor, ColorToString(color));
    const int style = ReadOrWriteInteger(section, FontStyle, FontStyleToBits(font));
    if (!name.isEmpty())
        font.setFamily(name);
    if (size > 0 && size < 1000)
        font.setPointSize(size);
    bool ok = false;
    const QColor stored = StringToColor(colorText, &ok);
    if (ok)
        color = stored;
    if (style != 0)
        ApplyFontStyleBits(font, style);
}

static TMyRegistryIniFile *requireRegIni()
{
    if (!RegIni)
        throw Exception(QStringLiteral("ユーザー設定が開かれていません。"));
    return RegIni;
}

void SaveFontToRegistry(const QString &section, const QFont &font, const QColor &color)
{
    requireRegIni()->SaveFont(section, font, color);
}

void LoadFontFromRegistry(const QString &section, QFont &font, QColor &color)
{
    requireRegIni()->LoadFont(section, font, color);
}
