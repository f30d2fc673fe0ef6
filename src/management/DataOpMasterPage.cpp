#include "management/DataOpMasterPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/MasterCodes.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "management/FormDataOperation.h"
#include "management/InputStringDlg.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAll = u"すべて"_s;
const QStringList kZeiNames = {u"対象外"_s, u"内税"_s, u"外税"_s, u"無指定"_s};

Database &book() { return DatMod->MainDatabase; }

QString fileName(int kind)
{
    return kind == 0 ? u"HinmeiMast.db"_s : kind == 1 ? u"ShopMast.db"_s : u"Person.DB"_s;
}

void info(const QString &text) { MessageDlg(text, MsgDlgType::Information, mbOK); }

int count(const QString &sql, const QVariantList &params) { return book().scalar(sql, params).toInt(); }

} // namespace

TDataOpMasterPage::TDataOpMasterPage(QWidget *parent) : QWidget(parent)
{
    auto *v = new QVBoxLayout(this);
    LbMastTitle = new QLabel(this);
    QFont f = LbMastTitle->font();
    f.setBold(true);
    LbMastTitle->setFont(f);
    v->addWidget(LbMastTitle);

    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    Model = new QStandardItemModel(this);
    DBGridMast = new QTableView(this);
    DBGridMast->setModel(Model);
    DBGridMast->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridMast->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridMast->verticalHeader()->hide();
    DBGridMast->verticalHeader()->setDefaultSectionSize(22);
    left->addWidget(DBGridMast, 1);
    auto *under = new QHBoxLayout;
    BvlLbMastCount = new QLabel(this);
    BtnDelete = new QPushButton(u"削除"_s, this);
    BtnInsert = new QPushButton(u"追加"_s, this);
    FrBtnAllDelete = new QPushButton(u"未使用コード一括削除"_s, this);
    under->addWidget(BvlLbMastCount);
    under->addStretch();
    under->addWidget(BtnDelete);
    under->addWidget(BtnInsert);
    under->addWidget(FrBtnAllDelete);
    left->addLayout(under);
    body->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    auto *search = new QGroupBox(u"抽出操作"_s, this);
    auto *sl = new QVBoxLayout(search);
    sl->addWidget(new QLabel(u"検索文字"_s));
    LbEditName = new QLineEdit(search);
    sl->addWidget(LbEditName);
    auto *like = new QGroupBox(u"あいまい抽出"_s, search);
    auto *ll = new QVBoxLayout(like);
    RGLikeIndex = new QButtonGroup(this);
    const QStringList likeTexts = {u"しない"_s, u"～から始まる"_s, u"～を含む"_s};
    for (int i = 0; i < likeTexts.size(); ++i) {
        auto *r = new QRadioButton(likeTexts.at(i), like);
        RGLikeIndex->addButton(r, i);
        ll->addWidget(r);
    }
    RGLikeIndex->button(0)->setChecked(true);
    sl->addWidget(like);
    FrAllMaster = new QPushButton(u"抽出解除"_s, search);
    sl->addWidget(FrAllMaster);
    right->addWidget(search);

    GrpBoxTougou = new QGroupBox(this);
    auto *tl = new QGridLayout(GrpBoxTougou);
    LbTougouCode = new QLabel(GrpBoxTougou);
    IntEditTougou = new QLineEdit(u"0"_s, GrpBoxTougou);
    IntEditTougou->setValidator(new QIntValidator(0, 99999999, IntEditTougou));
    IntEditTougou->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditTougou = new QLineEdit(GrpBoxTougou);
    EditTougou->setReadOnly(true);
    FrBtnTougou = new QPushButton(u"統合実行"_s, GrpBoxTougou);
    tl->addWidget(LbTougouCode, 0, 0, 1, 2);
    tl->addWidget(IntEditTougou, 1, 0);
    tl->addWidget(EditTougou, 1, 1);
    tl->addWidget(FrBtnTougou, 2, 0, 1, 2);
    right->addWidget(GrpBoxTougou);
    right->addStretch();
    body->addLayout(right);
    v->addLayout(body, 1);

    connect(LbEditName, &QLineEdit::textChanged, this, [this] { MasterRequery = true; });
    connect(RGLikeIndex, &QButtonGroup::idClicked, this, [this] { MasterRequery = true; });
    connect(FrAllMaster, &QPushButton::clicked, LbEditName, &QLineEdit::clear);
    connect(BtnInsert, &QPushButton::clicked, this, &TDataOpMasterPage::DataSetInsert1Execute);
    connect(BtnDelete, &QPushButton::clicked, this, &TDataOpMasterPage::DeleteCurrent);
    connect(FrBtnAllDelete, &QPushButton::clicked, this, &TDataOpMasterPage::FrBtnAllDeleteClick);
    connect(IntEditTougou, &QLineEdit::editingFinished, this, &TDataOpMasterPage::IntEditTougouValueSet);
    connect(FrBtnTougou, &QPushButton::clicked, this, &TDataOpMasterPage::FrBtnTougouClick);
    connect(Model, &QStandardItemModel::itemChanged, this, &TDataOpMasterPage::cellEdited);
    connect(DBGridMast->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TDataOpMasterPage::DBGridMastTitleClick);
    SetMasterKind(0);
}

QString TDataOpMasterPage::TableName() const
{
    return MasterKind == 0 ? u"HinmeiMast"_s : MasterKind == 1 ? u"ShopMast"_s : u"Person"_s;
}
QString TDataOpMasterPage::FieldName() const
{
    return MasterKind == 0 ? u"HINMEICODE"_s : MasterKind == 1 ? u"SHOPCODE"_s : u"PERSONCODE"_s;
}
QString TDataOpMasterPage::KindWord() const
{
    return MasterKind == 0 ? u"品名"_s : MasterKind == 1 ? u"店名"_s : u"使用者"_s;
}
QString TDataOpMasterPage::ListTable() const
{
    return MasterKind == 0 ? u"HinmeiList"_s : MasterKind == 1 ? u"ShopList"_s : QString();
}

void TDataOpMasterPage::SetMasterKind(int kind)
{
    MasterKind = kind;
    SortField = u"CODE"_s;
    SortDesc = false;
    {
        const QSignalBlocker b(LbEditName);
        LbEditName->clear();
    }
    LbMastTitle->setText(KindWord() + u"テーブル編集"_s);
    LbTougouCode->setText(u"この"_s + KindWord() + u"コードに統合する"_s);
    GrpBoxTougou->setTitle(u"抽出された"_s + KindWord() + u"を一つにまとめます。"_s);
    IntEditTougou->setText(u"0"_s);
    EditTougou->clear();
}

static QStringList labelsOf(int kind)
{
    const QString word = kind == 0 ? u"品名"_s : kind == 1 ? u"店名"_s : u"使用者"_s;
    if (kind == 0)
        return {u"コード"_s, word, u"数量"_s, u"金額"_s, u"税扱い"_s};
    if (kind == 2)
        return {u"コード"_s, word, u"表示"_s};
    return {u"コード"_s, word};
}

static QStringList fieldsOf(int kind)
{
    if (kind == 0)
        return {u"CODE"_s, u"NAME"_s, u"QUANTITY"_s, u"GAKU"_s, u"ZEIATUKAI"_s};
    if (kind == 2)
        return {u"CODE"_s, u"NAME"_s, u"VISIBLE"_s};
    return {u"CODE"_s, u"NAME"_s};
}

void TDataOpMasterPage::RunMasterQuery()
{
    MasterRequery = false;
    if (!DatMod || !book().isOpen())
        return;
    const QString text = LbEditName->text();
    const bool searching = !text.isEmpty() && text != kAll;
    GrpBoxTougou->setEnabled(searching);

    QString sql = u"SELECT %1 FROM %2 WHERE (CODE > 100)"_s.arg(fieldsOf(MasterKind).join(u','), TableName());
    QVariantList params;
    if (searching) {
        const int like = RGLikeIndex->checkedId();
        if (like == 0) {
            sql += u" AND (NAME = ?)"_s;
            params << text;
        } else {
            sql += u" AND (NAME LIKE ? ESCAPE '^')"_s;
            const QString p = TFormDataOperation::LikePattern(text);
            params << (like == 1 ? p + u"%"_s : u"%"_s + p + u"%"_s);
        }
    }
    sql += u" ORDER BY "_s + SortField + (SortDesc ? u" DESC"_s : QString());
    m_rows.clear();
    try {
        Statement st(book(), sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params.at(i));
        while (st.next()) {
            Row r;
            r.code = int(st.intValue(0));
            r.name = st.textValue(1);
            if (MasterKind == 0) {
                r.quantity = st.doubleValue(2);
                r.gaku = st.doubleValue(3);
                r.zeiAtukai = int(st.intValue(4));
            } else if (MasterKind == 2) {
                r.visible = st.intValue(2) != 0;
            }
            m_rows << r;
        }
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"名前を抽出できませんでした。"_s, e);
    }

    m_filling = true;
    const QStringList labels = labelsOf(MasterKind);
    Model->clear();
    Model->setColumnCount(labels.size());
    Model->setRowCount(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row &r = m_rows.at(i);
        QStringList texts = {QString::number(r.code), r.name};
        if (MasterKind == 0)
            texts << QString::number(r.quantity) << Currency::fromDouble(r.gaku).toString(0, true)
                  << kZeiNames.value(r.zeiAtukai);
        else if (MasterKind == 2)
            texts << (r.visible ? u"○"_s : u"×"_s);
        for (int c = 0; c < texts.size(); ++c) {
            auto *item = new QStandardItem(texts.at(c));
            item->setEditable(c > 0);
            if (c == 0 || c == 2 || c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Model->setItem(i, c, item);
        }
    }
    m_filling = false;
    TFormDataOperation::ShowSortColumn(Model, labels, fieldsOf(MasterKind).indexOf(SortField), SortDesc);
    DBGridMast->setColumnWidth(1, 240);
    BvlLbMastCount->setText(u"データ数：　%1件"_s.arg(m_rows.size()));
}

void TDataOpMasterPage::CloseQuery()
{
    m_filling = true;
    m_rows.clear();
    Model->setRowCount(0);
    m_filling = false;
}

void TDataOpMasterPage::DBGridMastTitleClick(int column)
{
    const QString field = fieldsOf(MasterKind).value(column);
    if (field.isEmpty())
        return;
    SortDesc = field == SortField ? !SortDesc : false;
    SortField = field;
    RunMasterQuery();
}

bool TDataOpMasterPage::SelectCode(int code)
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).code == code) {
            DBGridMast->selectRow(i);
            return true;
        }
    return false;
}

namespace {

// The grid's text of a row's column.
QString cellText(int kind, const TDataOpMasterPage::Row &r, int column)
{
    switch (column) {
    case 1:
        return r.name;
    case 2:
        return kind == 0 ? QString::number(r.quantity) : (r.visible ? u"○"_s : u"×"_s);
    case 3:
        return Currency::fromDouble(r.gaku).toString(0, true);
    case 4:
        return kZeiNames.value(r.zeiAtukai);
    default:
        return QString();
    }
}

// The tax treatment a typed text stands for; -1 for any other text.
int zeiAtukaiOf(const QString &text)
{
    const int named = kZeiNames.indexOf(text);
    if (named >= 0)
        return named;
    if (text == u"内")
        return 1;
    if (text == u"外")
        return 2;
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'3')
        return text.toInt();
    return -1;
}

} // namespace

void TDataOpMasterPage::cellEdited(QStandardItem *item)
{
    if (m_filling || item->row() >= m_rows.size())
        return;
    Row &row = m_rows[item->row()];
    const int column = item->column();
    const QString text = item->text().trimmed();
    QString field;
    QVariant value;
    QString refusal;
    Row changed = row;
    if (column == 1) {
        const int limit = MasterKind == 2 ? 20 : 40;
        if (text.isEmpty())
            refusal = KindWord() + u"を入力してください。"_s;
        else if (text.size() > limit)
            refusal = KindWord() + u"は %1 文字までです。"_s.arg(limit);
        field = u"NAME"_s;
        value = changed.name = text;
    } else if (column == 2 && MasterKind == 0) {
        bool ok = false;
        changed.quantity = QString(text).remove(u',').toDouble(&ok);
        if (!ok)
            refusal = u"数量には数値を入力してください。"_s;
        field = u"QUANTITY"_s;
        value = changed.quantity;
    } else if (column == 3 && MasterKind == 0) {
        bool ok = false;
        const Currency c = Currency::fromString(QString(text).remove(u','), &ok);
        if (!ok)
            refusal = u"金額には数値を入力してください。"_s;
        field = u"GAKU"_s;
        value = changed.gaku = c.toDouble();
    } else if (column == 4 && MasterKind == 0) {
        // Any other text leaves the treatment as it was.
        const int zei = zeiAtukaiOf(text);
        if (zei >= 0) {
            field = u"ZEIATUKAI"_s;
            value = changed.zeiAtukai = zei;
        }
    } else if (column == 2 && MasterKind == 2) {
        if (text == u"○" || text == u"1" || text == u"×" || text == u"0") {
            field = u"VISIBLE"_s;
            changed.visible = text == u"○" || text == u"1";
            value = changed.visible;
        }
    }
    if (!refusal.isEmpty()) {
        MessageDlg(refusal, MsgDlgType::Warning, mbOK);
    } else if (!field.isEmpty()) {
        try {
            Statement st(book(), u"UPDATE %1 SET %2 = ? WHERE CODE = ?"_s.arg(TableName(), field));
            st.bind(1, value);
            st.bind(2, row.code);
            st.exec();
            row = changed;
            DatMod->DataChanged = true;
        } catch (const EDatabaseError &e) {
            TFormDataOperation::ShowEngineError(KindWord() + u"を変更できませんでした。"_s, e);
        }
    }
    m_filling = true;
    item->setText(cellText(MasterKind, row, column));
    m_filling = false;
}

void TDataOpMasterPage::DataSetInsert1Execute()
{
    QString name;
    if (!TInputStringDlg::Execute(this, u"新規作成"_s, KindWord() + u"を入力してください。"_s, name))
        return;
    int code = 0;
    try {
        const QVariant found =
            book().scalar(u"SELECT CODE FROM %1 WHERE CODE > 100 AND NAME = ?"_s.arg(TableName()), {name});
        if (found.isValid()) {
            code = found.toInt();
            info(u"コード： "_s + QString::number(code) + u"で既に登録済みです。"_s);
        } else {
            // Numbered by the table's counter, in the same transaction as the row.
            Transaction tr(book(), Database::TransactionMode::Immediate);
            code = GetOrAddMasterCode(book(), fileName(MasterKind), name, true);
            tr.commit();
            DatMod->DataChanged = true;
            info(u"コード： "_s + QString::number(code) + u"で登録しました。"_s + u"\r"_s +
                 u"抽出条件によっては現在のリストには表示されないことがあります。"_s);
        }
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(KindWord() + u"を登録できませんでした。"_s, e);
        return;
    } catch (const ERecordNumberError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return;
    }
    RunMasterQuery();
    SelectCode(code);
}

bool TDataOpMasterPage::usedByJournal(int code) const
{
    return count(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND %1 = ?"_s.arg(FieldName()), {code}) > 0;
}
bool TDataOpMasterPage::usedByReserve(int code) const
{
    return count(u"SELECT COUNT(*) FROM ReserveList WHERE %1 = ?"_s.arg(FieldName()), {code}) > 0;
}
bool TDataOpMasterPage::usedByList(int code) const
{
    if (ListTable().isEmpty())
        return false;
    return count(u"SELECT COUNT(*) FROM %1 WHERE OYACODE = ? OR KOCODE = ?"_s.arg(ListTable()), {code, code}) > 0;
}

void TDataOpMasterPage::deleteRow(Database &db, int code) const
{
    if (!ListTable().isEmpty()) {
        Statement st(db, u"DELETE FROM %1 WHERE (OYACODE = ?) OR (KOCODE = ?)"_s.arg(ListTable()));
        st.bind(1, code);
        st.bind(2, code);
        st.exec();
    }
    Statement st(db, u"DELETE FROM %1 WHERE CODE = ? AND CODE > 100"_s.arg(TableName()));
    st.bind(1, code);
    st.exec();
}

void TDataOpMasterPage::DeleteCurrent()
{
    const QModelIndex current = DBGridMast->currentIndex();
    if (!current.isValid() || current.row() >= m_rows.size())
        return;
    const int code = m_rows.at(current.row()).code;
    try {
        if (usedByJournal(code)) {
            info(u"家計簿で使用されていますので削除できません。"_s);
            return;
        }
        if (usedByReserve(code)) {
            info(u"予約のページで使用されていますので削除できません。"_s);
            return;
        }
        if (usedByList(code) &&
            MessageDlg(u"選択肢に登録されいますが、削除してよろしいですか"_s, MsgDlgType::Information, mbYesNo) != mrYes)
            return;
        Transaction tr(book(), Database::TransactionMode::Immediate);
        deleteRow(book(), code);
        tr.commit();
        DatMod->DataChanged = true;
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(KindWord() + u"を削除できませんでした。"_s, e);
        return;
    }
    RunMasterQuery();
}

void TDataOpMasterPage::FrBtnAllDeleteClick()
{
    if (MessageDlg(u"表示されているデータの内、\r家計簿データで使用していない "_s + KindWord() +
                       u" を自動的に削除します。\r実行しますか？"_s,
                   MsgDlgType::Information, mbYesNo) != mrYes)
        return;
    const QString keptField = SortField;
    const bool keptDesc = SortDesc;
    SortField = u"CODE"_s;
    SortDesc = false;
    RunMasterQuery();
    // Choose first, write after: an abort leaves every name where it was.
    QVector<int> chosen;
    bool yesToAll = false;
    try {
        for (const Row &r : std::as_const(m_rows)) {
            if (usedByJournal(r.code) || usedByReserve(r.code))
                continue;
            if (!yesToAll) {
                const auto answer = TFormDataOperation::AskRow(
                    u"コード: %1    %2 : %3  を削除してよろしいですか？ "_s.arg(r.code).arg(KindWord(), r.name));
                if (answer == TFormDataOperation::RowAnswer::Abort)
                    return;
                if (answer == TFormDataOperation::RowAnswer::No)
                    continue;
                if (answer == TFormDataOperation::RowAnswer::YesToAll)
                    yesToAll = true;
            }
            chosen << r.code;
        }
        if (!chosen.isEmpty()) {
            WaitCursor wait;
            Transaction tr(book(), Database::TransactionMode::Immediate);
            for (int code : std::as_const(chosen))
                deleteRow(book(), code);
            tr.commit();
            DatMod->DataChanged = true;
        }
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"削除できませんでした。データは変更されていません。"_s, e);
        return;
    }
    SortField = keptField;
    SortDesc = keptDesc;
    RunMasterQuery();
    info(QString::number(chosen.size()) + u"件 削除しました。"_s);
}

void TDataOpMasterPage::IntEditTougouValueSet()
{
    int code = IntEditTougou->text().toInt();
    if (code <= 100 && code != 0)
        code = 0;
    IntEditTougou->setText(QString::number(code));
    EditTougou->setText(code > 0 ? book().scalar(u"SELECT NAME FROM %1 WHERE CODE = ?"_s.arg(TableName()), {code})
                                       .toString()
                                 : QString());
}

void TDataOpMasterPage::FrBtnTougouClick()
{
    IntEditTougouValueSet();
    const int target = IntEditTougou->text().toInt();
    if (target <= 100)
        return;
    if (count(u"SELECT COUNT(*) FROM %1 WHERE CODE = ? AND CODE > 100"_s.arg(TableName()), {target}) == 0) {
        info(u"該当する統合コードは存在しません。"_s);
        return;
    }
    QVector<int> merged;
    bool yesToAll = false;
    for (const Row &r : std::as_const(m_rows)) {
        if (r.code == target)
            continue;
        if (!yesToAll) {
            const auto answer = TFormDataOperation::AskRow(u"%1: %2 を処理してよろしいですか？ "_s.arg(r.code).arg(r.name));
            if (answer == TFormDataOperation::RowAnswer::Abort)
                return; // nothing written yet
            if (answer == TFormDataOperation::RowAnswer::No)
                continue;
            if (answer == TFormDataOperation::RowAnswer::YesToAll)
                yesToAll = true;
        }
        merged << r.code;
    }
    if (merged.isEmpty())
        return;
    try {
        WaitCursor wait;
        Transaction tr(book(), Database::TransactionMode::Immediate);
        for (int code : std::as_const(merged)) {
            Statement st(book(), u"UPDATE Master SET %1 = ? WHERE (DATANO > 0) AND (%1 = ?)"_s.arg(FieldName()));
            st.bind(1, target);
            st.bind(2, code);
            st.exec();
            if (!ListTable().isEmpty())
                for (const QString &f : {u"OYACODE"_s, u"KOCODE"_s}) {
                    Statement ls(book(), u"UPDATE %1 SET %2 = ? WHERE %2 = ?"_s.arg(ListTable(), f));
                    ls.bind(1, target);
                    ls.bind(2, code);
                    ls.exec();
                }
        }
        if (!ListTable().isEmpty())
            DeleteDuplicateListRows(book(), ListTable());
        // A merged name still used by a scheduled entry stays: the entries
        // are not rewritten here.
        for (int code : std::as_const(merged))
            if (!usedByReserve(code))
                deleteRow(book(), code);
        tr.commit();
        DatMod->DataChanged = true;
    } catch (const EDatabaseError &e) {
        TFormDataOperation::ShowEngineError(u"統合できませんでした。データは変更されていません。"_s, e);
        return;
    }
    RunMasterQuery();
    SelectCode(target);
}

void TDataOpMasterPage::DeleteDuplicateListRows(Database &db, const QString &listTable)
{
    struct Group
    {
        int himoku, oya, ko;
    };
    QVector<Group> groups;
    {
        Statement st(db, u"SELECT HIMOKUCODE,OYACODE,KOCODE,COUNT(*) AS DUPCOUNT FROM %1 "
                         "GROUP BY HIMOKUCODE,OYACODE,KOCODE HAVING COUNT(*) > 1"_s.arg(listTable));
        while (st.next())
            groups << Group{int(st.intValue(0)), int(st.intValue(1)), int(st.intValue(2))};
    }
    for (const Group &g : std::as_const(groups)) {
        Statement first(db, u"SELECT MIN(DATANO), MAX(COALESCE(VISIBLE, 0)) FROM %1 "
                            "WHERE (HIMOKUCODE = ?) AND (OYACODE = ?) AND (KOCODE = ?)"_s.arg(listTable));
        first.bind(1, g.himoku);
        first.bind(2, g.oya);
        first.bind(3, g.ko);
        if (!first.next())
            continue;
        const qlonglong keep = first.intValue(0);
        const bool visible = first.intValue(1) != 0;
        Statement del(db, u"DELETE FROM %1 WHERE (DATANO <> ?) AND (HIMOKUCODE = ?) AND (OYACODE = ?) "
                          "AND (KOCODE = ?)"_s.arg(listTable));
        del.bind(1, keep);
        del.bind(2, g.himoku);
        del.bind(3, g.oya);
        del.bind(4, g.ko);
        del.exec();
        if (visible) {
            Statement vis(db, u"UPDATE %1 SET VISIBLE = 1 WHERE DATANO = ?"_s.arg(listTable));
            vis.bind(1, keep);
            vis.exec();
        }
    }
}
