#include "data/Utils.h"

#include <cmath>
#include <limits>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QThread>

#include "data/FormatSettings.h"
#include "data/Vocabulary.h"
#include "platform/system/Exception.h"
#include "platform/system/FileOps.h"
#include "platform/system/Folders.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/Dialogs.h"

// ---- numbers, amounts, texts ----

int64_t RoundHalfAway(double x)
{
    return int64_t(x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5));
}

Currency RoundAmount(Currency amount)
{
    // 0 half away from zero, 1 toward zero, 2 up (toward positive infinity).
    static const Currency::Rounding modes[] = {Currency::Rounding::HalfAwayFromZero,
                                               Currency::Rounding::TowardZero, Currency::Rounding::Up};
    const int mode = TaxCalcMode <= 2 ? TaxCalcMode : 0;
    return amount.rounded(qBound(0, Formats().currencyDecimals, 4), modes[mode]);
}

QString KingakuToStr(Currency amount)
{
    const QString number = amount.toString(qBound(0, Formats().currencyDecimals, 4), true);
    if (Formats().currencyString.isEmpty())
        return number;
    if (number.startsWith(QLatin1Char('-')))
        return QLatin1Char('-') + Formats().currencyString + number.mid(1);
    return Formats().currencyString + number;
}

int FindFirstOperator(const QString &text)
{
    int pos = int(text.indexOf(QLatin1Char('*')));
    if (pos >= 0)
        return pos;
    pos = int(text.indexOf(QLatin1Char('/')));
    if (pos >= 0)
        return pos;
    const int plus = int(text.indexOf(QLatin1Char('+')));
    const int minus = int(text.indexOf(QLatin1Char('-')));
    if (plus < 0)
        return minus;
    if (minus < 0)
        return plus;
    return qMin(plus, minus);
}

namespace {

[[noreturn]] void badExpression()
{
    throw Exception(QStringLiteral("式が正しくありません。"));
}

Currency toAmount(const QString &text)
{
    bool ok = false;
    const Currency c = Currency::fromString(text.trimmed(), &ok);
    if (!ok)
        badExpression();
    return c;
}

Currency checkedRaw(__int128 raw)
{
    if (raw > std::numeric_limits<int64_t>::max() || raw < std::numeric_limits<int64_t>::min())
        badExpression();
    return Currency::fromRaw(int64_t(raw));
}

// num / den rounded to the nearest integer, halves to the even neighbour.
__int128 divideHalfEven(__int128 num, __int128 den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    __int128 q = num / den;
    __int128 r = num % den;
    if (r < 0)
        r = -r;
    const __int128 twice = 2 * r;
    if (twice > den || (twice == den && (q % 2 != 0)))
        q += num < 0 ? -1 : 1;
    return q;
}

} // namespace

Currency EvalAmountText(const QString &input, Currency current)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return Currency();
    int pos = FindFirstOperator(text);
    if (pos < 0)
        return toAmount(text);
    QChar op = text.at(pos);
    QString right = text.mid(pos + 1);
    Currency left = pos == 0 ? current : toAmount(text.left(pos));
    if (pos == 0 && (op == QLatin1Char('-') || op == QLatin1Char('+'))) {
        const int second = FindFirstOperator(right);
        if (second >= 0) {
            // The sign belongs to the first number: "-100+50" is -100 plus 50.
            left = toAmount(right.left(second));
            if (op == QLatin1Char('-'))
                left = -left;
            op = right.at(second);
            right = right.mid(second + 1);
        }
    }
    const Currency r = toAmount(right);
    const __int128 a = left.raw();
    const __int128 b = r.raw();
    switch (op.unicode()) {
    case '+': return checkedRaw(a + b);
    case '-': return checkedRaw(a - b);
    case '*': return checkedRaw(divideHalfEven(a * b, Currency::Scale));
    case '/':
        if (b == 0)
            throw Exception(QStringLiteral("0で除算できません。"));
        return checkedRaw(divideHalfEven(a * Currency::Scale, b));
    }
    badExpression();
}

bool IsIntText(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v != -1;
}

QString LeftStrBytes(const QString &text, int n)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int size = int(toShiftJis(text.mid(i, len)).size());
        if (bytes + size > n)
            break;
        bytes += size;
        i += len;
    }
    return text.left(i);
}

namespace {
QString likeOperand(const QString &value, bool contains)
{
    QString escaped;
    bool needsEscape = false;
    for (const QChar c : value) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('^')) {
            escaped += QLatin1Char('^');
            needsEscape = true;
        }
        escaped += c;
    }
    QString pattern = (contains ? QStringLiteral("%") : QString()) + escaped + QLatin1Char('%');
    pattern.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QString result = QLatin1Char('"') + pattern + QLatin1Char('"');
    if (needsEscape)
        result += QLatin1String(" ESCAPE \"^\"");
    return result;
}
} // namespace

QString MakeLikeStartsWith(const QString &value)
{
    return likeOperand(value, false);
}

QString MakeLikeContains(const QString &value)
{
    return likeOperand(value, true);
}

QString EscapeRegExp(const QString &text)
{
    static const QString special = QStringLiteral("$()*+-.?[\\]^|");
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// ---- files and folders ----

QString GetSpecialFolderPath(int folderId)
{
    switch (folderId) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return Folders::desktopFolder();
    case CSIDL_PERSONAL:
        return Folders::documentsFolder();
    case CSIDL_APPDATA:
        return Folders::configFolder();
    }
    return QString();
}

QString GetTempFolder()
{
    QString folder = Folders::tempWorkFolder();
    if (folder.isEmpty())
        folder = Folders::systemTempFolder();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString JoinPath3(const QString &folder, const QString &subFolder, const QString &name)
{
    return JoinPath(JoinPath(folder, subFolder), name);
}

bool CheckFolderWritable(const QString &folder)
{
    const QFileInfo info(folder);
    if (!folder.isEmpty() && !info.exists() && !info.isSymLink()) {
        if (QDir().mkpath(folder))
            return true;
        MessageDlg(QStringLiteral("指定されたフォルダは作成できません。"), MsgDlgType::Error, mbOK);
        return false;
    }
    const auto refuse = [] {
        MessageDlg(QStringLiteral("指定されたフォルダは使用できません。\rファイル操作権限など確認してください。"),
                   MsgDlgType::Error, mbOK);
        return false;
    };
    if (folder.isEmpty() || !info.isDir())
        return refuse();
    const QString testFile = JoinPath(folder, QStringLiteral("Writetest.Txt"));
    const QFileInfo old(testFile);
    if ((old.exists() || old.isSymLink()) && !QFile::remove(testFile))
        return refuse();
    QFile file(testFile);
    if (!file.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return refuse();
    file.close();
    if (!file.remove())
        return refuse();
    return true;
}

bool ShellCopyFiles(const QString &from, const QString &to)
{
    return FileOps::copy(from, to);
}

bool ShellDeleteFiles(const QString &path, bool noErrorUi)
{
    Q_UNUSED(noErrorUi); // the removal never asks or reports on its own
    return FileOps::remove(path);
}

void DeleteParadoxLockFiles(const QString &folder)
{
    for (const char *name : {"Pdoxusrs.net", "PDOXUSRS.LCK", "PARADOX.LCK"}) {
        const QString path = JoinPath(folder, QString::fromLatin1(name));
        if (QFileInfo::exists(path))
            QFile::remove(path);
    }
}

void Pause(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(unsigned(milliseconds));
}

// ---- colours and fonts ----

namespace {

constexpr int HlsMax = 240;

struct Hls
{
    int h, l, s;
};

// The shell's RGB to HLS conversion on the 0..240 scale.
Hls rgbToHls(int r, int g, int b)
{
    const int maxc = qMax(r, qMax(g, b));
    const int minc = qMin(r, qMin(g, b));
    Hls out{0, ((maxc + minc) * HlsMax + 255) / (2 * 255), 0};
    if (maxc == minc)
        return out; // grey: no hue, no saturation
    const int sum = maxc + minc;
    const int diff = maxc - minc;
    if (out.l <= HlsMax / 2)
        out.s = (diff * HlsMax + sum / 2) / sum;
    else
        out.s = (diff * HlsMax + (2 * 255 - sum) / 2) / (2 * 255 - sum);
    const int rd = ((maxc - r) * (HlsMax / 6) + diff / 2) / diff;
    const int gd = ((maxc - g) * (HlsMax / 6) + diff / 2) / diff;
    const int bd = ((maxc - b) * (HlsMax / 6) + diff / 2) / diff;
    if (r == maxc)
        out.h = bd - gd;
    else if (g == maxc)
        out.h = HlsMax / 3 + rd - bd;
    else
        out.h = 2 * HlsMax / 3 + gd - rd;
    out.h = (out.h % HlsMax + HlsMax) % HlsMax;
    return out;
}

int hueToRgb(int n1, int n2, int hue)
{
    hue = (hue % HlsMax + HlsMax) % HlsMax;
    if (hue < HlsMax / 6)
        return n1 + ((n2 - n1) * hue + HlsMax / 12) / (HlsMax / 6);
    if (hue < HlsMax / 2)
        return n2;
    if (hue < HlsMax * 2 / 3)
        return n1 + ((n2 - n1) * (HlsMax * 2 / 3 - hue) + HlsMax / 12) / (HlsMax / 6);
    return n1;
}

QColor hlsToRgb(const Hls &c)
{
    if (c.s == 0) {
        const int v = (c.l * 255 + HlsMax / 2) / HlsMax;
        return QColor(v, v, v);
    }
    const int m2 = c.l <= HlsMax / 2 ? (c.l * (HlsMax + c.s) + HlsMax / 2) / HlsMax
                                     : c.l + c.s - (c.l * c.s + HlsMax / 2) / HlsMax;
    const int m1 = 2 * c.l - m2;
    const auto channel = [&](int hue) {
        return qBound(0, (hueToRgb(m1, m2, hue) * 255 + HlsMax / 2) / HlsMax, 255);
    };
    return QColor(channel(c.h + HlsMax / 3), channel(c.h), channel(c.h - HlsMax / 3));
}

QColor paletteColor(QPalette::ColorRole role, const QColor &fallback)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(role);
    return fallback;
}

struct NamedColor
{
    const char *name;
    uint32_t bgr;
};

const NamedColor StandardColors[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},  {"clPurple", 0x800080}, {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},   {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
};

} // namespace

QColor ShiftColorLuminance(const QColor &color, int amount)
{
    struct Memory
    {
        bool valid = false;
        QRgb color = 0;
        int amount = 0;
        QColor result;
    };
    thread_local Memory memory;
    if (memory.valid && memory.color == color.rgb() && memory.amount == amount)
        return memory.result;
    QColor result;
    const QColor face = paletteColor(QPalette::Button, QColor(0xF0, 0xF0, 0xF0));
    if (amount == 19 && color.rgb() == face.rgb()) {
        result = paletteColor(QPalette::Light, QColor(Qt::white));
    } else {
        Hls hls = rgbToHls(color.red(), color.green(), color.blue());
        hls.l = qBound(0, hls.l + amount, HlsMax);
        result = hlsToRgb(hls);
    }
    memory = {true, color.rgb(), amount, result};
    return result;
}

QColor ColorFromBgr(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t ColorToBgr(const QColor &color)
{
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

QString ColorToString(const QColor &color)
{
    const uint32_t bgr = ColorToBgr(color);
    for (const NamedColor &named : StandardColors)
        if (named.bgr == bgr)
            return QString::fromLatin1(named.name);
    return QStringLiteral("$%1").arg(bgr, 8, 16, QLatin1Char('0')).toUpper();
}

QColor StringToColor(const QString &input, bool *ok)
{
    const QString text = input.trimmed();
    if (ok)
        *ok = true;
    for (const NamedColor &named : StandardColors)
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return ColorFromBgr(named.bgr);
    if (text.compare(QLatin1String("clBtnFace"), Qt::CaseInsensitive) == 0)
        return paletteColor(QPalette::Button, QColor(0xF0, 0xF0, 0xF0));
    if (text.compare(QLatin1String("clWindow"), Qt::CaseInsensitive) == 0)
        return paletteColor(QPalette::Base, QColor(Qt::white));
    if (text.compare(QLatin1String("clWindowText"), Qt::CaseInsensitive) == 0)
        return paletteColor(QPalette::Text, QColor(Qt::black));
    bool good = false;
    qlonglong v = 0;
    if (text.startsWith(QLatin1Char('$')))
        v = text.mid(1).toLongLong(&good, 16);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = text.mid(2).toLongLong(&good, 16);
    else
        v = text.toLongLong(&good, 10);
    if (good && v >= 0 && v <= 0xFFFFFFFFLL)
        return ColorFromBgr(uint32_t(v));
    if (ok)
        *ok = false;
    return QColor(Qt::black);
}

int FontStyleToBits(const QFont &font)
{
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
         | (font.strikeOut() ? 8 : 0);
}

void ApplyFontStyleBits(QFont &font, int bits)
{
    font.setBold(bits & 1);
    font.setItalic(bits & 2);
    font.setUnderline(bits & 4);
    font.setStrikeOut(bits & 8);
}
