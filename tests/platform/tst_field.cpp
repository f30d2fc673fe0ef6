#include <QtTest>

#include "platform/db/ClientDataSet.h"

Q_DECLARE_METATYPE(FieldType)

// Fields of every book type parse typed text, show values and run their text
// events; a refused value keeps the old one.
class TestField : public QObject
{
    Q_OBJECT

private:
    static void makeSet(ClientDataSet &ds)
    {
        ds.setFieldDefs({{QStringLiteral("S"), FieldType::Smallint},
                         {QStringLiteral("I"), FieldType::Integer},
                         {QStringLiteral("N"), FieldType::Float},
                         {QStringLiteral("KINGAKU"), FieldType::Currency},
                         {QStringLiteral("D"), FieldType::Date},
                         {QStringLiteral("L"), FieldType::Boolean},
                         {QStringLiteral("A"), FieldType::String, 5},
                         {QStringLiteral("M"), FieldType::Memo},
                         {QStringLiteral("Calc"), FieldType::Integer, 0, FieldKind::InternalCalc}});
        ds.createDataSet();
    }

private slots:
    void parseText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");   // invalid QVariant: empty; "ERR": refused
        const QVariant err = QStringLiteral("ERR");
        QTest::newRow("S number") << "S" << " 12 " << QVariant(qlonglong(12));
        QTest::newRow("S out of range") << "S" << "40000" << err;
        QTest::newRow("S empty") << "S" << "" << QVariant();
        QTest::newRow("I thousands") << "I" << "1,200" << QVariant(qlonglong(1200));
        QTest::newRow("I letters") << "I" << "12a" << err;
        QTest::newRow("N real") << "N" << "1.5" << QVariant(1.5);
        QTest::newRow("$ amount") << "KINGAKU" << "-1,200.5" << QVariant::fromValue(Currency::fromRaw(-12005000));
        QTest::newRow("$ text") << "KINGAKU" << "abc" << err;
        QTest::newRow("D slash") << "D" << "2024/2/29" << QVariant(QDate(2024, 2, 29));
        QTest::newRow("D iso") << "D" << "2024-03-01" << QVariant(QDate(2024, 3, 1));
        QTest::newRow("D bad day") << "D" << "2023/2/29" << err;
        QTest::newRow("D empty") << "D" << " " << QVariant();
        QTest::newRow("L true") << "L" << "True" << QVariant(true);
        QTest::newRow("L false") << "L" << "0" << QVariant(false);
        QTest::newRow("L empty stays empty") << "L" << "" << QVariant();
        QTest::newRow("L junk") << "L" << "maybe" << err;
        QTest::newRow("A cut to size") << "A" << "abcdefg" << QVariant(QStringLiteral("abcde"));
        QTest::newRow("A japanese counts characters") << "A" << "家計簿の明細" << QVariant(QStringLiteral("家計簿の明"));
        QTest::newRow("M long") << "M" << QString(600, QLatin1Char('x')) << QVariant(QString(600, QLatin1Char('x')));
    }

    void parseText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        ClientDataSet ds;
        makeSet(ds);
        ds.append();
        Field &f = ds[field];
        f.setValue(QVariant());
        if (expected == QVariant(QStringLiteral("ERR")) && f.dataType() != FieldType::String) {
            QVERIFY_THROWS_EXCEPTION(EDataSetError, f.setText(text));
            QVERIFY(f.isNull());   // the old (empty) value is kept
            return;
        }
        f.setText(text);
        if (!expected.isValid()) {
            QVERIFY(f.isNull());
            return;
        }
        QCOMPARE(compareValues(f.value(), expected), 0);
        QCOMPARE(f.value().userType(), expected.userType() == QMetaType::Int ? QMetaType::LongLong : expected.userType());
    }

    void displayAndTypedAccess()
    {
        ClientDataSet ds;
        makeSet(ds);
        ds.append();
        ds["KINGAKU"].setAsCurrency(Currency::fromInt(1234567));
        QCOMPARE(ds["KINGAKU"].text(), QStringLiteral("1234567"));
        QCOMPARE(ds["kingaku"].displayText(), QStringLiteral("1,234,567"));
        ds["KINGAKU"].setDisplayFormat(QStringLiteral("#,##0.00"));
        QCOMPARE(ds["KINGAKU"].displayText(), QStringLiteral("1,234,567.00"));
        ds["D"].setAsDate(QDate(2024, 1, 5));
        ds["D"].setDisplayFormat(QStringLiteral("yy.MM.dd"));
        QCOMPARE(ds["D"].displayText(), QStringLiteral("24.01.05"));
        QCOMPARE(ds["D"].text(), QStringLiteral("2024/01/05"));
        // Logical fields keep empty apart from False.
        QVERIFY(ds["L"].isNull());
        QCOMPARE(ds["L"].asBoolean(), false);
        QCOMPARE(ds["L"].displayText(), QString());
        ds["L"].setDisplayValues(QStringLiteral("未"), QStringLiteral("済"));
        ds["L"].setText(QStringLiteral("未"));
        QCOMPARE(ds["L"].value(), QVariant(true));
        QCOMPARE(ds["L"].displayText(), QStringLiteral("未"));
        // Empty values read as zero and empty text.
        QCOMPARE(ds["I"].asInteger(), 0);
        QCOMPARE(ds["I"].asString(), QString());
        QCOMPARE(ds["N"].asCurrency(), Currency());
        ds["N"].setAsFloat(2.5);
        QCOMPARE(ds["N"].asCurrency(), Currency::fromRaw(25000));
        QCOMPARE(ds.findField(QStringLiteral("nothing")), nullptr);
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds.fieldByName(QStringLiteral("nothing")));
    }

    void textEvents()
    {
        ClientDataSet ds;
        makeSet(ds);
        Field &zei = ds["S"];
        // A coded column shown and typed as words.
        zei.OnGetText = [](Field &f, QString &text, bool displayText) {
            static const QStringList marks{QString(), QStringLiteral("内税"), QStringLiteral("外税"), QString()};
            if (displayText && !f.isNull())
                text = marks.value(f.asInteger(), text);
        };
        zei.OnSetText = [](Field &f, const QString &text) {
            if (text == QStringLiteral("内税") || text == QStringLiteral("1"))
                f.setAsInteger(1);
            else if (text == QStringLiteral("外税") || text == QStringLiteral("2"))
                f.setAsInteger(2);
            else if (text.isEmpty() || text == QStringLiteral("対象外"))
                f.setAsInteger(0);
            // anything else leaves the field as it was
        };
        int changes = 0;
        zei.OnChange = [&changes](Field &) { ++changes; };
        ds.append();
        zei.setText(QStringLiteral("外税"));
        QCOMPARE(zei.asInteger(), 2);
        QCOMPARE(zei.displayText(), QStringLiteral("外税"));
        QCOMPARE(zei.text(), QStringLiteral("2"));
        zei.setText(QStringLiteral("unknown"));
        QCOMPARE(zei.asInteger(), 2);
        zei.setText(QStringLiteral("対象外"));
        QCOMPARE(zei.displayText(), QString());
        QCOMPARE(changes, 2);
    }

    void validateRefusalKeepsOldValue()
    {
        ClientDataSet ds;
        makeSet(ds);
        const QDate lock(2024, 3, 31);
        QDate seen;
        ds["D"].OnValidate = [&](Field &f) {
            seen = f.asDate();   // the new value is in place while validating
            if (!f.isNull() && f.asDate() <= lock)
                Abort();
        };
        int changes = 0;
        ds["D"].OnChange = [&changes](Field &) { ++changes; };
        ds.append();
        ds["D"].setAsDate(QDate(2024, 4, 1));
        QVERIFY_THROWS_EXCEPTION(EAbort, ds["D"].setAsDate(lock));
        QCOMPARE(seen, lock);
        QCOMPARE(ds["D"].asDate(), QDate(2024, 4, 1));
        QVERIFY_THROWS_EXCEPTION(EAbort, ds["D"].setText(QStringLiteral("2024/1/1")));
        QCOMPARE(ds["D"].asDate(), QDate(2024, 4, 1));
        QCOMPARE(changes, 1);
        ds.post();
        QCOMPARE(ds["D"].asDate(), QDate(2024, 4, 1));
    }

    void writeRules()
    {
        ClientDataSet ds;
        makeSet(ds);
        // Browse state refuses writes; read-only fields refuse always.
        ds.append();
        ds["I"].setAsInteger(1);
        ds.post();
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds["I"].setAsInteger(2));
        ds["I"].setReadOnly(true);
        ds.edit();
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds["I"].setAsInteger(2));
        QCOMPARE(ds["I"].asInteger(), 1);
        ds.cancel();
        // Accepted characters: numbers by default, widened for names typed in code columns.
        QVERIFY(ds["I"].isValidChar(QLatin1Char('7')));
        QVERIFY(!ds["I"].isValidChar(QChar(0x98df)));
        ds["I"].setAnyCharValid();
        QVERIFY(ds["I"].isValidChar(QChar(0x98df)));
        ds["KINGAKU"].setValidChars(QStringLiteral("+-0123456789.*/"));
        QVERIFY(ds["KINGAKU"].isValidChar(QLatin1Char('*')));
        QVERIFY(!ds["KINGAKU"].isValidChar(QLatin1Char('E')));
        QVERIFY(ds["A"].isValidChar(QChar(0x3042)));
    }

    void declaredTypes_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<int>("size");
        QTest::newRow("smallint") << "SMALLINT" << FieldType::Smallint << 0;
        QTest::newRow("integer") << "INTEGER" << FieldType::Integer << 0;
        QTest::newRow("money") << "MONEY" << FieldType::Currency << 0;
        QTest::newRow("boolean") << "BOOLEAN" << FieldType::Boolean << 0;
        QTest::newRow("date") << "DATE" << FieldType::Date << 0;
        QTest::newRow("real") << "REAL" << FieldType::Float << 0;
        QTest::newRow("varchar") << "VARCHAR(20)" << FieldType::String << 20;
        QTest::newRow("char") << "char(40)" << FieldType::String << 40;
        QTest::newRow("memo") << "BLOB(240,1)" << FieldType::Memo << 0;
        QTest::newRow("text") << "TEXT" << FieldType::Memo << 0;
    }

    void declaredTypes()
    {
        QFETCH(QString, declared);
        QFETCH(FieldType, type);
        QFETCH(int, size);
        int n = -1;
        QCOMPARE(fieldTypeFromDeclared(declared, &n), type);
        QCOMPARE(n, size);
    }
};

QTEST_GUILESS_MAIN(TestField)
#include "tst_field.moc"
