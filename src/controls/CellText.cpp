#include "controls/CellText.h"

#include <QLineEdit>

QString OneLineText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            continue;
        out.append(c);
    }
    return out;
}

void KeepOneLine(QLineEdit *edit)
{
    if (!edit)
        return;
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString &text) {
        const QString clean = OneLineText(text);
        if (clean == text)
            return;
        // The cursor stays after the same characters it stood after.
        const int pos = edit->cursorPosition();
        const int removedBefore = int(text.left(pos).size() - OneLineText(text.left(pos)).size());
        const bool modified = edit->isModified();
        edit->setText(clean);
        edit->setModified(modified);
        edit->setCursorPosition(qMax(0, pos - removedBefore));
    });
}

QString FitAmountText(const QString &text, int width, const std::function<int(const QString &)> &advance)
{
    if (text.isEmpty() || advance(text) <= width)
        return text;
    QString mark;
    while (mark.size() < text.size() && advance(mark + QLatin1Char('#')) <= width)
        mark += QLatin1Char('#');
    return mark.isEmpty() ? QStringLiteral("#") : mark;
}
