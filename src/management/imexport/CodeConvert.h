#pragma once

#include <stdexcept>

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

class Database;

// Raised when the user cancels an import: a progress window's キャンセル, or a
// choice dialog closed without an answer.
class ECanceledError : public std::runtime_error
{
public:
    ECanceledError() : std::runtime_error("canceled") {}
    static QString message() { return QStringLiteral("インポートがキャンセルされました。"); }
};

// One name met in an import file and what it stands for in the book.
struct TConvertPear
{
    int code = 0;       // code in the book; -1 = found or created at save
    QString fromName;   // the text as read
    QString toName;     // the name in the book
    int kind = 0;       // 0 blank, 1 income category, 2 expense category, 3 account
    int side = 0;       // 1 口座へ入金, 2 口座から出金, 0 none
    int visible = 1;
    int zeiAtukai = 0;  // index of ZeiAtukaiNames
};
using TConvertPearArray = QList<TConvertPear>;

// Turns the distinct texts of one import column into entries; entry 0 is the
// blank entry. Kinds: 0 categories and accounts, 1 items, 2 shops, 3 persons,
// 4 slip numbers, 5 tax treatments. Names are looked up in the open book on db.
class TCodeConvert
{
public:
    TCodeConvert(int kind, Database *db);
    virtual ~TCodeConvert() = default;

    // The entry for text, made when the text is met for the first time.
    virtual int NameToIndex(const QString &text);

    int Count() const { return int(Items.size()) - 1; }
    int Kind() const { return m_kind; }
    TConvertPearArray Items;

    int GetCode(int index) const;
    QString FromName(int index) const;
    QString ToName(int index) const;
    int KindOf(int index) const;
    int SideOf(int index) const;
    int ZeiOf(int index) const;
    int IndexOfCode(int code) const;
    int IndexOfFromName(const QString &text) const;

    void Clear();
    int AddPair(const QString &from, const QString &to, int code);
    int AddPairEx(const QString &from, const QString &to, int side, int kind, int code);

    // Codes for the entries in used that are still open (-1), found or made on
    // db inside the caller's transaction. The entries themselves are not
    // changed: the caller applies the codes once the transaction has committed,
    // so a rolled-back save leaves the run as it was.
    QMap<int, int> CreateMissing(Database &db, const QSet<int> &used) const;
    void ApplyCodes(const QMap<int, int> &codes);

protected:
    // The SQL table the names are looked up in; empty for slip numbers and taxes.
    QString sqlTable() const;
    int lookupCode(const QString &name) const;
    int m_kind;
    Database *m_db;
    QHash<QString, int> m_byFromName;
};

// Categories and accounts: a name is matched to a row of "Himoku.db" with CODE
// from 99, and the user is asked where it must choose.
class THimokuConvert : public TCodeConvert
{
public:
    explicit THimokuConvert(Database *db);
    int NameToIndex(const QString &text) override { return FindOrAsk(text, 0x0F); }
    // allowed: bit n set offers the rows of BUNRUI n in the choice dialog.
    int FindOrAsk(const QString &text, unsigned allowed);
    int SyokutiIndex() const { return IndexOfCode(99); }
    void Reset();

    bool AutoMatch = true;
    bool AccountSideMode = false;
    bool Silent = false;

    // The book's rows a choice dialog offers: CODE from 99 with BUNRUI in allowed.
    struct BookCategory
    {
        int code;
        QString name;
        int bunrui;
        bool visible;
    };
    QList<BookCategory> BookCategories(unsigned allowed) const;
    static int KindOfBunrui(int bunrui) { return bunrui == 1 ? 1 : bunrui == 2 ? 2 : 3; }

private:
    int askCategory(const QString &text, unsigned allowed, int kind, int side);
};

// Tax treatments: numbers in the own format, words (asked once each) otherwise.
class TZeiConvert : public TCodeConvert
{
public:
    explicit TZeiConvert(Database *db);
    int NameToIndex(const QString &text) override;
    // The four fixed entries 対象外, 内税, 外税, 無指定 and nothing else.
    void Reset();
    int IndexOfTreatment(int treatment) const;
    bool NumericMode = true;
};
