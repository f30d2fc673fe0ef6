#include "platform/db/Field.h"

#include <cmath>
#include <limits>

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include "platform/db/DataSet.h"

namespace {

bool isCurrency(const QVariant &v)
{
    return v.userType() == qMetaTypeId<Currency>();
}

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

QString typeName(FieldType type)
{
    switch (type) {
    case FieldType::Smallint:
    case FieldType::Integer:
        return QStringLiteral("整数");
    case FieldType::Float:
        return QStringLiteral("実数");
    case FieldType::Currency:
        return QStringLiteral("金額");
    case FieldType::Date:
        return QStringLiteral("日付");
    case FieldType::Boolean:
        return QStringLiteral("論理値");
    default:
        return QStringLiteral("文字列");
    }
}

[[noreturn]] void badText(const QString &text, FieldType type)
{
    throw EConvertError(QStringLiteral("'%1' は有効な%2ではありません").arg(text, typeName(type)));
}

// Two-digit years fall into the fifty years either side of today, so "26/4/1"
// typed in 2026 is 2026 and "75/4/1" is 1975.
int expandYear(int year)
{
    if (year >= 100)
        return year;
    const int now = QDate::currentDate().year();
    int full = now - now % 100 + year;
    if (full > now + 49)
        full -= 100;
    else if (full < now - 50)
        full += 100;
    return full;
}

QDate parseDate(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,4})[/\-.](\d{1,2})[/\-.](\d{1,2})\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return QDate();
    return QDate(expandYear(m.captured(1).toInt()), m.captured(2).toInt(), m.captured(3).toInt());
}

// "#,##0.00" -> thousands separators, two decimals.
void numberFormat(const QString &format, bool *thousands, int *decimals)
{
    *thousands = format.contains(QLatin1Char(','));
    const int dot = format.indexOf(QLatin1Char('.'));
    *decimals = 0;
    if (dot >= 0)
        for (int i = dot + 1; i < format.size() && (format[i] == QLatin1Char('0') || format[i] == QLatin1Char('#')); ++i)
            ++*decimals;
}

QString plainCurrency(Currency c)
{
    QString s = c.toString(4, false);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s;
}

int currencyDecimals(Currency c)
{
    const QString s = plainCurrency(c);
    const int dot = s.indexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : int(s.size() - dot - 1);
}

} // namespace

Field::Field(DataSet *dataSet, const FieldDef &def, int index) : m_dataSet(dataSet), m_def(def), m_index(index)
{
    switch (def.type) {
    case FieldType::Smallint:
    case FieldType::Integer:
        m_validChars = QStringLiteral("+-0123456789");
        break;
    case FieldType::Float:
    case FieldType::Currency:
        m_validChars = QStringLiteral("+-0123456789.Ee");
        break;
    default:
        m_anyChar = true;
    }
}

void Field::setDisplayValues(const QString &trueText, const QString &falseText)
{
    m_trueText = trueText;
    m_falseText = falseText;
}

bool Field::isValidChar(QChar c) const
{
    return m_anyChar || m_validChars.contains(c);
}

void Field::setValidChars(const QString &chars)
{
    m_validChars = chars;
    m_anyChar = false;
}

void Field::setAnyCharValid()
{
    m_anyChar = true;
}

QVariant Field::convert(const QVariant &value) const
{
    if (isEmptyValue(value))
        return QVariant();
    if (value.typeId() == QMetaType::QString && m_def.type != FieldType::String && m_def.type != FieldType::Memo)
        return parseText(value.toString());
    bool ok = true;
    switch (m_def.type) {
    case FieldType::Smallint:
    case FieldType::Integer: {
        qlonglong v = 0;
        if (isCurrency(value))
            v = value.value<Currency>().toInt();
        else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            v = qRound64(value.toDouble());
        else if (value.typeId() == QMetaType::Bool)
            v = value.toBool() ? 1 : 0;
        else
            v = value.toLongLong(&ok);
        if (!ok)
            badText(value.toString(), m_def.type);
        const qlonglong lo = m_def.type == FieldType::Smallint ? -32768 : std::numeric_limits<int>::min();
        const qlonglong hi = m_def.type == FieldType::Smallint ? 32767 : std::numeric_limits<int>::max();
        if (v < lo || v > hi)
            throw EDataSetError(QStringLiteral("値 %1 はフィールド '%2' の範囲外です").arg(v).arg(m_def.name));
        return QVariant(v);
    }
    case FieldType::Float: {
        const double d = isCurrency(value) ? value.value<Currency>().toDouble() : value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            badText(value.toString(), m_def.type);
        return QVariant(d);
    }
    case FieldType::Currency: {
        if (isCurrency(value))
            return value;
        Currency c;
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            if (!std::isfinite(value.toDouble()))
                badText(value.toString(), m_def.type);
            c = Currency::fromDouble(value.toDouble());
        } else {
            const qlonglong v = value.toLongLong(&ok);
            if (!ok)
                badText(value.toString(), m_def.type);
            c = Currency::fromInt(v);
        }
        return QVariant::fromValue(c);
    }
    case FieldType::Date: {
        QDate d;
        if (value.typeId() == QMetaType::QDate)
            d = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else
            badText(value.toString(), m_def.type);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (isCurrency(value))
            return QVariant(!value.value<Currency>().isZero());
        {
            const qlonglong v = value.toLongLong(&ok);
            if (!ok)
                badText(value.toString(), m_def.type);
            return QVariant(v != 0);
        }
    case FieldType::String: {
        // The column holds at most size characters; a longer text is cut as
        // the engine's fixed-width text columns do.
        QString s = isCurrency(value) ? plainCurrency(value.value<Currency>()) : value.toString();
        if (m_def.size > 0 && s.size() > m_def.size)
            s.truncate(m_def.size);
        return QVariant(s);
    }
    case FieldType::Memo:
        return QVariant(isCurrency(value) ? plainCurrency(value.value<Currency>()) : value.toString());
    }
    return value;
}

QVariant Field::parseText(const QString &text) const
{
    if (m_def.type == FieldType::String || m_def.type == FieldType::Memo)
        return convert(QVariant(text));
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    switch (m_def.type) {
    case FieldType::Smallint:
    case FieldType::Integer: {
        QString digits = t;
        digits.remove(QLatin1Char(','));
        const qlonglong v = digits.toLongLong(&ok);
        if (!ok)
            badText(t, m_def.type);
        return convert(QVariant(v));
    }
    case FieldType::Float: {
        QString digits = t;
        digits.remove(QLatin1Char(','));
        const double d = digits.toDouble(&ok);
        if (!ok)
            badText(t, m_def.type);
        return convert(QVariant(d));
    }
    case FieldType::Currency: {
        const Currency c = Currency::fromString(t, &ok);
        if (!ok)
            badText(t, m_def.type);
        return QVariant::fromValue(c);
    }
    case FieldType::Date: {
        const QDate d = parseDate(t);
        if (!d.isValid())
            badText(t, m_def.type);
        return QVariant(d);
    }
    case FieldType::Boolean: {
        if (t.compare(m_trueText, Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (t.compare(m_falseText, Qt::CaseInsensitive) == 0)
            return QVariant(false);
        static const QStringList yes{QStringLiteral("true"), QStringLiteral("t"), QStringLiteral("yes"),
                                     QStringLiteral("y"), QStringLiteral("1")};
        static const QStringList no{QStringLiteral("false"), QStringLiteral("f"), QStringLiteral("no"),
                                    QStringLiteral("n"), QStringLiteral("0")};
        if (yes.contains(t, Qt::CaseInsensitive))
            return QVariant(true);
        if (no.contains(t, Qt::CaseInsensitive))
            return QVariant(false);
        badText(t, m_def.type);
    }
    default:
        return QVariant(t);
    }
}

QString Field::formatValue(const QVariant &value, bool displayText) const
{
    if (isEmptyValue(value))
        return QString();
    const bool useFormat = displayText && !m_displayFormat.isEmpty();
    switch (m_def.type) {
    case FieldType::Smallint:
    case FieldType::Integer:
        if (useFormat) {
            bool thousands;
            int decimals;
            numberFormat(m_displayFormat, &thousands, &decimals);
            return Currency::fromInt(value.toLongLong()).toString(decimals, thousands);
        }
        return QString::number(value.toLongLong());
    case FieldType::Float: {
        const double d = value.toDouble();
        if (useFormat) {
            bool thousands;
            int decimals;
            numberFormat(m_displayFormat, &thousands, &decimals);
            QLocale c = QLocale::c();
            if (!thousands)
                c.setNumberOptions(QLocale::OmitGroupSeparator);
            else
                c.setNumberOptions({});
            return c.toString(d, 'f', decimals);
        }
        return QString::number(d, 'g', 15);
    }
    case FieldType::Currency: {
        const Currency c = value.value<Currency>();
        if (useFormat) {
            bool thousands;
            int decimals;
            numberFormat(m_displayFormat, &thousands, &decimals);
            return c.toString(decimals, thousands);
        }
        return displayText ? c.toString(currencyDecimals(c), true) : plainCurrency(c);
    }
    case FieldType::Date: {
        const QDate d = value.toDate();
        // The program's own locale (fixed at start-up), not the desktop's: day
        // names follow the program's language on any desktop.
        if (useFormat)
            return QLocale().toString(d, m_displayFormat);
        return d.toString(QStringLiteral("yyyy/MM/dd"));
    }
    case FieldType::Boolean:
        return value.toBool() ? m_trueText : m_falseText;
    default:
        return value.toString();
    }
}

QVariant Field::value() const
{
    return m_dataSet->fieldValue(m_index);
}

void Field::setValue(const QVariant &value)
{
    m_dataSet->setFieldValue(*this, convert(value));
}

bool Field::isNull() const
{
    return isEmptyValue(value());
}

int Field::asInteger() const
{
    const QVariant v = value();
    if (isEmptyValue(v))
        return 0;
    if (isCurrency(v))
        return int(v.value<Currency>().toInt());
    if (v.typeId() == QMetaType::Double)
        return int(qRound64(v.toDouble()));
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const int i = v.toString().trimmed().toInt(&ok);
        if (!ok)
            badText(v.toString(), FieldType::Integer);
        return i;
    }
    return v.toInt();
}

void Field::setAsInteger(int value)
{
    setValue(QVariant(qlonglong(value)));
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (isEmptyValue(v))
        return 0.0;
    if (isCurrency(v))
        return v.value<Currency>().toDouble();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            badText(v.toString(), FieldType::Float);
        return d;
    }
    return v.toDouble();
}

void Field::setAsFloat(double value)
{
    setValue(QVariant(value));
}

Currency Field::asCurrency() const
{
    const QVariant v = value();
    if (isEmptyValue(v))
        return Currency();
    if (isCurrency(v))
        return v.value<Currency>();
    if (v.typeId() == QMetaType::Double)
        return Currency::fromDouble(v.toDouble());
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const Currency c = Currency::fromString(v.toString().trimmed(), &ok);
        if (!ok)
            badText(v.toString(), FieldType::Currency);
        return c;
    }
    return Currency::fromInt(v.toLongLong());
}

void Field::setAsCurrency(Currency value)
{
    setValue(QVariant::fromValue(value));
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (isEmptyValue(v))
        return QDate();
    if (v.typeId() == QMetaType::QString)
        return parseDate(v.toString());
    return v.toDate();
}

void Field::setAsDate(const QDate &value)
{
    setValue(value.isValid() ? QVariant(value) : QVariant());
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (isEmptyValue(v))
        return false;
    if (isCurrency(v))
        return !v.value<Currency>().isZero();
    return v.toBool();
}

void Field::setAsBoolean(bool value)
{
    setValue(QVariant(value));
}

QString Field::asString() const
{
    return formatValue(value(), false);
}

void Field::setAsString(const QString &value)
{
    m_dataSet->setFieldValue(*this, parseText(value));
}

QString Field::text() const
{
    QString t = formatValue(value(), false);
    if (OnGetText)
        OnGetText(const_cast<Field &>(*this), t, false);
    return t;
}

QString Field::displayText() const
{
    QString t = formatValue(value(), true);
    if (OnGetText)
        OnGetText(const_cast<Field &>(*this), t, true);
    return t;
}

void Field::setText(const QString &text)
{
    if (OnSetText)
        OnSetText(*this, text);
    else
        setAsString(text);
}

QVariant Field::oldValue() const
{
    return m_dataSet->fieldOldValue(m_index);
}

QVariant Field::curValue() const
{
    bool has = false;
    return m_dataSet->fieldCurValue(m_index, &has);
}

bool Field::hasCurValue() const
{
    bool has = false;
    m_dataSet->fieldCurValue(m_index, &has);
    return has;
}

QVariant Field::newValue() const
{
    bool has = false;
    return m_dataSet->fieldNewValue(m_index, &has);
}

bool Field::hasNewValue() const
{
    bool has = false;
    m_dataSet->fieldNewValue(m_index, &has);
    return has;
}

void Field::setNewValue(const QVariant &value)
{
    m_dataSet->setFieldNewValue(*this, convert(value));
}

FieldType fieldTypeFromDeclared(const QString &declared, int *size)
{
    static const QRegularExpression sized(QStringLiteral(R"(^\s*(\w+)\s*\(\s*(\d+)\s*(?:,\s*\d+\s*)?\))"));
    const QString d = declared.trimmed().toUpper();
    QString base = d.section(QLatin1Char('('), 0, 0).trimmed();
    base = base.section(QLatin1Char(' '), 0, 0);
    int n = 0;
    const auto m = sized.match(d);
    if (m.hasMatch())
        n = m.captured(2).toInt();
    if (size)
        *size = 0;
    if (base == QLatin1String("SMALLINT") || base == QLatin1String("SHORT"))
        return FieldType::Smallint;
    if (base == QLatin1String("INTEGER") || base == QLatin1String("INT") || base == QLatin1String("BIGINT")
        || base == QLatin1String("LONGINT"))
        return FieldType::Integer;
    if (base == QLatin1String("BOOLEAN") || base == QLatin1String("LOGICAL") || base == QLatin1String("BOOL"))
        return FieldType::Boolean;
    if (base == QLatin1String("MONEY") || base == QLatin1String("CURRENCY"))
        return FieldType::Currency;
    if (base == QLatin1String("DATE"))
        return FieldType::Date;
    if (base == QLatin1String("REAL") || base == QLatin1String("DOUBLE") || base == QLatin1String("FLOAT")
        || base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL") || base == QLatin1String("NUMBER"))
        return FieldType::Float;
    if ((base == QLatin1String("CHAR") || base == QLatin1String("VARCHAR") || base == QLatin1String("ALPHA")
         || base == QLatin1String("CHARACTER") || base == QLatin1String("NVARCHAR") || base == QLatin1String("TEXT"))
        && n > 0) {
        if (size)
            *size = n;
        return FieldType::String;
    }
    return FieldType::Memo;
}

QVariant toSqlValue(const QVariant &value)
{
    if (isEmptyValue(value))
        return QVariant();
    if (isCurrency(value))
        return QVariant(value.value<Currency>().toDouble());
    if (value.typeId() == QMetaType::QDate)
        return QVariant(value.toDate().toString(Qt::ISODate));
    if (value.typeId() == QMetaType::Bool)
        return QVariant(qlonglong(value.toBool() ? 1 : 0));
    return value;
}
