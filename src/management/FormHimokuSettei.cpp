#include "management/FormHimokuSettei.h"

#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/ControlUtils.h"
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "management/FormSimeTukiSet.h"
#include "management/FormSimebiList.h"
#include "management/HimokuListView.h"
#include "management/HimokuSonota.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

TFormHimokuSettei *FormHimokuSettei = nullptr;

namespace {

const QString kName = QStringLiteral("NAME");

// A combo that says when its list is about to drop down.
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

// The page a BUNRUI belongs to, as its name.
QString pageNameOf(int bunrui)
{
    return bunrui == 1 ? QStringLiteral("収入") : bunrui == 2 ? QStringLiteral("支出") : QStringLiteral("口座");
}

void fillSimebi(QComboBox *c)
{
    for (int d = 1; d <= 30; ++d)
        c->addItem(QString::number(d));
    c->addItem(QStringLiteral("月末"));
}

void fillNames(QComboBox *c, const auto &names)
{
    for (const auto &n : names)
        c->addItem(n.toString());
}

int simebiIndex(const QVariant &v)
{
    const int d = v.toInt();
    if (v.isNull() || d == 0 || d >= 31)
        return 30;
    return d < 0 ? -1 : d - 1;
}

TMySpeedButton *barButton(const QString &caption, QWidget *parent)
{
    auto *b = new TMySpeedButton(parent);
    b->setText(caption);
    b->setMinimumSize(52, 26);
    return b;
}

TFrameBtn *frameButton(const QString &caption, QWidget *parent)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    b->setMinimumSize(64, 26);
    return b;
}

// Combos filled from fixed lists must not fire while the dialog sets them.
struct Blocker
{
    explicit Blocker(bool &busy) : m_busy(busy), m_old(busy) { m_busy = true; }
    ~Blocker() { m_busy = m_old; }
    bool &m_busy;
    bool m_old;
};

} // namespace

int OpenHimokuSettei(QWidget *owner, int pageKind)
{
    if (!DatMod || !DatMod->DataOpen)
        return mrCancel;
    TFormHimokuSettei form(DatMod->MainDatabase, owner);
    form.SelectPage(0);
    if (pageKind >= 1 && pageKind <= form.CmbBoxTitle->count()) {
        form.CmbBoxTitle->setCurrentIndex(pageKind - 1);
        form.CmbBoxTitleChange();
    }
    const int result = ModalForms::exec(form);
    // Whatever was saved, the pages find it in the caches.
    WaitCursor wait;
    if (DatMod && DatMod->DataOpen)
        LoadHimokuCaches(DatMod->MainDatabase);
    return result;
}

TFormHimokuSettei::TFormHimokuSettei(Database &db, QWidget *parent) : QDialog(parent), m_db(db), m_rows(db)
{
    setObjectName(QStringLiteral("FormHimokuSettei"));
    setWindowTitle(QStringLiteral("設定フォーム"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    SetControlHelpContext(this, 10046);
    buildUi();
    {
        Blocker b(m_busy);
        CmbBoxTitle->addItem(QStringLiteral("収入の設定"));
        CmbBoxTitle->addItem(QStringLiteral("支出の設定"));
        if (KouzaUseFlag)
            CmbBoxTitle->addItem(QStringLiteral("口座の設定"));
        CmbBoxTitle->setCurrentIndex(1);
    }
    BuildPage(2);
    // Enter in the record panels: the name and memo edits take the row in,
    // the other controls hand the focus on.
    for (QWidget *panel : {PnlIriDeru, PnlCard})
        for (QWidget *w : panel->findChildren<QWidget *>())
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QCheckBox *>(w))
                w->installEventFilter(this);
    FormHimokuSettei = this;
}

TFormHimokuSettei::~TFormHimokuSettei()
{
    setHelpMode(false);
    if (FormHimokuSettei == this)
        FormHimokuSettei = nullptr;
}

void TFormHimokuSettei::buildUi()
{
    auto *v = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    CmbBoxTitle = new QComboBox(this);
    LbTitle = new QLabel(this);
    QFont big = LbTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    LbTitle->setFont(big);
    LbTitle->hide();
    head->addWidget(CmbBoxTitle);
    head->addWidget(LbTitle);
    head->addStretch(1);
    FrBtnNendo = frameButton(QStringLiteral("家計簿の年度設定"), this);
    SpBtnlClose = frameButton(QStringLiteral("閉じる"), this);
    FrBtnHelp = frameButton(QStringLiteral("?"), this);
    FrBtnHelp->setObjectName(QStringLiteral("FrBtnHelp"));
    FrBtnHelp->setMinimumSize(26, 26);
    FrBtnHelp->setToolTip(QStringLiteral("調べたい所をクリックします。"));
    FrBtnHelp->setGroupIndex(1);
    FrBtnHelp->setAllowAllUp(true);
    head->addWidget(FrBtnNendo);
    head->addWidget(FrBtnHelp);
    head->addWidget(SpBtnlClose);
    v->addLayout(head);

    GBxPageSimeBi = new QGroupBox(this);
    auto *g = new QHBoxLayout(GBxPageSimeBi);
    DBCmbPageSimebi = new QComboBox(GBxPageSimeBi);
    fillSimebi(DBCmbPageSimebi);
    DBCmbPageSimebiShift = new QComboBox(GBxPageSimeBi);
    DBCmbPageSimebiShift->addItems({QStringLiteral("一ヶ月前"), QStringLiteral("そのまま"), QStringLiteral("一ヶ月後")});
    DBCmbPageSimeHolidayShift = new QComboBox(GBxPageSimeBi);
    fillNames(DBCmbPageSimeHolidayShift, HolidayShiftNames);
    DBCmbPageSimeAddDay = new QComboBox(GBxPageSimeBi);
    fillNames(DBCmbPageSimeAddDay, SimeAddDayNames);
    FrBtnSimeRireki = frameButton(QStringLiteral("履歴"), GBxPageSimeBi);
    g->addWidget(new QLabel(QStringLiteral("締め日"), GBxPageSimeBi));
    g->addWidget(DBCmbPageSimebi);
    g->addWidget(FrBtnSimeRireki);
    g->addWidget(new QLabel(QStringLiteral("月度表記"), GBxPageSimeBi));
    g->addWidget(DBCmbPageSimebiShift);
    g->addWidget(new QLabel(QStringLiteral("締め日調整"), GBxPageSimeBi));
    g->addWidget(DBCmbPageSimeHolidayShift);
    g->addWidget(DBCmbPageSimeAddDay);
    g->addStretch(1);
    v->addWidget(GBxPageSimeBi);

    auto *bar = new QHBoxLayout;
    BtnApply = barButton(QStringLiteral("保存"), this);
    BtnPost = barButton(QStringLiteral("登録"), this);
    BtnInsert = barButton(QStringLiteral("新規"), this);
    BtnCancel = barButton(QStringLiteral("取消"), this);
    BtnDelete = barButton(QStringLiteral("削除"), this);
    BtnCancelAll = barButton(QStringLiteral("全取消"), this);
    for (auto *b : {BtnApply, BtnPost, BtnInsert, BtnCancel, BtnDelete, BtnCancelAll})
        bar->addWidget(b);
    bar->addSpacing(16);
    FrBtnItiran = frameButton(QStringLiteral("一覧表示"), this);
    // Both stay down while on (a latched button of a group of its own).
    FrBtnItiran->setGroupIndex(2);
    FrBtnItiran->setAllowAllUp(true);
    bar->addWidget(FrBtnItiran);
    FrBtnEditGrid = frameButton(QStringLiteral("編集可能"), this);
    FrBtnEditGrid->setGroupIndex(3);
    FrBtnEditGrid->setAllowAllUp(true);
    FrBtnEditGrid->hide();
    bar->addWidget(FrBtnEditGrid);
    bar->addStretch(1);
    v->addLayout(bar);

    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    STGridPos = new QTableWidget(0, 1, this);
    STGridPos->setObjectName(QStringLiteral("STGridPos"));
    STGridPos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    STGridPos->setSelectionBehavior(QAbstractItemView::SelectRows);
    STGridPos->setSelectionMode(QAbstractItemView::SingleSelection);
    STGridPos->horizontalHeader()->setStretchLastSection(true);
    // Lines are dragged by their number on the left, as in a list of order.
    STGridPos->verticalHeader()->setSectionsMovable(true);
    STGridPos->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    STGridPos->setMinimumWidth(200);
    ChkBoxNonVisible = new QCheckBox(this);
    left->addWidget(STGridPos, 1);
    left->addWidget(ChkBoxNonVisible);
    body->addLayout(left);

    PnlRecord = new QStackedWidget(this);
    PnlIriDeru = buildIriDeruPanel();
    PnlCard = buildCardPanel();
    PnlRecord->addWidget(PnlIriDeru);
    PnlRecord->addWidget(PnlCard);
    MyDBGrid1 = new THimokuListView(this);
    MyDBGrid1->hide();
    body->addWidget(PnlRecord, 1);
    body->addWidget(MyDBGrid1, 3);
    PnlSonota = new THimokuSonota(this);
    body->addWidget(PnlSonota);
    v->addLayout(body, 1);
    resize(900, 560);

    connect(CmbBoxTitle, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_busy)
            CmbBoxTitleChange();
    });
    connect(SpBtnlClose, &QAbstractButton::clicked, this, &QDialog::close);
    connect(FrBtnNendo, &QAbstractButton::clicked, this, [this] {
        if (!DatMod || !DatMod->DataOpen)
            return;
        TFormSimeTukiSet form(this);
        ModalForms::exec(form);
    });
    connect(BtnApply, &QAbstractButton::clicked, this, [this] {
        if (SaveChanges())
            FillOrderGrid();
    });
    connect(BtnPost, &QAbstractButton::clicked, this, &TFormHimokuSettei::DataSetPost1Execute);
    connect(BtnInsert, &QAbstractButton::clicked, this, &TFormHimokuSettei::DataSetInsert1Execute);
    connect(BtnCancel, &QAbstractButton::clicked, this, &TFormHimokuSettei::DataSetCancel1Execute);
    connect(BtnDelete, &QAbstractButton::clicked, this, &TFormHimokuSettei::DataSetDelete1Execute);
    connect(BtnCancelAll, &QAbstractButton::clicked, this, &TFormHimokuSettei::DataSetCancelUpdates1Execute);
    connect(FrBtnItiran, &TMySpeedButton::downChanged, this, [this](bool on) {
        if (!on)
            FrBtnEditGrid->SetDown(false);
        STGridPos->setVisible(!on);
        ChkBoxNonVisible->setVisible(!on);
        PnlRecord->setVisible(!on);
        MyDBGrid1->setVisible(on);
        FrBtnEditGrid->setVisible(on);
        if (on) {
            fillListView();
            const int line = m_current;
            if (line >= 0) {
                Blocker b(m_busy);
                MyDBGrid1->setCurrentCell(line, qMax(0, MyDBGrid1->currentColumn()));
            }
        }
    });
    connect(FrBtnEditGrid, &TMySpeedButton::downChanged, this, &TFormHimokuSettei::listEditToggled);
    // A typed cell is read once its editor has closed, so that a message
    // about it does not come while the editor still has the focus.
    connect(MyDBGrid1, &THimokuListView::cellTyped, this, &TFormHimokuSettei::ListCellTyped, Qt::QueuedConnection);
    connect(MyDBGrid1, &QTableWidget::currentCellChanged, this, [this](int line, int, int previous, int) {
        if (m_busy || line == previous || line < 0 || line >= m_rows.rows().size())
            return;
        if (!DataSetPost1Execute()) {
            Blocker b(m_busy);
            MyDBGrid1->setCurrentCell(previous, MyDBGrid1->currentColumn());
            return;
        }
        setCurrentRow(line);
    });
    connect(FrBtnHelp, &TMySpeedButton::downChanged, this, &TFormHimokuSettei::setHelpMode);
    connect(ChkBoxNonVisible, &QCheckBox::toggled, this, [this](bool on) {
        if (m_busy)
            return;
        m_rows.setShowHidden(on);
        FillOrderGrid();
    });
    connect(STGridPos, &QTableWidget::currentCellChanged, this, [this](int line, int, int previous, int) {
        if (m_busy || line == previous)
            return;
        const QList<int> shown = m_rows.shown();
        if (line < 0 || line >= shown.size())
            return;
        // Leaving a row takes its name in first; a refused name keeps the row.
        if (!DataSetPost1Execute()) {
            Blocker b(m_busy);
            STGridPos->setCurrentCell(previous, 0);
            return;
        }
        setCurrentRow(shown.at(line));
    });
    connect(STGridPos->verticalHeader(), &QHeaderView::sectionMoved, this, [this](int, int from, int to) {
        if (m_busy)
            return;
        // The header only carried the drag: the rows themselves take the new
        // order and the list is drawn again from them.
        QHeaderView *header = STGridPos->verticalHeader();
        {
            Blocker b(m_busy);
            header->moveSection(to, from);
        }
        if (!DataSetPost1Execute())
            return;
        if (m_rows.moveShown(from, to)) {
            FillOrderGrid();
            // The dragged row is the current one, on its new line.
            setCurrentRow(m_rows.shown().at(to));
        }
    });

    connect(DBCmbPageSimebi, &QComboBox::currentIndexChanged, this, &TFormHimokuSettei::DBCmbPageSimebiChange);
    connect(DBCmbPageSimebiShift, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_busy)
            m_rows.group().set(QStringLiteral("SIMESHIFT"), i - 1);
    });
    connect(DBCmbPageSimeHolidayShift, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_busy)
            m_rows.group().set(QStringLiteral("SIMEHOLIDAYSHIFT"), i);
    });
    connect(DBCmbPageSimeAddDay, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_busy)
            m_rows.group().set(QStringLiteral("SIMEADDDAY"), i - 1);
    });
    connect(FrBtnSimeRireki, &QAbstractButton::clicked, this, [this] { OpenSimebiRireki(m_rows.pageKind()); });
}

QWidget *TFormHimokuSettei::buildIriDeruPanel()
{
    auto *panel = new QGroupBox(this);
    SetControlHelpContext(panel, 10049);
    auto *f = new QFormLayout(panel);
    DBEditHimokuName = new QLineEdit(panel);
    DBEditHimokuName->setObjectName(QStringLiteral("DBEditHimokuName"));
    DBEditHimokuName->setMaxLength(20);
    LbCode = new QLabel(panel);
    LbPos = new QLabel(panel);
    auto *posRow = new QHBoxLayout;
    posRow->addWidget(LbPos);
    auto *up = barButton(QStringLiteral("▲"), panel);
    auto *down = barButton(QStringLiteral("▼"), panel);
    up->setMinimumSize(26, 22);
    down->setMinimumSize(26, 22);
    posRow->addWidget(up);
    posRow->addWidget(down);
    posRow->addStretch(1);
    LbKouza = new QLabel(panel);
    DBCmbKouza = new QComboBox(panel);
    LbZeiAtukai = new QLabel(QStringLiteral("主な税扱い"), panel);
    DBCmbZeiAtukai = new QComboBox(panel);
    fillNames(DBCmbZeiAtukai, ZeiAtukaiNames);
    DBEditHimokuMemo = new QLineEdit(panel);
    DBEditHimokuMemo->setMaxLength(40);
    DBChkVisible = new QCheckBox(QStringLiteral("表示する"), panel);
    DBChkTokubetu = new QCheckBox(QStringLiteral("特別費目"), panel);
    DBChkBoxYosanWarn = new QCheckBox(QStringLiteral("予算警告に含める"), panel);
    f->addRow(QStringLiteral("費目名"), DBEditHimokuName);
    f->addRow(QStringLiteral("内部コード"), LbCode);
    f->addRow(QStringLiteral("表示順"), posRow);
    f->addRow(LbKouza, DBCmbKouza);
    f->addRow(LbZeiAtukai, DBCmbZeiAtukai);
    f->addRow(QStringLiteral("メモ"), DBEditHimokuMemo);
    f->addRow(QString(), DBChkVisible);
    f->addRow(QString(), DBChkTokubetu);
    f->addRow(QString(), DBChkBoxYosanWarn);

    connect(up, &QAbstractButton::clicked, this, &TFormHimokuSettei::SpinButtonUpClick);
    connect(down, &QAbstractButton::clicked, this, &TFormHimokuSettei::SpinButtonDownClick);
    connect(DBEditHimokuMemo, &QLineEdit::editingFinished, this,
            [this] { setField(QStringLiteral("MEMO"), DBEditHimokuMemo->text()); });
    connect(DBCmbKouza, &QComboBox::activated, this,
            [this] { setField(QStringLiteral("AITECODE"), DBCmbKouza->currentData()); });
    connect(DBCmbZeiAtukai, &QComboBox::activated, this, [this](int i) { setField(QStringLiteral("ZEIATUKAI"), i); });
    connect(DBChkVisible, &QCheckBox::toggled, this, [this](bool on) {
        setField(QStringLiteral("VISIBLE"), on);
        if (!m_busy && !m_rows.showHidden())
            FillOrderGrid();
    });
    connect(DBChkTokubetu, &QCheckBox::toggled, this, [this](bool on) { setField(QStringLiteral("TOKUBETU"), on); });
    connect(DBChkBoxYosanWarn, &QCheckBox::toggled, this,
            [this](bool on) { setField(QStringLiteral("YOSANWARN"), on); });
    return panel;
}

QWidget *TFormHimokuSettei::buildCardPanel()
{
    auto *panel = new QGroupBox(QStringLiteral("口座情報"), this);
    SetControlHelpContext(panel, 10050);
    auto *f = new QFormLayout(panel);
    LbCardCode = new QLabel(panel);
    DBEditKouzaName = new QLineEdit(panel);
    DBEditKouzaName->setObjectName(QStringLiteral("DBEditKouzaName"));
    DBEditKouzaName->setMaxLength(20);
    DBCmbSyubetu = new QComboBox(panel);
    for (int b = 3; b <= 23; ++b)
        DBCmbSyubetu->addItem(BunruiTable[size_t(b)].name.toString(), b);
    auto *kind = new QGroupBox(QStringLiteral("口座属性"), panel);
    auto *kl = new QGridLayout(kind);
    LbBu1Name = new QLabel(kind);
    LbBu2Name = new QLabel(kind);
    RbKarigata = new QRadioButton(QStringLiteral("借方"), kind);
    RbKasigata = new QRadioButton(QStringLiteral("貸方"), kind);
    // They show the class's side; the class alone decides it.
    RbKarigata->setEnabled(false);
    RbKasigata->setEnabled(false);
    kl->addWidget(new QLabel(QStringLiteral("大分類"), kind), 0, 0);
    kl->addWidget(LbBu1Name, 0, 1);
    kl->addWidget(new QLabel(QStringLiteral("小分類"), kind), 1, 0);
    kl->addWidget(LbBu2Name, 1, 1);
    kl->addWidget(RbKarigata, 0, 2);
    kl->addWidget(RbKasigata, 1, 2);
    DBEditSyokizan = new QLineEdit(panel);
    DBEditSyokizan->setObjectName(QStringLiteral("DBEditSyokizan"));
    DBEditSyokizan->setAttribute(Qt::WA_InputMethodEnabled, false);
    DBEditSyokizan->setAlignment(Qt::AlignRight);
    LbCardPos = new QLabel(panel);
    auto *posRow = new QHBoxLayout;
    posRow->addWidget(LbCardPos);
    auto *up = barButton(QStringLiteral("▲"), panel);
    auto *down = barButton(QStringLiteral("▼"), panel);
    up->setMinimumSize(26, 22);
    down->setMinimumSize(26, 22);
    posRow->addWidget(up);
    posRow->addWidget(down);
    posRow->addStretch(1);
    DBCmbSimebi = new QComboBox(panel);
    fillSimebi(DBCmbSimebi);
    FrBtnKouzaSimeRireki = frameButton(QStringLiteral("履歴"), panel);
    auto *simeRow = new QHBoxLayout;
    simeRow->addWidget(DBCmbSimebi);
    simeRow->addWidget(FrBtnKouzaSimeRireki);
    DBCmbSimeHolidayShift = new QComboBox(panel);
    fillNames(DBCmbSimeHolidayShift, HolidayShiftNames);
    DBCmbSimeAddDay = new QComboBox(panel);
    fillNames(DBCmbSimeAddDay, SimeAddDayNames);
    auto *adjust = new QHBoxLayout;
    adjust->addWidget(DBCmbSimeHolidayShift);
    adjust->addWidget(DBCmbSimeAddDay);
    DBCmbSimebiShift = new QComboBox(panel);
    DBCmbSimebiShift->addItems({QStringLiteral("一ヶ月前"), QStringLiteral("そのまま"), QStringLiteral("一ヶ月後")});
    DBCmbCycle = new QComboBox(panel);
    DBCmbCycle->addItems(THimokuListView::cycleNames());
    DBCmbFuribi = new QComboBox(panel);
    DBCmbFuribi->addItem(QStringLiteral("なし"));
    fillSimebi(DBCmbFuribi);
    DBCmbHolidayShift = new QComboBox(panel);
    fillNames(DBCmbHolidayShift, HolidayShiftNames);
    auto *aite = new DropDownCombo(panel);
    aite->onDropDown = [this] { RefillAiteKouza(); };
    DBCmbAiteKouza = aite;
    DBEditKouzaMemo = new QLineEdit(panel);
    DBEditKouzaMemo->setMaxLength(40);
    DBChkKouzaVisible = new QCheckBox(QStringLiteral("表示する"), panel);
    f->addRow(QStringLiteral("内部コード"), LbCardCode);
    f->addRow(QStringLiteral("口座名"), DBEditKouzaName);
    f->addRow(QStringLiteral("種別"), DBCmbSyubetu);
    f->addRow(kind);
    f->addRow(QStringLiteral("初期残高"), DBEditSyokizan);
    f->addRow(QStringLiteral("表示順"), posRow);
    f->addRow(QStringLiteral("締め日"), simeRow);
    f->addRow(QStringLiteral("締め日調整"), adjust);
    f->addRow(QStringLiteral("月度表記"), DBCmbSimebiShift);
    f->addRow(QStringLiteral("振込月"), DBCmbCycle);
    f->addRow(QStringLiteral("振込日"), DBCmbFuribi);
    f->addRow(QStringLiteral("振込日調整"), DBCmbHolidayShift);
    f->addRow(QStringLiteral("主な相手口座"), DBCmbAiteKouza);
    f->addRow(QString(), new QLabel(QStringLiteral("（新規口座は一度保存\nしてから指定します。）"), panel));
    f->addRow(QStringLiteral("メモ"), DBEditKouzaMemo);
    f->addRow(QString(), DBChkKouzaVisible);
    auto *nav = new QHBoxLayout;
    auto *prev = frameButton(QStringLiteral("前"), panel);
    auto *next = frameButton(QStringLiteral("次"), panel);
    nav->addWidget(prev);
    nav->addWidget(next);
    nav->addStretch(1);
    f->addRow(nav);

    connect(up, &QAbstractButton::clicked, this, &TFormHimokuSettei::SpinButtonUpClick);
    connect(down, &QAbstractButton::clicked, this, &TFormHimokuSettei::SpinButtonDownClick);
    const auto step = [this](int by) {
        const QList<int> shown = m_rows.shown();
        const int line = shown.indexOf(m_current) + by;
        if (line >= 0 && line < shown.size()) {
            if (!DataSetPost1Execute())
                return;
            setCurrentRow(shown.at(line));
        }
    };
    connect(prev, &QAbstractButton::clicked, this, [step] { step(-1); });
    connect(next, &QAbstractButton::clicked, this, [step] { step(1); });
    connect(DBCmbSyubetu, &QComboBox::activated, this, [this] {
        setField(QStringLiteral("BUNRUI"), DBCmbSyubetu->currentData());
        showRecord();
    });
    connect(DBEditSyokizan, &QLineEdit::editingFinished, this, [this] {
        if (m_busy || m_current < 0)
            return;
        const Currency old = Currency::fromDouble(m_rows.row(m_current).value(QStringLiteral("SYOKIZAN")).toDouble());
        try {
            const Currency amount = RoundAmount(EvalAmountText(DBEditSyokizan->text(), old));
            setField(QStringLiteral("SYOKIZAN"), amount.toDouble());
        } catch (const Exception &e) {
            MessageDlg(e.message(), MsgDlgType::Information, mbOK);
        }
        showRecord();
    });
    connect(DBCmbSimebi, &QComboBox::currentIndexChanged, this, &TFormHimokuSettei::DBCmbSimebiChange);
    connect(DBCmbSimeHolidayShift, &QComboBox::activated, this,
            [this](int i) { setField(QStringLiteral("SIMEHOLIDAYSHIFT"), i); });
    connect(DBCmbSimeAddDay, &QComboBox::activated, this, [this](int i) { setField(QStringLiteral("SIMEADDDAY"), i - 1); });
    connect(DBCmbSimebiShift, &QComboBox::activated, this, [this](int i) { setField(QStringLiteral("SIMESHIFT"), i - 1); });
    connect(DBCmbCycle, &QComboBox::activated, this, [this](int i) { setField(QStringLiteral("CYCLE"), i - 1); });
    connect(DBCmbFuribi, &QComboBox::activated, this, [this](int i) {
        setField(QStringLiteral("FURIKOMIBI"), i == 0 ? -1 : i);
    });
    connect(DBCmbHolidayShift, &QComboBox::activated, this,
            [this](int i) { setField(QStringLiteral("HOLIDAYSHIFT"), i); });
    connect(DBCmbAiteKouza, &QComboBox::activated, this,
            [this] { setField(QStringLiteral("AITECODE"), DBCmbAiteKouza->currentData()); });
    connect(DBEditKouzaMemo, &QLineEdit::editingFinished, this,
            [this] { setField(QStringLiteral("MEMO"), DBEditKouzaMemo->text()); });
    connect(DBChkKouzaVisible, &QCheckBox::toggled, this, [this](bool on) {
        setField(QStringLiteral("VISIBLE"), on);
        if (!m_busy && !m_rows.showHidden())
            FillOrderGrid();
    });
    connect(FrBtnKouzaSimeRireki, &QAbstractButton::clicked, this, [this] {
        if (m_current >= 0 && m_rows.row(m_current).code() > 0)
            OpenSimebiRireki(m_rows.row(m_current).code());
    });
    return panel;
}

void TFormHimokuSettei::SelectPage(int page)
{
    if (page == 0) {
        CmbBoxTitle->show();
        LbTitle->hide();
        if (CmbBoxTitle->currentIndex() != 1) {
            CmbBoxTitle->setCurrentIndex(1); // runs the change, which saves first
        }
        return;
    }
    if (!SaveChanges())
        return;
    CmbBoxTitle->hide();
    LbTitle->show();
    BuildPage(page);
}

void TFormHimokuSettei::CmbBoxTitleChange()
{
    const int chosen = CmbBoxTitle->currentIndex() + 1;
    if (chosen == m_builtKind)
        return;
    if (!SaveChanges()) {
        Blocker b(m_busy);
        CmbBoxTitle->setCurrentIndex(m_builtKind - 1);
        return;
    }
    BuildPage(chosen);
}

void TFormHimokuSettei::BuildPage(int pageKind)
{
    Blocker b(m_busy);
    m_builtKind = pageKind;
    static const QStringList titles{QStringLiteral("収入の設定"), QStringLiteral("支出の設定"), QStringLiteral("口座の設定")};
    static const QStringList groups{QStringLiteral("収入のページ全体設定"), QStringLiteral("支出のページ全体設定"),
                                    QStringLiteral("口座のページ全体設定")};
    LbTitle->setText(titles.at(pageKind - 1));
    GBxPageSimeBi->setTitle(groups.at(pageKind - 1));
    const bool card = pageKind == 3;
    STGridPos->setHorizontalHeaderLabels({card ? QStringLiteral("口座名") : QStringLiteral("費目名")});
    ChkBoxNonVisible->setText(card ? QStringLiteral("非表示口座も表示") : QStringLiteral("非表示費目も表示"));
    PnlRecord->setCurrentWidget(card ? PnlCard : PnlIriDeru);
    LbKouza->setText(pageKind == 1 ? QStringLiteral("主な入金先口座") : QStringLiteral("主な出金元口座"));
    LbZeiAtukai->setVisible(pageKind == 2);
    DBCmbZeiAtukai->setVisible(pageKind == 2);
    DBChkBoxYosanWarn->setVisible(pageKind == 2);
    const QColor colour = pageKind == 1 ? QColor(0xCD, 0xE4, 0xFF) : pageKind == 2 ? QColor(0xFF, 0xD6, 0xDE)
                                                                                  : QColor(0xD6, 0xF0, 0xD6);
    GBxPageSimeBi->setStyleSheet(QStringLiteral("QGroupBox { background: %1; }").arg(colour.name()));
    fillAccountCombo(DBCmbKouza);
    fillAccountCombo(DBCmbAiteKouza);
    m_rows.load(pageKind, ChkBoxNonVisible->isChecked());
    showGroup();
    PnlSonota->LoadPage(m_db, pageKind);
    m_current = -1;
    FillOrderGrid();
    if (!MyDBGrid1->isHidden())
        fillListView();
}

void TFormHimokuSettei::showGroup()
{
    Blocker b(m_busy);
    THimokuRow &g = m_rows.group();
    DBCmbPageSimebi->setCurrentIndex(simebiIndex(g.value(QStringLiteral("SIMEBI"))));
    DBCmbPageSimebiShift->setCurrentIndex(qBound(-1, g.value(QStringLiteral("SIMESHIFT")).toInt(), 1) + 1);
    DBCmbPageSimeHolidayShift->setCurrentIndex(qBound(0, g.value(QStringLiteral("SIMEHOLIDAYSHIFT")).toInt(), 4));
    DBCmbPageSimeAddDay->setCurrentIndex(qBound(-1, g.value(QStringLiteral("SIMEADDDAY")).toInt(), 1) + 1);
    // A closing day with a history is changed in the history only.
    const bool history = g.value(QStringLiteral("SIMEHISTROY")).toBool();
    FrBtnSimeRireki->setEnabled(history);
    DBCmbPageSimebi->setEnabled(!history);
}

void TFormHimokuSettei::fillAccountCombo(QComboBox *combo)
{
    const QVariant keep = combo->currentData();
    combo->clear();
    Statement st(m_db, QStringLiteral("SELECT CODE, NAME FROM Himoku WHERE VISIBLE = 1 AND BUNRUI > 2 AND CODE > 3 "
                                      "ORDER BY BUNRUI, POS, CODE"));
    while (st.next())
        combo->addItem(st.textValue(1), int(st.intValue(0)));
    const int i = combo->findData(keep);
    combo->setCurrentIndex(i >= 0 ? i : (combo->count() ? 0 : -1));
}

void TFormHimokuSettei::FillOrderGrid()
{
    Blocker b(m_busy);
    const int keepLc = m_current >= 0 && m_current < m_rows.rows().size() ? m_rows.row(m_current).lcIndex : -1;
    const THimokuRow snapshot = m_snapshot;
    // The shown rows carry their line in the list as POS.
    m_rows.renumber();
    const QList<int> shown = m_rows.shown();
    STGridPos->setRowCount(int(shown.size()));
    QStringList numbers;
    for (int line = 0; line < shown.size(); ++line) {
        const THimokuRow &r = m_rows.rows().at(shown.at(line));
        auto *item = new QTableWidgetItem(r.name());
        item->setData(Qt::UserRole, r.lcIndex);
        // Hidden rows listed with the visible ones are greyed.
        if (!r.visible())
            item->setForeground(QColor(8421504 & 0xFF, (8421504 >> 8) & 0xFF, (8421504 >> 16) & 0xFF));
        STGridPos->setItem(line, 0, item);
        numbers << QString::number(line + 1);
    }
    STGridPos->setVerticalHeaderLabels(numbers);
    int index = m_rows.indexOfLc(keepLc);
    // The list view shows hidden rows too: one of them may stay current.
    if (index < 0 || (!shown.contains(index) && MyDBGrid1->isHidden()))
        index = shown.isEmpty() ? -1 : shown.first();
    m_current = -1;
    setCurrentRow(index);
    // Still the same row: 取消 goes back to where it was when chosen.
    if (index >= 0 && m_rows.row(index).lcIndex == keepLc)
        m_snapshot = snapshot;
    if (!MyDBGrid1->isHidden())
        fillListView();
}

QHash<int, QString> TFormHimokuSettei::codeNames() const
{
    QHash<int, QString> names;
    Statement st(m_db, QStringLiteral("SELECT CODE, NAME FROM Himoku"));
    while (st.next())
        names.insert(int(st.intValue(0)), st.textValue(1));
    for (const THimokuRow &r : m_rows.rows())
        if (r.code() > 0)
            names.insert(r.code(), r.name());
    return names;
}

void TFormHimokuSettei::fillListView()
{
    Blocker b(m_busy);
    MyDBGrid1->fill(m_rows.rows(), codeNames());
}

void TFormHimokuSettei::listEditToggled(bool on)
{
    if (on)
        MessageDlg(QStringLiteral("一覧の編集可能モードはデータに不具合が生じた場合のみにしてください。\r"
                                  "特に内部コードの扱いには注意してください。"),
                   MsgDlgType::Information, mbOK);
    MyDBGrid1->setEditMode(on);
}

void TFormHimokuSettei::ListCellTyped(int line, const QString &field, const QString &text)
{
    if (line < 0 || line >= m_rows.rows().size() || !MyDBGrid1->editMode())
        return;
    if (line != m_current) {
        if (!DataSetPost1Execute()) {
            fillListView();
            return;
        }
        setCurrentRow(line);
    }
    THimokuRow &row = m_rows.row(line);
    QVariant value;
    bool read = false;
    if (field == kName) {
        QString why;
        if (text == row.name())
            read = false;
        else if (!m_rows.nameFree(line, text, &why))
            MessageDlg(why, MsgDlgType::Information, mbOK);
        else {
            value = text;
            read = true;
        }
    } else if (field == QStringLiteral("AITECODE")) {
        // An account of the page's account list, by its name.
        QComboBox *accounts = m_rows.pageKind() == 3 ? DBCmbAiteKouza : DBCmbKouza;
        const int i = accounts->findText(text);
        if (i >= 0) {
            value = accounts->itemData(i);
            read = true;
        }
    } else if (field == QStringLiteral("SYOKIZAN")) {
        try {
            const Currency old = Currency::fromDouble(row.value(field).toDouble());
            value = RoundAmount(EvalAmountText(text, old)).toDouble();
            read = true;
        } catch (const Exception &e) {
            MessageDlg(e.message(), MsgDlgType::Information, mbOK);
        }
    } else {
        read = THimokuListView::valueOf(field, text, &value);
    }
    if (read && field == QStringLiteral("BUNRUI")) {
        const int old = row.value(field).toInt();
        const int now = value.toInt();
        const auto pageOf = [](int b) { return b == 1 || b == 2 ? b : 3; };
        if (pageOf(old) != pageOf(now))
            MessageDlg(QStringLiteral("%1 のページから %2 のページに設定が移動します。\r正しく集計されなくなる危険性があります。")
                           .arg(pageNameOf(old), pageNameOf(now)),
                       MsgDlgType::Warning, mbOK);
    }
    if (read)
        row.set(field, value);
    // The record panel and the order list follow; a refused text is replaced
    // by the value it left.
    FillOrderGrid();
}

void TFormHimokuSettei::RefillAiteKouza()
{
    Blocker b(m_busy);
    fillAccountCombo(DBCmbAiteKouza);
    if (m_current >= 0)
        DBCmbAiteKouza->setCurrentIndex(
            DBCmbAiteKouza->findData(m_rows.row(m_current).value(QStringLiteral("AITECODE")).toInt()));
}

void TFormHimokuSettei::setHelpMode(bool on)
{
    if (on == m_helpMode)
        return;
    m_helpMode = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
}

bool TFormHimokuSettei::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    // While ? is down, the next click on the dialog asks for the help of what
    // was clicked instead of doing what the click would do.
    if (m_helpMode && event->type() == QEvent::MouseButtonPress && widget && widget->window() == this
        && widget != FrBtnHelp) {
        FrBtnHelp->SetDown(false);
        ShowHelp(std::max(0, HelpContextAt(widget)));
        return true;
    }
    if (event->type() == QEvent::KeyPress && widget
        && (PnlIriDeru->isAncestorOf(widget) || PnlCard->isAncestorOf(widget))) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (widget == DBEditHimokuMemo || widget == DBEditKouzaMemo) {
                setField(QStringLiteral("MEMO"), static_cast<QLineEdit *>(widget)->text());
                DataSetPost1Execute();
            } else if (widget == DBEditHimokuName || widget == DBEditKouzaName) {
                DataSetPost1Execute();
            } else {
                focusNextPrevChild(true);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormHimokuSettei::setCurrentRow(int index)
{
    if (index >= m_rows.rows().size())
        index = -1;
    m_current = index;
    if (index >= 0)
        m_snapshot = m_rows.row(index);
    {
        Blocker b(m_busy);
        const QList<int> shown = m_rows.shown();
        const int line = shown.indexOf(index);
        if (line >= 0)
            STGridPos->setCurrentCell(line, 0);
        if (index >= 0 && !MyDBGrid1->isHidden() && MyDBGrid1->currentRow() != index)
            MyDBGrid1->setCurrentCell(index, qMax(0, MyDBGrid1->currentColumn()));
    }
    showRecord();
}

void TFormHimokuSettei::showRecord()
{
    Blocker b(m_busy);
    const bool has = m_current >= 0;
    PnlRecord->setEnabled(has);
    BtnDelete->setEnabled(has);
    BtnCancel->setEnabled(has);
    if (!has)
        return;
    const THimokuRow &r = m_rows.row(m_current);
    const QString code = r.code() > 0 ? QString::number(r.code()) : QStringLiteral("新規");
    const auto selectData = [](QComboBox *c, const QVariant &v) {
        c->setCurrentIndex(c->findData(v.toInt()));
    };
    if (m_rows.pageKind() != 3) {
        DBEditHimokuName->setText(r.name());
        LbCode->setText(code);
        LbPos->setText(QString::number(r.pos() + 1));
        selectData(DBCmbKouza, r.value(QStringLiteral("AITECODE")));
        DBCmbZeiAtukai->setCurrentIndex(qBound(0, r.value(QStringLiteral("ZEIATUKAI")).toInt(), 3));
        DBEditHimokuMemo->setText(r.value(QStringLiteral("MEMO")).toString());
        DBChkVisible->setChecked(r.visible());
        DBChkTokubetu->setChecked(r.value(QStringLiteral("TOKUBETU")).toBool());
        DBChkBoxYosanWarn->setChecked(r.value(QStringLiteral("YOSANWARN")).toBool());
        return;
    }
    LbCardCode->setText(code + (r.system() ? QStringLiteral("  システム") : QString()));
    DBEditKouzaName->setText(r.name());
    const int bunrui = r.value(QStringLiteral("BUNRUI")).toInt();
    selectData(DBCmbSyubetu, bunrui);
    const TBunruiRec &rec = BunruiRecOf(bunrui);
    LbBu1Name->setText(rec.bu1 == 3 ? QStringLiteral("資産") : rec.bu1 == 4 ? QStringLiteral("負債") : QString());
    LbBu2Name->setText(rec.name.toString());
    RbKarigata->setChecked(rec.side == 1);
    RbKasigata->setChecked(rec.side == 2);
    DBEditSyokizan->setText(KingakuToStr(Currency::fromDouble(r.value(QStringLiteral("SYOKIZAN")).toDouble())));
    LbCardPos->setText(QString::number(r.pos() + 1));
    DBCmbSimebi->setCurrentIndex(simebiIndex(r.value(QStringLiteral("SIMEBI"))));
    DBCmbSimeHolidayShift->setCurrentIndex(qBound(0, r.value(QStringLiteral("SIMEHOLIDAYSHIFT")).toInt(), 4));
    DBCmbSimeAddDay->setCurrentIndex(qBound(-1, r.value(QStringLiteral("SIMEADDDAY")).toInt(), 1) + 1);
    DBCmbSimebiShift->setCurrentIndex(qBound(-1, r.value(QStringLiteral("SIMESHIFT")).toInt(), 1) + 1);
    DBCmbCycle->setCurrentIndex(qBound(-1, r.value(QStringLiteral("CYCLE")).toInt(), 12) + 1);
    const int furi = r.value(QStringLiteral("FURIKOMIBI")).toInt();
    DBCmbFuribi->setCurrentIndex(furi < 0 ? 0 : (furi == 0 || furi >= 31 ? 31 : furi));
    DBCmbHolidayShift->setCurrentIndex(qBound(0, r.value(QStringLiteral("HOLIDAYSHIFT")).toInt(), 4));
    selectData(DBCmbAiteKouza, r.value(QStringLiteral("AITECODE")));
    DBEditKouzaMemo->setText(r.value(QStringLiteral("MEMO")).toString());
    DBChkKouzaVisible->setChecked(r.visible());
    updateCardEnabling();
}

void TFormHimokuSettei::updateCardEnabling()
{
    if (m_current < 0)
        return;
    const THimokuRow &r = m_rows.row(m_current);
    // Payment month and day belong to credit accounts only.
    const bool credit = BunruiRecOf(r.value(QStringLiteral("BUNRUI")).toInt()).bu2 == 6;
    DBCmbCycle->setEnabled(credit);
    DBCmbFuribi->setEnabled(credit);
    DBCmbHolidayShift->setEnabled(credit);
    const bool history = r.value(QStringLiteral("SIMEHISTROY")).toBool();
    FrBtnKouzaSimeRireki->setEnabled(history && r.code() > 0);
    DBCmbSimebi->setEnabled(!history);
}

void TFormHimokuSettei::setField(const QString &column, const QVariant &value)
{
    if (m_busy || m_current < 0)
        return;
    m_rows.row(m_current).set(column, value);
    if (!MyDBGrid1->isHidden())
        fillListView();
}

bool TFormHimokuSettei::takeName(QLineEdit *edit)
{
    if (m_current < 0)
        return true;
    const QString name = edit->text();
    if (name == m_rows.row(m_current).name())
        return true;
    QString why;
    if (!m_rows.nameFree(m_current, name, &why)) {
        MessageDlg(why, MsgDlgType::Information, mbOK);
        edit->setFocus();
        return false;
    }
    m_rows.row(m_current).set(kName, name);
    const int line = m_rows.shown().indexOf(m_current);
    if (line >= 0 && STGridPos->item(line, 0))
        STGridPos->item(line, 0)->setText(name);
    return true;
}

bool TFormHimokuSettei::DataSetPost1Execute()
{
    if (m_current < 0)
        return true;
    return takeName(m_rows.pageKind() == 3 ? DBEditKouzaName : DBEditHimokuName);
}

void TFormHimokuSettei::DataSetInsert1Execute()
{
    if (!DataSetPost1Execute())
        return;
    const QString stem = m_rows.pageKind() == 3 ? QStringLiteral("新規口座") : QStringLiteral("新規費目");
    const int line = m_rows.shown().indexOf(m_current);
    const int first = KouzaHimokuArray.isEmpty() ? 100 : KouzaHimokuArray.first().Code;
    const int index = m_rows.addRow(stem, line, first);
    const int lc = m_rows.row(index).lcIndex;
    FillOrderGrid();
    setCurrentRow(m_rows.indexOfLc(lc));
    QLineEdit *edit = m_rows.pageKind() == 3 ? DBEditKouzaName : DBEditHimokuName;
    edit->setFocus();
    edit->selectAll();
}

void TFormHimokuSettei::DataSetDelete1Execute()
{
    if (m_current < 0)
        return;
    QString why;
    if (!m_rows.canDelete(m_current, &why)) {
        MessageDlg(why, MsgDlgType::Information, mbOK);
        return;
    }
    const int line = m_rows.shown().indexOf(m_current);
    m_rows.removeRow(m_current);
    m_current = -1;
    FillOrderGrid();
    const QList<int> shown = m_rows.shown();
    if (!shown.isEmpty())
        setCurrentRow(shown.at(qBound(0, line, int(shown.size()) - 1)));
}

void TFormHimokuSettei::DataSetCancel1Execute()
{
    if (m_current < 0)
        return;
    const int lc = m_rows.row(m_current).lcIndex;
    m_rows.row(m_current) = m_snapshot;
    m_rows.renumber();
    FillOrderGrid();
    setCurrentRow(m_rows.indexOfLc(lc));
}

void TFormHimokuSettei::DataSetCancelUpdates1Execute()
{
    const int line = m_rows.shown().indexOf(m_current);
    m_rows.cancelAll();
    showGroup();
    m_current = -1;
    FillOrderGrid();
    const QList<int> shown = m_rows.shown();
    if (line >= 0 && line < shown.size())
        setCurrentRow(shown.at(line));
}

void TFormHimokuSettei::moveCurrent(int step)
{
    if (m_current < 0 || !DataSetPost1Execute())
        return;
    const int line = m_rows.shown().indexOf(m_current);
    const int lc = m_rows.row(m_current).lcIndex;
    if (line < 0 || !m_rows.moveShown(line, line + step))
        return;
    FillOrderGrid();
    setCurrentRow(m_rows.indexOfLc(lc));
}

void TFormHimokuSettei::SpinButtonUpClick()
{
    moveCurrent(-1);
}

void TFormHimokuSettei::SpinButtonDownClick()
{
    moveCurrent(1);
}

bool TFormHimokuSettei::SaveChanges()
{
    if (!DataSetPost1Execute())
        return false;
    const bool had = m_rows.hasChanges();
    QString why;
    if (!m_rows.save(&why)) {
        MessageDlg(why, MsgDlgType::Error, mbOK);
        return false;
    }
    if (had && DatMod && DatMod->DataOpen) {
        DatMod->DataChanged = true;
        LoadHimokuCaches(m_db);
        // The accounts saved now are offered where an account is chosen.
        Blocker b(m_busy);
        fillAccountCombo(DBCmbKouza);
        fillAccountCombo(DBCmbAiteKouza);
        showRecord();
    }
    // What is saved is what 取消 goes back to.
    if (m_current >= 0)
        m_snapshot = m_rows.row(m_current);
    return true;
}

void TFormHimokuSettei::askClosingHistory(int code, const QString &name, int simeShift, int oldDay, int newDay,
                                          bool hasHistory)
{
    if (hasHistory)
        return;
    const QString text = TFormSimebiList::simeBiText(newDay);
    if (MessageDlg(QStringLiteral("過去のデータの締め日も ") + text + QStringLiteral(" にしていいですか？") + QStringLiteral("\r")
                       + QStringLiteral("「いいえ」の場合、締め日の変更履歴を管理します。"),
                   MsgDlgType::Information, mbYes | mbNo)
        == mrYes)
        return;
    TFormSimebiList history(m_db, this);
    history.LoadForCode(code, name, simeShift);
    history.ReplaceByChange(oldDay, newDay);
    ModalForms::exec(history);
    const bool stored = history.storedCount() > 0;
    THimokuRow &row = code <= 3 ? m_rows.group() : m_rows.row(m_rows.indexOfCode(code));
    // The history dialog stored the flag with its rows; the held row agrees.
    row.set(QStringLiteral("SIMEHISTROY"), stored);
}

void TFormHimokuSettei::DBCmbPageSimebiChange(int comboIndex)
{
    if (m_busy || comboIndex < 0)
        return;
    THimokuRow &g = m_rows.group();
    const int oldDay = g.value(QStringLiteral("SIMEBI")).toInt();
    const int newDay = comboIndex + 1;
    g.set(QStringLiteral("SIMEBI"), newDay);
    askClosingHistory(m_rows.pageKind(), g.name(), g.value(QStringLiteral("SIMESHIFT")).toInt(), oldDay, newDay,
                      g.value(QStringLiteral("SIMEHISTROY")).toBool());
    showGroup();
}

void TFormHimokuSettei::DBCmbSimebiChange(int comboIndex)
{
    if (m_busy || comboIndex < 0 || m_current < 0)
        return;
    THimokuRow &r = m_rows.row(m_current);
    const int oldDay = r.value(QStringLiteral("SIMEBI")).toInt();
    const int newDay = comboIndex + 1;
    r.set(QStringLiteral("SIMEBI"), newDay);
    // A new account has no past to keep.
    if (r.code() > 0)
        askClosingHistory(r.code(), r.name(), r.value(QStringLiteral("SIMESHIFT")).toInt(), oldDay, newDay,
                          r.value(QStringLiteral("SIMEHISTROY")).toBool());
    showRecord();
}

void TFormHimokuSettei::OpenSimebiRireki(int code)
{
    const bool group = code <= 3;
    const int index = group ? -1 : m_rows.indexOfCode(code);
    if (!group && index < 0)
        return;
    THimokuRow &row = group ? m_rows.group() : m_rows.row(index);
    TFormSimebiList history(m_db, this);
    history.LoadForCode(code, row.name(), row.value(QStringLiteral("SIMESHIFT")).toInt());
    ModalForms::exec(history);
    row.set(QStringLiteral("SIMEHISTROY"), history.storedCount() > 0);
    showGroup();
    showRecord();
}

void TFormHimokuSettei::closeEvent(QCloseEvent *event)
{
    if (!DataSetPost1Execute()) {
        event->ignore();
        return;
    }
    QString why;
    const bool empty = [this] {
        for (const THimokuRow &r : m_rows.rows())
            if (r.visible())
                return false;
        return true;
    }();
    if (empty) {
        MessageDlg(QStringLiteral("設定を空にしないでください"), MsgDlgType::Error, mbOK);
        event->ignore();
        return;
    }
    const bool had = m_rows.hasChanges();
    if (!m_rows.save(&why)) {
        if (MessageDlg(why + QStringLiteral("\rこのまま設定を終了してよろしいですか"), MsgDlgType::Error, mbYes | mbNo)
            != mrYes) {
            event->ignore();
            return;
        }
    } else if (had && DatMod && DatMod->DataOpen) {
        DatMod->DataChanged = true;
        CommitDataChanges();
    }
    if (FrBtnHelp->down())
        FrBtnHelp->SetDown(false);
    event->accept();
    QDialog::done(mrOk);
}

void TFormHimokuSettei::reject()
{
    close();
}
