#include "GenerateBook.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>

#include "data/BookFolders.h"
#include "data/DatModSchema.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

// Journal styles and pages as the journal stores them.
enum Style { StyleTable = 1, StyleReceipt = 2, StyleBill = 3, StyleScheduled = 4, StyleBillPayment = 6, StyleFree = 7 };
enum Origin { OriginIncome = 1, OriginExpense = 2, OriginTransfer = 3, OriginScheduled = 4 };

constexpr int CashCode = 100;
constexpr int IncomeCount = 30;
constexpr int ExpenseCount = 200;
constexpr int AccountCount = 70;
constexpr int ItemCount = 5000;
constexpr int ShopCount = 1000;
constexpr int PersonCount = 8;
constexpr int BudgetExpenseCategories = 30;
constexpr int BudgetIncomeCategories = 3;

struct Account
{
    int code;
    int bunrui;
    int simebi = 31;   // closing day, 31 month end
    int cycle = 0;     // months from closing to payment
    int furikomibi = 31;
};

struct Category
{
    int code;
    int zeiAtukai;
    std::vector<int> items;
    std::vector<int> shops;
};

struct Item
{
    int code;
    int gaku;
};

struct Card
{
    int dataNo;
    int receiptNo;
    QString name;
    int kariCode;
    int kasiCode;
    int day;
    int amount;
};

// One journal line as written.
struct Line
{
    int gyoNo = 0;
    QDate date;
    qint64 amount = 0;
    double quantity = 1.0;
    int shop = 0;
    int item = 0;
    int person = 0;
    QVariant kariSide;   // null: not a bill or voucher line
    int kariCode = 0;
    int kasiCode = 0;
    QVariant reserved;   // True, False or null
    int lookupNo = 0;
    int receiptNo = 0;
    int style = StyleTable;
    int origin = OriginExpense;
    int zeiAtukai = 0;
};

const QStringList &expenseNames()
{
    static const QStringList names = {u"食費"_s, u"外食"_s, u"日用品"_s, u"衣服"_s, u"医療"_s, u"交通"_s, u"通信"_s,
                                      u"光熱"_s, u"住居"_s, u"教育"_s, u"娯楽"_s, u"書籍"_s, u"交際"_s, u"保険"_s,
                                      u"税金"_s, u"車両"_s, u"美容"_s, u"趣味"_s, u"旅行"_s, u"雑費"_s};
    return names;
}

const QStringList &incomeNames()
{
    static const QStringList names = {u"給与"_s, u"賞与"_s, u"副業"_s, u"利息"_s, u"配当"_s, u"還付"_s};
    return names;
}

const QStringList &shopNames()
{
    static const QStringList names = {u"スーパー"_s, u"コンビニ"_s, u"薬局"_s,   u"書店"_s,   u"駅売店"_s,
                                      u"百貨店"_s,   u"食堂"_s,     u"喫茶店"_s, u"家電店"_s, u"病院"_s};
    return names;
}

const QStringList &itemNames()
{
    static const QStringList names = {u"牛乳"_s,   u"パン"_s, u"卵"_s,     u"野菜"_s, u"肉"_s,   u"魚"_s,
                                      u"洗剤"_s,   u"電池"_s, u"シャツ"_s, u"靴"_s,   u"切符"_s, u"雑誌"_s,
                                      u"診察料"_s, u"薬"_s,   u"ガソリン"_s, u"菓子"_s};
    return names;
}

QString numbered(const QString &base, int n, int width)
{
    return base + QString::number(n).rightJustified(width, u'0');
}

// Writes one row of a table whose columns are given in order, or of an insert
// statement whose parameters are.
class Inserter
{
public:
    Inserter(Database &db, const QString &table, int columns)
    {
        QStringList marks;
        for (int i = 0; i < columns; ++i)
            marks << u"?"_s;
        m_st = std::make_unique<Statement>(db, u"INSERT INTO \"%1\" VALUES (%2)"_s.arg(table, marks.join(u", ")));
    }
    Inserter(Database &db, const QString &sql) : m_st(std::make_unique<Statement>(db, sql)) {}
    void row(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_st->bind(i + 1, values.at(i));
        m_st->exec();
        m_st->reset();
    }

private:
    std::unique_ptr<Statement> m_st;
};

class Generator
{
public:
    Generator(Database &db, const GenerateBook::Options &options)
        : m_db(db), m_rng(options.seed), m_lines(options.lines)
    {
        m_today = options.today.isValid() ? options.today : QDate::currentDate();
        // The generated masters follow whatever the book holds already (the
        // template's categories, items and family), codes above 100 being the user's.
        auto firstFree = [&db](const char *table) {
            return std::max(101, db.scalar(u"SELECT MAX(CODE) FROM \"%1\""_s.arg(QLatin1String(table))).toInt() + 1);
        };
        m_firstHimoku = firstFree("Himoku");
        m_firstItem = firstFree("HinmeiMast");
        m_firstShop = firstFree("ShopMast");
        m_firstPerson = firstFree("Person");
        m_start = QDate(m_today.year(), m_today.month(), 1).addMonths(1 - 12 * std::max(1, options.years));
    }

    GenerateBook::Summary run()
    {
        Transaction transaction(m_db, Database::TransactionMode::Exclusive);
        makeCategories();
        makeItemsAndShops();
        makePersons();
        makeCards();
        makeJournal();
        makeBudgets();
        makeDiary();
        writeCounters();
        transaction.commit();
        return m_summary;
    }

private:
    // Favours the first entries of a list, as real books use a few categories,
    // items and shops far more than the others.
    int skewed(int n) { return std::min(m_rng.below(n), m_rng.below(n)); }
    QVariant bookedFlag() { return m_rng.chance(0.3) ? QVariant() : QVariant(false); }
    int pickCash() { return m_rng.chance(0.8) ? CashCode : m_banks.at(size_t(skewed(int(m_banks.size())))); }

    void makeCategories()
    {
        Inserter himoku(m_db, u"Himoku"_s, 22);
        const QVariant null;
        int code = m_firstHimoku;
        auto add = [&](const QString &name, int bunrui, int simebi, int cycle, int furikomibi, int holidayShift,
                       int aite, int zei) {
            himoku.row({code, code - m_firstHimoku + 2, name, QString(), bunrui, 0.0, simebi, cycle, furikomibi,
                        holidayShift, true, false, m_start, false, aite, false, 0, 0, zei, bunrui == 2, 0, 0});
            return code++;
        };
        for (int i = 0; i < IncomeCount; ++i) {
            const int c = add(numbered(incomeNames().at(i % incomeNames().size()), i, 2), 1, 31, -1, -1, 0, 0, 0);
            m_income.push_back(Category{c, 0, {}, {}});
        }
        for (int i = 0; i < ExpenseCount; ++i) {
            const int c = add(numbered(expenseNames().at(i % expenseNames().size()), i, 3), 2, 31, -1, -1, 0,
                              CashCode, 1);
            m_expense.push_back(Category{c, 1, {}, {}});
        }
        // Accounts of several classes: banks and postal savings pay, cards are
        // closed on a day of the month and paid one or two months later.
        struct Kind
        {
            int bunrui;
            int count;
            const char16_t *name;
        };
        const Kind kinds[] = {{3, 3, u"財布"},  {4, 5, u"小遣い"}, {5, 15, u"銀行"}, {6, 5, u"郵貯"},
                              {7, 5, u"証券"},  {8, 5, u"金券"},   {9, 15, u"カード"}, {11, 3, u"ローン"},
                              {13, 2, u"借入"}, {10, 1, u"小切手"}, {12, 1, u"貸付"}, {14, 1, u"仮払"},
                              {15, 1, u"仮受"}, {16, 1, u"前払"},  {17, 1, u"未払"}, {18, 1, u"預り"},
                              {19, 1, u"預け"}, {20, 1, u"収入引当"}, {21, 1, u"支出引当"}, {22, 1, u"他資産"},
                              {23, 1, u"他負債"}};
        int made = 0;
        for (const Kind &kind : kinds) {
            for (int i = 0; i < kind.count; ++i, ++made) {
                Account a{0, kind.bunrui};
                if (kind.bunrui == 9) {
                    static const int closing[] = {10, 15, 20, 25, 31};
                    a.simebi = closing[i % 5];
                    a.cycle = 1 + i % 2;
                    a.furikomibi = (i % 3 == 0) ? 27 : 10;
                }
                a.code = add(numbered(QString::fromUtf16(kind.name), i + 1, 2), kind.bunrui, a.simebi, a.cycle,
                             a.furikomibi, kind.bunrui == 9 ? 1 : 0, CashCode, 0);
                m_accounts.push_back(a);
                if (kind.bunrui == 5 || kind.bunrui == 6)
                    m_banks.push_back(a.code);
                else if (kind.bunrui == 9)
                    m_cards.push_back(a);
            }
        }
        Q_ASSERT(made == AccountCount);
        m_summary.categories = code - m_firstHimoku;
        m_maxHimoku = code - 1;
    }

    void makeItemsAndShops()
    {
        Inserter hinmei(m_db, u"HinmeiMast"_s, 5);
        Inserter hinmeiList(m_db, u"HinmeiList"_s, 5);
        const int categories = IncomeCount + ExpenseCount;
        auto category = [this](int i) -> Category & {
            return i < IncomeCount ? m_income[size_t(i)] : m_expense[size_t(i - IncomeCount)];
        };
        for (int i = 0; i < ItemCount; ++i) {
            const int code = m_firstItem + i;
            const int gaku = m_rng.between(1, 500) * 10;
            hinmei.row({code, numbered(itemNames().at(i % itemNames().size()), i, 4), 1.0, double(gaku),
                        m_rng.below(2)});
            m_items.push_back(Item{code, gaku});
            Category &c = category(i % categories);
            // The first five items of a category are parents, the others their children.
            const int parent = c.items.size() < 5 ? 0 : c.items.at(size_t(m_rng.below(5)));
            ++m_hinmeiListNo;
            hinmeiList.row({m_hinmeiListNo, c.code, parent ? parent : code, parent ? code : 0, true});
            c.items.push_back(code);
        }
        Inserter shop(m_db, u"ShopMast"_s, 2);
        Inserter shopList(m_db, u"ShopList"_s, 5);
        for (int i = 0; i < ShopCount; ++i) {
            const int code = m_firstShop + i;
            shop.row({code, numbered(shopNames().at(i % shopNames().size()), i, 4)});
            const int places = m_rng.between(1, 3);
            for (int p = 0; p < places; ++p) {
                Category &c = m_expense[size_t(skewed(ExpenseCount))];
                if (std::find(c.shops.begin(), c.shops.end(), code) != c.shops.end())
                    continue;
                ++m_shopListNo;
                shopList.row({m_shopListNo, c.code, true, code, 0});
                c.shops.push_back(code);
            }
        }
        m_summary.items = ItemCount;
        m_summary.shops = ShopCount;
    }

    void makePersons()
    {
        Inserter person(m_db, u"Person"_s, 3);
        const QStringList names = {u"父"_s, u"母"_s, u"長男"_s, u"長女"_s, u"次男"_s, u"祖父"_s, u"祖母"_s, u"ペット"_s};
        for (int i = 0; i < PersonCount; ++i)
            person.row({m_firstPerson + i, names.at(i), true});
        m_summary.persons = PersonCount;
    }

    // Monthly scheduled entries (rent, insurance, phone): the lines of months
    // that have passed are booked, the later ones wait as scheduled lines.
    void makeCards()
    {
        Inserter reserve(m_db, u"ReserveList"_s, 31);
        const struct
        {
            const char16_t *name;
            int category;
            int day;
            int amount;
        } cards[] = {{u"家賃", 8, 27, 85000}, {u"生命保険", 13, 5, 12000}, {u"携帯電話", 6, 20, 6800}};
        int dataNo = 0;
        for (const auto &c : cards) {
            Card card{++dataNo, ++m_receiptNo, QString::fromUtf16(c.name), m_expense[size_t(c.category)].code,
                      m_banks.front(), c.day, c.amount};
            QVariantList row = {card.dataNo, card.receiptNo, card.name, m_start, double(card.amount), 0, 0, 0,
                                card.kariCode, card.kasiCode, 1, m_start, QVariant(), card.day, 0, OriginExpense, true,
                                true};
            for (int m = 0; m < 12; ++m)
                row << double(card.amount);
            row << 1;
            reserve.row(row);
            m_cardsScheduled.push_back(card);
        }
        m_reserveNo = dataNo;
    }

    Line scheduledLine(const Card &card, const QDate &date)
    {
        Line l;
        l.date = date;
        l.amount = card.amount;
        l.kariCode = card.kariCode;
        l.kasiCode = card.kasiCode;
        l.receiptNo = card.receiptNo;
        l.style = StyleScheduled;
        l.origin = OriginScheduled;
        l.zeiAtukai = 1;
        l.reserved = date > m_today ? QVariant(true) : bookedFlag();
        return l;
    }

    static QDate dayOf(int year, int month, int day)
    {
        const QDate first(year, month, 1);
        return QDate(year, month, std::min(day, first.daysInMonth()));
    }

    Line expenseLine(const QDate &date, const Category &c)
    {
        Line l;
        l.date = date;
        l.kariCode = c.code;
        l.kasiCode = pickCash();
        l.zeiAtukai = c.zeiAtukai;
        l.reserved = bookedFlag();
        if (!c.items.empty() && m_rng.chance(0.7)) {
            const int code = c.items.at(size_t(skewed(int(c.items.size()))));
            l.item = code;
            l.amount = m_items.at(size_t(code - m_firstItem)).gaku;
        } else {
            l.amount = m_rng.between(10, 3000) * 10;
        }
        if (m_rng.chance(0.1)) {
            l.quantity = m_rng.between(2, 5);
            l.amount *= qint64(l.quantity);
        }
        if (!c.shops.empty() && m_rng.chance(0.6))
            l.shop = c.shops.at(size_t(skewed(int(c.shops.size()))));
        if (m_rng.chance(0.1))
            l.person = m_firstPerson + m_rng.below(PersonCount);
        return l;
    }

    const Category &someExpense() { return m_expense.at(size_t(skewed(ExpenseCount))); }

    // The accounting month of a card purchase and the day the bill is paid.
    void cardMonth(const Account &card, const QDate &date, int &lookupNo, QDate &payDate) const
    {
        QDate month(date.year(), date.month(), 1);
        if (card.simebi < 31 && date.day() > card.simebi)
            month = month.addMonths(1);
        lookupNo = EncodeMonthCode(uint16_t(month.year()), uint16_t(month.month()));
        const QDate pay = month.addMonths(card.cycle);
        payDate = dayOf(pay.year(), pay.month(), card.furikomibi);
    }

    // One event of a day: a single line or a slip of up to room lines.
    void addEvent(const QDate &date, int room, std::vector<Line> &out)
    {
        const int r = m_rng.below(100);
        if (r < 50 || room < 2) {
            out.push_back(expenseLine(date, someExpense()));
        } else if (r < 57) {
            Line l;
            l.date = date;
            l.kariCode = pickCash();
            l.kasiCode = m_income.at(size_t(1 + skewed(IncomeCount - 1))).code;
            l.amount = m_rng.between(50, 5000) * 10;
            l.origin = OriginIncome;
            l.reserved = bookedFlag();
            out.push_back(l);
        } else if (r < 65) {
            Line l;
            l.date = date;
            const Account &to = m_accounts.at(size_t(skewed(AccountCount)));
            l.kariCode = to.code;
            l.kasiCode = to.code == CashCode ? m_banks.front() : pickCash();
            if (l.kasiCode == l.kariCode)
                l.kasiCode = CashCode;
            l.amount = m_rng.between(1, 100) * 1000;
            l.origin = OriginTransfer;
            l.reserved = bookedFlag();
            out.push_back(l);
        } else if (r < 85) {
            // A receipt: one shop, several categories, paid in cash.
            const int n = std::min(room, m_rng.between(2, 6));
            const int receipt = ++m_receiptNo;
            const Category &first = someExpense();
            const int shop = first.shops.empty() ? m_firstShop + m_rng.below(ShopCount) : first.shops.front();
            const int kasi = pickCash();
            for (int g = 1; g <= n; ++g) {
                Line l = expenseLine(date, g == 1 ? first : someExpense());
                l.gyoNo = g;
                l.shop = shop;
                l.kasiCode = kasi;
                l.receiptNo = receipt;
                l.style = StyleReceipt;
                out.push_back(l);
            }
        } else if (r < 95) {
            // A card bill: purchases on the card, then the bill's withdrawal
            // from a bank account on the payment day.
            const Account &card = m_cards.at(size_t(skewed(int(m_cards.size()))));
            const int n = std::min(room - 1, m_rng.between(1, 5));
            const int receipt = ++m_receiptNo;
            int lookupNo = 0;
            QDate payDate;
            cardMonth(card, date, lookupNo, payDate);
            qint64 total = 0;
            for (int g = 1; g <= n; ++g) {
                Line l = expenseLine(date, someExpense());
                l.gyoNo = g;
                l.kariSide = false;
                l.kasiCode = card.code;
                l.zeiAtukai = 1;
                l.receiptNo = receipt;
                l.lookupNo = lookupNo;
                l.style = StyleBill;
                total += l.amount;
                out.push_back(l);
            }
            Line pay;
            pay.date = payDate;
            pay.amount = total;
            pay.item = 3; // the automatic withdrawal item
            pay.kariSide = true;
            pay.kariCode = card.code;
            pay.kasiCode = m_banks.at(size_t(m_rng.below(int(m_banks.size()))));
            pay.reserved = bookedFlag();
            pay.receiptNo = receipt;
            pay.lookupNo = lookupNo;
            pay.style = StyleBillPayment;
            out.push_back(pay);
        } else {
            // A free slip paid from a bank account, in the month it was made.
            const int n = std::min(room, m_rng.between(2, 6));
            const int receipt = ++m_receiptNo;
            const int kasi = m_banks.at(size_t(skewed(int(m_banks.size()))));
            const int lookupNo = EncodeMonthCode(uint16_t(date.year()), uint16_t(date.month()));
            for (int g = 1; g <= n; ++g) {
                Line l = expenseLine(date, someExpense());
                l.gyoNo = g;
                l.kasiCode = kasi;
                l.receiptNo = receipt;
                l.lookupNo = lookupNo;
                l.style = StyleFree;
                out.push_back(l);
            }
        }
    }

    void makeJournal()
    {
        // The scheduled lines still to come (the rest of this month and the next
        // three months) are part of the line count.
        std::vector<Line> future;
        for (const Card &card : m_cardsScheduled)
            for (int m = 0; m <= 3; ++m) {
                const QDate month = QDate(m_today.year(), m_today.month(), 1).addMonths(m);
                const QDate date = dayOf(month.year(), month.month(), card.day);
                if (date > m_today)
                    future.push_back(scheduledLine(card, date));
            }
        const int pastTarget = std::max(0, m_lines - int(future.size()));
        const int days = int(m_start.daysTo(m_today)) + 1;

        Inserter insert(m_db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                              "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, "
                              "STYLE, ORIGIN, ZEIATUKAI) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,1,?,?,?)"_s);
        auto write = [&](const Line &l) {
            insert.row({++m_dataNo, l.gyoNo, l.date, double(l.amount), l.quantity, l.shop, l.item, l.person,
                        l.kariSide, l.kariCode, l.kasiCode, l.reserved, l.lookupNo, l.receiptNo, l.style, l.origin,
                        l.zeiAtukai});
            if (l.reserved.isValid() && l.reserved.toBool())
                ++m_summary.reservedLines;
            if (!m_summary.firstDate.isValid() || l.date < m_summary.firstDate)
                m_summary.firstDate = l.date;
            if (!m_summary.lastDate.isValid() || l.date > m_summary.lastDate)
                m_summary.lastDate = l.date;
        };

        // Lines dated later than their entry day (bill payments) wait here and
        // are written on their own day, so record numbers follow the dates.
        std::vector<Line> pending;
        int count = 0;
        std::vector<Line> today;
        for (int d = 0; d < days; ++d) {
            const QDate date = m_start.addDays(d);
            const int target = int(qint64(pastTarget) * (d + 1) / days);
            today.clear();
            for (const Card &card : m_cardsScheduled)
                if (date == dayOf(date.year(), date.month(), card.day))
                    today.push_back(scheduledLine(card, date));
            if (date == dayOf(date.year(), date.month(), 25)) {
                Line salary;
                salary.date = date;
                salary.kariCode = m_banks.front();
                salary.kasiCode = m_income.front().code;
                salary.amount = 250000 + m_rng.below(50) * 1000;
                salary.origin = OriginIncome;
                salary.reserved = bookedFlag();
                today.push_back(salary);
            }
            count += int(today.size());
            while (count < target) {
                const size_t before = today.size();
                addEvent(date, target - count, today);
                count += int(today.size() - before);
            }
            // Move the bill payments to their day.
            for (auto it = today.begin(); it != today.end();) {
                if (it->date > date) {
                    pending.push_back(*it);
                    it = today.erase(it);
                } else {
                    ++it;
                }
            }
            for (auto it = pending.begin(); it != pending.end();) {
                if (it->date == date) {
                    today.push_back(*it);
                    it = pending.erase(it);
                } else {
                    ++it;
                }
            }
            for (const Line &l : today)
                write(l);
        }
        std::stable_sort(pending.begin(), pending.end(), [](const Line &a, const Line &b) { return a.date < b.date; });
        for (const Line &l : pending)
            write(l);
        for (const Line &l : future)
            write(l);
        m_summary.journalLines = m_dataNo;
        m_summary.maxDataNo = m_dataNo;
        m_summary.maxReceiptNo = m_receiptNo;
        m_summary.slips = m_receiptNo - int(m_cardsScheduled.size());
    }

    void makeBudgets()
    {
        Inserter yosan(m_db, u"Yosan"_s, 5);
        for (QDate month = m_start; month <= m_today; month = month.addMonths(1)) {
            for (int i = 0; i < BudgetExpenseCategories; ++i)
                yosan.row({++m_yosanNo, month, m_expense[size_t(i)].code, double(m_rng.between(5, 100) * 1000), 2});
            for (int i = 0; i < BudgetIncomeCategories; ++i)
                yosan.row({++m_yosanNo, month, m_income[size_t(i)].code, double(m_rng.between(10, 300) * 1000), 1});
        }
        m_summary.budgets = m_yosanNo;
    }

    void makeDiary()
    {
        Inserter memo(m_db, u"Memo"_s, 3);
        static const QStringList texts = {u"晴れ。買い物に行った。"_s, u"雨。家で過ごした。"_s,
                                          u"給料日。外食した。"_s, u"病院へ行った。\r\n薬をもらった。"_s};
        for (QDate date = m_start; date <= m_today; date = date.addDays(m_rng.between(3, 11)))
            memo.row({++m_memoNo, date, texts.at(m_rng.below(int(texts.size())))});
        m_summary.diaryRows = m_memoNo;
    }

    void setCounter(const QString &name, int value)
    {
        Statement update(m_db, u"UPDATE AutoInc SET MAXNO = ? WHERE NAME = ?"_s);
        update.bind(1, value);
        update.bind(2, name);
        update.exec();
        if (m_db.changes() == 0) {
            Statement insert(m_db, u"INSERT INTO AutoInc (NAME, MAXNO) VALUES (?, ?)"_s);
            insert.bind(1, name);
            insert.bind(2, value);
            insert.exec();
        }
    }

    void writeCounters()
    {
        // Counters run under the lower-cased table file names.
        setCounter(u"master.db"_s, m_dataNo);
        setCounter(u"receiptno"_s, m_receiptNo);
        setCounter(u"himoku.db"_s, m_maxHimoku);
        setCounter(u"hinmeimast.db"_s, m_firstItem - 1 + ItemCount);
        setCounter(u"hinmeilist.db"_s, m_hinmeiListNo);
        setCounter(u"shopmast.db"_s, m_firstShop - 1 + ShopCount);
        setCounter(u"shoplist.db"_s, m_shopListNo);
        setCounter(u"person.db"_s, m_firstPerson - 1 + PersonCount);
        setCounter(u"yosan.db"_s, m_yosanNo);
        setCounter(u"memo.db"_s, m_memoNo);
        setCounter(u"reservelist.db"_s, m_reserveNo);
    }

    Database &m_db;
    SplitMix64 m_rng;
    int m_lines;
    QDate m_start, m_today;
    GenerateBook::Summary m_summary;

    std::vector<Category> m_income, m_expense;
    std::vector<Account> m_accounts;
    std::vector<int> m_banks;
    std::vector<Account> m_cards;
    std::vector<Item> m_items;
    std::vector<Card> m_cardsScheduled;
    int m_maxHimoku = 0;
    int m_firstHimoku = 101, m_firstItem = 101, m_firstShop = 101, m_firstPerson = 101;
    int m_hinmeiListNo = 0;
    int m_shopListNo = 0;
    int m_dataNo = 0;
    int m_receiptNo = 0;
    int m_yosanNo = 0;
    int m_memoNo = 0;
    int m_reserveNo = 0;
};

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

void makeFolder(const QString &folder, Database &db)
{
    if (QFileInfo::exists(GenerateBook::databasePath(folder)))
        throw std::runtime_error(("a book already exists in " + folder).toStdString());
    if (!QDir().mkpath(folder))
        throw std::runtime_error(("cannot make folder " + folder).toStdString());
    db.open(GenerateBook::databasePath(folder), QString(), true);
    // The schema routine (through the data module's plain view of it: the
    // table definitions' own field type must not meet the data sets' one in a
    // program that also links the data module).
    DatModSchema::createEmptyBook(db);
    writeFile(folder + u"/PomuZenitData.ini"_s,
              "[DataLevel]\nDataLevel=" + QByteArray::number(DatModSchema::currentLevel()) + '\n');
    writeFile(folder + u"/MemoRandum.txt"_s, QByteArray());
}

} // namespace

QString GenerateBook::databasePath(const QString &folder)
{
    return QDir(folder).filePath(DatModSchema::databaseFileName());
}

void GenerateBook::createEmptyBook(const QString &folder)
{
    Database db;
    makeFolder(folder, db);
    db.close();
}

GenerateBook::Summary GenerateBook::createLargeBook(const QString &folder, const Options &options)
{
    // A new book as the program makes it (the template's calendar, categories
    // and settings), then years of use.
    if (QFileInfo::exists(databasePath(folder)))
        throw std::runtime_error(("a book already exists in " + folder).toStdString());
    if (qEnvironmentVariableIsEmpty("POMU_TEMPLATE"))
        qputenv("POMU_TEMPLATE", POMU_TEMPLATE_PATH);
    if (!QDir().mkpath(folder) || !CreateBookFromTemplate(folder))
        throw std::runtime_error(("cannot restore the new-book template into " + folder).toStdString());
    Database db;
    db.open(databasePath(folder));
    const Summary summary = fill(db, options);
    db.close();
    return summary;
}

GenerateBook::Summary GenerateBook::fill(Database &db, const Options &options)
{
    Generator generator(db, options);
    return generator.run();
}
