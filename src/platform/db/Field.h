#pragma once

#include <functional>
#include <stdexcept>

#include <QDate>
#include <QString>
#include <QVariant>

#include "platform/db/Currency.h"

class DataSet;

// An error of a data set or field operation (a field that does not exist, an edit
// on a closed data set, a value out of the field's range). Carries the text the
// user sees.
class EDataSetError : public std::runtime_error
{
public:
    explicit EDataSetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A text that does not convert to the field's type ("abc" into an integer).
class EConvertError : public EDataSetError
{
public:
    using EDataSetError::EDataSetError;
};

// The book's column types: S 16-bit integer, I 32-bit integer, N real, $ money,
// D date, L logical (True, False or empty), A n text of at most n characters,
// M memo (text without limit).
enum class FieldType { Smallint, Integer, Float, Currency, Date, Boolean, String, Memo };

// Data fields come from and go to the table. Internal calculated fields are kept
// in each row of an in-memory data set and may be written in edit and insert
// state; calculated fields are recomputed by OnCalcFields whenever a row is
// fetched. Neither kind is ever written to a table.
enum class FieldKind { Data, InternalCalc, Calculated };

// One column of a data set before it is opened.
struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;           // A n: n; 0 elsewhere
    FieldKind kind = FieldKind::Data;
    bool key = false;       // part of the key by which rows are found when written back
};

// The value held in a row, by type (an invalid QVariant is the empty value):
// S, I: qlonglong; N: double; $: Currency; D: QDate; L: bool; A, M: QString.
//
// A field reads and writes the active record of its data set. Writing goes
// through the data set's state (edit or insert, or calculation), is converted to
// the field's type, then OnValidate runs with the new value in place: an
// exception from it (EAbort for a silent refusal) puts the old value back and
// passes on. OnChange runs after an accepted change.
class Field
{
public:
    Field(DataSet *dataSet, const FieldDef &def, int index);

    DataSet *dataSet() const { return m_dataSet; }
    int index() const { return m_index; }
    QString fieldName() const { return m_def.name; }
    FieldType dataType() const { return m_def.type; }
    FieldKind kind() const { return m_def.kind; }
    bool isCalculated() const { return m_def.kind != FieldKind::Data; }
    int size() const { return m_def.size; }
    FieldDef def() const { return m_def; }
    bool isKey() const { return m_def.key; }
    void setKey(bool key) { m_def.key = key; }

    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // The column caption; the field name unless set.
    QString displayLabel() const { return m_displayLabel.isEmpty() ? m_def.name : m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }
    // Dates: a QDate format ("yy.MM.dd ddd"); money and reals: "#,##0" or
    // "#,##0.00" style (separators and the number of decimals). Display only.
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &format) { m_displayFormat = format; }
    // Kept for the editors that honour it ("!99/99/99;1;_"); the field does not apply it.
    QString editMask() const { return m_editMask; }
    void setEditMask(const QString &mask) { m_editMask = mask; }
    // Texts shown and accepted for True and False of a logical field.
    void setDisplayValues(const QString &trueText, const QString &falseText);

    // Characters an editor lets the user type. Numbers default to digits and
    // signs (reals and money also ".", "E", "e"); text takes any character.
    bool isValidChar(QChar c) const;
    QString validChars() const { return m_validChars; }
    void setValidChars(const QString &chars);
    void setAnyCharValid();
    bool anyCharValid() const { return m_anyChar; }

    // The value of the active record.
    QVariant value() const;
    void setValue(const QVariant &value);
    bool isNull() const;
    void clear() { setValue(QVariant()); }

    // Typed access; an empty value reads as 0, "", an invalid date or False.
    int asInteger() const;
    void setAsInteger(int value);
    double asFloat() const;
    void setAsFloat(double value);
    Currency asCurrency() const;
    void setAsCurrency(Currency value);
    QDate asDate() const;
    void setAsDate(const QDate &value);
    bool asBoolean() const;
    void setAsBoolean(bool value);
    QString asString() const;
    void setAsString(const QString &value);

    // Text for editing (OnGetText with displayText false) and for showing
    // (OnGetText with displayText true); setText parses through OnSetText, or
    // the type's own parse when no handler is set.
    QString text() const;
    QString displayText() const;
    void setText(const QString &text);

    // The value the row had when it was read or last applied (client data
    // sets), or before the pending edit (tables and queries).
    QVariant oldValue() const;
    // While a reconcile handler runs: the value now in the table, and whether
    // it differs from oldValue (a conflict on this field).
    QVariant curValue() const;
    bool hasCurValue() const;
    // The value the row wants written; hasNewValue is false for a field a
    // modified row left unchanged. setNewValue is for a reconcile "correct".
    QVariant newValue() const;
    bool hasNewValue() const;
    void setNewValue(const QVariant &value);

    // Converts any value to this field's stored form (see above); throws
    // EConvertError when it cannot.
    QVariant convert(const QVariant &value) const;
    // The type's own text parse and text, without the events.
    QVariant parseText(const QString &text) const;
    QString formatValue(const QVariant &value, bool displayText) const;

    std::function<void(Field &field, QString &text, bool displayText)> OnGetText;
    std::function<void(Field &field, const QString &text)> OnSetText;
    std::function<void(Field &field)> OnValidate;
    std::function<void(Field &field)> OnChange;
    int tag = 0;

private:
    DataSet *m_dataSet;
    FieldDef m_def;
    int m_index;
    bool m_readOnly = false;
    bool m_visible = true;
    bool m_anyChar = false;
    QString m_displayLabel;
    QString m_displayFormat;
    QString m_editMask;
    QString m_validChars;
    QString m_trueText = QStringLiteral("True");
    QString m_falseText = QStringLiteral("False");
};

// Maps a column's declared SQL type to the book's field type: SMALLINT -> S,
// INTEGER/INT -> I, BOOLEAN/LOGICAL -> L, MONEY/CURRENCY -> $, DATE -> D,
// REAL/DOUBLE/FLOAT/NUMERIC -> N, CHAR(n)/VARCHAR(n)/ALPHA(n) -> A n,
// TEXT/MEMO/BLOB/anything else -> M. size receives n for A n.
FieldType fieldTypeFromDeclared(const QString &declared, int *size);
// Value as bound to SQLite: Currency -> double, QDate -> "YYYY-MM-DD", bool -> 0/1.
QVariant toSqlValue(const QVariant &value);
