#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

// Reads a printed PDF back with poppler's own tools, as a user's viewer would:
// the text of each page, the words with their places, and a page as a picture.
namespace PdfReader {

struct Word
{
    QString text;
    QRectF box;   // points, from the page's top-left corner
};

struct Page
{
    double width = 0;   // points
    double height = 0;
    QList<Word> words;
    // The words' texts in reading order, NFKC-folded: CJK radicals that fonts
    // share with ideographs come back as the ideographs.
    QString text() const;
    // The first word containing text, or nullptr.
    const Word *find(const QString &text) const;
};

// Every page with its words (pdftotext -bbox); empty when the file cannot be read.
QList<Page> pages(const QString &pdf);
// The text of the whole file (pdftotext -layout), NFKC-folded.
QString text(const QString &pdf);
// One page rendered at dpi (pdftoppm); a null image on failure.
QImage render(const QString &pdf, int page, int dpi);

} // namespace PdfReader

// The number of pages (pdfinfo); 0 when the file cannot be read.
int PdfPageCount(const QString &file);
// The text of one page (from 1), laid out as on the page (pdftotext -layout),
// exactly as the file's text layer holds it (not folded).
QString PdfPageText(const QString &file, int page);
// Whether the page, rendered (pdftoppm), has any pixel that is not white.
bool PdfPageHasInk(const QString &file, int page);
// How many pixels of the rendered page are clearly red (the red of Sundays,
// holidays and negative amounts).
int PdfPageRedPixels(const QString &file, int page);
