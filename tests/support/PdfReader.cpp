#include "PdfReader.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QByteArray();
    return p.readAllStandardOutput();
}

} // namespace

namespace PdfReader {

namespace {

QString fold(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC);
}

QString unescape(const QString &html)
{
    QString s = html;
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

} // namespace

QString Page::text() const
{
    QStringList parts;
    for (const Word &w : words)
        parts << w.text;
    return parts.join(QLatin1Char(' '));
}

const Word *Page::find(const QString &needle) const
{
    for (const Word &w : words)
        if (w.text.contains(needle))
            return &w;
    return nullptr;
}

QList<Page> pages(const QString &pdf)
{
    const QString html = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    QList<Page> result;
    static const QRegularExpression pageRe(QString::fromLatin1(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(
        QString::fromLatin1(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    const QStringList chunks = html.split(QStringLiteral("</page>"));
    for (const QString &chunk : chunks) {
        const auto pm = pageRe.match(chunk);
        if (!pm.hasMatch())
            continue;
        Page page;
        page.width = pm.captured(1).toDouble();
        page.height = pm.captured(2).toDouble();
        auto it = wordRe.globalMatch(chunk);
        while (it.hasNext()) {
            const auto m = it.next();
            page.words << Word{fold(unescape(m.captured(5))),
                               QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))};
        }
        result << page;
    }
    return result;
}

QString text(const QString &pdf)
{
    return fold(QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})));
}

QImage render(const QString &pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                                     QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

} // namespace PdfReader

int PdfPageCount(const QString &file)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {file}));
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString PdfPageText(const QString &file, int page)
{
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"),
                                                                QString::number(page), QStringLiteral("-l"),
                                                                QString::number(page), file, QStringLiteral("-")}));
}

bool PdfPageHasInk(const QString &file, int page)
{
    const QImage img = PdfReader::render(file, page, 50).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 200)
                return true;
    return false;
}

int PdfPageRedPixels(const QString &file, int page)
{
    const QImage img = PdfReader::render(file, page, 50).convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qRed(c) > 180 && qGreen(c) < 120 && qBlue(c) < 120)
                ++count;
        }
    return count;
}
