#include <QFile>
#include <QPlainTextEdit>
#include <QtTest>

#include "../data/JournalBook.h"
#include "DialogQueue.h"
#include "data/TextFile.h"
#include "main/FormMemoRandum.h"
#include "platform/system/ShiftJis.h"

using namespace Qt::StringLiterals;

// The book's notepad and the text files it shares with other programs.
class TestNotepad : public QObject
{
    Q_OBJECT

    JournalBook book;

    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() { book.open(); }
    void cleanup() { book.close(); }

    // A file is read in its encoding and written back in the same one, byte
    // for byte; a text Shift-JIS cannot hold is written as UTF-8 instead.
    void textFilesKeepTheirEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        const QString memo = u"買い物メモ\n牛乳 ２本、ソ表示\n"_s;
        QTest::newRow("Shift-JIS") << toShiftJis(memo) << memo << u"sjis"_s;
        QTest::newRow("UTF-8") << memo.toUtf8() << memo << u"utf8"_s;
        QTest::newRow("UTF-8 with a byte order mark") << QByteArray("\xEF\xBB\xBF") + memo.toUtf8() << memo
                                                      << u"utf8"_s;
        QTest::newRow("empty") << QByteArray() << QString() << u"utf8"_s;
    }
    void textFilesKeepTheirEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, written);
        const QString path = book.env->path(u"memo.txt"_s);
        writeBytes(path, bytes);
        QString read;
        TextEncoding encoding = TextEncoding::Utf8;
        QVERIFY(ReadTextFile(path, read, encoding));
        QCOMPARE(read, text);
        QVERIFY(WriteTextFile(path, read, encoding));
        QCOMPARE(bytesOf(path), written == u"sjis" ? toShiftJis(text) : text.toUtf8());
        // An emoji has no Shift-JIS form: the file becomes UTF-8 rather than lose it.
        const QString more = read + u"😀"_s;
        QVERIFY(WriteTextFile(path, more, encoding));
        QCOMPARE(encoding, TextEncoding::Utf8);
        QVERIFY(ReadTextFile(path, read, encoding));
        QCOMPARE(read, more);
    }

    // A book without "MemoRandum.txt" gives an empty notepad; closing writes
    // the file; 名前を付けて保存 leaves the book's file alone; a Shift-JIS file
    // of the first version is shown and kept in Shift-JIS.
    void notepadOfTheBook()
    {
        DialogQueue dialogs;
        const QString file = book.dm->DataFolder + u"/MemoRandum.txt"_s;
        QVERIFY(!QFile::exists(file));
        auto *pad = new TFormMemoRandum;
        QCOMPARE(pad->Memo1->toPlainText(), QString());
        pad->Memo1->setPlainText(u"通帳の記帳"_s);
        const QString other = book.env->path(u"覚書.txt"_s);
        QVERIFY(pad->SaveFileAs(other));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(bytesOf(other), u"通帳の記帳"_s.toUtf8());
        QPointer<TFormMemoRandum> guard(pad);
        QVERIFY(pad->close());
        QTRY_VERIFY(!guard);
        QCOMPARE(bytesOf(file), u"通帳の記帳"_s.toUtf8());

        writeBytes(file, toShiftJis(u"旧版のメモ"_s));
        pad = new TFormMemoRandum;
        QCOMPARE(pad->Memo1->toPlainText(), u"旧版のメモ"_s);
        pad->Memo1->appendPlainText(u"追記"_s);
        QVERIFY(pad->close());
        QCOMPARE(fromShiftJis(bytesOf(file)), u"旧版のメモ\n追記"_s);
        QVERIFY(dialogs.done());
    }

    // A file that cannot be written: the error, then "終了していいですか？";
    // No keeps the notepad with its text.
    void unwritableFileAsksBeforeClosing()
    {
        DialogQueue dialogs;
        const QString file = book.dm->DataFolder + u"/MemoRandum.txt"_s;
        auto *pad = new TFormMemoRandum;
        pad->show();
        pad->Memo1->setPlainText(u"残す"_s);
        QVERIFY(QDir().mkpath(file)); // a folder where the file should be
        dialogs.answer(mrOk, u"MemoRandum.txt"_s).answer(mrNo, u"終了していいですか？"_s);
        QVERIFY(!pad->close());
        QVERIFY(pad->isHidden());
        QCOMPARE(pad->Memo1->toPlainText(), u"残す"_s);
        dialogs.answer(mrOk, u"MemoRandum.txt"_s).answer(mrOk, u"終了していいですか？"_s);
        QPointer<TFormMemoRandum> guard(pad);
        QVERIFY(pad->close());
        QTRY_VERIFY(!guard);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestNotepad)
#include "tst_notepad.moc"
