#include "platform/db/LocalSql.h"

#include <QDate>
#include <QList>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

enum class Kind { Space, Word, Number, String, Identifier, Param, Punct, Comment };

struct Token
{
    Kind kind;
    QString text;
    // For String: the value without quotes. For Identifier: the bare name.
    QString value;
    bool table = false; // a Word or Identifier naming a table file
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool hasTableExtension(const QString &name)
{
    return name.endsWith(u".db", Qt::CaseInsensitive);
}

QString quoteString(const QString &value)
{
    QString out = value;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString quoteIdentifier(const QString &name)
{
    QString out = name;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const int start = i;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            tokens.append({Kind::Space, sql.mid(start, i - start), {}});
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
            tokens.append({Kind::Comment, sql.mid(start, i - start), {}});
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : int(end) + 2;
            tokens.append({Kind::Comment, sql.mid(start, i - start), {}});
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            // Quoted text; a doubled quote stands for itself. An unterminated quote
            // runs to the end, and the engine reports it.
            QString value;
            ++i;
            while (i < n) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c) {
                        value += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += sql.at(i++);
            }
            const Kind kind = c == u'\'' ? Kind::String : Kind::Identifier;
            Token t{kind, sql.mid(start, i - start), value};
            // Local SQL writes strings in double quotes; only a table file name
            // (or one of the book's tables) in double quotes is a name.
            if (hasTableExtension(value))
                t.table = true;
            else if (c == u'"' && LocalSql::bookTables().contains(value, Qt::CaseInsensitive))
                t.table = true;
            else if (c == u'"')
                t.kind = Kind::String;
            tokens.append(t);
        } else if (c == u'[') {
            const qsizetype end = sql.indexOf(u']', i + 1);
            i = end < 0 ? n : int(end) + 1;
            tokens.append({Kind::Identifier, sql.mid(start, i - start), sql.mid(start + 1, i - start - 2)});
        } else if ((c == u':' || c == u'?' || c == u'@') && i + 1 < n && isWordChar(sql.at(i + 1))) {
            ++i;
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            tokens.append({Kind::Param, sql.mid(start, i - start), {}});
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && sql.at(i + 1).isDigit())) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == u'.'))
                ++i;
            tokens.append({Kind::Number, sql.mid(start, i - start), {}});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            // Name.db is one word: the file name of a table.
            if (i + 2 < n && sql.at(i) == u'.' && sql.mid(i + 1, 2).compare(u"db", Qt::CaseInsensitive) == 0 &&
                (i + 3 >= n || !isWordChar(sql.at(i + 3)))) {
                i += 3;
                Token t{Kind::Word, sql.mid(start, i - start), {}};
                t.table = true;
                tokens.append(t);
            } else {
                tokens.append({Kind::Word, sql.mid(start, i - start), {}});
            }
        } else {
            static const QStringList twoChar = {u"<="_s, u">="_s, u"<>"_s, u"!="_s, u"||"_s, u"=="_s};
            const QString two = sql.mid(i, 2);
            if (twoChar.contains(two)) {
                i += 2;
                tokens.append({Kind::Punct, two, {}});
            } else {
                ++i;
                tokens.append({Kind::Punct, QString(c), {}});
            }
        }
    }
    return tokens;
}

bool isWord(const Token &t, const char16_t *word)
{
    return t.kind == Kind::Word && t.text.compare(QStringView(word), Qt::CaseInsensitive) == 0;
}

bool significant(const Token &t)
{
    return t.kind != Kind::Space && t.kind != Kind::Comment;
}

int prevSig(const QList<Token> &tokens, int i)
{
    for (--i; i >= 0; --i)
        if (significant(tokens[i]))
            return i;
    return -1;
}

int nextSig(const QList<Token> &tokens, int i)
{
    for (++i; i < tokens.size(); ++i)
        if (significant(tokens[i]))
            return i;
    return -1;
}

// The date columns of the book (D fields): a month-first literal compared with
// one of them is a date.
bool isDateColumn(const QList<Token> &tokens, int i)
{
    if (i < 0 || tokens[i].kind != Kind::Word)
        return false;
    static const QSet<QString> dateColumns = {u"RECDATE"_s, u"STARTDATE"_s, u"ENDDATE"_s, u"STARTDAY"_s, u"ENDDAY"_s};
    return dateColumns.contains(tokens[i].text.toUpper());
}

bool isComparison(const Token &t)
{
    static const QSet<QString> ops = {u"="_s, u"=="_s, u"<"_s, u">"_s, u"<="_s, u">="_s, u"<>"_s, u"!="_s};
    return t.kind == Kind::Punct && ops.contains(t.text);
}

bool comparedWithDateColumn(const QList<Token> &tokens, int i)
{
    const int before = prevSig(tokens, i);
    if (before >= 0 && isComparison(tokens[before]) && isDateColumn(tokens, prevSig(tokens, before)))
        return true;
    const int after = nextSig(tokens, i);
    if (after >= 0 && isComparison(tokens[after]) && isDateColumn(tokens, nextSig(tokens, after)))
        return true;
    if (before >= 0 && isWord(tokens[before], u"BETWEEN") && isDateColumn(tokens, prevSig(tokens, before)))
        return true;
    // The upper bound of "col BETWEEN lit AND lit".
    if (before >= 0 && isWord(tokens[before], u"AND")) {
        const int low = prevSig(tokens, before);
        const int between = prevSig(tokens, low);
        if (low >= 0 && tokens[low].kind == Kind::String && between >= 0 && isWord(tokens[between], u"BETWEEN") &&
            isDateColumn(tokens, prevSig(tokens, between)))
            return true;
    }
    return false;
}

// Index of the "(" that matches the ")" at i, or -1.
int openingParen(const QList<Token> &tokens, int i)
{
    int depth = 0;
    for (; i >= 0; --i) {
        if (tokens[i].kind != Kind::Punct)
            continue;
        if (tokens[i].text == u")")
            ++depth;
        else if (tokens[i].text == u"(" && --depth == 0)
            return i;
    }
    return -1;
}

int closingParen(const QList<Token> &tokens, int i)
{
    int depth = 0;
    for (; i < tokens.size(); ++i) {
        if (tokens[i].kind != Kind::Punct)
            continue;
        if (tokens[i].text == u"(")
            ++depth;
        else if (tokens[i].text == u")" && --depth == 0)
            return i;
    }
    return -1;
}

// The book's text columns: + next to one of them joins strings.
bool isTextOperand(const QList<Token> &tokens, int i)
{
    if (i < 0)
        return false;
    const Token &t = tokens[i];
    if (t.kind == Kind::String)
        return true;
    if (t.kind == Kind::Word) {
        static const QSet<QString> textColumns = {u"NAME"_s, u"MEMO"_s, u"COMMENT"_s};
        return textColumns.contains(t.text.toUpper());
    }
    // CAST(x AS CHAR(n)) and its kin give text.
    if (t.kind == Kind::Punct && t.text == u")") {
        const int open = openingParen(tokens, i);
        const int fn = prevSig(tokens, open);
        if (open < 0 || fn < 0 || !isWord(tokens[fn], u"CAST"))
            return false;
        for (int k = open + 1; k < i; ++k) {
            if (isWord(tokens[k], u"AS")) {
                const int type = nextSig(tokens, k);
                return type >= 0 && tokens[type].kind == Kind::Word &&
                       QRegularExpression(u"^(VAR)?CHAR(ACTER)?$|^TEXT$"_s, QRegularExpression::CaseInsensitiveOption)
                           .match(tokens[type].text)
                           .hasMatch();
            }
        }
    }
    return false;
}

QString joinTokens(const QList<Token> &tokens, int from = 0, int to = -1)
{
    if (to < 0)
        to = int(tokens.size());
    QString out;
    for (int i = from; i < to; ++i)
        out += tokens[i].text;
    return out;
}

// The column types of the dialect's CREATE TABLE and ALTER TABLE, as the book
// declares them. Types not listed (INTEGER, SMALLINT, FLOAT, DATE, BOOLEAN) already
// mean in SQLite what the book stores.
void rewriteColumnTypes(QList<Token> &tokens)
{
    for (int i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind != Kind::Word)
            continue;
        const QString upper = t.text.toUpper();
        if (upper == u"MONEY") {
            t.text = LocalSql::columnType(u'$');
        } else if (upper == u"BLOB" || upper == u"CHAR" || upper == u"CHARACTER" || upper == u"VARCHAR") {
            // BLOB(240,1) is a memo (sub-type 1); other BLOB kinds are binary.
            const int open = nextSig(tokens, i);
            if (open < 0 || tokens[open].text != u"(")
                continue;
            const int close = closingParen(tokens, open);
            if (close < 0)
                continue;
            const QStringList args = joinTokens(tokens, open + 1, close).remove(u' ').split(u',');
            QString type;
            if (upper == u"BLOB")
                type = args.value(1) == u"1" ? LocalSql::columnType(u'M') : QStringLiteral("BLOB");
            else
                type = LocalSql::columnType(u'A', args.value(0).toInt());
            t.text = type;
            tokens.erase(tokens.begin() + i + 1, tokens.begin() + close + 1);
        }
    }
}

// UPDATE with a table alias (UPDATE "Master.db" M SET M.X = ... WHERE M.Y ...):
// SQLite names the updated table only by its name, and the columns after SET
// stand unqualified.
void rewriteUpdateAlias(QList<Token> &tokens)
{
    const int update = nextSig(tokens, -1);
    if (update < 0 || !isWord(tokens[update], u"UPDATE"))
        return;
    const int table = nextSig(tokens, update);
    const int alias = nextSig(tokens, table);
    if (table < 0 || alias < 0 || tokens[alias].kind != Kind::Word || isWord(tokens[alias], u"SET"))
        return;
    const QString aliasName = tokens[alias].text;
    const QString tableText = tokens[table].text;
    tokens.erase(tokens.begin() + alias);
    int from = alias;
    if (tokens[alias - 1].kind == Kind::Space && alias < tokens.size() && tokens[alias].kind == Kind::Space) {
        tokens.erase(tokens.begin() + alias - 1);
        --from;
    }
    bool inSet = false;
    int depth = 0;
    for (int i = from; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.kind == Kind::Punct && t.text == u"(")
            ++depth;
        else if (t.kind == Kind::Punct && t.text == u")")
            --depth;
        else if (depth == 0 && isWord(t, u"SET"))
            inSet = true;
        else if (depth == 0 && isWord(t, u"WHERE"))
            inSet = false;
        if (t.kind != Kind::Word || t.text.compare(aliasName, Qt::CaseInsensitive) != 0)
            continue;
        if (i + 2 >= tokens.size() || tokens[i + 1].text != u"." || tokens[i + 1].kind != Kind::Punct)
            continue;
        const int before = prevSig(tokens, i);
        const bool target =
            inSet && depth == 0 && before >= 0 && (isWord(tokens[before], u"SET") || tokens[before].text == u",");
        if (target) {
            tokens.erase(tokens.begin() + i, tokens.begin() + i + 2);
            --i;
        } else {
            tokens[i].text = tableText;
        }
    }
}

QStringList splitAlterTable(const QList<Token> &tokens)
{
    // ALTER TABLE name action [, action ...]
    const int alter = nextSig(tokens, -1);
    const int tableWord = nextSig(tokens, alter);
    const int name = nextSig(tokens, tableWord);
    const int first = nextSig(tokens, name);
    if (first < 0)
        return {joinTokens(tokens)};
    const QString head = joinTokens(tokens, 0, name + 1) + u' ';
    QStringList actions;
    int depth = 0;
    int start = first;
    for (int i = first; i <= tokens.size(); ++i) {
        const bool end = i == tokens.size();
        if (!end && tokens[i].kind == Kind::Punct) {
            if (tokens[i].text == u"(")
                ++depth;
            else if (tokens[i].text == u")")
                --depth;
        }
        if (end || (depth == 0 && tokens[i].kind == Kind::Punct && tokens[i].text == u",")) {
            const QString action = joinTokens(tokens, start, i).trimmed();
            if (!action.isEmpty())
                actions.append(head + action);
            start = i + 1;
        }
    }
    return actions;
}

QString translateStatement(const QString &sql)
{
    QList<Token> tokens = tokenize(sql);

    for (Token &t : tokens) {
        if (t.table) {
            const QString file = t.kind == Kind::Word ? t.text : t.value;
            t.kind = Kind::Identifier;
            t.text = quoteIdentifier(LocalSql::tableName(file));
        }
    }
    // Second pass over the classified tokens, in order: names, then literals, then
    // operators that depend on the literals beside them.
    for (int i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind == Kind::String && t.text.startsWith(u'"')) {
            // A double-quoted name after FROM, JOIN, UPDATE, INTO or TABLE is a table
            // even without its file extension.
            const int before = prevSig(tokens, i);
            if (before >= 0 && (isWord(tokens[before], u"FROM") || isWord(tokens[before], u"JOIN") ||
                                isWord(tokens[before], u"UPDATE") || isWord(tokens[before], u"INTO") ||
                                isWord(tokens[before], u"TABLE"))) {
                t.kind = Kind::Identifier;
                t.text = quoteIdentifier(LocalSql::tableName(t.value));
                continue;
            }
            t.text = quoteString(t.value);
        }
    }
    for (int i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind == Kind::String && comparedWithDateColumn(tokens, i)) {
            const QString iso = LocalSql::isoDateFromMonthFirst(t.value);
            if (!iso.isEmpty()) {
                t.value = iso;
                t.text = quoteString(iso);
            }
        } else if (t.kind == Kind::Word && (isWord(t, u"TRUE") || isWord(t, u"FALSE"))) {
            // Not a qualified column name (X.TRUE) nor a function call.
            const int before = prevSig(tokens, i);
            const int after = nextSig(tokens, i);
            if ((before < 0 || tokens[before].text != u".") && (after < 0 || tokens[after].text != u"("))
                t.text = isWord(t, u"TRUE") ? QStringLiteral("1") : QStringLiteral("0");
        }
    }
    for (int i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind == Kind::Punct && t.text == u"+" &&
            (isTextOperand(tokens, prevSig(tokens, i)) || isTextOperand(tokens, nextSig(tokens, i))))
            t.text = QStringLiteral("||");
    }

    // EXTRACT(YEAR|MONTH|DAY FROM x): SQLite reads the parts of a YYYY-MM-DD text
    // with strftime; the CAST keeps the result a number, as the dialect gives it.
    for (int i = 0; i < tokens.size(); ++i) {
        if (!isWord(tokens[i], u"EXTRACT"))
            continue;
        const int open = nextSig(tokens, i);
        if (open < 0 || tokens[open].text != u"(")
            continue;
        const int part = nextSig(tokens, open);
        const int from = nextSig(tokens, part);
        const int close = closingParen(tokens, open);
        if (part < 0 || from < 0 || close < 0 || !isWord(tokens[from], u"FROM"))
            continue;
        const QString name = tokens[part].text.toUpper();
        const QString format = name == u"YEAR"    ? QStringLiteral("%Y")
                               : name == u"MONTH" ? QStringLiteral("%m")
                               : name == u"DAY"   ? QStringLiteral("%d")
                                                  : QString();
        if (format.isEmpty())
            continue;
        const QString expr = joinTokens(tokens, from + 1, close).trimmed();
        tokens[i].text = u"CAST(strftime('"_s + format + u"', "_s + expr + u") AS INTEGER)"_s;
        tokens.erase(tokens.begin() + i + 1, tokens.begin() + close + 1);
    }

    const int first = nextSig(tokens, -1);
    if (first < 0)
        return joinTokens(tokens);
    const int second = nextSig(tokens, first);
    const bool alterTable = isWord(tokens[first], u"ALTER") && second >= 0 && isWord(tokens[second], u"TABLE");
    const bool createTable =
        isWord(tokens[first], u"CREATE") && second >= 0 &&
        (isWord(tokens[second], u"TABLE") || isWord(tokens[second], u"TEMP") || isWord(tokens[second], u"TEMPORARY"));
    if (alterTable || createTable)
        rewriteColumnTypes(tokens);
    rewriteUpdateAlias(tokens);
    if (alterTable)
        return splitAlterTable(tokens).join(u";\n");
    return joinTokens(tokens);
}

// Splits a text at the ";" that end statements (outside quotes and comments).
QStringList splitStatements(const QString &sql)
{
    QStringList parts;
    const QList<Token> tokens = tokenize(sql);
    int start = 0;
    for (int i = 0; i <= tokens.size(); ++i) {
        if (i == tokens.size() || (tokens[i].kind == Kind::Punct && tokens[i].text == u";")) {
            const QString part = joinTokens(tokens, start, i);
            if (!part.trimmed().isEmpty())
                parts.append(part);
            start = i + 1;
        }
    }
    return parts;
}

} // namespace

QString LocalSql::translate(const QString &sql)
{
    QStringList out;
    const QStringList parts = splitStatements(sql);
    if (parts.size() <= 1)
        return parts.isEmpty() ? sql : translateStatement(parts.first());
    for (const QString &part : parts)
        out.append(translateStatement(part));
    return out.join(u";\n");
}

QStringList LocalSql::statements(const QString &sql)
{
    QStringList out;
    for (const QString &part : splitStatements(translate(sql)))
        out.append(part.trimmed());
    return out;
}

const QStringList &LocalSql::bookTables()
{
    static const QStringList tables = {
        u"Master"_s,      u"Himoku"_s,     u"HinmeiMast"_s, u"HinmeiList"_s, u"ShopMast"_s, u"ShopList"_s,
        u"Person"_s,      u"Yosan"_s,      u"Memo"_s,       u"Number"_s,     u"DateMast"_s, u"DateList"_s,
        u"ReserveList"_s, u"SimebiList"_s, u"ZeiList"_s,    u"AutoInc"_s,
    };
    return tables;
}

QString LocalSql::tableName(const QString &fileName)
{
    QString base = fileName.trimmed();
    if (base.size() >= 2 && base.startsWith(u'"') && base.endsWith(u'"'))
        base = base.mid(1, base.size() - 2);
    if (hasTableExtension(base))
        base.chop(3);
    for (const QString &table : bookTables())
        if (table.compare(base, Qt::CaseInsensitive) == 0)
            return table;
    return base;
}

QString LocalSql::columnType(QChar letter, int size)
{
    switch (letter.unicode()) {
    case u'S':
        return QStringLiteral("SMALLINT");
    case u'I':
        return QStringLiteral("INTEGER");
    case u'N':
        return QStringLiteral("FLOAT");
    case u'$':
        // "MONEY" alone would get numeric affinity, which stores whole amounts as
        // integers; the word REAL keeps every amount a real number.
        return QStringLiteral("MONEY REAL");
    case u'D':
        return QStringLiteral("DATE");
    case u'L':
        return QStringLiteral("BOOLEAN");
    case u'A':
        return QStringLiteral("VARCHAR(%1)").arg(size);
    case u'M':
        return QStringLiteral("TEXT");
    default:
        return QString();
    }
}

QChar LocalSql::typeLetter(const QString &declaredType, int *size)
{
    const QString type = declaredType.simplified().toUpper();
    if (size)
        *size = 0;
    static const QRegularExpression sized(u"^(?:VAR)?CHAR(?:ACTER)?\\s*\\(\\s*(\\d+)\\s*\\)$"_s);
    const QRegularExpressionMatch m = sized.match(type);
    if (m.hasMatch()) {
        if (size)
            *size = m.captured(1).toInt();
        return u'A';
    }
    if (type == u"SMALLINT")
        return u'S';
    if (type == u"INTEGER" || type == u"INT")
        return u'I';
    if (type == u"FLOAT" || type == u"REAL" || type == u"DOUBLE")
        return u'N';
    if (type == u"MONEY REAL" || type == u"MONEY")
        return u'$';
    if (type == u"DATE")
        return u'D';
    if (type == u"BOOLEAN")
        return u'L';
    if (type == u"TEXT" || type == u"MEMO")
        return u'M';
    return QChar();
}

QString LocalSql::isoDateFromMonthFirst(const QString &text)
{
    static const QRegularExpression monthFirst(u"^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"_s);
    const QRegularExpressionMatch m = monthFirst.match(text);
    if (!m.hasMatch())
        return QString();
    const QDate date(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}
