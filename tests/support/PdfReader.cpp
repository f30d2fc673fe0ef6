#include "PdfReader.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QImage render(const QString &file, int page)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(u"page"_s);
    QProcess p;
    p.start(u"pdftoppm"_s, {u"-r"_s, u"50"_s, u"-f"_s, QString::number(page), u"-l"_s, QString::number(page),
                            u"-png"_s, u"-singlefile"_s, file, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + u".png"_s);
}

} // namespace

int PdfPageCount(const QString &file)
{
    const QString info = run(u"pdfinfo"_s, {file});
    const QRegularExpressionMatch m = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString PdfPageText(const QString &file, int page)
{
    return run(u"pdftotext"_s, {u"-layout"_s, u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), file,
                                u"-"_s});
}

bool PdfPageHasInk(const QString &file, int page)
{
    const QImage img = render(file, page).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 200)
                return true;
    return false;
}

int PdfPageRedPixels(const QString &file, int page)
{
    const QImage img = render(file, page).convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qRed(c) > 180 && qGreen(c) < 120 && qBlue(c) < 120)
                ++count;
        }
    return count;
}
