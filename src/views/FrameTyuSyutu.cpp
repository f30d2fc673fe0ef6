#include "views/FrameTyuSyutu.h"
#include "views/ReportPrints.h"

#include <QMenu>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"
#include "printing/ExcelExport.h"
#include "views/MyDateTimePicker.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAll = u"すべて"_s;

// A combo box that asks its owner to refill it before its list drops down.
class DropDownCombo : public QComboBox
{
public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;
    void showPopup() override
    {
        if (onDropDown)
            onDropDown();
        QComboBox::showPopup();
    }
};

QComboBox *makeCombo(QWidget *parent)
{
    auto *combo = new DropDownCombo(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItem(kAll, 0);
    combo->setMinimumContentsLength(10);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QButtonGroup *makeRadios(QWidget *parent, QBoxLayout *layout, const QStringList &captions)
{
    auto *group = new QButtonGroup(parent);
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = new QRadioButton(captions[i], parent);
        group->addButton(b, i);
        layout->addWidget(b);
    }
    group->button(0)->setChecked(true);
    return group;
}

QGroupBox *radioBox(const QString &title, const QStringList &captions, QButtonGroup *&group, QWidget *parent,
                    bool vertical = false)
{
    auto *box = new QGroupBox(title, parent);
    QBoxLayout *layout = vertical ? static_cast<QBoxLayout *>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 2);
    group = makeRadios(box, layout, captions);
    return box;
}

TTyuSyutuField fieldOf(const QComboBox *combo)
{
    TTyuSyutuField f{combo->currentText(), 0};
    const int index = combo->currentIndex();
    if (index >= 0 && combo->itemText(index) == f.text)
        f.code = combo->itemData(index).toInt();
    return f;
}

bool isMoney(const QString &field)
{
    static const QStringList money{u"KINGAKU"_s, u"MAXVALUE"_s, u"MINVALUE"_s, u"AVGVALUE"_s, u"SUMVALUE"_s};
    return money.contains(field, Qt::CaseInsensitive);
}

// The sort name of a grid column's field (the code fields show names).
QString sortName(int result, const QString &field)
{
    const QString f = field.toUpper();
    if (f == u"KARICODE")
        return u"KariName"_s;
    if (f == u"KASICODE")
        return u"KasiName"_s;
    if (f == u"HINMEICODE")
        return u"Hinmei"_s;
    if (f == u"SHOPCODE")
        return u"ShopName"_s;
    if (f == u"PERSONCODE")
        return u"ParsonName"_s;
    Q_UNUSED(result);
    return f;
}

QString labelOf(const QString &field)
{
    static const QHash<QString, QString> labels{
        {u"RECDATE"_s, u"日付"_s},      {u"KARICODE"_s, u"入金先"_s},   {u"KASICODE"_s, u"出金元"_s},
        {u"HINMEICODE"_s, u"品名"_s},   {u"QUANTITY"_s, u"数量"_s},     {u"KINGAKU"_s, u"金額"_s},
        {u"SHOPCODE"_s, u"店名"_s},     {u"PERSONCODE"_s, u"使用者"_s}, {u"MAXVALUE"_s, u"最高値"_s},
        {u"MINVALUE"_s, u"最安値"_s},   {u"AVGVALUE"_s, u"平均値"_s},   {u"COUNTVALUE"_s, u"件数"_s},
        {u"SUMVALUE"_s, u"総合計"_s}};
    return labels.value(field.toUpper(), field);
}

void showAmount(QLabel *label, const QString &caption, Currency amount)
{
    label->setText(caption + u"  "_s + KingakuToStr(amount));
    label->setStyleSheet(amount < Currency() ? u"color: red;"_s : u"color: black;"_s);
}

} // namespace

// ---- creation --------------------------------------------------------------------------

TFrameTyuSyutu::TFrameTyuSyutu(QWidget *parent) : QFrame(parent)
{
    if (DatMod) {
        m_sql = std::make_unique<TTyuSyutuSql>(DatMod->MainDatabase);
        for (int r = 0; r < 3; ++r) {
            m_list[r] = new Query(DatMod->MainDatabase);
            m_stats[r] = new Query(DatMod->MainDatabase);
            for (Query *q : {m_list[r], m_stats[r]})
                q->AfterOpen = [this](DataSet &d) { setUpFields(static_cast<Query *>(&d)); };
        }
        // The book's line 0 holds its counters, not an entry.
        m_list[TTyuSyutuSql::Kouza]->setFilter(u"DATANO > 0"_s);
        m_list[TTyuSyutuSql::Kouza]->setFiltered(true);
    }
    buildUi();
}

TFrameTyuSyutu::~TFrameTyuSyutu()
{
    for (int r = 0; r < 3; ++r) {
        if (m_source[r])
            m_source[r]->setDataSet(nullptr);
        delete m_list[r];
        delete m_stats[r];
    }
}

void TFrameTyuSyutu::buildUi()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PaletteColor21.isValid() ? PaletteColor21 : ColorFromBgr(0xE3EBEE));
    setPalette(pal);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->setSpacing(4);

    // Mode, period and the switches.
    auto *top = new QHBoxLayout;
    FrBtnSyuSi = NewCaptionedFrameBtn(u"収支"_s, this);
    FrBtnHuri = NewCaptionedFrameBtn(u"振替"_s, this);
    for (TFrameBtn *b : {FrBtnSyuSi, FrBtnHuri}) {
        b->setGroupIndex(1);
        top->addWidget(b);
    }
    FrBtnSyuSi->SetDown(true);
    DTPStart = new TMyDateTimePicker(u"開始日"_s, this);
    DTPEnd = new TMyDateTimePicker(u"終了日"_s, this);
    const int year = QDate::currentDate().year();
    DTPStart->setDate(QDate(year, 1, 1));
    DTPEnd->setDate(QDate(year, 12, 31));
    top->addWidget(DTPStart);
    top->addWidget(new QLabel(u"～"_s, this));
    top->addWidget(DTPEnd);
    GBNext = radioBox(u"次の抽出は"_s, {u"新規に始める"_s, u"結果に加える"_s, u"結果を絞り込む"_s}, RGNext, this);
    GBNext->setToolTip(u"どんな組み合わせでもデータの重複はありません。"_s);
    GBNext->setEnabled(false);
    top->addWidget(GBNext);
    top->addStretch(1);
    SpBtnReserve = new TMySpeedButton(this);
    SpBtnReserve->setText(u"予約"_s);
    SpBtnReserve->setGroupIndex(12);
    SpBtnReserve->setAllowAllUp(true);
    SpBtnReserve->setMinimumSize(QSize(44, 26));
    top->addWidget(SpBtnReserve);
    FrBtnEdit = NewCaptionedFrameBtn(u"ジャンプ"_s, this);
    top->addWidget(FrBtnEdit);
    FrBtnPrint = NewCaptionedFrameBtn(u"印刷"_s, this);
    FrBtnPrint->setObjectName(u"FrBtnPrint"_s);
    top->addWidget(FrBtnPrint);
    main->addLayout(top);

    auto *options = new QHBoxLayout;
    const QStringList likes{u"しない"_s, u"～から始まる"_s, u"～を含む"_s};
    GBLike = radioBox(u"あいまい抽出"_s, likes, RGLike, this);
    GBLikeKouza = radioBox(u"あいまい抽出"_s, likes, RGLikeKouza, this);
    GBLikeKouza->hide();
    options->addWidget(GBLike);
    options->addWidget(GBLikeKouza);
    ChkBoxTakane = new QCheckBox(u"高値安値検索"_s, this);
    ChkBoxShop = new QCheckBox(u"店名で分類"_s, this);
    ChkBoxShop->setEnabled(false);
    ChkBoxQuantity = new QCheckBox(u"単価換算を行う"_s, this);
    GBQuantity = radioBox(u"換算単位"_s, {u"1単位あたり"_s, u"100単位あたり"_s}, RdGrpQuantity, this);
    GBQuantity->setEnabled(false);
    for (QWidget *w : std::initializer_list<QWidget *>{ChkBoxTakane, ChkBoxShop, ChkBoxQuantity, GBQuantity})
        options->addWidget(w);
    options->addStretch(1);
    FrBtnExecute = NewCaptionedFrameBtn(u"抽出開始"_s, this);
    FrBtnExecute->setMinimumWidth(110);
    options->addWidget(FrBtnExecute);
    main->addLayout(options);

    PnlJyouken = new QStackedWidget(this);
    PnlSyusiJyouken = buildIncomeExpensePanel();
    PnlHuriJyouken = buildTransferPanel();
    PnlJyouken->addWidget(PnlSyusiJyouken);
    PnlJyouken->addWidget(PnlHuriJyouken);
    PnlJyouken->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    main->addWidget(PnlJyouken);

    PnlResults = new QStackedWidget(this);
    PnlSyusi = new QWidget(PnlResults);
    auto *syusi = new QVBoxLayout(PnlSyusi);
    syusi->setContentsMargins(0, 0, 0, 0);
    auto *grids = new QHBoxLayout;
    grids->addWidget(buildResult(TTyuSyutuSql::Iri, BvlLbIriGoukei, LbShowIriSQL, MemoIriSQL));
    grids->addWidget(buildResult(TTyuSyutuSql::Deru, BvlLbDeruGoukei, LbShowDeruSQL, MemoDeruSQL));
    syusi->addLayout(grids, 1);
    BvlLbSyusi = new QLabel(PnlSyusi);
    BvlLbSyusi->setFrameShape(QFrame::StyledPanel);
    syusi->addWidget(BvlLbSyusi);
    PnlHuri = buildResult(TTyuSyutuSql::Kouza, BvlLbKouzaGoukei, LbShowHuriSQL, MemoKouzaSQL);
    PnlResults->addWidget(PnlSyusi);
    PnlResults->addWidget(PnlHuri);
    main->addWidget(PnlResults, 1);
    for (QLabel *l : {BvlLbIriGoukei, BvlLbDeruGoukei, BvlLbSyusi}) {
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, PaletteColor20.isValid() ? PaletteColor20 : ColorFromBgr(0xF0F9FB));
        l->setPalette(p);
    }

    ActionEdit = new QAction(u"編集"_s, this);
    ActionEdit->setEnabled(false);
    connect(ActionEdit, &QAction::triggered, this, [this] { JumpToLine(); });
    connect(FrBtnEdit, &QAbstractButton::clicked, ActionEdit, &QAction::trigger);
    connect(ActionEdit, &QAction::changed, this, [this] { FrBtnEdit->setEnabled(ActionEdit->isEnabled()); });
    FrBtnEdit->setEnabled(false);

    // Every change of a condition rebuilds the SQL; nothing runs before 抽出開始.
    auto rebuild = [this] {
        if (!m_building)
            BuildSql(false);
    };
    for (QComboBox *c : {CmbIriHimoku, CmbIriHinmei, CmbIriShop, CmbIriPerson, CmbIriKouza, CmbDeruHimoku,
                         CmbDeruHinmei, CmbDeruShop, CmbDeruPerson, CmbDeruKouza, CmbKari, CmbKasi, CmbPerson}) {
        connect(c, &QComboBox::currentTextChanged, this, rebuild);
        static_cast<DropDownCombo *>(c)->onDropDown = [this, c] { fillOnDropDown(c); };
    }
    for (QLineEdit *e : {EditHinmei, EditShop})
        connect(e, &QLineEdit::textChanged, this, rebuild);
    for (QButtonGroup *g : {RBIriPickUp, RGDeruPickUp, RBKouzaPickUp, RGNext, RGLike, RGLikeKouza})
        connect(g, &QButtonGroup::idClicked, this, rebuild);
    for (TMyDateTimePicker *p : {DTPStart, DTPEnd})
        connect(p, &TMyDateTimePicker::changed, this, rebuild);
    auto keep = [this] { BuildSql(true); };
    connect(ChkBoxQuantity, &QCheckBox::toggled, this, [this, keep](bool on) {
        GBQuantity->setEnabled(on);
        keep();
    });
    connect(RdGrpQuantity, &QButtonGroup::idClicked, this, keep);
    connect(ChkBoxTakane, &QCheckBox::toggled, this, [this] { ApplyStatistics(); });
    connect(ChkBoxShop, &QCheckBox::toggled, this, [this] { ApplyStatistics(); });
    connect(SpBtnReserve, &QAbstractButton::clicked, this, [this] { ToggleReserve(); });
    connect(FrBtnExecute, &QAbstractButton::clicked, this, [this] { Execute(); });
    // 印刷 holds the prints and exports of the shown results: income and
    // expense in 収支 mode, transfers in 振替 mode.
    auto *printMenu = new QMenu(FrBtnPrint);
    const struct { const char16_t *name, *text; int result; } prints[] = {
        {u"MenuIriPrint", u"収入を印刷", TTyuSyutuSql::Iri},
        {u"MenuDeruPrint", u"支出を印刷", TTyuSyutuSql::Deru},
        {u"MenuKouzaPrint", u"振替を印刷", TTyuSyutuSql::Kouza}};
    for (const auto &e : prints) {
        QAction *action = printMenu->addAction(QString::fromUtf16(e.text));
        action->setObjectName(QString::fromUtf16(e.name));
        const int result = e.result;
        connect(action, &QAction::triggered, this, [this, result] { PrintTyuSyutuReport(this, result); });
    }
    const struct { const char16_t *name, *text; int result; } exports[] = {
        {u"MenuIriExcel", u"収入をエクセルへ", TTyuSyutuSql::Iri},
        {u"MenuDeruExcel", u"支出をエクセルへ", TTyuSyutuSql::Deru},
        {u"MenuKouzaExcel", u"振替をエクセルへ", TTyuSyutuSql::Kouza}};
    for (const auto &e : exports) {
        QAction *action = printMenu->addAction(QString::fromUtf16(e.text));
        action->setObjectName(QString::fromUtf16(e.name));
        const int result = e.result;
        connect(action, &QAction::triggered, this, [this, result] {
            TDBGridExcelExport ex;
            ex.DBGrid = Grid(result);
            ex.SheetName = u"抽出の明細"_s;
            RunExcelExport(ex, u"抽出の明細"_s);
        });
    }
    connect(FrBtnPrint, &QAbstractButton::clicked, this, [this, printMenu] {
        const bool syusi = m_sql && m_sql->Mode == 1;
        const QList<QAction *> actions = printMenu->actions();
        // Three prints, then three exports, each income, expense, transfer.
        for (int i = 0; i < actions.size(); ++i)
            actions[i]->setVisible(i % 3 == 2 ? !syusi : syusi);
        printMenu->popup(FrBtnPrint->mapToGlobal(QPoint(0, FrBtnPrint->height())));
    });
    connect(FrBtnSyuSi, &QAbstractButton::clicked, this, [this] { SetMode(1); });
    connect(FrBtnHuri, &QAbstractButton::clicked, this, [this] { SetMode(0); });
}

QWidget *TFrameTyuSyutu::buildIncomeExpensePanel()
{
    auto *panel = new QWidget(this);
    auto *h = new QHBoxLayout(panel);
    h->setContentsMargins(0, 0, 0, 0);
    auto side = [&](const QString &title, const QString &himoku, const QString &kouza, QComboBox *&cHimoku,
                    QComboBox *&cHinmei, QComboBox *&cShop, QComboBox *&cPerson, QComboBox *&cKouza,
                    QButtonGroup *&pick) {
        auto *box = new QGroupBox(title, panel);
        box->setAutoFillBackground(true);
        QPalette p = box->palette();
        p.setColor(QPalette::Window, PaletteColor9.isValid() ? PaletteColor9 : ColorFromBgr(0xD7D5D5));
        box->setPalette(p);
        auto *g = new QGridLayout(box);
        g->setContentsMargins(4, 2, 4, 2);
        g->setVerticalSpacing(2);
        const QStringList captions{himoku, u"品名"_s, u"店名"_s, u"使用者"_s, kouza};
        QComboBox **combos[] = {&cHimoku, &cHinmei, &cShop, &cPerson, &cKouza};
        for (int i = 0; i < 5; ++i) {
            *combos[i] = makeCombo(box);
            g->addWidget(new QLabel(captions[i], box), i % 3, (i / 3) * 2);
            g->addWidget(*combos[i], i % 3, (i / 3) * 2 + 1);
        }
        auto *radios = new QHBoxLayout;
        pick = makeRadios(box, radios, {u"選ぶ"_s, u"除く"_s});
        g->addLayout(radios, 2, 2, 1, 2);
        h->addWidget(box);
    };
    side(u"収入"_s, u"費目"_s, u"入金先"_s, CmbIriHimoku, CmbIriHinmei, CmbIriShop, CmbIriPerson, CmbIriKouza,
         RBIriPickUp);
    side(u"支出"_s, u"費目"_s, u"出金元"_s, CmbDeruHimoku, CmbDeruHinmei, CmbDeruShop, CmbDeruPerson, CmbDeruKouza,
         RGDeruPickUp);
    return panel;
}

QWidget *TFrameTyuSyutu::buildTransferPanel()
{
    auto *box = new QGroupBox(u"振替"_s, this);
    auto *g = new QGridLayout(box);
    g->setContentsMargins(4, 2, 4, 2);
    CmbKari = makeCombo(box);
    CmbKasi = makeCombo(box);
    CmbPerson = makeCombo(box);
    EditHinmei = new QLineEdit(box);
    EditShop = new QLineEdit(box);
    g->addWidget(new QLabel(u"入金先（借方）"_s, box), 0, 0);
    g->addWidget(CmbKari, 0, 1);
    g->addWidget(new QLabel(u"出金元（貸方）"_s, box), 1, 0);
    g->addWidget(CmbKasi, 1, 1);
    g->addWidget(new QLabel(u"品名"_s, box), 0, 2);
    g->addWidget(EditHinmei, 0, 3);
    g->addWidget(new QLabel(u"店名"_s, box), 1, 2);
    g->addWidget(EditShop, 1, 3);
    g->addWidget(new QLabel(u"使用者"_s, box), 0, 4);
    g->addWidget(CmbPerson, 0, 5);
    auto *radios = new QHBoxLayout;
    RBKouzaPickUp = makeRadios(box, radios, {u"選ぶ"_s, u"除く"_s});
    g->addLayout(radios, 1, 4, 1, 2);
    g->addWidget(new QLabel(u"品名、店名ですべて選択する場合は空欄にしてください。"_s, box), 2, 0, 1, 6);
    return box;
}

QWidget *TFrameTyuSyutu::buildResult(int result, QLabel *&total, QPushButton *&showSql, QPlainTextEdit *&memo)
{
    auto *w = new QWidget(this);
    auto *v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    auto *head = new QHBoxLayout;
    total = new QLabel(w);
    total->setFrameShape(QFrame::StyledPanel);
    total->setMinimumWidth(200);
    showSql = new QPushButton(u"SQL表示"_s, w);
    showSql->setCheckable(true);
    showSql->setFlat(true);
    head->addWidget(total, 1);
    head->addWidget(showSql);
    v->addLayout(head);
    auto *grid = new TMyDBGrid(w);
    grid->setObjectName(result == TTyuSyutuSql::Iri ? u"DBGridIri"_s
                        : result == TTyuSyutuSql::Deru ? u"DBGridDeru"_s
                                                       : u"DBGridKouza"_s);
    (result == TTyuSyutuSql::Iri ? DBGridIri : result == TTyuSyutuSql::Deru ? DBGridDeru : DBGridKouza) = grid;
    v->addWidget(grid, 1);
    memo = new QPlainTextEdit(w);
    // The text shows what runs; conditions are set in the panels only.
    memo->setReadOnly(true);
    memo->setMaximumHeight(140);
    memo->hide();
    v->addWidget(memo);
    connect(showSql, &QPushButton::toggled, memo, &QWidget::setVisible);
    setUpGrid(result);
    return w;
}

void TFrameTyuSyutu::setUpGrid(int result)
{
    TMyDBGrid *grid = Grid(result);
    m_source[result] = new DataSource(m_list[result], this);
    grid->setDataSource(m_source[result]);
    grid->setReadOnly(true);
    grid->setOptions(DBGridOption::dgTitles | DBGridOption::dgColumnResize | DBGridOption::dgColLines
                     | DBGridOption::dgRowLines | DBGridOption::dgRowSelect | DBGridOption::dgAlwaysShowSelection);
    grid->setToolTip(u"タイトルをクリックすると並べ替えをします。"_s);
    grid->setDefaultDrawing(false);
    if (result == TTyuSyutuSql::Iri) {
        grid->setFixedColor(PaletteColor5.isValid() ? PaletteColor5 : ColorFromBgr(0xFED9C8));
    } else if (result == TTyuSyutuSql::Deru) {
        grid->setFixedColor(PaletteColor1.isValid() ? PaletteColor1 : ColorFromBgr(0xD9D9FF));
    }
    grid->onTitleClick = [this, result](int column) { SortByColumn(result, column); };
    grid->onDrawColumnCell = [this, grid](QPainter &painter, const QRect &rect, int dataCol, int column,
                                          GridDrawState state) {
        Field *field = grid->columnField(column);
        DataSet *d = grid->dataSet();
        if (field && d) {
            QColor colour = Qt::black;
            const QString name = field->fieldName().toUpper();
            if (isMoney(name) && field->asCurrency() < Currency())
                colour = Qt::red;
            if (name == u"RECDATE") {
                const QDate date = field->asDate();
                if (date.dayOfWeek() == 7 || IsHoliday(date))
                    colour = Qt::red;
                else if (date.dayOfWeek() == 6)
                    colour = Qt::blue;
            }
            if (Field *reserved = d->findField(u"RESERVED"_s); reserved && reserved->asBoolean())
                colour = Qt::gray;
            painter.setPen(colour);
        }
        grid->drawColumnCellText(painter, rect, dataCol, column, state, 55);
    };
    connect(grid->dataModel(), &DataSetModel::currentRowChanged, this, [this] { updateJump(); });
    connect(grid->dataModel(), &QAbstractItemModel::modelReset, this, [this] { updateJump(); });
    grid->setFocusPolicy(Qt::StrongFocus);
    connect(qApp, &QApplication::focusChanged, this, [this, grid, result](QWidget *, QWidget *now) {
        if (now == grid || (now && grid->isAncestorOf(now)))
            gridFocused(result);
    });
}

TMyDBGrid *TFrameTyuSyutu::Grid(int result) const
{
    return result == TTyuSyutuSql::Iri ? DBGridIri : result == TTyuSyutuSql::Deru ? DBGridDeru : DBGridKouza;
}

// ---- fields and columns ------------------------------------------------------------------

QString TFrameTyuSyutu::nameOf(const QString &field, int code) const
{
    const QString f = field.toUpper();
    const int table = f == u"KARICODE" || f == u"KASICODE" ? 0
                      : f == u"HINMEICODE"                 ? 1
                      : f == u"SHOPCODE"                   ? 2
                                                           : 3;
    return m_names[table].value(code);
}

void TFrameTyuSyutu::setUpFields(Query *query)
{
    for (Field *f : query->fields()) {
        const QString name = f->fieldName().toUpper();
        f->setDisplayLabel(labelOf(name));
        if (name == u"RECDATE") {
            f->OnGetText = [](Field &field, QString &text, bool) {
                const QDate d = field.asDate();
                text = d.isValid() ? QLocale(QLocale::Japanese).toString(d, u"yy.MM.dd (ddd)"_s) : QString();
            };
        } else if (name.endsWith(u"CODE"_s)) {
            f->OnGetText = [this, name](Field &field, QString &text, bool) {
                text = field.isNull() ? QString() : nameOf(name, field.asInteger());
            };
        } else if (isMoney(name)) {
            f->OnGetText = [](Field &field, QString &text, bool) {
                text = field.isNull() ? QString() : KingakuToStr(RoundAmount(field.asCurrency()));
            };
        }
    }
}

void TFrameTyuSyutu::applyColumns()
{
    const bool stats = ChkBoxTakane->isChecked();
    for (int r = 0; r < 3; ++r) {
        QStringList fields;
        if (stats) {
            fields << u"HINMEICODE"_s;
            if (ChkBoxShop->isChecked())
                fields << u"SHOPCODE"_s;
            fields << u"MAXVALUE"_s << u"MINVALUE"_s << u"AVGVALUE"_s << u"COUNTVALUE"_s << u"SUMVALUE"_s;
        } else {
            fields << u"RECDATE"_s;
            if (r == TTyuSyutuSql::Iri)
                fields << u"KASICODE"_s << u"KARICODE"_s;
            else
                fields << u"KARICODE"_s << u"KASICODE"_s;
            fields << u"HINMEICODE"_s;
            if (m_useQuantity[r])
                fields << u"QUANTITY"_s;
            fields << u"KINGAKU"_s << u"SHOPCODE"_s << u"PERSONCODE"_s;
        }
        const QFontMetrics fm(Grid(r)->font());
        QList<TMyDBGridColumn> columns;
        for (const QString &f : fields) {
            TMyDBGridColumn c;
            c.fieldName = f;
            c.caption = labelOf(f);
            const bool number = isMoney(f) || f == u"QUANTITY" || f == u"COUNTVALUE";
            c.alignment = (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            c.width = f == u"RECDATE"  ? fm.horizontalAdvance(u"2000/29/1244"_s) + 10
                      : number          ? fm.horizontalAdvance(u"123456789   "_s) + 10
                                        : fm.horizontalAdvance(u"アイスクリーム缶詰"_s) + 10;
            columns << c;
        }
        Grid(r)->setColumns(columns);
    }
    showTitles();
}

void TFrameTyuSyutu::showTitles()
{
    if (!m_sql)
        return;
    for (int r = 0; r < 3; ++r) {
        TMyDBGrid *grid = Grid(r);
        const TTyuSyutuResult &res = m_sql->Results[r];
        // The grid's own column count follows the open data set; the titles
        // are set on the column list, which stands before the first run too.
        const QList<TMyDBGridColumn> columns = grid->columns();
        for (int c = 0; c < columns.size(); ++c) {
            TMyDBGridColumn column = columns[c];
            QString caption = labelOf(column.fieldName);
            const bool sorted = sortName(r, column.fieldName).compare(res.sortColumn, Qt::CaseInsensitive) == 0;
            if (sorted)
                caption += res.descending ? u"   ↓"_s : u"   ↑"_s;
            if (column.caption != caption || column.titleBold != sorted) {
                column.caption = caption;
                column.titleBold = sorted;
                grid->setColumn(c, column);
            }
        }
    }
}

// ---- the main window's calls ---------------------------------------------------------------

void TFrameTyuSyutu::InitPage()
{
    m_initialized = true;
    RefreshSettings();
    ApplyStatistics();
    BuildSql(false);
    if (m_sql)
        showTotals();
}

void TFrameTyuSyutu::RefreshPage()
{
    if (!m_initialized) {
        InitPage();
        return;
    }
    RefreshSettings();
    ApplyStatistics();
    if (!m_sql)
        return;
    for (int r : m_sql->ModeResults()) {
        if (m_sql->Results[r].sql.isEmpty())
            continue;
        RunResult(r);
        Query *q = m_list[r];
        const int dataNo = m_sql->Results[r].dataNo;
        if (!ChkBoxTakane->isChecked() && dataNo > 0 && q->isActive())
            q->locate(u"DATANO"_s, dataNo);
    }
}

bool TFrameTyuSyutu::LeavePage()
{
    if (!m_sql)
        return true;
    for (int r = 0; r < 3; ++r) {
        Query *q = m_list[r];
        m_sql->Results[r].dataNo = q->isActive() && !q->isEmpty() ? q->fieldByName(u"DATANO"_s)->asInteger() : -1;
        q->close();
        m_stats[r]->close();
    }
    if (DatModSql && DatModSql->ListSql)
        DatModSql->ListSql->close();
    return true;
}

void TFrameTyuSyutu::RefreshSettings()
{
    for (TMyDBGrid *g : {DBGridIri, DBGridDeru, DBGridKouza})
        if (MainForm)
            MainForm->ApplyCommonGridFont(g);
    if (DataIni) {
        IncludeReservedFlag = DataIni->ReadOrWriteBool(u"State"_s, u"IncludeReseved"_s, false);
        const char *sections[] = {"Iri", "Deru", "Kouza"};
        for (int r = 0; r < 3; ++r)
            m_useQuantity[r] = DataIni->ReadOrWriteBool(QString::fromLatin1(sections[r]), u"UseQuantity"_s, false);
    }
    SpBtnReserve->SetDown(IncludeReservedFlag);
    reloadLookups();
    m_filledCategory.clear();
}

void TFrameTyuSyutu::reloadLookups()
{
    if (!DatMod || !DatMod->MainDatabase.isOpen())
        return;
    const char *tables[] = {"Himoku", "HinmeiMast", "ShopMast", "Person"};
    for (int t = 0; t < 4; ++t) {
        m_names[t].clear();
        Statement st(DatMod->MainDatabase, u"SELECT CODE, NAME FROM %1"_s.arg(QString::fromLatin1(tables[t])));
        while (st.next())
            m_names[t].insert(int(st.intValue(0)), st.textValue(1));
    }
}

// ---- conditions and SQL ----------------------------------------------------------------------

void TFrameTyuSyutu::readControls()
{
    TTyuSyutuOptions &o = m_sql->Options;
    o.start = DTPStart->date();
    o.end = DTPEnd->date();
    o.startChecked = DTPStart->checked();
    o.endChecked = DTPEnd->checked();
    o.next = RGNext->checkedId();
    o.like = RGLike->checkedId();
    o.likeKouza = RGLikeKouza->checkedId();
    o.includeReserved = IncludeReservedFlag;
    o.quantity = ChkBoxQuantity->isChecked();
    o.quantityUnit = RdGrpQuantity->checkedId();
    o.takane = ChkBoxTakane->isChecked();
    o.byShop = ChkBoxShop->isChecked();
    auto panel = [](TTyuSyutuPanel &p, QComboBox *himoku, QComboBox *hinmei, QComboBox *shop, QComboBox *person,
                    QComboBox *kouza, QButtonGroup *pick) {
        p.himoku = fieldOf(himoku);
        p.hinmei = fieldOf(hinmei);
        p.shop = fieldOf(shop);
        p.person = fieldOf(person);
        p.kouza = fieldOf(kouza);
        p.pickUp = pick->checkedId() == 0;
    };
    panel(m_sql->Panels[TTyuSyutuSql::Iri], CmbIriHimoku, CmbIriHinmei, CmbIriShop, CmbIriPerson, CmbIriKouza,
          RBIriPickUp);
    panel(m_sql->Panels[TTyuSyutuSql::Deru], CmbDeruHimoku, CmbDeruHinmei, CmbDeruShop, CmbDeruPerson,
          CmbDeruKouza, RGDeruPickUp);
    TTyuSyutuPanel &k = m_sql->Panels[TTyuSyutuSql::Kouza];
    k.himoku = fieldOf(CmbKari);
    k.kouza = fieldOf(CmbKasi);
    k.person = fieldOf(CmbPerson);
    k.hinmei = {EditHinmei->text(), 0};
    k.shop = {EditShop->text(), 0};
    k.pickUp = RBKouzaPickUp->checkedId() == 0;
    m_sql->Mode = FrBtnHuri->down() ? 0 : 1;
}

void TFrameTyuSyutu::BuildSql(bool keepConditions)
{
    if (!m_sql)
        return;
    readControls();
    try {
        m_sql->BuildSql(keepConditions);
    } catch (const EDatabaseError &e) {
        throw Exception(u"抽出の条件を作れませんでした。\n\n"_s + e.message());
    }
    showSqlTexts();
    showTitles();
}

void TFrameTyuSyutu::showSqlTexts()
{
    QPlainTextEdit *memos[] = {MemoIriSQL, MemoDeruSQL, MemoKouzaSQL};
    for (int r = 0; r < 3; ++r) {
        const QString text = m_sql->Results[r].sql.join(u'\n');
        if (memos[r]->toPlainText() != text)
            memos[r]->setPlainText(text);
    }
}

void TFrameTyuSyutu::showTotals()
{
    const TTyuSyutuResult *r = m_sql->Results;
    showAmount(BvlLbIriGoukei, u"収入合計"_s, r[TTyuSyutuSql::Iri].total);
    showAmount(BvlLbDeruGoukei, u"支出合計"_s, r[TTyuSyutuSql::Deru].total);
    showAmount(BvlLbSyusi, u"収入－支出"_s, r[TTyuSyutuSql::Iri].total - r[TTyuSyutuSql::Deru].total);
    showAmount(BvlLbKouzaGoukei, u"合計"_s, r[TTyuSyutuSql::Kouza].total);
}

// ---- running -----------------------------------------------------------------------------------

void TFrameTyuSyutu::Execute()
{
    if (!m_sql)
        return;
    for (int r : m_sql->ModeResults())
        RunResult(r);
}

void TFrameTyuSyutu::RunResult(int result)
{
    if (!m_sql)
        return;
    WaitCursor wait;
    if (m_sql->Results[result].sql.isEmpty())
        BuildSql(false);
    Query *q = ChkBoxTakane->isChecked() ? m_stats[result] : m_list[result];
    TTyuSyutuResult &r = m_sql->Results[result];
    q->disableControls();
    Currency total;
    try {
        q->close();
        q->SQL = r.sql;
        q->open();
        total = m_sql->QueryTotal(result);
    } catch (const EDatabaseError &e) {
        q->enableControls();
        throw Exception(u"抽出できませんでした。\n\n"_s + e.message());
    } catch (const EDataSetError &e) {
        q->enableControls();
        throw Exception(u"抽出できませんでした。\n\n"_s + e.message());
    }
    q->enableControls();
    r.total = total;
    m_sql->Accept(result);
    showTotals();
    GBNext->setEnabled(true);
    showTitles();
    updateJump();
}

void TFrameTyuSyutu::SetMode(int mode)
{
    if (!m_sql)
        return;
    m_sql->Mode = mode == 1 ? 1 : 0;
    (mode == 1 ? FrBtnSyuSi : FrBtnHuri)->SetDown(true);
    for (TTyuSyutuResult &r : m_sql->Results)
        r.sql.clear();
    PnlJyouken->setCurrentWidget(mode == 1 ? PnlSyusiJyouken : PnlHuriJyouken);
    PnlResults->setCurrentWidget(mode == 1 ? PnlSyusi : PnlHuri);
    GBLike->setVisible(mode == 1);
    GBLikeKouza->setVisible(mode != 1);
    showSqlTexts();
    updateJump();
}

void TFrameTyuSyutu::ApplyStatistics()
{
    for (int r = 0; r < 3; ++r) {
        m_list[r] ? m_list[r]->close() : void();
        m_stats[r] ? m_stats[r]->close() : void();
    }
    const bool stats = ChkBoxTakane->isChecked();
    ChkBoxShop->setEnabled(stats);
    if (m_sql)
        m_sql->ResetSort(stats);
    applyColumns();
    BuildSql(true);
    for (int r = 0; r < 3; ++r)
        if (m_source[r])
            m_source[r]->setDataSet(stats ? m_stats[r] : m_list[r]);
    updateJump();
}

void TFrameTyuSyutu::SortByColumn(int result, int column)
{
    TMyDBGrid *grid = Grid(result);
    if (!m_sql || column < 0 || column >= grid->columns().size())
        return;
    m_sql->SortBy(result, sortName(result, grid->columns().at(column).fieldName));
    BuildSql(true);
    RunResult(result);
}

void TFrameTyuSyutu::ToggleReserve()
{
    const bool wanted = SpBtnReserve->down();
    try {
        if (DataIni)
            DataIni->WriteBoolAndUpdate(u"State"_s, u"IncludeReseved"_s, wanted);
    } catch (...) {
        SpBtnReserve->SetDown(IncludeReservedFlag);
        throw;
    }
    IncludeReservedFlag = wanted;
    BuildSql(true);
}

// ---- lists of the combos ----------------------------------------------------------------------

void TFrameTyuSyutu::fillOnDropDown(QComboBox *combo)
{
    if (!DatModSql)
        return;
    m_building = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_building};
    if (combo == CmbIriHimoku)
        DatModSql->FillHimokuCombo(combo, 1, true, 0);
    else if (combo == CmbDeruHimoku)
        DatModSql->FillHimokuCombo(combo, 2, true, 0);
    else if (combo == CmbIriKouza || combo == CmbKari)
        DatModSql->FillHimokuCombo(combo, 0, true, 1);
    else if (combo == CmbDeruKouza || combo == CmbKasi)
        DatModSql->FillHimokuCombo(combo, 0, true, 2);
    else if (combo == CmbIriPerson || combo == CmbDeruPerson || combo == CmbPerson)
        DatModSql->FillPersonCombo(combo, true);
    else {
        const bool iri = combo == CmbIriHinmei || combo == CmbIriShop;
        QComboBox *himoku = iri ? CmbIriHimoku : CmbDeruHimoku;
        const TTyuSyutuField f = fieldOf(himoku);
        int code = f.code;
        if (code == 0 && f.text != kAll && !f.text.trimmed().isEmpty())
            code = qMax(0, GetHimokuCodeByName(f.text, iri ? 1 : 2));
        if (m_filledCategory.contains(combo) && m_filledCategory.value(combo) == code)
            return;
        m_filledCategory.insert(combo, code);
        if (combo == CmbIriHinmei || combo == CmbDeruHinmei)
            DatModSql->FillHinmeiCombo(combo, iri ? 1 : 2, code, true);
        else
            DatModSql->FillShopCombo(combo, iri ? 1 : 2, code, true);
    }
}

// ---- the jump to an entry ----------------------------------------------------------------------

void TFrameTyuSyutu::gridFocused(int result)
{
    m_focusedResult = result;
    updateJump();
}

bool TFrameTyuSyutu::CanJump() const
{
    if (!m_sql || ChkBoxTakane->isChecked() || m_focusedResult < 0 || !MainForm)
        return false;
    if (!m_sql->ModeResults().contains(m_focusedResult))
        return false;
    Query *q = m_list[m_focusedResult];
    if (!q->isActive() || q->isEmpty())
        return false;
    // Only lines whose entry page exists can be shown there.
    Statement st(m_sql->database(), u"SELECT ORIGIN FROM Master WHERE DATANO = ?"_s);
    st.bind(1, q->fieldByName(u"DATANO"_s)->asInteger());
    if (!st.next())
        return false;
    const int origin = int(st.intValue(0));
    const int page = origin == 1 ? pgIri : origin == 2 ? pgDeru : origin == 3 ? pgKouza : -1;
    return page >= 0 && TMainForm::HasPageFrame(page);
}

void TFrameTyuSyutu::updateJump()
{
    bool can = false;
    try {
        can = CanJump();
    } catch (const EDatabaseError &) {
        can = false; // a line the book cannot tell about is not offered
    }
    ActionEdit->setEnabled(can);
    FrBtnEdit->setEnabled(can);
}

void TFrameTyuSyutu::JumpToLine()
{
    if (!CanJump())
        return;
    const int dataNo = m_list[m_focusedResult]->fieldByName(u"DATANO"_s)->asInteger();
    MainForm->JumpToDataNo(dataNo);
}
