#include "data/FormCalender.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QDate>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

std::function<void()> TFormCalender::OnDataSaved;

void TFormCalender::InstallDataModuleSave()
{
    // The calendar writes the book through its own statements: the data module
    // learns of it as of any other change, and its tables are flushed so that
    // they and the next backup see the new days.
    OnDataSaved = [] {
        if (!DatMod)
            return;
        DatMod->DataChanged = true;
        DatMod->FlushTables();
    };
}
TFormCalender *FormCalender = nullptr;

namespace {

const QString kDaysNote = u"春分の日、秋分の日は毎年変動し修正が必要な場合があります。よろしかったら保存してください。"_s;
const QString kRulesNote = u"よろしかったら保存してください。"_s;
const QString kDayDefCaption = u"休日の定義"_s;
const QString kBackCaption = u"戻る"_s;

// Column widths of the two tables (A n fields).
constexpr int kNameLength = 20;
constexpr int kCommentLength = 40;

// Short weekday name of the rules' weekday number (1 Sunday .. 7 Saturday).
QString yobiName(int yobi)
{
    return QLocale().dayName(yobi == 1 ? 7 : yobi - 1, QLocale::ShortFormat); // Qt: 1 Monday .. 7 Sunday
}

QStringList dayKindNames()
{
    QStringList names;
    for (QStringView n : DayKindNames)
        names << n.toString();
    return names;
}

// A typed day-kind name; any other text is 7 (その他).
int parseDayKind(const QString &text)
{
    const int i = dayKindNames().indexOf(text.trimmed());
    return i < 0 ? 7 : i;
}

// "-" stands for 0 ("any") in the rule columns.
QString anyText(int value)
{
    return value == 0 ? u"-"_s : QString::number(value);
}

bool parseAny(const QString &text, int low, int high, int &value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t == u"-") {
        value = 0;
        return true;
    }
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    value = v;
    return true;
}

// Dates typed as yy/mm/dd (the form the rule grid shows) or in full; a blank or
// an untouched mask ("  /  /  ") clears the date.
bool parseDate(const QString &text, QDate &date)
{
    QString t = text;
    t.remove(u' ');
    t.remove(u'_');
    if (QString(t).remove(u'/').isEmpty()) {
        date = QDate();
        return true;
    }
    QDate d = QDate::fromString(t, u"yyyy/M/d"_s);
    if (!d.isValid())
        d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid()) {
        d = QDate::fromString(t, u"yy/M/d"_s);
        if (d.isValid() && d.year() < 2000)
            d = d.addYears(100);
    }
    if (!d.isValid())
        return false;
    date = d;
    return true;
}

QColor weekdayColor(const QDate &date)
{
    if (date.isValid() && date.dayOfWeek() == Qt::Sunday)
        return Qt::red;
    if (date.isValid() && date.dayOfWeek() == Qt::Saturday)
        return Qt::blue;
    return Qt::black;
}

QVariant dateParam(const QDate &date)
{
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant();
}

QDate readDate(const Statement &st, int column)
{
    return st.isNull(column) ? QDate() : QDate::fromString(st.textValue(column).left(10), Qt::ISODate);
}

} // namespace

// Rows held in a grid with their own change log: each change keeps the state
// before it, so 元に戻す takes back one change and 全取消 all of them; rows of
// the book that were deleted are remembered until the save.
template <class Row>
class EditableRows : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    QList<Row> rows;
    QList<qint64> deleted;

    int changeCount() const { return int(m_log.size()); }
    void remember() { m_log.append({rows, deleted}); }
    void reset(const QList<Row> &fresh)
    {
        beginResetModel();
        rows = fresh;
        deleted.clear();
        m_log.clear();
        endResetModel();
    }
    void undo()
    {
        if (m_log.isEmpty())
            return;
        beginResetModel();
        const State s = m_log.takeLast();
        rows = s.rows;
        deleted = s.deleted;
        endResetModel();
    }
    void cancelAll()
    {
        if (m_log.isEmpty())
            return;
        beginResetModel();
        rows = m_log.first().rows;
        deleted = m_log.first().deleted;
        m_log.clear();
        endResetModel();
    }
    void appendRow(const Row &row)
    {
        remember();
        beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size()));
        rows.append(row);
        endInsertRows();
    }
    void removeAt(int i)
    {
        if (i < 0 || i >= rows.size())
            return;
        remember();
        beginRemoveRows(QModelIndex(), i, i);
        if (rowIdOf(rows.at(i)) != 0)
            deleted.append(rowIdOf(rows.at(i)));
        rows.removeAt(i);
        endRemoveRows();
    }
    // A change made outside setData (the generation): one step of the log.
    template <class F>
    void change(F &&f)
    {
        remember();
        auto changedRows = [this] {
            return std::count_if(rows.cbegin(), rows.cend(), [](const auto &r) { return r.Changed; });
        };
        const auto sizeBefore = rows.size();
        const auto changedBefore = changedRows();
        beginResetModel();
        f(rows);
        endResetModel();
        // A generation that wrote nothing (a book without day rules) is no
        // change to ask about when the dialog closes.
        if (rows.size() == sizeBefore && changedRows() == changedBefore)
            m_log.removeLast();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(rows.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
            return m_headers.at(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_headers.size());
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || !index.isValid() || index.row() >= rows.size())
            return false;
        Row row = rows.at(index.row());
        if (!setCell(row, index.column(), value.toString()))
            return false;
        remember();
        rows[index.row()] = row;
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
        return true;
    }

protected:
    // Parses a typed text into a copy of the row; false refuses it.
    virtual bool setCell(Row &row, int column, const QString &text) = 0;
    virtual qint64 rowIdOf(const Row &row) const = 0;
    QStringList m_headers;

private:
    struct State
    {
        QList<Row> rows;
        QList<qint64> deleted;
    };
    QList<State> m_log;
};

class DayGridModel : public EditableRows<TDayRow>
{
public:
    explicit DayGridModel(QObject *parent) : EditableRows(parent)
    {
        m_headers = {u"日付"_s, u"曜日"_s, u"名称"_s, u"種類"_s, u"メモ"_s};
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows.size())
            return {};
        const TDayRow &r = rows.at(index.row());
        if (role == Qt::ForegroundRole && index.column() <= 1)
            return QBrush(weekdayColor(r.RecDate));
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        switch (index.column()) {
        case 0: return DateToStr(r.RecDate); // the run's short date format, as every date shown
        case 1: return r.RecDate.isValid() ? QLocale().toString(r.RecDate, u"ddd"_s) : QString();
        case 2: return r.Name;
        case 3: return DayKindName(r.Type);
        case 4: return r.Comment;
        default: return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        const Qt::ItemFlags f = EditableRows::flags(index);
        return index.column() == 1 ? f & ~Qt::ItemIsEditable : f; // the weekday follows the date
    }

protected:
    bool setCell(TDayRow &row, int column, const QString &text) override
    {
        switch (column) {
        case 0: {
            QDate d;
            if (!parseDate(text, d) || !d.isValid())
                return false;
            row.RecDate = d;
            break;
        }
        case 2: row.Name = text.left(kNameLength); break;
        case 3: row.Type = parseDayKind(text); break;
        case 4: row.Comment = text.left(kCommentLength); break;
        default: return false;
        }
        row.Changed = true;
        return true;
    }
    qint64 rowIdOf(const TDayRow &row) const override { return row.RowId; }
};

class RuleGridModel : public EditableRows<TDayRuleRow>
{
public:
    explicit RuleGridModel(QObject *parent) : EditableRows(parent)
    {
        m_headers = {u"名称"_s, u"年"_s, u"月"_s, u"日"_s, u"第何週"_s, u"曜日"_s, u"種類"_s, u"適用開始日"_s,
                     u"適用終了日"_s};
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        const TDayRule &r = rows.at(index.row()).Rule;
        switch (index.column()) {
        case 0: return r.Name;
        case 1: return anyText(r.AYear);
        case 2: return anyText(r.AMonth);
        case 3: return anyText(r.ADay);
        case 4: return anyText(r.AWeek);
        case 5: return r.Yobi >= 1 && r.Yobi <= 7 ? yobiName(r.Yobi) : u"-"_s;
        case 6: return DayKindName(r.Type);
        case 7: return r.StartDay.isValid() ? r.StartDay.toString(u"yy/MM/dd"_s) : QString();
        case 8: return r.EndDay.isValid() ? r.EndDay.toString(u"yy/MM/dd"_s) : QString();
        default: return {};
        }
    }

protected:
    bool setCell(TDayRuleRow &row, int column, const QString &text) override
    {
        TDayRule &r = row.Rule;
        switch (column) {
        case 0: r.Name = text.left(kNameLength); break;
        case 1: if (!parseAny(text, 1, 9999, r.AYear)) return false; break;
        case 2: if (!parseAny(text, 1, 12, r.AMonth)) return false; break;
        case 3: if (!parseAny(text, 1, 31, r.ADay)) return false; break;
        case 4: if (!parseAny(text, 1, 5, r.AWeek)) return false; break;
        case 5: {
            // A weekday name, or anything else for "any".
            r.Yobi = 0;
            for (int y = 1; y <= 7; ++y)
                if (text.trimmed() == yobiName(y))
                    r.Yobi = y;
            break;
        }
        case 6: r.Type = parseDayKind(text); break;
        case 7: if (!parseDate(text, r.StartDay)) return false; break;
        case 8: if (!parseDate(text, r.EndDay)) return false; break;
        default: return false;
        }
        row.Changed = true;
        return true;
    }
    qint64 rowIdOf(const TDayRuleRow &row) const override { return row.RowId; }
};

namespace {

// Pick lists of grid columns: an editable drop-down with the column's choices.
class PickListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QHash<int, QStringList> pickLists;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (!pickLists.contains(index.column()))
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(pickLists.value(index.column()));
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QComboBox *>(editor))
            box->setCurrentText(index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QComboBox *>(editor))
            model->setData(index, box->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

// Ends the cell editor open in a grid, writing its text into the model or not.
void finishEdit(QTableView *grid, bool commit)
{
    QWidget *editor = QApplication::focusWidget();
    if (!editor || editor == grid->viewport() || !grid->viewport()->isAncestorOf(editor))
        return;
    while (editor->parentWidget() != grid->viewport())
        editor = editor->parentWidget();
    if (commit)
        QMetaObject::invokeMethod(grid, "commitData", Q_ARG(QWidget *, editor));
    QMetaObject::invokeMethod(grid, "closeEditor", Q_ARG(QWidget *, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
}

} // namespace

TFormCalender::TFormCalender(Database &db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setObjectName(u"FormCalender"_s);
    setWindowTitle(u"カレンダー設定"_s);
    const int thisYear = QDate::currentDate().year();
    FirstYear = LastYear = ShowYear = CurYear = thisYear;
    m_days = new DayGridModel(this);
    m_rules = new RuleGridModel(this);
    DateListModel = m_days;
    DayMastModel = m_rules;
    buildUi();
    if (!FormCalender)
        FormCalender = this;
}

TFormCalender::~TFormCalender()
{
    if (FormCalender == this)
        FormCalender = nullptr;
}

void TFormCalender::buildUi()
{
    CbBoxYear = new QComboBox(this);
    CbBoxYear->setEditable(true);
    CbBoxYear->setInsertPolicy(QComboBox::NoInsert);
    // Digits only; a validator still lets backspace through.
    CbBoxYear->setValidator(new QIntValidator(0, 9999, CbBoxYear));
    CbBoxYear->setAttribute(Qt::WA_InputMethodEnabled, false);
    LbYear = new QLabel(u"年"_s, this);
    FrBtnCreateHoliday = new QPushButton(u"休日を生成"_s, this);
    FrBtnDayDef = new QPushButton(kDayDefCaption, this);
    SpBtnlClose = new QPushButton(u"閉じる"_s, this);
    BtnInsert = new QPushButton(u"追加"_s, this);
    BtnPost = new QPushButton(u"登録"_s, this);
    BtnCancel = new QPushButton(u"取消"_s, this);
    BtnSave = new QPushButton(u"保存"_s, this);
    BtnDelete = new QPushButton(u"削除"_s, this);
    BtnCancelAll = new QPushButton(u"全取消"_s, this);
    BtnUndo = new QPushButton(u"元に戻す"_s, this);
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    MyDBGridDateList = new QTableView(this);
    MyDBGridDateList->setModel(m_days);
    MyDBGridDayMast = new QTableView(this);
    MyDBGridDayMast->setModel(m_rules);
    MyDBGridDayMast->hide();
    for (QTableView *grid : {MyDBGridDateList, MyDBGridDayMast}) {
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setStyleSheet(u"QTableView { selection-background-color: #CCDEFF; selection-color: black; }"_s);
    }

    const int thisYear = QDate::currentDate().year();
    auto *dayPicks = new PickListDelegate(this);
    dayPicks->pickLists.insert(3, dayKindNames());
    MyDBGridDateList->setItemDelegate(dayPicks);
    auto *rulePicks = new PickListDelegate(this);
    QStringList years{u"-"_s}, months{u"-"_s}, days{u"-"_s}, weeks{u"-"_s}, yobis{u"-"_s};
    for (int y = thisYear; y <= thisYear + 10; ++y)
        years << QString::number(y);
    for (int m = 1; m <= 12; ++m)
        months << QString::number(m);
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    for (int w = 1; w <= 5; ++w)
        weeks << QString::number(w);
    for (int y = 1; y <= 7; ++y)
        yobis << yobiName(y);
    rulePicks->pickLists = {{1, years}, {2, months}, {3, days}, {4, weeks}, {5, yobis}, {6, dayKindNames()}};
    MyDBGridDayMast->setItemDelegate(rulePicks);

    Label1 = new QLabel(kDaysNote, this);
    Label1->setWordWrap(true);
    PalBottom = new QWidget(this);
    auto *bottom = new QVBoxLayout(PalBottom);
    bottom->addWidget(new QLabel(
        u"注意）　「春分の日」「秋分の日」は上記の設定にかかわらず1980年～2099年の間は計算により決定されます。"_s,
        PalBottom));
    bottom->addWidget(new QLabel(u"「春分の日」「秋分の日」の行を削除すると自動計算は停止します。"_s, PalBottom));
    PalBottom->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(CbBoxYear);
    top->addWidget(LbYear);
    top->addWidget(FrBtnCreateHoliday);
    top->addStretch();
    top->addWidget(FrBtnDayDef);
    top->addWidget(SpBtnlClose);
    auto *actions = new QHBoxLayout;
    for (QPushButton *b : {BtnInsert, BtnPost, BtnCancel, BtnSave, BtnDelete, BtnCancelAll, BtnUndo})
        actions->addWidget(b);
    actions->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(actions);
    layout->addWidget(MyDBGridDateList, 1);
    layout->addWidget(MyDBGridDayMast, 1);
    layout->addWidget(Label1);
    layout->addWidget(PalBottom);
    resize(680, 560);

    connect(FrBtnCreateHoliday, &QPushButton::clicked, this, [this] { FrBtnCreateHolidayClick(); });
    connect(FrBtnDayDef, &QPushButton::clicked, this, [this] { FrBtnDayDefClick(); });
    connect(SpBtnlClose, &QPushButton::clicked, this, [this] { close(); });
    connect(BtnInsert, &QPushButton::clicked, this, [this] { InsertRow(); });
    // A cell being edited is written by 登録 and dropped by 取消.
    connect(BtnPost, &QPushButton::clicked, this, [this] { finishEdit(shownGrid(), true); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { finishEdit(shownGrid(), false); });
    connect(BtnSave, &QPushButton::clicked, this, [this] { Save(); });
    connect(BtnDelete, &QPushButton::clicked, this, [this] { DeleteRow(); });
    connect(BtnCancelAll, &QPushButton::clicked, this, [this] { CancelAll(); });
    connect(BtnUndo, &QPushButton::clicked, this, [this] { Undo(); });
    connect(CbBoxYear, &QComboBox::activated, this, [this] { YearChanged(); });
    connect(CbBoxYear->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (CbBoxYear->currentText().toInt() != CurYear)
            YearChanged();
    });
}

const QList<TDayRow> &TFormCalender::days() const
{
    return m_days->rows;
}

const QList<TDayRuleRow> &TFormCalender::rules() const
{
    return m_rules->rows;
}

int TFormCalender::changeCount() const
{
    return showingRules() ? m_rules->changeCount() : m_days->changeCount();
}

bool TFormCalender::showingRules() const
{
    return !MyDBGridDayMast->isHidden();
}

QTableView *TFormCalender::shownGrid() const
{
    return showingRules() ? MyDBGridDayMast : MyDBGridDateList;
}

void TFormCalender::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_loadingYears = true;
    CbBoxYear->clear();
    for (int y = FirstYear - 5; y <= LastYear + 5; ++y)
        CbBoxYear->addItem(QString::number(y));
    CbBoxYear->setCurrentIndex(CbBoxYear->findText(QString::number(ShowYear)));
    CbBoxYear->setEditText(QString::number(ShowYear));
    m_loadingYears = false;
    LoadYear();
}

void TFormCalender::LoadYear()
{
    CurYear = CbBoxYear->currentText().toInt();
    m_days->reset(LoadYearDays(m_db, CurYear));
    if (m_days->rows.isEmpty())
        FrBtnCreateHolidayClick();
}

void TFormCalender::YearChanged()
{
    if (m_loadingYears || showingRules() || CbBoxYear->currentText().toInt() == CurYear)
        return;
    Save();
    LoadYear();
}

void TFormCalender::FrBtnCreateHolidayClick()
{
    const QList<TDayRule> rules = LoadDayRules(m_db);
    const int year = CurYear;
    m_days->change([&](QList<TDayRow> &days) { GenerateYearRows(year, rules, days); });
}

void TFormCalender::loadRules()
{
    QList<TDayRuleRow> rows;
    Statement st(m_db, u"SELECT rowid, DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, STARTDAY, ENDDAY "
                       "FROM DateMast ORDER BY rowid"_s);
    while (st.next()) {
        TDayRuleRow r;
        r.RowId = st.intValue(0);
        r.Rule.DataNo = qint32(st.intValue(1));
        r.Rule.Name = st.textValue(2);
        r.Rule.AYear = int(st.intValue(3));
        r.Rule.AMonth = int(st.intValue(4));
        r.Rule.ADay = int(st.intValue(5));
        r.Rule.AWeek = int(st.intValue(6));
        r.Rule.Yobi = int(st.intValue(7));
        r.Rule.Type = int(st.intValue(8));
        r.Rule.StartDay = readDate(st, 9);
        r.Rule.EndDay = readDate(st, 10);
        rows.append(r);
    }
    m_rules->reset(rows);
}

void TFormCalender::saveDays()
{
    if (m_days->changeCount() == 0)
        return;
    // Numbers and rows in one transaction; the grid learns the numbers and row
    // ids only after the commit, so a failed save can be retried as it stands.
    QList<TDayRow> rows = m_days->rows;
    // A row added by 追加 and left blank is no day: it is dropped, not stored.
    rows.removeIf([](const TDayRow &r) {
        return r.RowId == 0 && !r.RecDate.isValid() && r.Name.isEmpty() && r.Comment.isEmpty();
    });
    {
        Transaction transaction(m_db, Database::TransactionMode::Immediate);
        for (qint64 rowId : std::as_const(m_days->deleted)) {
            Statement del(m_db, u"DELETE FROM DateList WHERE rowid = ?"_s);
            del.bind(1, rowId);
            del.exec();
        }
        for (TDayRow &r : rows) {
            if (r.RowId != 0 && !r.Changed)
                continue;
            if (r.DataNo == 0)
                r.DataNo = RecordNumbers::GetNewDataNo(m_db, u"DateList.db"_s);
            const QVariantList values{r.DataNo, dateParam(r.RecDate), r.Name, r.Type,
                                      r.Comment.isEmpty() ? QVariant() : QVariant(r.Comment)};
            if (r.RowId == 0) {
                Statement ins(m_db, u"INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE, COMMENT) "
                                    "VALUES (?, ?, ?, ?, ?)"_s);
                for (int i = 0; i < values.size(); ++i)
                    ins.bind(i + 1, values.at(i));
                ins.exec();
                r.RowId = m_db.lastInsertRowId();
            } else {
                Statement upd(m_db, u"UPDATE DateList SET DATANO = ?, RECDATE = ?, NAME = ?, TYPE = ?, COMMENT = ? "
                                    "WHERE rowid = ?"_s);
                for (int i = 0; i < values.size(); ++i)
                    upd.bind(i + 1, values.at(i));
                upd.bind(6, r.RowId);
                upd.exec();
            }
            r.Changed = false;
        }
        transaction.commit();
    }
    m_days->reset(rows);
    if (OnDataSaved)
        OnDataSaved();
}

void TFormCalender::saveRules()
{
    if (m_rules->changeCount() == 0)
        return;
    QList<TDayRuleRow> rows = m_rules->rows;
    {
        Transaction transaction(m_db, Database::TransactionMode::Immediate);
        for (qint64 rowId : std::as_const(m_rules->deleted)) {
            Statement del(m_db, u"DELETE FROM DateMast WHERE rowid = ?"_s);
            del.bind(1, rowId);
            del.exec();
        }
        for (TDayRuleRow &row : rows) {
            if (row.RowId != 0 && !row.Changed)
                continue;
            TDayRule &r = row.Rule;
            if (r.DataNo == 0)
                r.DataNo = RecordNumbers::GetNewDataNo(m_db, u"DateMast.DB"_s);
            const QVariantList values{r.DataNo, r.Name,  r.AYear, r.AMonth,           r.ADay,
                                      r.AWeek,  r.Yobi,  r.Type,  dateParam(r.StartDay), dateParam(r.EndDay)};
            if (row.RowId == 0) {
                Statement ins(m_db, u"INSERT INTO DateMast (DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, "
                                    "STARTDAY, ENDDAY) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
                for (int i = 0; i < values.size(); ++i)
                    ins.bind(i + 1, values.at(i));
                ins.exec();
                row.RowId = m_db.lastInsertRowId();
            } else {
                Statement upd(m_db, u"UPDATE DateMast SET DATANO = ?, NAME = ?, AYEAR = ?, AMONTH = ?, ADAY = ?, "
                                    "AWEEK = ?, YOBI = ?, TYPE = ?, STARTDAY = ?, ENDDAY = ? WHERE rowid = ?"_s);
                for (int i = 0; i < values.size(); ++i)
                    upd.bind(i + 1, values.at(i));
                upd.bind(11, row.RowId);
                upd.exec();
            }
            row.Changed = false;
        }
        transaction.commit();
    }
    m_rules->reset(rows);
    if (OnDataSaved)
        OnDataSaved();
}

void TFormCalender::Save()
{
    finishEdit(shownGrid(), true);
    if (showingRules())
        saveRules();
    else
        saveDays();
    LoadHolidayList(m_db);
}

bool TFormCalender::CheckPendingChanges()
{
    finishEdit(shownGrid(), true);
    if (changeCount() == 0)
        return true;
    switch (MessageDlg(u"編集中のデータがあります。\r保存しますか？"_s, MsgDlgType::Information, mbYesNoCancel)) {
    case mrYes: Save(); return true;
    case mrNo: return true;
    default: return false;
    }
}

bool TFormCalender::FrBtnDayDefClick()
{
    if (!CheckPendingChanges())
        return false;
    if (!showingRules()) {
        FrBtnDayDef->setText(kBackCaption);
        PalBottom->show();
        FrBtnCreateHoliday->hide();
        CbBoxYear->hide();
        LbYear->hide();
        loadRules();
        MyDBGridDayMast->show();
        m_days->reset({});
        MyDBGridDateList->hide();
        Label1->setText(kRulesNote);
    } else {
        FrBtnDayDef->setText(kDayDefCaption);
        PalBottom->hide();
        FrBtnCreateHoliday->show();
        CbBoxYear->show();
        LbYear->show();
        MyDBGridDateList->show();
        m_rules->reset({});
        MyDBGridDayMast->hide();
        LoadYear();
        Label1->setText(kDaysNote);
    }
    return true;
}

void TFormCalender::InsertRow()
{
    if (showingRules()) {
        TDayRuleRow row;
        row.Rule.Type = DayKindNationalHoliday;
        row.Changed = true;
        m_rules->appendRow(row);
    } else {
        // A blank row, for the user to fill: a preset date would be a day the
        // user never chose, stored as it is if not noticed.
        TDayRow row;
        row.Changed = true;
        m_days->appendRow(row);
    }
    QTableView *grid = shownGrid();
    const QModelIndex first = grid->model()->index(grid->model()->rowCount() - 1, 0);
    grid->setCurrentIndex(first);
    grid->scrollTo(first);
}

void TFormCalender::DeleteRow()
{
    QTableView *grid = shownGrid();
    const int row = grid->currentIndex().row();
    if (row < 0)
        return;
    if (MessageDlg(u"レコードを削除してもよいですか？"_s, MsgDlgType::Confirmation, mbOKCancel) == mrCancel)
        return;
    if (showingRules())
        m_rules->removeAt(row);
    else
        m_days->removeAt(row);
}

void TFormCalender::CancelAll()
{
    if (showingRules())
        m_rules->cancelAll();
    else
        m_days->cancelAll();
}

void TFormCalender::Undo()
{
    if (showingRules())
        m_rules->undo();
    else
        m_days->undo();
}

void TFormCalender::done(int result)
{
    // 閉じる, Escape and the window's close button all end here.
    if (!CheckPendingChanges())
        return;
    m_days->reset({});
    m_rules->reset({});
    CurYear = QDate::currentDate().year();
    m_loadingYears = true;
    CbBoxYear->setEditText(QString::number(CurYear));
    m_loadingYears = false;
    QDialog::done(result);
}
