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
