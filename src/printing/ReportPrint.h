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
