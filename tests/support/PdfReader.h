#pragma once

#include <QString>

// Reads printed PDFs back with poppler's own tools, as a user's viewer would.

// The number of pages (pdfinfo); 0 when the file cannot be read.
int PdfPageCount(const QString &file);
// The text of one page (from 1), laid out as on the page (pdftotext -layout).
QString PdfPageText(const QString &file, int page);
// Whether the page, rendered (pdftoppm), has any pixel that is not white.
bool PdfPageHasInk(const QString &file, int page);
// How many pixels of the rendered page are clearly red (the red of Sundays,
// holidays and negative amounts).
int PdfPageRedPixels(const QString &file, int page);
