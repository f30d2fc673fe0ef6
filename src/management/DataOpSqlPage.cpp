#include "management/DataOpSqlPage.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <sqlcipher/sqlite3.h>

#include "data/DatMod.h"
#include "data/TextFile.h"
#include "management/FormDataOperation.h"
#include "management/PickListDelegate.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Table.h"
#include "platform/system/Folders.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

Database &book() { return DatMod->MainDatabase; }

const QString kFailed = u"SQL文を実行できませんでした。データは変更されていません。"_s;
const QString kFilter = u"テキストファイル (*.txt *.TXT);;すべてのファイル (*)"_s;
const QString kFileName = u"SQL.txt"_s;

QString quoted(const QString &name) { return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"'; }

// Statements that reach past the open book (another database file, its key,
// the engine's settings) are not run from this page.
bool reachesOutside(const QString &sql)
{
    static const QRegularExpression outside(u"^\\s*(ATTACH|DETACH|VACUUM|PRAGMA)\\b"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    for (const QString &one : LocalSql::statements(sql))
        if (outside.match(one).hasMatch())
            return true;
    return false;
}

bool refusedOutside(const QString &sql)
{
    if (!reachesOutside(sql))
        return false;
    MessageDlg(u"このページでは開いている家計簿のデータだけを操作できます。\rATTACH、DETACH、VACUUM、PRAGMA は実行できません。"_s,
               MsgDlgType::Warning, mbOK);
    return true;
}

} // namespace

TDataOpSqlPage::TDataOpSqlPage(QWidget *parent) : QWidget(parent)
{
    auto *v = new QVBoxLayout(this);
    auto *title = new QLabel(u"SQL分を実行して直接データベースを操作します。"_s, this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    v->addWidget(title);

    auto *split = new QSplitter(Qt::Vertical, this);
    auto *top = new QWidget(split);
    auto *tl = new QVBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(new QLabel(u"SQL入力"_s));
    MenuBar = new QMenuBar(top);
    QMenu *file = MenuBar->addMenu(u"ファイル(&Z)"_s);
    FileOpen1 = file->addAction(u"開く(&O)..."_s);
    FileOpen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSaveAs1 = file->addAction(u"名前を付けて保存(&A)..."_s);
    // The edit commands stand in the bar itself beside the file menu. Their
    // keys are the text controls' own keys: the actions only name them
    // (bound to the bar, which never has the focus), so a key acts once, in
    // the control that has it, and Delete on the grid never reaches the memo.
    const auto edit = [this](const QString &caption, const QKeySequence &key, EditCommand command) {
        QAction *a = MenuBar->addAction(caption);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, [this, command] { runEditCommand(command); });
        return a;
    };
    EditCut1 = edit(u"切り取り(&T)"_s, QKeySequence(Qt::CTRL | Qt::Key_X), EditCommand::Cut);
    EditCopy1 = edit(u"コピー(&C)"_s, QKeySequence(Qt::CTRL | Qt::Key_C), EditCommand::Copy);
    EditPaste1 = edit(u"貼り付け(&P)"_s, QKeySequence(Qt::CTRL | Qt::Key_V), EditCommand::Paste);
    EditSelectAll1 = edit(u"すべてを選択(&A)"_s, QKeySequence(Qt::CTRL | Qt::Key_A), EditCommand::SelectAll);
    EditUndo1 = edit(u"元に戻す(&U)"_s, QKeySequence(Qt::CTRL | Qt::Key_Z), EditCommand::Undo);
    EditDelete1 = edit(u"削除(&D)"_s, QKeySequence(Qt::Key_Delete), EditCommand::Delete);
    tl->addWidget(MenuBar);
    MemoSQL = new QPlainTextEdit(top);
    MemoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoSQL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tl->addWidget(MemoSQL, 1);
    ChkBoxRequestLive = new QCheckBox(u"編集可能モードで実行する。"_s, top);
    tl->addWidget(ChkBoxRequestLive);
    auto *buttons = new QHBoxLayout;
    FrBtnNoDataSet = new QPushButton(u"結果セット『なし』 SQL実行"_s, top);
    FrBtnDataSet = new QPushButton(u"結果セット『あり』 SQL実行"_s, top);
    SpeedButton1 = new QPushButton(u"生データ表示"_s, top);
    SpeedButton1->setCheckable(true);
    CmbBoxTblList = new QComboBox(top);
    CmbBoxTblList->setMinimumWidth(180);
    CmbBoxTblList->hide();
    buttons->addWidget(FrBtnNoDataSet);
    buttons->addWidget(FrBtnDataSet);
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(CmbBoxTblList);
    tl->addLayout(buttons);

    auto *bottom = new QWidget(split);
    auto *bl = new QVBoxLayout(bottom);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->addWidget(new QLabel(u"結果セット"_s));
    Model = new QStandardItemModel(this);
    MyDBGridSql = new QTableView(bottom);
    MyDBGridSql->setModel(Model);
    TFormDataOperation::SetUnfocusedSelection(MyDBGridSql);
    MyDBGridSql->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MyDBGridSql->verticalHeader()->setDefaultSectionSize(22);
    bl->addWidget(MyDBGridSql, 1);
    auto *under = new QHBoxLayout;
    BvlLbSQLCount = new QLabel(bottom);
    BvlCanEditSQL = new QLabel(u"編集不可"_s, bottom);
    MyDBNavigator2 = new TMyDBNavigator(bottom);
    MyDBNavigator2->setObjectName(u"MyDBNavigator2"_s);
    MyDBNavigator2->showEditButtons(true);
    MyDBNavigator2->setRows(this);
    under->addWidget(MyDBNavigator2);
    under->addWidget(BvlLbSQLCount);
    under->addWidget(BvlCanEditSQL);
    under->addStretch();
    bl->addLayout(under);
    split->addWidget(top);
    split->addWidget(bottom);
    split->setStretchFactor(1, 2);
    v->addWidget(split, 1);

    connect(FrBtnNoDataSet, &QPushButton::clicked, this, &TDataOpSqlPage::RunWithoutResult);
    connect(FrBtnDataSet, &QPushButton::clicked, this, &TDataOpSqlPage::RunWithResult);
    connect(SpeedButton1, &QPushButton::clicked, this, &TDataOpSqlPage::SpeedButton1Click);
    connect(CmbBoxTblList, &QComboBox::activated, this, &TDataOpSqlPage::CmbBoxTblListChange);
    connect(Model, &QStandardItemModel::itemChanged, this, &TDataOpSqlPage::cellEdited);
    // Leaving an edited line posts it, as moving off a record does.
    connect(MyDBGridSql->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (!m_filling && m_editRow >= 0 && previous.isValid() && previous.row() == m_editRow &&
                    current.row() != m_editRow)
                    PostRow();
                MyDBNavigator2->updateButtons();
            });
    connect(FileOpen1, &QAction::triggered, this, [this] {
        const QString path = OpenFileDialog(this, u"開く"_s, fileStartPath(), kFilter);
        if (!path.isEmpty())
            OpenSqlFile(path);
    });
    connect(FileSaveAs1, &QAction::triggered, this, [this] {
        const QString path = SaveFileDialog(this, u"名前を付けて保存"_s, fileStartPath(), kFilter, u"txt"_s);
        if (!path.isEmpty())
            SaveSqlFile(path);
    });
    showEditState();
}

QString TDataOpSqlPage::fileStartPath() const
{
    return QDir(m_folder.isEmpty() ? Folders::documentsFolder() : m_folder).filePath(kFileName);
}

bool TDataOpSqlPage::OpenSqlFile(const QString &path)
{
    QString text, message;
    TextEncoding encoding = TextEncoding::Utf8;
    if (!ReadTextFile(path, text, encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    m_shiftJis = encoding == TextEncoding::ShiftJis;
    m_folder = QFileInfo(path).absolutePath();
    MemoSQL->setPlainText(text);
    return true;
}

bool TDataOpSqlPage::SaveSqlFile(const QString &path)
{
    QString message;
    TextEncoding encoding = m_shiftJis ? TextEncoding::ShiftJis : TextEncoding::Utf8;
    if (!WriteTextFile(path, MemoSQL->toPlainText(), encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    m_shiftJis = encoding == TextEncoding::ShiftJis;
    m_folder = QFileInfo(path).absolutePath();
    return true;
}

void TDataOpSqlPage::showEditState()
{
    const bool editable = m_live.editable;
    BvlCanEditSQL->setText(editable ? u"編集可能"_s : u"編集不可"_s);
    BvlCanEditSQL->setStyleSheet(editable ? u"QLabel { background: rgb(209, 255, 206); }"_s : QString());
    MyDBNavigator2->updateButtons();
    MyDBGridSql->setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                QAbstractItemView::AnyKeyPressed
                                          : QAbstractItemView::NoEditTriggers);
}

QString TDataOpSqlPage::statementText() const
{
    return LocalSql::translate(MemoSQL->toPlainText().trimmed());
}

void TDataOpSqlPage::CloseQuery()
{
    CommitOpenEditor(MyDBGridSql);
    // What was typed into a line is posted before the result goes.
    if (m_editRow >= 0)
        PostRow();
    m_filling = true;
    Model->clear();
    m_filling = false;
    m_open = false;
    m_kinds.clear();
    m_live = LiveResult();
    BvlLbSQLCount->clear();
    showEditState();
}

bool TDataOpSqlPage::RunWithoutResult()
{
    CloseQuery();
    const QString sql = statementText();
    if (sql.isEmpty() || !DatMod || !book().isOpen() || refusedOutside(sql))
        return false;
    WaitCursor wait;
    try {
        // One transaction: a statement the engine refuses part way leaves the
        // book as it was.
        Transaction tr(book(), Database::TransactionMode::Immediate);
        for (const QString &one : LocalSql::statements(sql)) {
            Statement st(book(), one);
            st.exec();
        }
        tr.commit();
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(kFailed, e);
        return false;
    }
    DatMod->DataChanged = true;
    return true;
}

bool TDataOpSqlPage::RunWithResult()
{
    CloseQuery();
    const QString sql = statementText();
    if (sql.isEmpty() || !DatMod || !book().isOpen() || refusedOutside(sql))
        return false;
    WaitCursor wait;
    QStringList headers;
    QList<QStringList> rows;
    QList<QVariantList> rowValues;
    QList<QChar> declared;
    bool writes = false;
    try {
        Statement st(book(), sql);
        writes = !sqlite3_stmt_readonly(st.handle());
        if (ChkBoxRequestLive->isChecked() && !writes)
            findLiveTable(st);
        for (int c = 0; c < st.columnCount(); ++c) {
            headers << st.columnName(c);
            declared << LocalSql::typeLetter(QString::fromUtf8(sqlite3_column_decltype(st.handle(), c)));
        }
        while (st.next()) {
            QStringList row;
            QVariantList values;
            for (int c = 0; c < st.columnCount(); ++c) {
                row << st.textValue(c);
                values << st.value(c);
            }
            rows << row;
            rowValues << values;
        }
    } catch (const EDatabaseError &e) {
        m_live = LiveResult();
        TFormDataOperation::ShowEngineError(kFailed, e);
        return false;
    }
    // A statement that writes (run with this button all the same) makes the
    // rest of the program read the book again.
    if (writes)
        DatMod->DataChanged = true;
    // A result has no types of its own. A column taken as it stands from a
    // table's column carries that column's declared type, whatever the query
    // calls it: RECDATE is a date and KINGAKU an amount in any SELECT, a join
    // included. A computed column (an expression, a sum, a date function) has
    // none: it is a date when every value it holds is a date as the book
    // writes dates (2024-01-31), and never an amount, since a computed number
    // is as often a count or a code as a sum of money.
    using Kind = TFormDataOperation::CellKind;
    for (int c = 0; c < headers.size(); ++c) {
        const QChar type = declared.at(c);
        Kind kind = type == u'D' ? Kind::Date : type == u'$' ? Kind::Money : Kind::Plain;
        if (type.isNull()) {
            static const QRegularExpression isoDate(u"^\\d{4}-\\d{2}-\\d{2}$"_s);
            bool dates = !rowValues.isEmpty();
            bool any = false;
            for (const QVariantList &values : std::as_const(rowValues)) {
                const QVariant &v = values.at(c);
                if (v.isNull())
                    continue;
                any = true;
                const QString text = v.toString();
                if (v.typeId() != QMetaType::QString || !isoDate.match(text).hasMatch() ||
                    !QDate::fromString(text, Qt::ISODate).isValid()) {
                    dates = false;
                    break;
                }
            }
            if (dates && any)
                kind = Kind::Date;
        }
        m_kinds << kind;
    }
    m_live.texts = rows;
    m_live.values = rowValues;
    m_open = true;
    m_filling = true;
    Model->setColumnCount(headers.size());
    Model->setHorizontalHeaderLabels(headers);
    Model->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows.at(r).size(); ++c)
            Model->setItem(r, c, new QStandardItem);
        showRow(r);
    }
    m_filling = false;
    if (!rows.isEmpty())
        MyDBGridSql->setCurrentIndex(Model->index(0, 0));
    MyDBGridSql->setStyleSheet(m_live.editable ? u"QTableView { background: white; }"_s
                                               : u"QTableView { background: rgb(247, 247, 230); }"_s);
    BvlLbSQLCount->setText(u"データ数：　%1件"_s.arg(rows.size()));
    showEditState();
    return true;
}

void TDataOpSqlPage::findLiveTable(const Statement &st)
{
    // Editable only when every column is a plain column of one table of the
    // book, each shown once, and the table's key is among them: a row is then
    // found again by its key alone.
    LiveResult live;
    sqlite3_stmt *h = st.handle();
    if (st.columnCount() == 0)
        return;
    for (int c = 0; c < st.columnCount(); ++c) {
        const char *db = sqlite3_column_database_name(h, c);
        const char *table = sqlite3_column_table_name(h, c);
        const char *origin = sqlite3_column_origin_name(h, c);
        if (!db || !table || !origin || qstrcmp(db, "main") != 0)
            return;
        const QString name = QString::fromUtf8(table);
        if (!live.table.isEmpty() && live.table.compare(name, Qt::CaseInsensitive) != 0)
            return;
        live.table = name;
        const QString column = QString::fromUtf8(origin);
        if (live.columns.contains(column, Qt::CaseInsensitive))
            return;
        live.columns << column;
    }
    QStringList keys;
    QHash<QString, QString> declared;
    // Columns: cid, name, type, notnull, default, pk (its place in the key).
    QMap<int, QString> keyOrder;
    Statement info(book(), u"PRAGMA table_info(%1)"_s.arg(quoted(live.table)));
    while (info.next()) {
        declared.insert(info.textValue(1).toUpper(), info.textValue(2));
        if (info.intValue(5) > 0)
            keyOrder.insert(int(info.intValue(5)), info.textValue(1));
    }
    keys = keyOrder.values();
    if (keys.isEmpty())
        return;
    for (const QString &key : std::as_const(keys)) {
        int c = 0;
        while (c < live.columns.size() && live.columns.at(c).compare(key, Qt::CaseInsensitive) != 0)
            ++c;
        if (c == live.columns.size())
            return;
        live.keyColumns << c;
    }
    for (const QString &column : std::as_const(live.columns)) {
        int size = 0;
        live.types << LocalSql::typeLetter(declared.value(column.toUpper()), &size);
        live.sizes << size;
    }
    live.editable = true;
    m_live = live;
}

namespace {

// The value a typed text stands for in a column of type letter; refusal is
// set when it stands for none.
QVariant typedValue(const QString &typed, QChar type, int size, QString &refusal)
{
    const QString text = typed.trimmed();
    switch (type.unicode()) {
    case u'S':
    case u'I': {
        if (text.isEmpty())
            return QVariant();
        bool ok = false;
        const qlonglong v = QString(text).remove(u',').toLongLong(&ok);
        if (!ok)
            refusal = u"整数を入力してください。"_s;
        return v;
    }
    case u'N':
    case u'$': {
        if (text.isEmpty())
            return QVariant();
        bool ok = false;
        const double v = QString(text).remove(u',').toDouble(&ok);
        if (!ok)
            refusal = u"数値を入力してください。"_s;
        return v;
    }
    case u'L':
        if (text.isEmpty())
            return QVariant();
        if (text == u"1" || text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
            return 1;
        if (text == u"0" || text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
            return 0;
        refusal = u"1 (True) か 0 (False) を入力してください。"_s;
        return QVariant();
    case u'D': {
        if (text.isEmpty())
            return QVariant();
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (!d.isValid())
            refusal = u"日付は 2024-01-31 の形で入力してください。"_s;
        return d.toString(Qt::ISODate);
    }
    default:
        if (size > 0 && typed.size() > size)
            refusal = u"%1 文字までです。"_s.arg(size);
        return typed;
    }
}

} // namespace

void TDataOpSqlPage::showRow(int row)
{
    const bool filling = m_filling;
    m_filling = true;
    const QStringList &texts = m_live.texts.at(row);
    const QVariantList &values = m_live.values.at(row);
    for (int c = 0; c < texts.size(); ++c) {
        QStandardItem *item = Model->item(row, c);
        item->setText(texts.at(c));
        TFormDataOperation::DBGridMainDrawColumnCell(item, m_kinds.value(c), values.at(c));
    }
    m_filling = filling;
}

void TDataOpSqlPage::beginEdit(int row)
{
    m_editRow = row;
    m_pending = m_live.values.at(row);
    m_pendingTexts.clear();
    MyDBNavigator2->updateButtons();
}

QString TDataOpSqlPage::keyCondition() const
{
    QStringList where;
    for (int k : std::as_const(m_live.keyColumns))
        where << quoted(m_live.columns.at(k)) + u" = ?"_s;
    return where.join(u" AND "_s);
}

bool TDataOpSqlPage::readRow(const QVariantList &rowValues, QStringList &texts, QVariantList &values) const
{
    QStringList columns;
    for (const QString &column : m_live.columns)
        columns << quoted(column);
    Statement st(book(), u"SELECT %1 FROM %2 WHERE %3"_s.arg(columns.join(u", "_s), quoted(m_live.table),
                                                              keyCondition()));
    for (int i = 0; i < m_live.keyColumns.size(); ++i)
        st.bind(i + 1, rowValues.at(m_live.keyColumns.at(i)));
    if (!st.next())
        return false;
    texts.clear();
    values.clear();
    for (int c = 0; c < m_live.columns.size(); ++c) {
        texts << st.textValue(c);
        values << st.value(c);
    }
    return true;
}

int TDataOpSqlPage::rowsCount() const
{
    return Model->rowCount();
}

int TDataOpSqlPage::rowsCurrent() const
{
    const QModelIndex current = MyDBGridSql->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TDataOpSqlPage::rowsSetCurrent(int row)
{
    const int column = qMax(0, MyDBGridSql->currentIndex().column());
    MyDBGridSql->setCurrentIndex(Model->index(row, column));
}

void TDataOpSqlPage::cellEdited(QStandardItem *item)
{
    const int row = item->row();
    const int column = item->column();
    if (m_filling || !m_live.editable || row >= m_live.values.size() || column >= m_live.columns.size())
        return;
    QString refusal;
    const QVariant value = typedValue(item->text(), m_live.types.value(column), m_live.sizes.value(column), refusal);
    if (!refusal.isEmpty()) {
        // Put back; a line not being edited does not start its edit.
        MessageDlg(m_live.columns.at(column) + u": "_s + refusal, MsgDlgType::Warning, mbOK);
        m_filling = true;
        item->setText(m_editRow == row ? m_pendingTexts.value(column, m_live.texts.at(row).at(column))
                                       : m_live.texts.at(row).at(column));
        m_filling = false;
        return;
    }
    if (m_editRow != row) {
        if (m_editRow >= 0)
            PostRow();
        beginEdit(row);
    }
    m_pending[column] = value;
    m_pendingTexts.insert(column, item->text());
}

bool TDataOpSqlPage::PostRow()
{
    CommitOpenEditor(MyDBGridSql);
    if (m_editRow < 0)
        return true;
    const int row = m_editRow;
    const QVariantList pending = m_pending;
    const QList<int> changed = m_pendingTexts.keys();
    m_editRow = -1;
    m_pending.clear();
    m_pendingTexts.clear();
    bool written = changed.isEmpty();
    bool missing = false;
    if (!written) {
        QStringList sets;
        for (int c : changed)
            sets << quoted(m_live.columns.at(c)) + u" = ?"_s;
        try {
            Transaction tr(book(), Database::TransactionMode::Immediate);
            Statement st(book(), u"UPDATE %1 SET %2 WHERE %3"_s.arg(quoted(m_live.table), sets.join(u", "_s),
                                                                      keyCondition()));
            int p = 1;
            for (int c : changed)
                st.bind(p++, pending.at(c));
            for (int k : std::as_const(m_live.keyColumns))
                st.bind(p++, m_live.values.at(row).at(k));
            st.exec();
            QStringList texts;
            QVariantList values;
            if (book().changes() != 1 || !readRow(pending, texts, values)) {
                missing = true;
            } else {
                tr.commit();
                m_live.texts[row] = texts;
                m_live.values[row] = values;
                written = true;
                DatMod->DataChanged = true;
            }
        } catch (const EDatabaseError &e) {
            TFormDataOperation::ShowEngineError(u"データを書き込めませんでした。データは変更されていません。"_s, e);
        }
    }
    // Told once the transaction is rolled back, not while it holds the book.
    if (missing) {
        rowNotFound(row);
        return false;
    }
    // Written or not, the line shows what the book holds.
    showRow(row);
    MyDBNavigator2->updateButtons();
    return written;
}

void TDataOpSqlPage::CancelRow()
{
    // An open cell editor is closed without handing its text on.
    const QModelIndex current = MyDBGridSql->currentIndex();
    if (QWidget *editor = current.isValid() ? MyDBGridSql->indexWidget(current) : nullptr)
        emit MyDBGridSql->itemDelegateForIndex(current)->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    if (m_editRow >= 0) {
        const int row = m_editRow;
        m_editRow = -1;
        m_pending.clear();
        m_pendingTexts.clear();
        showRow(row);
    }
    MyDBNavigator2->updateButtons();
}

void TDataOpSqlPage::EditRow()
{
    const int row = rowsCurrent();
    if (!m_live.editable || row < 0)
        return;
    if (m_editRow != row) {
        if (m_editRow >= 0)
            PostRow();
        beginEdit(row);
    }
    MyDBGridSql->setFocus();
    MyDBGridSql->edit(MyDBGridSql->currentIndex());
}

bool TDataOpSqlPage::DeleteRow()
{
    const int row = rowsCurrent();
    if (!m_live.editable || row < 0)
        return false;
    // A line being edited is given up, not written, before it goes.
    CancelRow();
    bool missing = false;
    try {
        Transaction tr(book(), Database::TransactionMode::Immediate);
        Statement st(book(), u"DELETE FROM %1 WHERE %2"_s.arg(quoted(m_live.table), keyCondition()));
        for (int i = 0; i < m_live.keyColumns.size(); ++i)
            st.bind(i + 1, m_live.values.at(row).at(m_live.keyColumns.at(i)));
        st.exec();
        missing = book().changes() != 1;
        if (!missing)
            tr.commit();
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"データを削除できませんでした。データは変更されていません。"_s, e);
        return false;
    }
    if (missing) {
        rowNotFound(row);
        return false;
    }
    DatMod->DataChanged = true;
    dropRow(row);
    return true;
}

void TDataOpSqlPage::dropRow(int row)
{
    const int column = qMax(0, MyDBGridSql->currentIndex().column());
    m_filling = true;
    Model->removeRow(row);
    m_filling = false;
    m_live.values.removeAt(row);
    m_live.texts.removeAt(row);
    // The line after it becomes the current one (the one before at the end).
    if (Model->rowCount() > 0)
        MyDBGridSql->setCurrentIndex(Model->index(qMin(row, Model->rowCount() - 1), column));
    BvlLbSQLCount->setText(u"データ数：　%1件"_s.arg(Model->rowCount()));
    MyDBNavigator2->updateButtons();
}

void TDataOpSqlPage::rowNotFound(int row)
{
    // Another statement changed its key or deleted it: the grid follows the
    // book and no longer shows it.
    MessageDlg(u"この行は見つかりませんでした。ほかの操作で変更または削除された可能性があります。\r"
               "データは変更されていません。"_s,
               MsgDlgType::Warning, mbOK);
    dropRow(row);
}

void TDataOpSqlPage::runEditCommand(EditCommand command)
{
    // A result cell's editor when it has the focus (a click on the bar leaves
    // the focus where it was); otherwise the memo, which also takes the focus
    // when a button had it, so that what the command did is seen.
    QWidget *focused = window()->focusWidget();
    auto *line = focused && isAncestorOf(focused) ? qobject_cast<QLineEdit *>(focused) : nullptr;
    if (line) {
        switch (command) {
        case EditCommand::Cut: line->cut(); break;
        case EditCommand::Copy: line->copy(); break;
        case EditCommand::Paste: line->paste(); break;
        case EditCommand::SelectAll: line->selectAll(); break;
        case EditCommand::Undo: line->undo(); break;
        case EditCommand::Delete:
            if (line->hasSelectedText())
                line->insert(QString());
            break;
        }
        return;
    }
    MemoSQL->setFocus();
    switch (command) {
    case EditCommand::Cut: MemoSQL->cut(); break;
    case EditCommand::Copy: MemoSQL->copy(); break;
    case EditCommand::Paste: MemoSQL->paste(); break;
    case EditCommand::SelectAll: MemoSQL->selectAll(); break;
    case EditCommand::Undo: MemoSQL->undo(); break;
    case EditCommand::Delete: MemoSQL->textCursor().removeSelectedText(); break;
    }
}

void TDataOpSqlPage::SpeedButton1Click()
{
    const bool down = SpeedButton1->isChecked();
    CmbBoxTblList->setVisible(down);
    if (!down || !DatMod)
        return;
    CmbBoxTblList->clear();
    for (Table *t : DatMod->tables()) {
        const QString name = t->name();
        if (name == u"HimokuTbl2" || name == u"HinmeiMstTbl2" || name == u"ShopMstTbl2" || name == u"PersonTbl2")
            continue;
        CmbBoxTblList->addItem(t->tableName());
    }
    CmbBoxTblList->setCurrentIndex(-1);
}

void TDataOpSqlPage::CmbBoxTblListChange(int index)
{
    if (index < 0)
        return;
    MemoSQL->setPlainText(u"SELECT *\nFROM \""_s + CmbBoxTblList->itemText(index) + u"\""_s);
    RunWithResult();
}
