#include "data/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "platform/system/ShiftJis.h"

bool ReadTextFile(const QString &path, QString &text, TextEncoding &encoding, QString *message)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (message)
            *message = QStringLiteral("ファイル %1 を読み込めません。\n%2").arg(path, file.errorString());
        return false;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) {
        text = decoded;
        encoding = TextEncoding::Utf8;
    } else {
        text = fromShiftJis(bytes);
        encoding = TextEncoding::ShiftJis;
    }
    return true;
}

bool WriteTextFile(const QString &path, const QString &text, TextEncoding &encoding, QString *message)
{
    QByteArray bytes;
    if (encoding == TextEncoding::ShiftJis) {
        bytes = toShiftJis(text);
        if (fromShiftJis(bytes) != text)
            encoding = TextEncoding::Utf8;
    }
    if (encoding == TextEncoding::Utf8)
        bytes = text.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (message)
            *message = QStringLiteral("ファイル %1 に書き込めません。\n%2").arg(path, file.errorString());
        return false;
    }
    return true;
}
