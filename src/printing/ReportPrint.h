#pragma once

#include <functional>

#include <QString>

class QPagedPaintDevice;
class TLightRep;

// The text a report gives when it has no record to print.
QString ReportNothingToPrintText();

// Prints pages 1..pageCount of a report onto a printer or a PDF writer: the
// device takes the report's paper and orientation with no margins (the report
// keeps its own), preparePage positions the data for the page, and the page
// prints at the device's full width. False with the reason in Japanese when
// nothing could be printed; on an error while drawing the painter is ended so
// the device is free for the next job, and the error goes on to the caller.
bool PrintReportPages(QPagedPaintDevice &device, TLightRep &report, int pageCount,
                      const std::function<void(int page)> &preparePage, QString *why = nullptr);

// Prints the pages into a PDF file (600 dpi) and mends its text map, so the
// file's text reads back as printed (see RepairPdfTextMap).
bool PrintReportToPdf(const QString &file, TLightRep &report, int pageCount,
                      const std::function<void(int page)> &preparePage, QString *why = nullptr);

// The CJK faces draw an ideograph and the radical of the same shape (日 and ⽇)
// with one glyph, and Qt's PDF writer names each glyph by the lowest code that
// maps to it: search and copy in a viewer would give radicals. This rewrites
// the text map of the written file so those glyphs read as the ideographs.
// The map is stored uncompressed and the codes keep their length, so the
// file's offsets stay valid. False when the file cannot be read or written.
bool RepairPdfTextMap(const QString &file);
