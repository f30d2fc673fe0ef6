#include "views/FrameYosan.h"

#include <QMenu>
#include "printing/ExcelExport.h"
#include "views/ReportPrints.h"

#include <algorithm>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/ColorUpDown.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/DateCalc.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/RecordNumbers.h"
#include "data/SimeDate.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"
#include "views/YosanJissekiData.h"
#include "views/YosanTables.h"
#include "views/YosanWarn.h"

using namespace Qt::StringLiterals;

const QString TFrameYosan::SettingsSection = u"FrameYosan"_s;

namespace {

constexpr int FirstRow = TYosanTables::FirstCategoryRow;
// A year outside this range is a year still being typed (or a typing slip):
// the closing-month arithmetic would give no date for it.
constexpr int MinYear = 1900;
constexpr int MaxYear = 2100;

const QString SaveFailedText = u"予算を保存できませんでした。"_s;

Database *openBook()
{
    if (DatMod && DatMod->DataOpen && DatMod->MainDatabase.isOpen())
        return &DatMod->MainDatabase;
    return nullptr;
}

TMySpeedButton *makeSpeedButton(const QString &caption, QWidget *parent)
{
    auto *b = new TMySpeedButton(parent);
    b->setText(caption);
    b->setMinimumSize(QSize(44, 24));
    return b;
}

QLineEdit *makeNumberEdit(int digits, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    // Digits only: letters and pasted text never reach the month handlers.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,%1}"_s.arg(digits)), edit));
    edit->setMaxLength(digits);
    edit->setAlignment(Qt::AlignRight);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(u'0') * (digits + 2) + 12);
    return edit;
}

QColor paletteOr(const QColor &colour, const QColor &fallback)
{
    return colour.isValid() ? colour : fallback;
}

void setTextIfChanged(QLineEdit *edit, int value)
{
    const QString text = QString::number(value);
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

// ---- creation ------------------------------------------------------------------------

TFrameYosan::TFrameYosan(QWidget *parent)
    : QFrame(parent)
{
    const QDate today = QDate::currentDate();
    KakoYear = uint16_t(today.year());
    KakoMonth = uint16_t(today.month());
    buildUi();
}

TFrameYosan::~TFrameYosan() = default;

void TFrameYosan::buildUi()
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->setSpacing(4);

    // Top: the current month, the summary, the past month with the two book
    // switches.
    auto *top = new QHBoxLayout;
    top->setSpacing(10);
    auto monthPanel = [this](const QString &caption, QLineEdit *&year, QLineEdit *&month, TColorUpDown *&upDown) {
        auto *panel = new QFrame(this);
        panel->setFrameShape(QFrame::StyledPanel);
        auto *v = new QVBoxLayout(panel);
        v->setContentsMargins(6, 4, 6, 4);
        auto *title = new QLabel(caption, panel);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        v->addWidget(title);
        auto *row = new QHBoxLayout;
        year = makeNumberEdit(4, panel);
        month = makeNumberEdit(2, panel);
        upDown = new TColorUpDown(panel);
        upDown->setOrientation(udHorizontal);
        upDown->setFixedSize(40, 25);
        row->addWidget(year);
        row->addWidget(new QLabel(u"年度"_s, panel));
        row->addWidget(month);
        row->addWidget(new QLabel(u"月分"_s, panel));
        row->addWidget(upDown);
        row->addStretch(1);
        v->addLayout(row);
        return std::pair{panel, v};
    };
    auto [ima, imaLayout] = monthPanel(u"予算の設定と実績表示"_s, Edit_ImaNen, Edit_ImaTuki, UpDown_Ima);
    PnlIma = ima;
    PnlIma->setObjectName(u"PnlIma"_s);
    imaLayout->addStretch(1);
    auto [kako, kakoLayout] = monthPanel(u"過去の予算と実績"_s, Edit_KakoNen, Edit_KakoTuki, UpDown_Kako);
    PnlKakoBtn = kako;
    PnlKakoBtn->setObjectName(u"PnlKakoBtn"_s);
    auto *switches = new QHBoxLayout;
    SpBtnTokubetu = makeSpeedButton(u"特別"_s, PnlKakoBtn);
    SpBtnTokubetu->setGroupIndex(11);
    SpBtnTokubetu->setAllowAllUp(true);
    SpBtnReserve = makeSpeedButton(u"予約"_s, PnlKakoBtn);
    SpBtnReserve->setGroupIndex(12);
    SpBtnReserve->setAllowAllUp(true);
    switches->addWidget(SpBtnTokubetu);
    switches->addWidget(SpBtnReserve);
    switches->addStretch(1);
    kakoLayout->addLayout(switches);

    SyusiHyou = new TCurrencyGrid(this);
    SyusiHyou->setObjectName(u"SyusiHyou"_s);
    setupGrid(SyusiHyou, 4, 1);
    SyusiHyou->setRowCount(5);

    top->addWidget(PnlIma, 0, Qt::AlignTop);
    top->addWidget(SyusiHyou, 0, Qt::AlignTop);
    top->addWidget(PnlKakoBtn, 0, Qt::AlignTop);
    top->addStretch(1);
    // 印刷 holds the budget report and the spreadsheet export of the tables.
    FrBtnPrint = NewCaptionedFrameBtn(u"印刷"_s, this);
    FrBtnPrint->setObjectName(u"FrBtnPrint"_s);
    top->addWidget(FrBtnPrint, 0, Qt::AlignTop);
    auto *printMenu = new QMenu(FrBtnPrint);
    QAction *hyouPrint = printMenu->addAction(u"表を印刷"_s);
    hyouPrint->setObjectName(u"MenuPrintHyou"_s);
    connect(hyouPrint, &QAction::triggered, this, [this] { PrintYosanReport(this); });
    QAction *hyouExcel = printMenu->addAction(u"表をエクセルへ"_s);
    hyouExcel->setObjectName(u"MenuPrintHyouExcel"_s);
    connect(hyouExcel, &QAction::triggered, this, [this] { ExportTables(); });
    connect(FrBtnPrint, &QAbstractButton::clicked, this,
            [this, printMenu] { printMenu->popup(FrBtnPrint->mapToGlobal(QPoint(0, FrBtnPrint->height()))); });
    main->addLayout(top);

    // The side and copy buttons over the three tall tables, which scroll together.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(2);
    auto *sideButtons = new QHBoxLayout;
    FrBtnIri = NewCaptionedFrameBtn(u"収入"_s, this);
    FrBtnDeru = NewCaptionedFrameBtn(u"支出"_s, this);
    for (TFrameBtn *b : {FrBtnIri, FrBtnDeru}) {
        b->setGroupIndex(1);
        sideButtons->addWidget(b);
    }
    FrBtnDeru->SetDown(true);
    sideButtons->addStretch(1);
    auto *copyButtons = new QHBoxLayout;
    FrBtnCopy = NewCaptionedFrameBtn(u"予算をコピー"_s, this);
    FrBtnJissekiCopy = NewCaptionedFrameBtn(u"実績を予算へコピー"_s, this);
    copyButtons->addWidget(FrBtnCopy);
    copyButtons->addWidget(FrBtnJissekiCopy);
    copyButtons->addStretch(1);

    YosanHyou = new TCurrencyGrid(this);
    YosanHyou->setObjectName(u"YosanHyou"_s);
    setupGrid(YosanHyou, 2, 1);
    JissekiHyou = new TCurrencyGrid(this);
    JissekiHyou->setObjectName(u"JissekiHyou"_s);
    setupGrid(JissekiHyou, 3, 0);
    KakoHyou = new TCurrencyGrid(this);
    KakoHyou->setObjectName(u"KakoHyou"_s);
    setupGrid(KakoHyou, 3, 1);
    // One scroll bar, on the past table at the right, moves all three.
    KakoHyou->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    grid->addLayout(sideButtons, 0, 0, 1, 2);
    grid->addLayout(copyButtons, 0, 3);
    grid->addWidget(YosanHyou, 1, 0);
    grid->addWidget(JissekiHyou, 1, 1);
    grid->addItem(new QSpacerItem(10, 1), 1, 2);
    grid->addWidget(KakoHyou, 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(1, 1);
    main->addLayout(grid, 1);
    // The tables stop at their last row; the height they leave stays below
    // them, so the side buttons keep to the top area's bottom edge.
    main->addStretch(0);

    // Budgets are typed into column 1 of the budget table only.
    SoftStringGridModel *ym = YosanHyou->model();
    ym->setOptions(ym->options() | GridOption::Editing);
    YosanHyou->setInplaceEditorColor(ColorFromBgr(0xD3F8FF));
    YosanHyou->onSetEditText = [this](int col, int row, const QString &text) { yosanHyouSetEditText(col, row, text); };
    YosanHyou->installEventFilter(this);
    YosanHyou->viewport()->installEventFilter(this);

    auto drawColour = [this](TCurrencyGrid *table) {
        table->model()->onDrawColor = [this, table](int, int row, GridDrawState, QColor &font, QColor &, QColor &) {
            if (row < TYosanTables::TotalRow)
                return;
            font = Qt::black;
            if (table == YosanHyou && !BudgetEditable())
                font = QColor(0x00, 0x00, 0x80); // navy: the month is locked
            if (Side == 2 && row >= FirstRow) {
                // Categories that take no part in the budget warning are grey.
                const int code = YosanHyou->objects(0, row).toInt();
                const int index = FindHimokuIndex(code, &DeruHimokuArray);
                if (index >= 0 && !DeruHimokuArray.at(index).YosanWarn)
                    font = QColor(0x80, 0x80, 0x80);
            }
        };
    };
    for (TCurrencyGrid *table : {YosanHyou, JissekiHyou, KakoHyou})
        drawColour(table);

    for (TCurrencyGrid *table : {YosanHyou, JissekiHyou, KakoHyou}) {
        connect(table->model(), &SoftStringGridModel::layoutChanged, this, [this, table] { syncTopRow(table); });
    }
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou})
        table->model()->onChangeSize = [this, table] { gridResized(table); };

    connect(FrBtnIri, &QAbstractButton::clicked, this, [this] { SetSide(1); });
    connect(FrBtnDeru, &QAbstractButton::clicked, this, [this] { SetSide(2); });
    connect(FrBtnCopy, &QAbstractButton::clicked, this, [this] { CopyFromPast(false); });
    connect(FrBtnJissekiCopy, &QAbstractButton::clicked, this, [this] { CopyFromPast(true); });
    connect(SpBtnReserve, &QAbstractButton::clicked, this, [this] { ToggleReserve(); });
    connect(SpBtnTokubetu, &QAbstractButton::clicked, this, [this] { ToggleTokubetu(); });
    for (QLineEdit *edit : {Edit_ImaNen, Edit_ImaTuki, Edit_KakoNen, Edit_KakoTuki})
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { monthEdited(edit); });
    connect(UpDown_Ima, &TColorUpDown::clicked, this, [this](TUDBtnType b) { StepImaMonth(b == btNext); });
    connect(UpDown_Kako, &TColorUpDown::clicked, this, [this](TUDBtnType b) { StepKakoMonth(b == btNext); });
}

void TFrameYosan::setupGrid(TCurrencyGrid *grid, int cols, int fixedCols)
{
    CurrencyGridModel *m = grid->model();
    m->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine | GridOption::HorzLine
                  | GridOption::ColSizing | GridOption::RowSizing);
    m->setSizingOptions(SizingOption::soFixedColSizing | SizingOption::soFixedRowSizing | SizingOption::soSameRowSize
                        | SizingOption::soSameAllRowSize);
    m->setColCount(cols);
    m->setRowCount(3);
    m->setFixedCols(fixedCols);
    m->setNoSelectCols(fixedCols);
    m->setFixedRows(grid == SyusiHyou ? 1 : FirstRow);
    m->setNoSelectRows(m->fixedRows());
    m->setHotSelColor(ColorFromBgr(0xFFDBAB));
    m->setSelColor(ColorFromBgr(0xFFDBAB));
    m->setSelFontColor(Qt::black);
    m->setRowEvenColor(Qt::white);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// ---- the main window's calls -------------------------------------------------------------

void TFrameYosan::InitPage()
{
    m_initialized = true;
    ApplyFont();
    LoadLayout();
    ArrangeControls();
    int year = CurYear;
    int month = CurMonth;
    DecNendoMonth(year, month, CurSimeTuki);
    KakoYear = uint16_t(year);
    KakoMonth = uint16_t(month);
    RefreshPage();
}

void TFrameYosan::RefreshPage()
{
    if (!m_initialized) {
        InitPage();
        return;
    }
    closeEditor();
    ApplyFont();
    showMonths();
    SpBtnReserve->SetDown(IncludeReservedFlag);
    SpBtnTokubetu->SetDown(TokubetuShowFlag);
    recompute();
    FillTables();
    ApplyColors();
    clearSelections();
}

bool TFrameYosan::LeavePage()
{
    m_refused = false;
    closeEditor();
    // A refusal may have come from the editor losing the focus to the page
    // switch itself; its text is still to go back into the editor.
    return !m_refused && !m_reopenPending;
}

// ---- figures -------------------------------------------------------------------------------

void TFrameYosan::recompute()
{
    WaitCursor wait;
    YosanJissekiData.IncludeReserved = IncludeReservedFlag;
    YosanJissekiData.TokubetuShow = TokubetuShowFlag;
    try {
        YosanJissekiData.ChangeMonths(KakoYear, KakoMonth, CurYear, CurMonth);
    } catch (const EDatabaseError &e) {
        throw Exception(u"予算と実績を読み込めませんでした。\n\n"_s + e.message());
    }
}

void TFrameYosan::FillTables()
{
    TYosanTables::FillTables(Side, YosanJissekiData, *YosanHyou->model(), *JissekiHyou->model(), *KakoHyou->model(),
                             *SyusiHyou->model());
    const bool rows = YosanHyou->rowCount() > FirstRow;
    YosanHyou->model()->setAllowEdit(rows && BudgetEditable());
    ArrangeControls();
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou})
        table->viewport()->update();
}

QDate TFrameYosan::BudgetDate(int side)
{
    int year = 0;
    int month = 0;
    NendoToCalendar(CurYear, CurMonth, CurSimeTuki, CurShiftNendo, GetGroupSimeShift(side == 1 ? 1 : 2), year, month);
    return QDate(year, month, 1);
}

bool TFrameYosan::BudgetEditable() const
{
    if (!CurLockDate.isValid())
        return true;
    const QDate date = Side == 1 ? YosanJissekiData.IriImaDate : YosanJissekiData.DeruImaDate;
    return date.isValid() && date > CurLockDate;
}

// ---- budgets ---------------------------------------------------------------------------------

void TFrameYosan::yosanHyouSetEditText(int col, int row, const QString &text)
{
    if (col != 1 || row < FirstRow)
        return;
    SetBudgetText(row, text);
}

bool TFrameYosan::SetBudgetText(int row, const QString &text)
{
    m_refused = false;
    if (row < FirstRow || row >= YosanHyou->rowCount())
        return false;
    const Currency old = YosanHyou->getValue(1, row);
    auto refuse = [&](const QString &message, MsgDlgType type, bool reopen) {
        // The cell shows its stored budget again; the typed text goes back into
        // the editor once this event is over, so the user can correct it.
        YosanHyou->setCells(1, row, QString());
        m_refused = true;
        m_reopenPending = reopen;
        MessageDlg(message, type, mbOK);
        if (!reopen)
            return false;
        QTimer::singleShot(0, this, [this, row, text] {
            m_reopenPending = false;
            if (!isVisible() || row >= YosanHyou->rowCount() || !YosanHyou->model()->allowEdit())
                return;
            YosanHyou->setFocus();
            YosanHyou->selectCellAt(1, row);
            YosanHyou->showEditor(text, true);
        });
        return false;
    };

    if (!BudgetEditable())
        return refuse(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information, false);
    QString typed = text.trimmed();
    typed.remove(u',');
    Currency value;
    try {
        if (!typed.isEmpty())
            value = RoundAmount(EvalAmountText(typed, old));
    } catch (const Exception &e) {
        return refuse(e.message(), MsgDlgType::Error, true);
    }
    YosanHyou->setValue(1, row, value);
    YosanHyou->setCells(1, row, QString());
    SaveBudgetRows({row});
    recompute();
    FillTables();
    return !m_refused;
}

void TFrameYosan::SaveBudgets(Database &db, const QDate &date, int side, const QList<QPair<int, Currency>> &budgets)
{
    const int bunrui = side == 1 ? 1 : 2;
    Transaction transaction(db, Database::TransactionMode::Immediate);
    Statement find(db, u"SELECT rowid FROM Yosan WHERE RECDATE = ? AND HIMOKUCODE = ? AND BUNRUI = ? ORDER BY rowid"_s);
    Statement update(db, u"UPDATE Yosan SET KINGAKU = ? WHERE rowid = ?"_s);
    Statement remove(db, u"DELETE FROM Yosan WHERE rowid = ?"_s);
    Statement insert(db, u"INSERT INTO Yosan (DATANO, RECDATE, HIMOKUCODE, KINGAKU, BUNRUI) VALUES (?, ?, ?, ?, ?)"_s);
    for (const auto &[code, amount] : budgets) {
        find.reset();
        find.bind(1, date);
        find.bind(2, code);
        find.bind(3, bunrui);
        QList<qlonglong> rows;
        while (find.next())
            rows << find.intValue(0);
        find.reset();
        // The month's budget is the sum of its rows: a second row of the same
        // category would add itself to what was typed, so only the first stays.
        for (qsizetype i = 1; i < rows.size(); ++i) {
            remove.reset();
            remove.bind(1, rows.at(i));
            remove.exec();
        }
        if (!rows.isEmpty() && !amount.isZero()) {
            update.reset();
            update.bind(1, amount.toDouble());
            update.bind(2, rows.first());
            update.exec();
        } else if (!rows.isEmpty()) {
            remove.reset();
            remove.bind(1, rows.first());
            remove.exec();
        } else {
            insert.reset();
            insert.bind(1, RecordNumbers::GetNewDataNo(db, u"Yosan.db"_s));
            insert.bind(2, date);
            insert.bind(3, code);
            insert.bind(4, amount.toDouble());
            insert.bind(5, bunrui);
            insert.exec();
        }
    }
    transaction.commit();
}

void TFrameYosan::SaveBudgetRows(const QList<int> &rows)
{
    Database *db = openBook();
    if (!db)
        return;
    QList<QPair<int, Currency>> budgets;
    for (int row : rows)
        budgets.append({YosanHyou->objects(0, row).toInt(), YosanHyou->getValue(1, row)});
    try {
        WaitCursor wait;
        SaveBudgets(*db, BudgetDate(Side), Side, budgets);
    } catch (const EDatabaseError &e) {
        m_refused = true;
        MessageDlg(SaveFailedText + u"\n\n"_s + e.message(), MsgDlgType::Error, mbOK);
        return;
    } catch (const ERecordNumberError &e) {
        m_refused = true;
        MessageDlg(SaveFailedText + u"\n\n"_s + e.message(), MsgDlgType::Error, mbOK);
        return;
    }
    // Written and committed: the next flush reopens the tables, and the entry
    // pages' budget figures take the new budgets.
    DatMod->DataChanged = true;
    reloadWarnings();
}

void TFrameYosan::reloadWarnings()
{
    for (TYosanWarn *warn : {&IriYosanWarn, &DeruYosanWarn}) {
        if (warn->Year == 0)
            continue; // not loaded yet: the entry page loads it when it shows a month
        const int kind = warn->Kind == 1 ? 1 : 2;
        warn->LoadBudget(warn->Year, warn->Month, GetGroupSimeShift(kind));
    }
}

void TFrameYosan::CopyFromPast(bool actual)
{
    closeEditor();
    if (!BudgetEditable()) {
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information, mbOK);
        return;
    }
    const int source = actual ? 2 : 1;
    for (int row = TYosanTables::TotalRow; row < YosanHyou->rowCount(); ++row) {
        const Currency value = KakoHyou->getValue(source, row);
        YosanHyou->setValue(1, row, value);
    }
    SyusiHyou->setValue(TYosanTables::SyusiYosan, Side == 1 ? TYosanTables::SyusiIri : TYosanTables::SyusiDeru,
                        YosanHyou->getValue(1, TYosanTables::TotalRow));
    TYosanTables::CalcTables(Side, *YosanHyou->model(), *JissekiHyou->model(), *SyusiHyou->model());
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou})
        table->viewport()->update();

    if (MessageDlg(u"この予算で登録しますか？"_s, MsgDlgType::Confirmation, mbYesNo) == mrYes) {
        QList<int> rows;
        for (int row = FirstRow; row < YosanHyou->rowCount(); ++row)
            rows << row;
        SaveBudgetRows(rows);
    }
    // Saved or not, the table shows what the book holds.
    recompute();
    FillTables();
}

// ---- months ---------------------------------------------------------------------------------

void TFrameYosan::showMonths()
{
    const bool was = Updating;
    Updating = true;
    setTextIfChanged(Edit_ImaNen, CurYear);
    setTextIfChanged(Edit_ImaTuki, CurMonth);
    setTextIfChanged(Edit_KakoNen, KakoYear);
    setTextIfChanged(Edit_KakoTuki, KakoMonth);
    Updating = was;
}

void TFrameYosan::ChangeImaMonth(int year, int month)
{
    if (month == 0)
        month = Edit_ImaTuki->text().toInt();
    if (year < MinYear || year > MaxYear || month < 1 || month > 12)
        return;
    if (year == CurYear && month == CurMonth)
        return;
    YosanJissekiData.IncludeReserved = IncludeReservedFlag;
    try {
        YosanJissekiData.ChangeImaMonth(year, month);
    } catch (const EDatabaseError &e) {
        throw Exception(u"予算と実績を読み込めませんでした。\n\n"_s + e.message());
    }
    FillTables();
    showMonths();
}

void TFrameYosan::ChangeKakoMonth(int year, int month)
{
    if (month == 0)
        month = Edit_KakoTuki->text().toInt();
    if (year < MinYear || year > MaxYear || month < 1 || month > 12)
        return;
    if (year == KakoYear && month == KakoMonth)
        return;
    KakoYear = uint16_t(year);
    KakoMonth = uint16_t(month);
    YosanJissekiData.IncludeReserved = IncludeReservedFlag;
    try {
        YosanJissekiData.ChangeKakoMonth(year, month);
    } catch (const EDatabaseError &e) {
        throw Exception(u"予算と実績を読み込めませんでした。\n\n"_s + e.message());
    }
    FillTables();
    showMonths();
}

void TFrameYosan::monthEdited(QLineEdit *edit)
{
    if (Updating)
        return;
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    if (!ok)
        return;
    Updating = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{Updating};
    if (edit == Edit_ImaNen || edit == Edit_ImaTuki)
        closeEditor();
    if (edit == Edit_ImaNen && value != CurYear)
        ChangeImaMonth(value, CurMonth);
    else if (edit == Edit_ImaTuki && value != CurMonth)
        ChangeImaMonth(CurYear, value);
    else if (edit == Edit_KakoNen && value != KakoYear)
        ChangeKakoMonth(value, KakoMonth);
    else if (edit == Edit_KakoTuki && value != KakoMonth)
        ChangeKakoMonth(KakoYear, value);
}

void TFrameYosan::StepImaMonth(bool next)
{
    if (Updating)
        return;
    closeEditor();
    stepMonth(CurYear, CurMonth, next, &TFrameYosan::ChangeImaMonth);
}

void TFrameYosan::StepKakoMonth(bool next)
{
    if (Updating)
        return;
    stepMonth(KakoYear, KakoMonth, next, &TFrameYosan::ChangeKakoMonth);
}

// One accounting month on from (year, month), shown through change while the
// month boxes' own handlers stand still.
void TFrameYosan::stepMonth(int year, int month, bool next, void (TFrameYosan::*change)(int, int))
{
    if (next)
        IncNendoMonth(year, month, CurSimeTuki);
    else
        DecNendoMonth(year, month, CurSimeTuki);
    Updating = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{Updating};
    (this->*change)(year, month);
}

// ---- switches ---------------------------------------------------------------------------------

void TFrameYosan::SetSide(int side)
{
    closeEditor();
    Side = uint8_t(side == 1 ? 1 : 2);
    (Side == 1 ? FrBtnIri : FrBtnDeru)->SetDown(true);
    RefreshPage();
}

void TFrameYosan::ToggleReserve()
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
    RefreshPage();
}

void TFrameYosan::ToggleTokubetu()
{
    const bool wanted = SpBtnTokubetu->down();
    try {
        if (DataIni)
            DataIni->WriteBoolAndUpdate(u"State"_s, u"TokubetuShow"_s, wanted);
    } catch (...) {
        SpBtnTokubetu->SetDown(TokubetuShowFlag);
        throw;
    }
    TokubetuShowFlag = wanted;
    if (Database *db = openBook())
        LoadHimokuCaches(*db);
    RefreshPage();
}

// ---- layout, colours, font ----------------------------------------------------------------------

void TFrameYosan::ApplyFont()
{
    QFont font = this->font();
    if (MainForm)
        MainForm->ApplyCommonFont(font);
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou})
        if (table->font() != font)
            table->setFont(font);
}

void TFrameYosan::LoadLayout()
{
    if (!RegIni)
        return;
    const QFontMetrics fm(YosanHyou->font());
    int colWidth = fm.horizontalAdvance(u"1234567890123"_s);
    int rowHeight = QFontInfo(YosanHyou->font()).pixelSize() * 2;
    int nameWidth = fm.horizontalAdvance(u"水道、光熱費費qqqq"_s);
    int syusiNameWidth = fm.horizontalAdvance(u"水道、光熱費費qq"_s);
    // Seeds measured on this font go in the first time only; afterwards the
    // stored sizes (the user's) count.
    colWidth = RegIni->ReadOrWriteInteger(SettingsSection, u"DefaultColWidth"_s, colWidth);
    syusiNameWidth = RegIni->ReadOrWriteInteger(SettingsSection, u"SyusiHyouColWidth0"_s, syusiNameWidth);
    rowHeight = RegIni->ReadOrWriteInteger(SettingsSection, u"DefaultRowHeight"_s, rowHeight);
    nameWidth = RegIni->ReadOrWriteInteger(SettingsSection, u"YosanHyouColWidth0"_s, nameWidth);

    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou}) {
        SoftStringGridModel *m = table->model();
        m->setDefaultRowHeight(rowHeight);
        m->setDefaultColWidth(colWidth);
    }
    YosanHyou->model()->setColWidth(0, nameWidth);
    KakoHyou->model()->setColWidth(0, nameWidth);
    SyusiHyou->model()->setColWidth(0, syusiNameWidth);
}

void TFrameYosan::gridResized(TCurrencyGrid *from)
{
    SoftStringGridModel *m = from->model();
    const int rowHeight = m->rowHeight(0);
    const int dataWidth = m->colWidth(std::min(m->fixedCols(), m->colCount() - 1));
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou}) {
        SoftStringGridModel *t = table->model();
        if (table != from || t->defaultRowHeight() != rowHeight)
            t->setDefaultRowHeight(rowHeight);
        for (int c = t->fixedCols(); c < t->colCount(); ++c)
            t->setColWidth(c, dataWidth);
    }
    if (from == YosanHyou || from == KakoHyou) {
        const int nameWidth = m->colWidth(0);
        YosanHyou->model()->setColWidth(0, nameWidth);
        KakoHyou->model()->setColWidth(0, nameWidth);
    }
    ArrangeControls();
    if (!RegIni)
        return;
    RegIni->WriteIntegerAndUpdate(SettingsSection, u"DefaultColWidth"_s, dataWidth);
    RegIni->WriteIntegerAndUpdate(SettingsSection, u"SyusiHyouColWidth0"_s, SyusiHyou->model()->colWidth(0));
    RegIni->WriteIntegerAndUpdate(SettingsSection, u"DefaultRowHeight"_s, rowHeight);
    RegIni->WriteIntegerAndUpdate(SettingsSection, u"YosanHyouColWidth0"_s, YosanHyou->model()->colWidth(0));
}

void TFrameYosan::fitGridToCells(TCurrencyGrid *grid, bool verticalBar)
{
    SoftStringGridModel *m = grid->model();
    int width = 0;
    for (int c = 0; c < m->colCount(); ++c)
        width += m->colWidth(c) + m->gridLineWidth();
    int height = 0;
    for (int r = 0; r < m->rowCount(); ++r)
        height += m->rowHeight(r) + m->gridLineWidth();
    const int frame = 2 * grid->frameWidth() + 1;
    if (verticalBar)
        width += grid->verticalScrollBar()->sizeHint().width();
    grid->setFixedWidth(width + frame);
    grid->setMaximumHeight(height + frame);
    grid->setMinimumHeight(std::min(height + frame, (m->rowHeight(0) + 1) * 4));
}

void TFrameYosan::ArrangeControls()
{
    fitGridToCells(SyusiHyou, false);
    SyusiHyou->setFixedHeight(SyusiHyou->maximumHeight());
    fitGridToCells(YosanHyou, false);
    fitGridToCells(JissekiHyou, false);
    fitGridToCells(KakoHyou, true);
}

void TFrameYosan::ApplyColors()
{
    const bool iri = Side == 1;
    const QColor fixed = iri ? paletteOr(PaletteColor5, QColor(200, 217, 254))
                             : paletteOr(PaletteColor1, QColor(255, 217, 217));
    const QColor odd = iri ? paletteOr(PaletteColor13, QColor(242, 244, 253))
                           : paletteOr(PaletteColor2, QColor(253, 248, 247));
    const QColor hot = iri ? paletteOr(PaletteColor18, QColor(164, 187, 255))
                           : paletteOr(PaletteColor17, QColor(255, 191, 207));
    YosanHyou->model()->setFixedColor(fixed);
    JissekiHyou->model()->setFixedColor(fixed);
    for (TCurrencyGrid *table : {YosanHyou, JissekiHyou, KakoHyou})
        table->model()->setRowOddColor(odd);
    YosanHyou->setHotTrackColor(hot);
    SyusiHyou->model()->setFixedColor(paletteOr(PaletteColor4, QColor(255, 218, 200)));
    KakoHyou->model()->setFixedColor(paletteOr(PaletteColor9, QColor(213, 213, 215)));
}

// ---- grid helpers ---------------------------------------------------------------------------------

bool TFrameYosan::eventFilter(QObject *watched, QEvent *event)
{
    // The in-place editor is made on first use. Its events come here before
    // the grid's own handling: the cell keeps no text of its own, so the
    // editor's text is compared with the budget here, and an emptied editor
    // clears the budget however the editor is left.
    QLineEdit *editor = YosanHyou->inplaceEditor();
    if (!m_editorHooked && editor) {
        editor->installEventFilter(this);
        m_editorHooked = true;
    }
    const QEvent::Type type = event->type();
    const int key = type == QEvent::KeyPress ? static_cast<QKeyEvent *>(event)->key() : 0;

    if (watched == editor && editor) {
        if (type == QEvent::FocusOut && editor->isVisible() && !editor->hasFocus()) {
            closeEditor();
            return false;
        }
        if (type != QEvent::KeyPress || !YosanHyou->isEditorOpen())
            return QFrame::eventFilter(watched, event);
        const int row = YosanHyou->model()->row();
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_refused = false;
            closeEditor();
            if (!m_refused)
                moveToNextRow(row);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            m_refused = false;
            closeEditor();
            // The grid moves on with the key unless the text was refused.
            return m_refused;
        default: return QFrame::eventFilter(watched, event);
        }
    }

    if (watched == YosanHyou->viewport() && type == QEvent::MouseButtonPress && YosanHyou->isEditorOpen()) {
        closeEditor();
        return false;
    }
    // F2 and a double click open the editor on the budget as plain text.
    const bool open = (watched == YosanHyou && key == Qt::Key_F2)
                      || (watched == YosanHyou->viewport() && type == QEvent::MouseButtonDblClick);
    if (open && !YosanHyou->isEditorOpen() && YosanHyou->model()->hasDataSelection()) {
        const int row = YosanHyou->model()->row();
        if (YosanHyou->showEditor(TYosanTables::PlainAmountText(YosanHyou->getValue(1, row)), true))
            return true;
    }
    if (watched == YosanHyou && (key == Qt::Key_Return || key == Qt::Key_Enter) && !YosanHyou->isEditorOpen()
        && YosanHyou->model()->hasDataSelection()) {
        moveToNextRow(YosanHyou->model()->row());
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TFrameYosan::moveToNextRow(int row)
{
    if (row + 1 < YosanHyou->rowCount() && row + 1 >= FirstRow)
        YosanHyou->selectCellAt(1, row + 1);
}

void TFrameYosan::closeEditor()
{
    // The window hides the page before it asks whether the page may be left,
    // so the editor may be hidden with it while it still holds the user's text.
    QLineEdit *editor = YosanHyou->inplaceEditor();
    if (!editor || editor->isHidden())
        return;
    const int row = YosanHyou->model()->row();
    const QString text = editor->text();
    if (editor->isVisible())
        YosanHyou->hideEditor(false);
    else
        editor->hide();
    // Compared with the budget itself (the cell keeps no text of its own), so
    // that an emptied editor clears the budget.
    if (row >= FirstRow && text != TYosanTables::PlainAmountText(YosanHyou->getValue(1, row)))
        SetBudgetText(row, text);
}

void TFrameYosan::clearSelections()
{
    for (TCurrencyGrid *table : {SyusiHyou, YosanHyou, JissekiHyou, KakoHyou})
        table->clearSelection();
}

void TFrameYosan::syncTopRow(TCurrencyGrid *from)
{
    if (m_syncing)
        return;
    m_syncing = true;
    const int top = from->model()->topRow();
    for (TCurrencyGrid *table : {YosanHyou, JissekiHyou, KakoHyou})
        if (table != from && table->model()->topRow() != top)
            table->model()->setTopRow(top);
    m_syncing = false;
}

// The summary once, then the budget and actual tables of each side: the page is
// switched to income for tables 2-3 and to expense for tables 4-5 as they are
// asked for, and is given back on the side the user had.
void TFrameYosan::ExportTables()
{
    const int userSide = Side;
    TCurrencyGridExcelExport ex;
    ex.SheetName = u"予算表"_s;
    ex.Header = Edit_ImaNen->text() + u"年度 "_s + Edit_ImaTuki->text() + u"月分"_s;
    TCurrencyGrid *grids[5]{SyusiHyou, YosanHyou, JissekiHyou, YosanHyou, JissekiHyou};
    const QColor iri = YosanHyou->model()->fixedColor();
    const QColor fixed[5]{QColor(0xFF, 0xBA, 0x75), iri, iri, QColor(0xFF, 0xBD, 0xCD), QColor(0xFF, 0xBD, 0xCD)};
    const int below = SyusiHyou->rowCount() + 2;
    const int yc = YosanHyou->colCount(), jc = JissekiHyou->colCount();
    const int cols[5]{3, 0, yc, yc + jc + 1, 2 * yc + jc + 1};
    for (int i = 0; i < 5; ++i) {
        ex.Grid[i] = grids[i];
        ex.FixedColor[i] = fixed[i];
        ex.RowOffSet[i] = i == 0 ? 0 : below;
        ex.ColOffSet[i] = cols[i];
    }
    ex.RowEvenColor = QColor(0xF7, 0xF1, 0xE3);
    ex.OnGetGrid = [this](int n, TCurrencyGrid *&) {
        if (n == 1)
            SetSide(1);
        else if (n == 3)
            SetSide(2);
    };
    RunExcelExport(ex, u"予算表"_s);
    if (Side != userSide)
        SetSide(userSide);
}
