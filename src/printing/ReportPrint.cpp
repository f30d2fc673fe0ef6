#include "printing/ReportPrint.h"

#include <QFile>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QRawFont>
#include <QPainter>
#include <QPrinter>

#include "printing/ReportEngine.h"

using namespace Qt::StringLiterals;

QString ReportNothingToPrintText()
{
    return u"印刷するものがありません。"_s;
}

bool PrintReportPages(QPagedPaintDevice &device, TLightRep &report, int pageCount,
                      const std::function<void(int page)> &preparePage, QString *why)
{
    if (pageCount < 1) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    device.setPageLayout(report.pageLayout());
    QPainter painter;
    if (!painter.begin(&device)) {
        if (why)
            *why = u"印刷を始められませんでした。"_s;
        return false;
    }
    try {
        for (int page = 1; page <= pageCount; ++page) {
            if (page > 1)
                device.newPage();
            if (preparePage)
                preparePage(page);
            report.PrintTo(painter, device.width(), page, 1);
        }
    } catch (...) {
        // A printer job is dropped, not sent half drawn; either way the
        // device is free again for the next print.
        if (auto *printer = dynamic_cast<QPrinter *>(&device))
            printer->abort();
        painter.end();
        throw;
    }
    painter.end();
    return true;
}

bool PrintReportToPdf(const QString &file, TLightRep &report, int pageCount,
                      const std::function<void(int page)> &preparePage, QString *why)
{
    {
        QPdfWriter pdf(file);
        pdf.setResolution(600);
        pdf.setCreator(u"PomuZenit"_s);
        if (!PrintReportPages(pdf, report, pageCount, preparePage, why))
            return false;
    }
    if (!RepairPdfTextMap(file)) {
        if (why)
            *why = u"PDF ファイルを書き込めませんでした。"_s;
        return false;
    }
    return true;
}

namespace {

// Radical code -> the ideograph the report face draws with the same glyph.
const QHash<uint, uint> &radicalIdeographs()
{
    static const QHash<uint, uint> map = [] {
        QHash<uint, uint> result;
        const QRawFont raw = QRawFont::fromFont(ReportFont(12));
        if (!raw.isValid())
            return result;
        QString ideographs;
        for (uint u = 0x4E00; u <= 0x9FFF; ++u)
            ideographs += QChar(char16_t(u));
        const QList<quint32> glyphs = raw.glyphIndexesForString(ideographs);
        QHash<quint32, uint> byGlyph;
        for (int i = 0; i < glyphs.size(); ++i)
            if (glyphs[i] != 0 && !byGlyph.contains(glyphs[i]))
                byGlyph.insert(glyphs[i], 0x4E00 + uint(i));
        QString radicals;
        for (uint u = 0x2E80; u <= 0x2FDF; ++u)
            radicals += QChar(char16_t(u));
        const QList<quint32> rg = raw.glyphIndexesForString(radicals);
        for (int i = 0; i < rg.size(); ++i)
            if (rg[i] != 0 && byGlyph.contains(rg[i]))
                result.insert(0x2E80 + uint(i), byGlyph.value(rg[i]));
        return result;
    }();
    return map;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Rewrites the destination codes of one line of a bfchar or bfrange section
// in place. Only four-digit codes are looked at: codes past the basic plane
// are never radicals.
void repairLine(char *line, qsizetype size, bool range, const QHash<uint, uint> &map)
{
    static const char digits[] = "0123456789ABCDEF";
    const int skip = range ? 2 : 1;   // the source code or range comes first
    int index = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (line[i] != '<')
            continue;
        qsizetype close = i + 1;
        while (close < size && line[close] != '>')
            ++close;
        if (close >= size)
            break;
        const qsizetype length = close - i - 1;
        if (index++ >= skip && length == 4) {
            uint code = 0;
            bool hex = true;
            for (qsizetype k = i + 1; k < close && hex; ++k) {
                const int d = hexDigit(line[k]);
                hex = d >= 0;
                code = code * 16 + uint(qMax(d, 0));
            }
            const auto found = hex ? map.constFind(code) : map.constEnd();
            if (found != map.constEnd()) {
                for (int k = 0; k < 4; ++k)
                    line[i + 1 + k] = digits[(*found >> (12 - 4 * k)) & 0xF];
            }
        }
        i = close;
    }
}

} // namespace

bool RepairPdfTextMap(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    const QHash<uint, uint> &map = radicalIdeographs();
    if (map.isEmpty() || f.size() == 0)
        return true;   // the face shares no glyph between a radical and an ideograph
    // One pass over the file mapped in place: the codes keep their length, so
    // each repaired line is written where it stands and nothing else moves.
    const qint64 size = f.size();
    uchar *mapped = f.map(0, size);
    if (!mapped)
        return false;
    char *data = reinterpret_cast<char *>(mapped);
    const QByteArrayView all(data, size);
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = all.indexOf("beginbf", pos);
        if (start < 0)
            break;
        const QByteArrayView rest = all.sliced(start);
        const bool range = rest.startsWith("beginbfrange");
        if (!range && !rest.startsWith("beginbfchar")) {
            pos = start + 7;
            continue;
        }
        const qsizetype end = all.indexOf(range ? "endbfrange" : "endbfchar", start);
        if (end < 0)
            break;
        qsizetype lineStart = all.indexOf('\n', start) + 1;
        while (lineStart > 0 && lineStart < end) {
            qsizetype lineEnd = all.indexOf('\n', lineStart);
            if (lineEnd < 0 || lineEnd > end)
                lineEnd = end;
            repairLine(data + lineStart, lineEnd - lineStart, range, map);
            lineStart = lineEnd + 1;
        }
        pos = end;
    }
    return f.unmap(mapped);
}
