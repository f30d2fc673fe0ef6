#include "printing/ReportPrint.h"

#include <QFile>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
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

// The destination codes of one line of a bfchar or bfrange section.
void repairLine(QByteArray &line, bool range, const QHash<uint, uint> &map)
{
    static const QRegularExpression hex(u"<([0-9A-Fa-f]{4})>"_s);
    const QString text = QString::fromLatin1(line);
    int index = 0;
    const int skip = range ? 2 : 1;   // the source code or range comes first
    for (auto it = hex.globalMatch(text); it.hasNext(); ++index) {
        const QRegularExpressionMatch m = it.next();
        if (index < skip)
            continue;
        const uint code = m.captured(1).toUInt(nullptr, 16);
        const auto found = map.constFind(code);
        if (found == map.constEnd())
            continue;
        const QByteArray replacement = QByteArray::number(*found, 16).toUpper().rightJustified(4, '0');
        line.replace(m.capturedStart(1), 4, replacement);
    }
}

} // namespace

bool RepairPdfTextMap(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = f.readAll();
    const QHash<uint, uint> &map = radicalIdeographs();
    bool changed = false;
    qsizetype pos = 0;
    while (true) {
        const qsizetype charStart = data.indexOf("beginbfchar", pos);
        const qsizetype rangeStart = data.indexOf("beginbfrange", pos);
        if (charStart < 0 && rangeStart < 0)
            break;
        const bool range = charStart < 0 || (rangeStart >= 0 && rangeStart < charStart);
        const qsizetype start = range ? rangeStart : charStart;
        const qsizetype end = data.indexOf(range ? "endbfrange" : "endbfchar", start);
        if (end < 0)
            break;
        qsizetype lineStart = data.indexOf('\n', start) + 1;
        while (lineStart > 0 && lineStart < end) {
            qsizetype lineEnd = data.indexOf('\n', lineStart);
            if (lineEnd < 0 || lineEnd > end)
                lineEnd = end;
            QByteArray line = data.mid(lineStart, lineEnd - lineStart);
            const QByteArray before = line;
            repairLine(line, range, map);
            if (line != before && line.size() == before.size()) {
                data.replace(lineStart, line.size(), line);
                changed = true;
            }
            lineStart = lineEnd + 1;
        }
        pos = end;
    }
    if (!changed)
        return true;
    f.seek(0);
    return f.write(data) == data.size();
}
