#include "platform/system/ShiftJis.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Converts with iconv, replacing what cannot be converted one unit at a time
// instead of failing the whole text.
QByteArray convert(const char *to, const char *from, const QByteArray &in, const QByteArray &replacement,
                   int unitSize)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return QByteArray();
    QByteArray out;
    out.reserve(in.size() * 2 + 16);
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = size_t(in.size());
    char buffer[4096];
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, qsizetype(dst - buffer));
        if (rc == size_t(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: skip one unit of input and put the replacement.
            const size_t skip = qMin(size_t(unitSize), srcLeft);
            src += skip;
            srcLeft -= skip;
            out.append(replacement);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char *dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, qsizetype(dst - buffer));
    iconv_close(cd);
    return out;
}

} // namespace

QByteArray toShiftJis(const QString &text)
{
    // UTF-32 input makes "one unit" exactly one character.
    QByteArray utf32;
    const QList<uint> ucs4 = text.toUcs4();
    utf32.resize(ucs4.size() * 4);
    memcpy(utf32.data(), ucs4.constData(), size_t(utf32.size()));
    return convert("CP932", "UTF-32LE", utf32, QByteArrayLiteral("?"), 4);
}

QString fromShiftJis(const QByteArray &bytes)
{
    const QByteArray utf8 = convert("UTF-8", "CP932", bytes, QByteArrayLiteral("\xEF\xBF\xBD"), 1);
    return QString::fromUtf8(utf8);
}
