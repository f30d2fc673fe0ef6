#pragma once

#include <QByteArray>
#include <QString>

// Shift-JIS (Windows code page 932) text: backup archives, exchange files and the
// first version's data are written in it. Characters without a CP932 form become
// '?' on the way out; bytes that are not valid CP932 become U+FFFD on the way in.
QByteArray toShiftJis(const QString &text);
QString fromShiftJis(const QByteArray &bytes);
