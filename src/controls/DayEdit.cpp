#include "controls/DayEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include "data/DatModEvents.h"
#include "platform/ui/Dialogs.h"

TDayEdit::TDayEdit(const QDate &date, QWidget *parent)
    : QDateEdit(date, parent)
{
    setKeyboardTracking(false);
}

namespace {

// Year, month and day typed in digits, each section possibly one digit longer
// while it is being typed over ("2026/02/030" on the way to 30).
bool readTypedDate(const QString &text, int &year, int &month, int &day)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*(\\d{4})\\D(\\d{1,3})\\D(\\d{1,3})\\s*$"));
    const QRegularExpressionMatch m = whole.match(text);
    if (!m.hasMatch())
        return false;
    year = m.captured(1).toInt();
    month = m.captured(2).toInt();
    day = m.captured(3).toInt();
    return true;
}

} // namespace

bool TDayEdit::IsImpossibleDateText(const QString &text)
{
    int year = 0, month = 0, day = 0;
    return readTypedDate(text, year, month, day) && !QDate(year, month, day).isValid();
}

QValidator::State TDayEdit::validate(QString &text, int &pos) const
{
    int year = 0, month = 0, day = 0;
    // A month and day that could be typed but make no date (02/30, 04/31):
    // kept on screen as typed, to be refused with a message rather than
    // changed (Qt's own check would turn it into another day).
    if (readTypedDate(text, year, month, day) && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
        !QDate(year, month, day).isValid()) {
        text = QStringLiteral("%1/%2/%3")
                   .arg(year, 4, 10, QLatin1Char('0'))
                   .arg(month, 2, 10, QLatin1Char('0'))
                   .arg(day, 2, 10, QLatin1Char('0'));
        pos = int(text.size());
        return QValidator::Intermediate;
    }
    return QDateEdit::validate(text, pos);
}

bool TDayEdit::RefuseImpossibleDate()
{
    if (m_refusing || !IsImpossibleDateText(lineEdit()->text()))
        return false;
    m_refusing = true;
    struct Done
    {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_refusing};
    // The date is shown again before the message: the message takes the
    // focus, and leaving the box takes its text as the date.
    lineEdit()->setText(date().toString(displayFormat()));
    MessageDlg(QString::fromUtf16(kInvalidDateMessage), MsgDlgType::Error, mbOK);
    return true;
}

void TDayEdit::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && RefuseImpossibleDate()) {
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void TDayEdit::focusOutEvent(QFocusEvent *event)
{
    RefuseImpossibleDate();
    QDateEdit::focusOutEvent(event);
}
