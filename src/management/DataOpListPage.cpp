#include "management/DataOpListPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/RecordNumbers.h"
#include "management/DataOpCodePanel.h"
#include "management/DataOpJournalPage.h"
#include "management/DataOpMasterPage.h"
#include "management/FormDataOperation.h"
#include "management/PickListDelegate.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAll = u"すべて"_s;
const QStringList kFields = {u"DATANO"_s,  u"HIMOKUCODE"_s, u"HimokuName"_s, u"OYACODE"_s,
                             u"OyaName"_s, u"KOCODE"_s,     u"KoName"_s,     u"VISIBLE"_s};

Database &book() { return DatMod->MainDatabase; }

void info(const QString &text) { MessageDlg(text, MsgDlgType::Information, mbOK); }

} // namespace

TDataOpListPage::TDataOpListPage(QWidget *parent) : QWidget(parent)
{
    auto *v = new QVBoxLayout(this);
    LbListTitle = new QLabel(this);
    QFont f = LbListTitle->font();
    f.setBold(true);
    LbListTitle->setFont(f);
    v->addWidget(LbListTitle);

    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    Model = new QStandardItemModel(this);
    DBGridList = new QTableView(this);
    DBGridList->setModel(Model);
    DBGridList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridList->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    m_delegate = new TPickListDelegate(this);
    DBGridList->setItemDelegate(m_delegate);
    DBGridList->verticalHeader()->hide();
    DBGridList->verticalHeader()->setDefaultSectionSize(22);
    left->addWidget(DBGridList, 1);
    auto *under = new QHBoxLayout;
    BvlLbListCount = new QLabel(this);
    FrBtnAllListDelete = new QPushButton(u"一括削除"_s, this);
    FrBtnDeleteDup = new QPushButton(u"重複データ削除"_s, this);
    BtnDelete = new QPushButton(u"削除"_s, this);
    BtnCancel = new QPushButton(u"取消"_s, this);
    BtnInsert = new QPushButton(u"追加"_s, this);
    BtnPost = new QPushButton(u"登録"_s, this);
    under->addWidget(BvlLbListCount);
    under->addStretch();
    for (QPushButton *b : {BtnDelete, BtnCancel, BtnInsert, BtnPost})
        under->addWidget(b);
    under->addWidget(FrBtnAllListDelete);
    under->addWidget(FrBtnDeleteDup);
    left->addLayout(under);
    body->addLayout(left, 1);

    auto *search = new QGroupBox(u"抽出操作"_s, this);
    auto *sl = new QVBoxLayout(search);
    CbBoxListHimoku = new QComboBox(search);
    LbEditOyaName = new QLineEdit(search);
    LbEditKoName = new QLineEdit(search);
    sl->addWidget(new QLabel(u"費目"_s));
    sl->addWidget(CbBoxListHimoku);
    sl->addWidget(new QLabel(u"親項目　検索文字"_s));
    sl->addWidget(LbEditOyaName);
    sl->addWidget(new QLabel(u"子項目　検索文字"_s));
    sl->addWidget(LbEditKoName);
    auto *like = new QGroupBox(u"あいまい抽出"_s, search);
    auto *ll = new QVBoxLayout(like);
    RGListLikeIndex = new QButtonGroup(this);
    const QStringList likeTexts = {u"しない"_s, u"～から始まる"_s, u"～を含む"_s};
    for (int i = 0; i < likeTexts.size(); ++i) {
        auto *r = new QRadioButton(likeTexts.at(i), like);
        RGListLikeIndex->addButton(r, i);
        ll->addWidget(r);
    }
    RGListLikeIndex->button(0)->setChecked(true);
    sl->addWidget(like);
    sl->addStretch();
    body->addWidget(search);
    v->addLayout(body, 1);

    auto *conv = new QGroupBox(u"一括変換対象"_s, this);
    auto *cl = new QVBoxLayout(conv);
    auto *targets = new QHBoxLayout;
    ConvertButtons =
        BuildConvertTargets(conv, targets, {u"費目コード"_s, u"親コード"_s, u"子コード"_s, u"コピー"_s}, this);
    cl->addLayout(targets);
    ConvertPages = new QStackedWidget(conv);

    auto *himoku = new QWidget;
    auto *hl = new QGridLayout(himoku);
    CmbListHimokuMoto = new QComboBox(himoku);
    CmbListHimokuAto = new QComboBox(himoku);
    FrBtnListHimokuExecute = new QPushButton(u"実行"_s, himoku);
    hl->addWidget(new QLabel(u"変換元"_s), 0, 0);
    hl->addWidget(CmbListHimokuMoto, 0, 1);
    hl->addWidget(new QLabel(u"変換後"_s), 1, 0);
    hl->addWidget(CmbListHimokuAto, 1, 1);
    hl->addWidget(FrBtnListHimokuExecute, 0, 2, 2, 1);
    hl->setColumnStretch(3, 1);
    ConvertPages->addWidget(himoku);

    m_codePanel = new TCodeConvertPanel;
    RdBtnListCode = m_codePanel->ByCode;
    RadioButton2 = m_codePanel->All;
    LbListMoto = m_codePanel->MotoLabel;
    LbListAto = m_codePanel->AtoLabel;
    EditListMotoCode = m_codePanel->MotoCode;
    EditListMotoName = m_codePanel->MotoName;
    EditListAtoCode = m_codePanel->AtoCode;
    EditListAtoName = m_codePanel->AtoName;
    FrBtnOyaKo = m_codePanel->Execute;
    ConvertPages->addWidget(m_codePanel);

    auto *copy = new QWidget;
    auto *pl = new QHBoxLayout(copy);
    CmbListCopy = new QComboBox(copy);
    FrBtnListCopyExec = new QPushButton(u"実行"_s, copy);
    pl->addWidget(new QLabel(u"コピー先費目"_s));
    pl->addWidget(CmbListCopy);
    pl->addWidget(FrBtnListCopyExec);
    pl->addStretch();
    ConvertPages->addWidget(copy);
    cl->addWidget(ConvertPages);
    v->addWidget(conv);

    connect(CbBoxListHimoku, &QComboBox::currentIndexChanged, this, [this] { ListRequery = true; });
    for (QLineEdit *e : {LbEditOyaName, LbEditKoName})
        connect(e, &QLineEdit::textChanged, this, [this] { ListRequery = true; });
    connect(RGListLikeIndex, &QButtonGroup::idClicked, this, [this] { ListRequery = true; });
    connect(DBGridList->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TDataOpListPage::DBGridListTitleClick);
    connect(ConvertButtons, &QButtonGroup::idClicked, this, &TDataOpListPage::FrBtnListHimokuClick);
    for (QLineEdit *e : {EditListMotoCode, EditListAtoCode})
        connect(e, &QLineEdit::editingFinished, this, &TDataOpListPage::EditListMotoCodeValueSet);
    connect(FrBtnAllListDelete, &QPushButton::clicked, this, &TDataOpListPage::FrBtnAllListDeleteClick);
    connect(FrBtnDeleteDup, &QPushButton::clicked, this, &TDataOpListPage::FrBtnDeleteDupClick);
    connect(FrBtnListHimokuExecute, &QPushButton::clicked, this, &TDataOpListPage::FrBtnListHimokuExecuteClick);
    connect(FrBtnOyaKo, &QPushButton::clicked, this, &TDataOpListPage::FrBtnOyaKoClick);
    connect(FrBtnListCopyExec, &QPushButton::clicked, this, &TDataOpListPage::FrBtnListCopyExecClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TDataOpListPage::DeleteCurrent);
    connect(BtnCancel, &QPushButton::clicked, this, &TDataOpListPage::CancelNewRow);
    connect(BtnInsert, &QPushButton::clicked, this, &TDataOpListPage::DataSetInsertExecute);
    connect(BtnPost, &QPushButton::clicked, this, &TDataOpListPage::PostNewRow);
    connect(Model, &QStandardItemModel::itemChanged, this, &TDataOpListPage::cellEdited);
    // Leaving the new row posts it, as leaving a row of any data grid does.
    connect(DBGridList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                // Posted once the grid has finished moving: the post reads the list again.
                if (m_newRow && !m_filling && previous.row() == m_rows.size() && current.row() != previous.row())
                    QMetaObject::invokeMethod(this, [this] { PostNewRow(); }, Qt::QueuedConnection);
            });
    FillCombos();
    SetListKind(0);
}

QString TDataOpListPage::ListTable() const { return ListKind == 0 ? u"HinmeiList"_s : u"ShopList"_s; }
QString TDataOpListPage::MasterTable() const { return ListKind == 0 ? u"HinmeiMast"_s : u"ShopMast"_s; }

void TDataOpListPage::FillCombos()
{
    if (!DatModSql)
        return;
    const QSignalBlocker b(CbBoxListHimoku);
    DatModSql->FillHimokuCodeCombo(CbBoxListHimoku, 4, true, 0);
    CbBoxListHimoku->setCurrentIndex(0);
    DatModSql->FillHimokuCodeCombo(CmbListHimokuMoto, 4, true, 0);
    DatModSql->FillHimokuCodeCombo(CmbListHimokuAto, 4, false, 0);
    DatModSql->FillHimokuCodeCombo(CmbListCopy, 4, false, 0);
    for (QComboBox *c : {CmbListHimokuMoto, CmbListHimokuAto, CmbListCopy})
        c->setCurrentIndex(-1);
}

void TDataOpListPage::SetListKind(int kind)
{
    ListKind = kind;
    SortField = u"HIMOKUCODE,OYACODE,KOCODE"_s;
    SortDesc = false;
    {
        const QSignalBlocker b1(LbEditOyaName), b2(LbEditKoName);
        LbEditOyaName->clear();
        LbEditKoName->clear();
    }
    m_codePanel->ClearCodes();
    LbListTitle->setText(kind == 0 ? u"品名選択肢テーブル編集"_s : u"店名選択肢テーブル編集"_s);
    FrBtnListHimokuClick(ConvertButtons->checkedId() < 0 ? 0 : ConvertButtons->checkedId());
}

void TDataOpListPage::RunListQuery()
{
    ListRequery = false;
    if (!DatMod || !book().isOpen())
        return;
    // A new row is not lost to a new search: it is posted (or told why not).
    CommitOpenEditor(DBGridList);
    if (m_newRow)
        postNewRow(true);
    QStringList where;
    QVariantList params;
    const int himoku = TDataOpJournalPage::ComboCode(CbBoxListHimoku);
    if (himoku > 0) {
        where << u"(L.HIMOKUCODE = ?)"_s;
        params << himoku;
    }
    const int like = RGListLikeIndex->checkedId();
    const auto nameCondition = [&](const QString &text, const QString &alias) {
        if (text.isEmpty() || text == kAll)
            return;
        if (like == 0) {
            where << u"(%1.NAME = ?)"_s.arg(alias);
            params << text;
        } else {
            where << u"(%1.NAME LIKE ? ESCAPE '^')"_s.arg(alias);
            const QString p = TFormDataOperation::LikePattern(text);
            params << (like == 1 ? p + u"%"_s : u"%"_s + p + u"%"_s);
        }
    };
    nameCondition(LbEditOyaName->text(), u"OY"_s);
    nameCondition(LbEditKoName->text(), u"KO"_s);
    QString order;
    if (SortField == u"HimokuName")
        order = u"H.NAME"_s;
    else if (SortField == u"OyaName")
        order = u"OY.NAME"_s;
    else if (SortField == u"KoName")
        order = u"KO.NAME"_s;
    else
        order = u"L."_s + SortField.split(u',').join(u", L."_s);
    if (SortDesc)
        order = order.split(u", "_s).join(u" DESC, "_s) + u" DESC"_s;
    const QString sql = u"SELECT L.DATANO, L.HIMOKUCODE, L.OYACODE, L.KOCODE, L.VISIBLE, H.NAME, OY.NAME, KO.NAME "
                        "FROM %1 L LEFT JOIN Himoku H ON H.CODE = L.HIMOKUCODE "
                        "LEFT JOIN %2 OY ON OY.CODE = L.OYACODE LEFT JOIN %2 KO ON KO.CODE = L.KOCODE "_s
                            .arg(ListTable(), MasterTable()) +
                        (where.isEmpty() ? QString() : u"WHERE "_s + where.join(u" AND "_s)) + u" ORDER BY "_s +
                        order + u", L.DATANO"_s;
    m_rows.clear();
    try {
        Statement st(book(), sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params.at(i));
        while (st.next())
            m_rows << Row{int(st.intValue(0)), int(st.intValue(1)), int(st.intValue(2)), int(st.intValue(3)),
                          st.intValue(4) != 0,  st.textValue(5),      st.textValue(6),      st.textValue(7)};
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"選択肢を抽出できませんでした。"_s, e);
    }
    loadLookups();
    const QString word = ListKind == 0 ? u"品名"_s : u"店名"_s;
    const QStringList labels = {u"データＮｏ"_s, u"費目コード"_s, u"費目"_s,         u"親コード"_s,
                                u"親"_s + word, u"子コード"_s,   u"子"_s + word, u"表示する"_s};
    m_filling = true;
    m_newRow.reset();
    Model->clear();
    Model->setColumnCount(labels.size());
    Model->setRowCount(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i)
        showRow(i, m_rows.at(i));
    m_filling = false;
    TFormDataOperation::ShowSortColumn(Model, labels, kFields.indexOf(SortField), SortDesc);
    for (int c : {2, 4, 6})
        DBGridList->setColumnWidth(c, 160);
    BvlLbListCount->setText(u"データ数：　%1件"_s.arg(m_rows.size()));
}

void TDataOpListPage::CloseQuery()
{
    CommitOpenEditor(DBGridList);
    if (m_newRow)
        postNewRow(true);
    m_filling = true;
    m_newRow.reset();
    m_rows.clear();
    Model->setRowCount(0);
    m_filling = false;
}

void TDataOpListPage::DBGridListTitleClick(int column)
{
    const QString field = kFields.value(column);
    if (field.isEmpty())
        return;
    SortDesc = field == SortField ? !SortDesc : false;
    SortField = field;
    RunListQuery();
}

void TDataOpListPage::FrBtnListHimokuClick(int target)
{
    ConvertButtons->button(target)->setChecked(true);
    if (target == 0) {
        ConvertPages->setCurrentIndex(0);
    } else if (target == 3) {
        ConvertPages->setCurrentIndex(2);
    } else {
        ListCodeKind = target - 1;
        m_codePanel->ShowKind(ListCodeKind == 0 ? u"親コード"_s : u"子コード"_s);
        ConvertPages->setCurrentIndex(1);
    }
}

void TDataOpListPage::EditListMotoCodeValueSet()
{
    m_codePanel->SettleCodes([this](int code) {
        return code > 0 ? book().scalar(u"SELECT NAME FROM %1 WHERE CODE = ?"_s.arg(MasterTable()), {code}).toString()
                        : QString();
    });
}

bool TDataOpListPage::bulk(int count, const std::function<void()> &work)
{
    if (count == 0) {
        info(u"対象レコードはありません。"_s);
        return false;
    }
    if (!TFormDataOperation::ConfirmBulkChange(count))
        return false;
    try {
        WaitCursor wait;
        Transaction tr(book(), Database::TransactionMode::Immediate);
        work();
        tr.commit();
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"一括変換できませんでした。データは変更されていません。"_s, e);
        return false;
    } catch (const ERecordNumberError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    DatMod->DataChanged = true;
    RunListQuery();
    return true;
}

void TDataOpListPage::FrBtnAllListDeleteClick()
{
    QVector<int> chosen;
    bool yesToAll = false;
    for (const Row &r : std::as_const(m_rows)) {
        if (!yesToAll) {
            const auto answer = TFormDataOperation::AskRow(u"データNo %1:  %2  ,  %3 ,  %4  を削除してよろしいですか？ "_s
                                                               .arg(r.dataNo)
                                                               .arg(r.himokuName, r.oyaName, r.koName));
            if (answer == TFormDataOperation::RowAnswer::Abort)
                return; // nothing deleted
            if (answer == TFormDataOperation::RowAnswer::No)
                continue;
            if (answer == TFormDataOperation::RowAnswer::YesToAll)
                yesToAll = true;
        }
        chosen << r.dataNo;
    }
    bulk(chosen.size(), [&] {
        Statement st(book(), u"DELETE FROM %1 WHERE DATANO = ?"_s.arg(ListTable()));
        for (int no : std::as_const(chosen)) {
            st.reset();
            st.bind(1, no);
            st.exec();
        }
    });
}

void TDataOpListPage::FrBtnListHimokuExecuteClick()
{
    const int from = TDataOpJournalPage::ComboCode(CmbListHimokuMoto);
    const int to = TDataOpJournalPage::ComboCode(CmbListHimokuAto);
    if (from < 0 || to <= 0)
        return;
    QVector<int> chosen;
    for (const Row &r : std::as_const(m_rows))
        if (from == 0 || r.himoku == from)
            chosen << r.dataNo;
    bulk(chosen.size(), [&] {
        Statement st(book(), u"UPDATE %1 SET HIMOKUCODE = ? WHERE DATANO = ?"_s.arg(ListTable()));
        for (int no : std::as_const(chosen)) {
            st.reset();
            st.bind(1, to);
            st.bind(2, no);
            st.exec();
        }
    });
}

void TDataOpListPage::FrBtnOyaKoClick()
{
    EditListMotoCodeValueSet();
    const bool all = RadioButton2->isChecked();
    const int from = EditListMotoCode->text().toInt();
    const int to = EditListAtoCode->text().toInt();
    if (!((all || from > 100) && to > 100))
        return;
    const auto exists = [&](int code) {
        return book().scalar(u"SELECT COUNT(*) FROM %1 WHERE CODE = ?"_s.arg(MasterTable()), {code}).toInt() > 0;
    };
    if (!all && !exists(from)) {
        info(u"該当する変換元コードは存在しません。"_s);
        return;
    }
    if (!exists(to)) {
        info(u"該当する変換後コードは存在しません。"_s);
        return;
    }
    const QString field = ListCodeKind == 0 ? u"OYACODE"_s : u"KOCODE"_s;
    QVector<int> chosen;
    for (const Row &r : std::as_const(m_rows))
        if (all || (ListCodeKind == 0 ? r.oya : r.ko) == from)
            chosen << r.dataNo;
    bulk(chosen.size(), [&] {
        Statement st(book(), u"UPDATE %1 SET %2 = ? WHERE DATANO = ?"_s.arg(ListTable(), field));
        for (int no : std::as_const(chosen)) {
            st.reset();
            st.bind(1, to);
            st.bind(2, no);
            st.exec();
        }
    });
}

void TDataOpListPage::FrBtnListCopyExecClick()
{
    const int target = TDataOpJournalPage::ComboCode(CmbListCopy);
    if (target <= 0)
        return;
    const QVector<Row> rows = m_rows;
    bulk(rows.size(), [&] {
        const QString file = ListKind == 0 ? u"HinmeiList.db"_s : u"ShopList.db"_s;
        for (const Row &r : rows) {
            Statement find(book(), u"SELECT DATANO, VISIBLE FROM %1 WHERE HIMOKUCODE = ? AND OYACODE = ? AND "
                                   "KOCODE = ? ORDER BY DATANO LIMIT 1"_s.arg(ListTable()));
            find.bind(1, target);
            find.bind(2, r.oya);
            find.bind(3, r.ko);
            if (find.next()) {
                if (find.intValue(1) == 0) {
                    Statement show(book(), u"UPDATE %1 SET VISIBLE = 1 WHERE DATANO = ?"_s.arg(ListTable()));
                    show.bind(1, find.intValue(0));
                    show.exec();
                }
                continue;
            }
            Statement add(book(), u"INSERT INTO %1 (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) "
                                  "VALUES (?, ?, ?, ?, 1)"_s.arg(ListTable()));
            add.bind(1, RecordNumbers::GetNewDataNo(book(), file));
            add.bind(2, target);
            add.bind(3, r.oya);
            add.bind(4, r.ko);
            add.exec();
        }
    });
}

void TDataOpListPage::FrBtnDeleteDupClick()
{
    try {
        WaitCursor wait;
        Transaction tr(book(), Database::TransactionMode::Immediate);
        TDataOpMasterPage::DeleteDuplicateListRows(book(), ListTable());
        tr.commit();
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"重複データを削除できませんでした。データは変更されていません。"_s, e);
        return;
    }
    DatMod->DataChanged = true;
    RunListQuery();
}

void TDataOpListPage::loadLookups()
{
    m_himokuNames.clear();
    m_masterNames.clear();
    // Categories and names a choice may point at: the user's own and the three
    // system input categories; code 0 of a name means "none".
    const auto load = [](const QString &sql, QHash<int, QString> &into, TPickListDelegate::Entries &entries,
                         bool codeName) {
        Statement st(book(), sql);
        while (st.next()) {
            const int code = int(st.intValue(0));
            into.insert(code, st.textValue(1));
            entries << qMakePair(codeName ? u"%1: %2"_s.arg(code).arg(st.textValue(1)) : st.textValue(1),
                                 QString::number(code));
        }
    };
    TPickListDelegate::Entries himoku, oya, ko;
    try {
        load(u"SELECT CODE, NAME FROM Himoku WHERE (CODE >= 100) OR (CODE IN (11, 12, 13)) ORDER BY NAME"_s,
             m_himokuNames, himoku, ListKind == 0);
        load(u"SELECT CODE, NAME FROM %1 WHERE (CODE = 0) OR (CODE > 100) OR (CODE IN (11, 12, 13)) "
             "ORDER BY NAME"_s.arg(MasterTable()),
             m_masterNames, oya, ListKind == 0);
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"選択肢の候補を読み込めませんでした。"_s, e);
    }
    for (const auto &[text, value] : std::as_const(oya))
        ko << qMakePair(m_masterNames.value(value.toInt()), value);
    m_masterNames.insert(0, m_masterNames.value(0));
    m_delegate->clear();
    m_delegate->setList(2, himoku, 1);
    m_delegate->setList(4, oya, 3);
    m_delegate->setList(6, ko, 5);
    m_delegate->setList(7, {qMakePair(u"○"_s, u"○"_s), qMakePair(u"×"_s, u"×"_s)}, 7);
}

QString TDataOpListPage::codeName(int column, int code) const
{
    return column == 1 ? m_himokuNames.value(code) : m_masterNames.value(code);
}

void TDataOpListPage::showRow(int index, const Row &r)
{
    const bool isNew = index == m_rows.size();
    const QStringList texts = {isNew ? QString() : QString::number(r.dataNo),
                               isNew && r.himoku == 0 ? QString() : QString::number(r.himoku),
                               r.himokuName,
                               QString::number(r.oya),
                               r.oyaName,
                               QString::number(r.ko),
                               r.koName,
                               r.visible ? u"○"_s : u"×"_s};
    for (int c = 0; c < texts.size(); ++c) {
        auto *item = new QStandardItem(texts.at(c));
        item->setEditable(c > 0);
        if (c == 7)
            item->setTextAlignment(Qt::AlignCenter);
        Model->setItem(index, c, item);
    }
}

void TDataOpListPage::cellEdited(QStandardItem *item)
{
    const int index = item->row();
    const bool isNew = m_newRow && index == m_rows.size();
    if (m_filling || (!isNew && index >= m_rows.size()))
        return;
    Row &row = isNew ? *m_newRow : m_rows[index];
    Row changed = row;
    const int column = item->column();
    const QString text = item->text().trimmed();
    QString field;
    QVariant value;
    if (column == 1 || column == 3 || column == 5) {
        bool ok = false;
        const int code = text.toInt(&ok);
        const bool offered = ok && (column == 1 ? m_himokuNames.contains(code) : m_masterNames.contains(code));
        if (!offered) {
            info(u"不正なコードです。"_s);
        } else {
            field = column == 1 ? u"HIMOKUCODE"_s : column == 3 ? u"OYACODE"_s : u"KOCODE"_s;
            value = code;
            (column == 1 ? changed.himoku : column == 3 ? changed.oya : changed.ko) = code;
            (column == 1 ? changed.himokuName : column == 3 ? changed.oyaName : changed.koName) =
                codeName(column, code);
        }
    } else if (column == 7) {
        // Any other text leaves the row as it was.
        if (text == u"○" || text == u"1" || text == u"×" || text == u"0") {
            field = u"VISIBLE"_s;
            value = changed.visible = text == u"○" || text == u"1";
        }
    }
    if (!field.isEmpty() && !isNew) {
        try {
            Statement st(book(), u"UPDATE %1 SET %2 = ? WHERE DATANO = ?"_s.arg(ListTable(), field));
            st.bind(1, value);
            st.bind(2, row.dataNo);
            st.exec();
            DatMod->DataChanged = true;
        } catch (const EDatabaseError &e) {
            TFormDataOperation::ShowEngineError(u"選択肢を変更できませんでした。"_s, e);
            field.clear();
        }
    }
    if (!field.isEmpty())
        row = changed;
    m_filling = true;
    showRow(index, row);
    m_filling = false;
}

void TDataOpListPage::DataSetInsertExecute()
{
    if (!DatMod || !book().isOpen() || !PostNewRow())
        return;
    Row r;
    r.visible = true;
    r.oyaName = m_masterNames.value(0);
    r.koName = r.oyaName;
    m_filling = true;
    m_newRow = r;
    Model->setRowCount(m_rows.size() + 1);
    showRow(m_rows.size(), r);
    m_filling = false;
    DBGridList->setCurrentIndex(Model->index(m_rows.size(), 1));
    DBGridList->setFocus();
}

bool TDataOpListPage::postNewRow(bool closing)
{
    CommitOpenEditor(DBGridList);
    if (!m_newRow)
        return true;
    const Row r = *m_newRow;
    // A choice needs its category and the item or shop it offers.
    if (r.himoku == 0 || r.oya == 0) {
        if (closing) {
            m_newRow.reset();
            info(u"費目コードと親コードが入力されていないため、追加した行は登録しませんでした。"_s);
        } else {
            info(u"費目コードと親コードを入力してください。"_s);
        }
        return false;
    }
    try {
        Transaction tr(book(), Database::TransactionMode::Immediate);
        const int no = RecordNumbers::GetNewDataNo(book(), ListKind == 0 ? u"HinmeiList.db"_s : u"ShopList.db"_s);
        Statement st(book(), u"INSERT INTO %1 (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) "
                             "VALUES (?, ?, ?, ?, ?)"_s.arg(ListTable()));
        const QVariantList values{no, r.himoku, r.oya, r.ko, r.visible};
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values.at(i));
        st.exec();
        tr.commit();
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"選択肢を登録できませんでした。"_s, e);
        if (closing)
            m_newRow.reset();
        return false;
    } catch (const ERecordNumberError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        if (closing)
            m_newRow.reset();
        return false;
    }
    m_newRow.reset();
    DatMod->DataChanged = true;
    return true;
}

bool TDataOpListPage::PostNewRow()
{
    CommitOpenEditor(DBGridList);
    if (!m_newRow)
        return true;
    if (!postNewRow(false))
        return false;
    RunListQuery();
    return true;
}

void TDataOpListPage::CancelNewRow()
{
    if (!m_newRow)
        return;
    m_filling = true;
    m_newRow.reset();
    Model->setRowCount(m_rows.size());
    m_filling = false;
}

void TDataOpListPage::DeleteCurrent()
{
    const int index = DBGridList->currentIndex().row();
    if (m_newRow && index == m_rows.size()) {
        CancelNewRow();
        return;
    }
    if (index < 0 || index >= m_rows.size())
        return;
    try {
        Statement st(book(), u"DELETE FROM %1 WHERE DATANO = ?"_s.arg(ListTable()));
        st.bind(1, m_rows.at(index).dataNo);
        st.exec();
        DatMod->DataChanged = true;
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"選択肢を削除できませんでした。"_s, e);
        return;
    }
    RunListQuery();
    if (Model->rowCount() > 0)
        DBGridList->setCurrentIndex(Model->index(qMin(index, Model->rowCount() - 1), 0));
}
