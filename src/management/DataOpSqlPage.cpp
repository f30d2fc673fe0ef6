#include "management/DataOpSqlPage.h"

#include <QComboBox>
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
#include "management/FormDataOperation.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

Database &book() { return DatMod->MainDatabase; }

const QString kFailed = u"SQL文を実行できませんでした。データは変更されていません。"_s;

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
    MemoSQL = new QPlainTextEdit(top);
    MemoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);
    tl->addWidget(MemoSQL, 1);
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
    MyDBGridSql->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MyDBGridSql->verticalHeader()->setDefaultSectionSize(22);
    bl->addWidget(MyDBGridSql, 1);
    auto *under = new QHBoxLayout;
    BvlLbSQLCount = new QLabel(bottom);
    BvlCanEditSQL = new QLabel(u"編集不可"_s, bottom);
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
}

QString TDataOpSqlPage::statementText() const
{
    return LocalSql::translate(MemoSQL->toPlainText().trimmed());
}

void TDataOpSqlPage::CloseQuery()
{
    Model->clear();
    BvlLbSQLCount->clear();
    BvlCanEditSQL->setText(u"編集不可"_s);
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
    bool writes = false;
    try {
        Statement st(book(), sql);
        writes = !sqlite3_stmt_readonly(st.handle());
        for (int c = 0; c < st.columnCount(); ++c)
            headers << st.columnName(c);
        while (st.next()) {
            QStringList row;
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.textValue(c);
            rows << row;
        }
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(kFailed, e);
        return false;
    }
    // A statement that writes (run with this button all the same) makes the
    // rest of the program read the book again.
    if (writes)
        DatMod->DataChanged = true;
    Model->setColumnCount(headers.size());
    Model->setHorizontalHeaderLabels(headers);
    Model->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c)
            Model->setItem(r, c, new QStandardItem(rows.at(r).at(c)));
    MyDBGridSql->setStyleSheet(u"QTableView { background: rgb(247, 247, 230); }"_s);
    BvlLbSQLCount->setText(u"データ数：　%1件"_s.arg(rows.size()));
    return true;
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
