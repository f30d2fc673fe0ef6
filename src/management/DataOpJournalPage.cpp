#include "management/DataOpJournalPage.h"

#include <functional>
#include <memory>
#include <vector>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
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
#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "management/DataOpCodePanel.h"
#include "management/FormDataOperation.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAll = u"すべて"_s;

// Grid columns: field name (the sort key) and title.
const QStringList kFields = {u"DATANO"_s,   u"RECDATE"_s, u"KariName"_s, u"KasiName"_s,   u"QUANTITY"_s,
                             u"KINGAKU"_s,  u"Hinmei"_s,  u"ShopName"_s, u"ParsonName"_s, u"RESERVED"_s};
const QStringList kLabels = {u"データＮｏ"_s, u"日付"_s, u"入金先（借方）"_s, u"出金元（貸方）"_s, u"数量"_s,
                             u"金額"_s,       u"品名"_s, u"店名"_s,           u"使用者"_s,       u"予約"_s};

struct MasterOfKind
{
    QString table;
    QString field;
};
// ConvertKind 1..3.
MasterOfKind masterOf(int kind)
{
    switch (kind) {
    case 1:
        return {u"HinmeiMast"_s, u"HINMEICODE"_s};
    case 2:
        return {u"ShopMast"_s, u"SHOPCODE"_s};
    default:
        return {u"Person"_s, u"PERSONCODE"_s};
    }
}

Database &book() { return DatMod->MainDatabase; }

QString nameOf(const QString &table, int code)
{
    if (code <= 0)
        return QString();
    const QVariant v = book().scalar(u"SELECT NAME FROM %1 WHERE CODE = ?"_s.arg(table), {code});
    return v.isValid() ? v.toString() : QString();
}

void info(const QString &text) { MessageDlg(text, MsgDlgType::Information, mbOK); }

// A cell that shows its text but gives its typed value to whoever reads the
// grid's data (the print and the spreadsheet export), so a date there keeps
// its day colours and an amount its sign and number format.
class TypedItem : public QStandardItem
{
public:
    TypedItem(const QString &text, const QVariant &value) : QStandardItem(text), m_value(value) {}
    QVariant data(int role) const override { return role == Qt::EditRole ? m_value : QStandardItem::data(role); }

private:
    QVariant m_value;
};

QString withCode(int code, const QString &name, bool showCodes)
{
    if (!showCodes)
        return name;
    return QString::number(code) + u": "_s + name;
}

} // namespace

TDataOpJournalPage::TDataOpJournalPage(QWidget *parent) : QWidget(parent)
{
    auto *v = new QVBoxLayout(this);
    auto *title = new QLabel(u"家計簿データ一括修正"_s, this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    v->addWidget(title);

    // Which lines: all or by conditions.
    auto *top = new QHBoxLayout;
    FrBtnTyu = new QPushButton(u"条件付変換"_s, this);
    FrBtnAll = new QPushButton(u"全データを対象"_s, this);
    FrBtnTyu->setCheckable(true);
    FrBtnAll->setCheckable(true);
    auto *scope = new QButtonGroup(this);
    scope->addButton(FrBtnTyu);
    scope->addButton(FrBtnAll);
    FrBtnTyu->setChecked(true);
    top->addWidget(FrBtnTyu);
    top->addWidget(FrBtnAll);
    top->addStretch();
    v->addLayout(top);

    PnlHuriJyouken = new QWidget(this);
    auto *g = new QGridLayout(PnlHuriJyouken);
    g->setContentsMargins(0, 0, 0, 0);
    CmbKari = new QComboBox(PnlHuriJyouken);
    CmbKasi = new QComboBox(PnlHuriJyouken);
    EditHinmei = new QLineEdit(PnlHuriJyouken);
    EditShop = new QLineEdit(PnlHuriJyouken);
    CmbPerson = new QComboBox(PnlHuriJyouken);
    CmbPerson->setEditable(true);
    CmbPerson->setEditText(kAll);
    g->addWidget(new QLabel(u"入金先（借方）"_s), 0, 0);
    g->addWidget(CmbKari, 0, 1);
    g->addWidget(new QLabel(u"出金元（貸方）"_s), 1, 0);
    g->addWidget(CmbKasi, 1, 1);
    g->addWidget(new QLabel(u"品名"_s), 0, 2);
    g->addWidget(EditHinmei, 0, 3);
    g->addWidget(new QLabel(u"店名"_s), 1, 2);
    g->addWidget(EditShop, 1, 3);
    g->addWidget(new QLabel(u"使用者"_s), 2, 2);
    g->addWidget(CmbPerson, 2, 3);
    g->addWidget(new QLabel(u"品名、店名ですべて選択する場合は空欄にしてください。"_s), 3, 2, 1, 2);

    auto *like = new QGroupBox(u"あいまい抽出"_s, PnlHuriJyouken);
    auto *likeL = new QVBoxLayout(like);
    RGLikeKouza = new QButtonGroup(this);
    const QStringList likeTexts = {u"しない"_s, u"～から始まる"_s, u"～を含む"_s};
    for (int i = 0; i < likeTexts.size(); ++i) {
        auto *r = new QRadioButton(likeTexts.at(i), like);
        RGLikeKouza->addButton(r, i);
        likeL->addWidget(r);
    }
    RGLikeKouza->button(0)->setChecked(true);
    g->addWidget(like, 0, 4, 4, 1);

    auto *period = new QGroupBox(u"抽出期間"_s, PnlHuriJyouken);
    auto *pg = new QGridLayout(period);
    const int year = QDate::currentDate().year();
    ChkStart = new QCheckBox(u"開始日"_s, period);
    DTPStart = new QDateEdit(QDate(year, 1, 1), period);
    ChkEnd = new QCheckBox(u"終了日"_s, period);
    DTPEnd = new QDateEdit(QDate(year, 12, 31), period);
    for (QDateEdit *d : {DTPStart, DTPEnd}) {
        d->setDisplayFormat(u"yyyy/MM/dd"_s);
        d->setCalendarPopup(true);
    }
    pg->addWidget(ChkStart, 0, 0);
    pg->addWidget(DTPStart, 0, 1);
    pg->addWidget(ChkEnd, 1, 0);
    pg->addWidget(DTPEnd, 1, 1);
    g->addWidget(period, 0, 5, 4, 1);

    auto *pick = new QGroupBox(u"左の条件のデータを"_s, PnlHuriJyouken);
    auto *pl = new QVBoxLayout(pick);
    RBPickUp = new QRadioButton(u"選ぶ"_s, pick);
    RadioButton5 = new QRadioButton(u"除く"_s, pick);
    RBPickUp->setChecked(true);
    pl->addWidget(RBPickUp);
    pl->addWidget(RadioButton5);
    g->addWidget(pick, 0, 6, 4, 1);
    v->addWidget(PnlHuriJyouken);

    // The lines.
    Model = new QStandardItemModel(0, kFields.size(), this);
    DBGridMain = new QTableView(this);
    DBGridMain->setModel(Model);
    TFormDataOperation::SetUnfocusedSelection(DBGridMain);
    DBGridMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridMain->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridMain->verticalHeader()->hide();
    DBGridMain->verticalHeader()->setDefaultSectionSize(22);
    DBGridMain->horizontalHeader()->setSectionsClickable(true);
    for (int c : {2, 3, 6, 7, 8})
        DBGridMain->setColumnWidth(c, 150);
    v->addWidget(DBGridMain, 1);
    auto *under = new QHBoxLayout;
    BvlLbMainCount = new QLabel(this);
    ChkBoxShowCode = new QCheckBox(u"コードを表示"_s, this);
    ChkBoxShowCode->setChecked(true);
    under->addWidget(BvlLbMainCount);
    under->addWidget(ChkBoxShowCode);
    under->addStretch();
    v->addLayout(under);

    // The conversion.
    auto *conv = new QGroupBox(u"一括変換対象"_s, this);
    auto *cl = new QVBoxLayout(conv);
    auto *targets = new QHBoxLayout;
    ConvertButtons = BuildConvertTargets(conv, targets,
                                         {u"費目,口座コード"_s, u"品名コード"_s, u"店名コード"_s, u"使用者コード"_s,
                                          u"金額"_s, u"数量"_s},
                                         this);
    cl->addLayout(targets);
    ConvertPages = new QStackedWidget(conv);

    auto *himoku = new QWidget;
    auto *hl = new QGridLayout(himoku);
    CmbHimokuMoto = new QComboBox(himoku);
    CmbHimokuAto = new QComboBox(himoku);
    hl->addWidget(new QLabel(u"変換元"_s), 0, 0);
    hl->addWidget(CmbHimokuMoto, 0, 1);
    hl->addWidget(new QLabel(u"↓　一括変換します。"_s), 1, 1);
    hl->addWidget(new QLabel(u"変換後"_s), 2, 0);
    hl->addWidget(CmbHimokuAto, 2, 1);
    auto *taisyo = new QGroupBox(u"対象"_s, himoku);
    auto *tl = new QVBoxLayout(taisyo);
    RGTaisyo = new QButtonGroup(this);
    const QStringList sides = {u"入金先（借方）だけ"_s, u"出金元（貸方）だけ"_s, u"両方"_s};
    for (int i = 0; i < sides.size(); ++i) {
        auto *r = new QRadioButton(sides.at(i), taisyo);
        RGTaisyo->addButton(r, i);
        tl->addWidget(r);
    }
    RGTaisyo->button(2)->setChecked(true);
    hl->addWidget(taisyo, 0, 2, 3, 1);
    FrBtnHimokuExecute = new QPushButton(u"実行"_s, himoku);
    hl->addWidget(FrBtnHimokuExecute, 0, 3, 3, 1);
    hl->setColumnStretch(4, 1);
    ConvertPages->addWidget(himoku);

    m_codePanel = new TCodeConvertPanel;
    RdBtnCode = m_codePanel->ByCode;
    RdBtnAll = m_codePanel->All;
    LbMotoCode = m_codePanel->MotoLabel;
    LbAtoCode = m_codePanel->AtoLabel;
    EditMotoCode = m_codePanel->MotoCode;
    EditMotoName = m_codePanel->MotoName;
    EditAtoCode = m_codePanel->AtoCode;
    EditAtoName = m_codePanel->AtoName;
    FrBtnHinmeiExecute = m_codePanel->Execute;
    ConvertPages->addWidget(m_codePanel);

    auto *amount = new QWidget;
    auto *al = new QHBoxLayout(amount);
    LbKingaku = new QLabel(u"一括修正金額"_s, amount);
    FltEditKingaku = new QLineEdit(u"0"_s, amount);
    FltEditKingaku->setAttribute(Qt::WA_InputMethodEnabled, false);
    FltEditKingaku->setMaximumWidth(160);
    FrBtnKingakuExecute = new QPushButton(u"実行"_s, amount);
    al->addWidget(LbKingaku);
    al->addWidget(FltEditKingaku);
    al->addWidget(FrBtnKingakuExecute);
    al->addStretch();
    ConvertPages->addWidget(amount);
    cl->addWidget(ConvertPages);
    v->addWidget(conv);

    // Every condition control asks for a re-query at the next idle moment.
    connect(scope, &QButtonGroup::buttonClicked, this, [this] {
        PnlHuriJyouken->setVisible(FrBtnTyu->isChecked());
        requery();
    });
    for (QComboBox *c : {CmbKari, CmbKasi})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { requery(); });
    connect(CmbPerson, &QComboBox::editTextChanged, this, [this] { requery(); });
    for (QLineEdit *e : {EditHinmei, EditShop})
        connect(e, &QLineEdit::textChanged, this, [this] { requery(); });
    connect(RGLikeKouza, &QButtonGroup::idClicked, this, [this] { requery(); });
    for (QCheckBox *c : {ChkStart, ChkEnd})
        connect(c, &QCheckBox::toggled, this, [this] { requery(); });
    for (QDateEdit *d : {DTPStart, DTPEnd})
        connect(d, &QDateEdit::dateChanged, this, [this] { requery(); });
    connect(RBPickUp, &QRadioButton::toggled, this, [this] { requery(); });
    connect(ChkBoxShowCode, &QCheckBox::toggled, this, [this](bool on) {
        ShowCodes = on;
        showLines();
    });
    connect(DBGridMain->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TDataOpJournalPage::DBGridMainTitleClick);
    connect(ConvertButtons, &QButtonGroup::idClicked, this, &TDataOpJournalPage::FrBtnHimokuCodeClick);
    for (QLineEdit *e : {EditMotoCode, EditAtoCode})
        connect(e, &QLineEdit::editingFinished, this, &TDataOpJournalPage::EditMotoCodeValueSet);
    connect(FrBtnHimokuExecute, &QPushButton::clicked, this, &TDataOpJournalPage::FrBtnHimokuExecuteClick);
    connect(FrBtnHinmeiExecute, &QPushButton::clicked, this, &TDataOpJournalPage::FrBtnHinmeiExecuteClick);
    connect(FrBtnKingakuExecute, &QPushButton::clicked, this, &TDataOpJournalPage::FrBtnKingakuExecuteClick);

    FillCombos();
    TFormDataOperation::ShowSortColumn(Model, kLabels, 1, false);
}

void TDataOpJournalPage::FillCombos()
{
    if (!DatModSql)
        return;
    const QSignalBlocker b1(CmbKari), b2(CmbKasi);
    DatModSql->FillHimokuCodeCombo(CmbKari, 0, true, 0);
    DatModSql->FillHimokuCodeCombo(CmbKasi, 0, true, 0);
    CmbKari->setCurrentIndex(0);
    CmbKasi->setCurrentIndex(0);
    DatModSql->FillHimokuCodeCombo(CmbHimokuMoto, 0, false, 0);
    DatModSql->FillHimokuCodeCombo(CmbHimokuAto, 0, false, 0);
    CmbHimokuMoto->setCurrentIndex(-1);
    CmbHimokuAto->setCurrentIndex(-1);
}

int TDataOpJournalPage::ComboCode(const QComboBox *combo)
{
    if (combo->currentIndex() < 0)
        return -1;
    const QString text = combo->itemText(combo->currentIndex());
    if (text == kAll)
        return 0;
    bool ok = false;
    const int code = text.section(u':', 0, 0).trimmed().toInt(&ok);
    return ok ? code : -1;
}

void TDataOpJournalPage::BuildJournalConditions()
{
    JournalConditions.clear();
    JournalParams.clear();
    const int kari = qMax(0, ComboCode(CmbKari));
    const int kasi = qMax(0, ComboCode(CmbKasi));

    QString dateLine;
    QVariantList dateParams;
    if (ChkStart->isChecked() && ChkEnd->isChecked()) {
        dateLine = u"  ((RECDATE >= ?) AND (RECDATE <= ?))"_s;
        dateParams << DTPStart->date().toString(Qt::ISODate) << DTPEnd->date().toString(Qt::ISODate);
    } else if (ChkStart->isChecked()) {
        dateLine = u"  (RECDATE >= ?) "_s;
        dateParams << DTPStart->date().toString(Qt::ISODate);
    } else if (ChkEnd->isChecked()) {
        dateLine = u"  (RECDATE <= ?)"_s;
        dateParams << DTPEnd->date().toString(Qt::ISODate);
    }
    if (!dateLine.isEmpty()) {
        JournalConditions << dateLine;
        JournalParams << dateParams;
    }

    QStringList parts;
    QVariantList partParams;
    if (kari > 0) {
        parts << u"(KARICODE = ?)"_s;
        partParams << kari;
    }
    if (kasi > 0) {
        parts << u"(KASICODE = ?)"_s;
        partParams << kasi;
    }
    const int like = RGLikeKouza->checkedId();
    const auto nameCondition = [&](const QString &text, const QString &field, const QString &table) {
        if (text.isEmpty() || text == kAll)
            return;
        if (like == 0) {
            // A name that is not registered matches no line.
            const QVariant code = book().scalar(u"SELECT CODE FROM %1 WHERE NAME = ?"_s.arg(table), {text});
            parts << u"(%1 = ?)"_s.arg(field);
            partParams << (code.isValid() ? code.toInt() : -1);
            return;
        }
        parts << u"(%1 IN (SELECT CODE FROM %2 WHERE NAME LIKE ? ESCAPE '^'))"_s.arg(field, table);
        partParams << (like == 1 ? TFormDataOperation::LikePattern(text) + u"%"_s : u"%"_s + TFormDataOperation::LikePattern(text) + u"%"_s);
    };
    nameCondition(EditHinmei->text(), u"HINMEICODE"_s, u"HinmeiMast"_s);
    nameCondition(EditShop->text(), u"SHOPCODE"_s, u"ShopMast"_s);
    nameCondition(CmbPerson->currentText(), u"PERSONCODE"_s, u"Person"_s);
    if (!parts.isEmpty()) {
        QString line = dateLine.isEmpty() ? QString() : u"    AND "_s;
        line += RBPickUp->isChecked() ? u"    ("_s : u"NOT ("_s;
        line += parts.join(u" AND "_s) + u")"_s;
        JournalConditions << line;
        JournalParams << partParams;
    }
    m_built = true;
}

QString TDataOpJournalPage::BuildJournalSql() const
{
    QStringList sql;
    sql << u"SELECT L.DATANO,L.RECDATE,L.KARICODE,L.KASICODE,L.QUANTITY,L.KINGAKU,L.HINMEICODE,L.SHOPCODE,"
           "L.PERSONCODE,L.RESERVED,KR.NAME,KS.NAME,HM.NAME,SH.NAME,PS.NAME"_s;
    sql << u"FROM Master L"_s
        << u"LEFT JOIN Himoku KR ON KR.CODE = L.KARICODE"_s
        << u"LEFT JOIN Himoku KS ON KS.CODE = L.KASICODE"_s
        << u"LEFT JOIN HinmeiMast HM ON HM.CODE = L.HINMEICODE"_s
        << u"LEFT JOIN ShopMast SH ON SH.CODE = L.SHOPCODE"_s
        << u"LEFT JOIN Person PS ON PS.CODE = L.PERSONCODE"_s;
    sql << u"WHERE (L.DATANO > 0)"_s;
    if (FrBtnTyu->isChecked() && !JournalConditions.isEmpty()) {
        QString conditions = JournalConditions.join(u"\n"_s);
        sql << u"AND ("_s + conditions.replace(u"    AND "_s, u" AND "_s) + u")"_s;
    }
    static const QHash<QString, QPair<QString, QString>> byName = {
        {u"KariName"_s, {u"L.KARICODE"_s, u"KR.NAME"_s}}, {u"KasiName"_s, {u"L.KASICODE"_s, u"KS.NAME"_s}},
        {u"Hinmei"_s, {u"L.HINMEICODE"_s, u"HM.NAME"_s}}, {u"ShopName"_s, {u"L.SHOPCODE"_s, u"SH.NAME"_s}},
        {u"ParsonName"_s, {u"L.PERSONCODE"_s, u"PS.NAME"_s}}};
    QString order;
    if (byName.contains(JournalSortField))
        order = ShowCodes ? byName.value(JournalSortField).first : byName.value(JournalSortField).second;
    else
        order = u"L."_s + JournalSortField;
    sql << u"ORDER BY "_s + order + (JournalSortDesc ? u" DESC"_s : QString()) + u", L.DATANO"_s;
    return sql.join(u"\n"_s);
}

void TDataOpJournalPage::RefreshJournal()
{
    JournalRequery = false;
    BuildJournalConditions();
    RunJournalQuery();
}

void TDataOpJournalPage::RunJournalQuery()
{
    JournalRequery = false;
    if (!DatMod || !DatMod->MainDatabase.isOpen())
        return;
    WaitCursor wait;
    if (!m_built)
        BuildJournalConditions();
    m_lines.clear();
    try {
        Statement st(book(), BuildJournalSql());
        const QVariantList params = FrBtnTyu->isChecked() ? JournalParams : QVariantList();
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params.at(i));
        while (st.next()) {
            Line l;
            l.dataNo = int(st.intValue(0));
            l.date = QDate::fromString(st.textValue(1), Qt::ISODate);
            l.kari = int(st.intValue(2));
            l.kasi = int(st.intValue(3));
            l.quantity = st.doubleValue(4);
            l.amount = st.doubleValue(5);
            l.hinmei = int(st.intValue(6));
            l.shop = int(st.intValue(7));
            l.person = int(st.intValue(8));
            l.reserved = st.intValue(9) != 0;
            l.kariName = st.textValue(10);
            l.kasiName = st.textValue(11);
            l.hinmeiName = st.textValue(12);
            l.shopName = st.textValue(13);
            l.personName = st.textValue(14);
            m_lines << l;
        }
    } catch (const EDatabaseError &e) {
        m_lines.clear();
        showLines();
        TFormDataOperation::ShowEngineError(u"家計簿データを抽出できませんでした。"_s, e);
        return;
    }
    showLines();
}

void TDataOpJournalPage::CloseQuery()
{
    m_lines.clear();
    Model->setRowCount(0);
}

void TDataOpJournalPage::showLines()
{
    Model->setRowCount(0);
    Model->setRowCount(m_lines.size());
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    for (int r = 0; r < m_lines.size(); ++r) {
        const Line &l = m_lines.at(r);
        const QStringList texts = {QString::number(l.dataNo),
                                   ja.toString(l.date, u"yy.MM.dd (ddd)"_s),
                                   withCode(l.kari, l.kariName, ShowCodes),
                                   withCode(l.kasi, l.kasiName, ShowCodes),
                                   QString::number(l.quantity),
                                   Currency::fromDouble(l.amount).toString(0, true),
                                   l.hinmei ? withCode(l.hinmei, l.hinmeiName, ShowCodes) : QString(),
                                   l.shop ? withCode(l.shop, l.shopName, ShowCodes) : QString(),
                                   l.person ? withCode(l.person, l.personName, ShowCodes) : QString(),
                                   l.reserved ? u"未"_s : u"済"_s};
        for (int c = 0; c < texts.size(); ++c) {
            QStandardItem *item = c == 1   ? new TypedItem(texts.at(c), l.date)
                                  : c == 5 ? new TypedItem(texts.at(c), l.amount)
                                           : new QStandardItem(texts.at(c));
            if (c == 0 || c == 4 || c == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            using Kind = TFormDataOperation::CellKind;
            TFormDataOperation::DBGridMainDrawColumnCell(item, c == 1 ? Kind::Date : c == 5 ? Kind::Money : Kind::Plain,
                                                         c == 1 ? QVariant(l.date) : QVariant(l.amount), l.reserved);
            Model->setItem(r, c, item);
        }
    }
    BvlLbMainCount->setText(u"データ数：　%1件"_s.arg(m_lines.size()));
    TFormDataOperation::ShowSortColumn(Model, kLabels, kFields.indexOf(JournalSortField), JournalSortDesc);
}

void TDataOpJournalPage::DBGridMainTitleClick(int column)
{
    const QString field = kFields.value(column);
    if (field.isEmpty())
        return;
    JournalSortDesc = field == JournalSortField ? !JournalSortDesc : false;
    JournalSortField = field;
    RunJournalQuery();
}

void TDataOpJournalPage::FrBtnHimokuCodeClick(int kind)
{
    ConvertKind = kind;
    ConvertButtons->button(kind)->setChecked(true);
    if (kind == 0) {
        ConvertPages->setCurrentIndex(0);
    } else if (kind <= 3) {
        static const QStringList words = {u"品名"_s, u"店名"_s, u"使用者"_s};
        m_codePanel->ShowKind(words.at(kind - 1) + u"コード"_s);
        ConvertPages->setCurrentIndex(1);
    } else {
        LbKingaku->setText(kind == 4 ? u"一括修正金額"_s : u"一括修正数量"_s);
        ConvertPages->setCurrentIndex(2);
    }
}

void TDataOpJournalPage::EditMotoCodeValueSet()
{
    if (ConvertKind < 1 || ConvertKind > 3)
        return;
    const QString table = masterOf(ConvertKind).table;
    m_codePanel->SettleCodes([&table](int code) { return nameOf(table, code); });
}

void TDataOpJournalPage::applyToLines(const QVector<int> &candidates, const QStringList &statements,
                                      const std::function<QVariantList(int)> &paramsFor)
{
    if (candidates.isEmpty()) {
        info(u"対象レコードはありません。"_s);
        return;
    }
    QVector<int> targets;
    int locked = 0;
    for (int i : candidates) {
        if (CurLockDate.isValid() && m_lines.at(i).date.isValid() && m_lines.at(i).date <= CurLockDate)
            ++locked;
        else
            targets << m_lines.at(i).dataNo;
    }
    if (locked > 0)
        info(u"締め日（%1）以前のデータ %2 件は締められているので変更しません。"_s
                 .arg(CurLockDate.toString(u"yyyy/MM/dd"_s))
                 .arg(locked));
    if (targets.isEmpty()) {
        info(u"対象レコードはありません。"_s);
        return;
    }
    if (!TFormDataOperation::ConfirmBulkChange(targets.size()))
        return;
    const int keep = DBGridMain->currentIndex().isValid() ? m_lines.value(DBGridMain->currentIndex().row()).dataNo : 0;
    {
        WaitCursor wait;
        try {
            Transaction tr(book(), Database::TransactionMode::Immediate);
            std::vector<std::unique_ptr<Statement>> prepared;
            for (const QString &text : statements)
                prepared.push_back(std::make_unique<Statement>(book(), text));
            for (int no : targets) {
                const QVariantList params = paramsFor(no);
                for (auto &st : prepared) {
                    st->reset();
                    for (int i = 0; i < params.size(); ++i)
                        st->bind(i + 1, params.at(i));
                    st->exec();
                }
            }
            tr.commit();
        } catch (const EDatabaseError &e) {
            TFormDataOperation::ShowEngineError(u"一括変換できませんでした。データは変更されていません。"_s, e);
            return;
        }
    }
    // Only now is the change the book's: the rest of the program re-reads it
    // at the next flush.
    DatMod->DataChanged = true;
    RunJournalQuery();
    for (int r = 0; r < m_lines.size(); ++r)
        if (m_lines.at(r).dataNo == keep)
            DBGridMain->selectRow(r);
}

void TDataOpJournalPage::FrBtnHimokuExecuteClick()
{
    const int from = ComboCode(CmbHimokuMoto);
    const int to = ComboCode(CmbHimokuAto);
    if (from <= 0 || to <= 0)
        return;
    const int bunrui = GetHimokuBunrui(book(), to);
    const int side = RGTaisyo->checkedId();
    const bool debit = bunrui != 1 && (side == 0 || side == 2);
    const bool credit = bunrui != 2 && (side == 1 || side == 2);
    if (bunrui == 1 && (side == 0 || side == 2))
        info(u"収入費目は出金先（貸方）だけに適用されます。"_s);
    if (bunrui == 2 && (side == 1 || side == 2))
        info(u"支出費目は入金先（借方）だけに適用されます。"_s);
    if (!debit && !credit)
        return;
    QVector<int> rows;
    for (int r = 0; r < m_lines.size(); ++r)
        if ((debit && m_lines.at(r).kari == from) || (credit && m_lines.at(r).kasi == from))
            rows << r;
    QStringList statements;
    if (debit)
        statements << u"UPDATE Master SET KARICODE = ?1 WHERE DATANO = ?2 AND KARICODE = ?3"_s;
    if (credit)
        statements << u"UPDATE Master SET KASICODE = ?1 WHERE DATANO = ?2 AND KASICODE = ?3"_s;
    applyToLines(rows, statements, [=](int no) { return QVariantList{to, no, from}; });
}

void TDataOpJournalPage::FrBtnHinmeiExecuteClick()
{
    if (ConvertKind < 1 || ConvertKind > 3)
        return;
    EditMotoCodeValueSet();
    const bool all = RdBtnAll->isChecked();
    const int from = EditMotoCode->text().toInt();
    const int to = EditAtoCode->text().toInt();
    if (!((all || from > 100) && to > 100))
        return;
    const MasterOfKind m = masterOf(ConvertKind);
    const auto exists = [&](int code) {
        return book().scalar(u"SELECT COUNT(*) FROM %1 WHERE CODE = ? AND CODE > 100"_s.arg(m.table), {code}).toInt() > 0;
    };
    if (!all && !exists(from)) {
        info(u"該当する変換元コードは存在しません。"_s);
        return;
    }
    if (!exists(to)) {
        info(u"該当する変換後コードは存在しません。"_s);
        return;
    }
    QVector<int> rows;
    for (int r = 0; r < m_lines.size(); ++r) {
        const Line &l = m_lines.at(r);
        const int code = ConvertKind == 1 ? l.hinmei : ConvertKind == 2 ? l.shop : l.person;
        if (all || code == from)
            rows << r;
    }
    const QString sql = all ? u"UPDATE Master SET %1 = ? WHERE DATANO = ?"_s.arg(m.field)
                            : u"UPDATE Master SET %1 = ? WHERE DATANO = ? AND %1 = ?"_s.arg(m.field);
    applyToLines(rows, {sql}, [=](int no) { return all ? QVariantList{to, no} : QVariantList{to, no, from}; });
}

void TDataOpJournalPage::FrBtnKingakuExecuteClick()
{
    const bool amount = ConvertKind == 4;
    QString text = FltEditKingaku->text().trimmed();
    text.remove(u',');
    bool ok = false;
    QVariant value;
    if (amount) {
        const Currency c = Currency::fromString(text, &ok);
        value = c.toDouble();
    } else {
        value = text.toDouble(&ok);
    }
    if (!ok || text.isEmpty()) {
        MessageDlg(amount ? u"金額には数値を入力してください。"_s : u"数量には数値を入力してください。"_s,
                   MsgDlgType::Warning, mbOK);
        FltEditKingaku->setFocus();
        return;
    }
    QVector<int> rows;
    for (int r = 0; r < m_lines.size(); ++r)
        rows << r;
    const QString sql = u"UPDATE Master SET %1 = ? WHERE DATANO = ?"_s.arg(amount ? u"KINGAKU"_s : u"QUANTITY"_s);
    applyToLines(rows, {sql}, [=](int no) { return QVariantList{value, no}; });
}
