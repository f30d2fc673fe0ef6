#include "main/ReceiptList.h"

#include <utility>

#include <QHash>
#include <QHeaderView>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormGetudoChange.h"
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "platform/db/Abort.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"

namespace {

QString isoDate(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

// Scheduled lines are left out unless the book includes them. An empty
// RESERVED counts as booked, as the monthly table counts it: a plain
// "RESERVED = 0" would drop such lines from the slips while the table shows them.
QString reservedCondition()
{
    return IncludeReservedFlag ? QString() : QStringLiteral(" AND (COALESCE(RESERVED,0) = 0)");
}

// Events of a data set switched off while the list fills its own rows, and put
// back however the fill ends.
struct QuietRows
{
    DataSet &ds;
    std::function<void(DataSet &)> beforeScroll, afterScroll;
    std::function<void(Field &)> recDateValidate, payDateValidate;
    bool dataChanged;
    bool filtered;
    QuietRows(DataSet &d, ClientDataSet &c) : ds(d), dataChanged(DatMod->DataChanged), filtered(d.filtered())
    {
        beforeScroll = std::exchange(ds.BeforeScroll, nullptr);
        afterScroll = std::exchange(ds.AfterScroll, nullptr);
        if (Field *f = ds.findField(QStringLiteral("RecDate")))
            recDateValidate = std::exchange(f->OnValidate, nullptr);
        if (Field *f = ds.findField(QStringLiteral("PayDate")))
            payDateValidate = std::exchange(f->OnValidate, nullptr);
        ds.disableControls();
        c.setLogChanges(false);
        client = &c;
    }
    ~QuietRows()
    {
        client->setLogChanges(true);
        if (ds.filtered() != filtered)
            ds.setFiltered(filtered);
        if (Field *f = ds.findField(QStringLiteral("RecDate")))
            f->OnValidate = recDateValidate;
        if (Field *f = ds.findField(QStringLiteral("PayDate")))
            f->OnValidate = payDateValidate;
        ds.BeforeScroll = beforeScroll;
        ds.AfterScroll = afterScroll;
        ds.enableControls();
        // Completing the list is no change of the book.
        DatMod->DataChanged = dataChanged;
    }
    ClientDataSet *client = nullptr;
};

} // namespace

TReceiptList::TReceiptList(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PnlReceipt"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *top = new QHBoxLayout;
    LbList = new QLabel(QStringLiteral("レシート一覧"), this);
    LbList->setObjectName(QStringLiteral("LbList"));
    FrBtnGetudo = new TFrameBtn(this);
    FrBtnGetudo->setObjectName(QStringLiteral("FrBtnGetudo"));
    FrBtnGetudo->setText(QStringLiteral("月度変更"));
    FrBtnGetudo->setToolTip(QStringLiteral("明細の月度変更"));
    top->addWidget(LbList, 1);
    top->addWidget(FrBtnGetudo);
    layout->addLayout(top);
    MyDbGridReceipt = new TMyDBGrid(this);
    MyDbGridReceipt->setObjectName(QStringLiteral("MyDbGridReceipt"));
    MyDbGridReceipt->setReadOnly(true);
    MyDbGridReceipt->setOptions(DBGridOption::dgTitles | DBGridOption::dgIndicator | DBGridOption::dgColumnResize
                                | DBGridOption::dgColLines | DBGridOption::dgRowLines | DBGridOption::dgRowSelect
                                | DBGridOption::dgAlwaysShowSelection);
    layout->addWidget(MyDbGridReceipt, 1);
    ReceiptListSrc = new DataSource(this);
    ReceiptListSrc->setObjectName(QStringLiteral("ReceiptListSrc"));
    if (DatMod)
        ReceiptListSrc->setDataSet(DatMod->ReceiptClt);
    MyDbGridReceipt->setDataSource(ReceiptListSrc);
    MyDbGridReceipt->setDefaultDrawing(false);
    MyDbGridReceipt->onDrawColumnCell = [this](QPainter &painter, const QRect &rect, int dataCol, int column,
                                               GridDrawState state) {
        MyDbGridReceiptDrawColumnCell(painter, rect, dataCol, column, state);
    };
    // A click on a closed or empty list starts a slip (the header's rule); the
    // view signals no click where there is no row, so its viewport is watched.
    MyDbGridReceipt->viewport()->installEventFilter(this);
    connect(ReceiptListSrc, &DataSource::dataChange, this, [this](Field *) { PublishSlipHeader(); });
    connect(ReceiptListSrc, &DataSource::stateChange, this, [this] { PublishSlipHeader(); });
    // The month change needs a saved slip with its lines shown and nothing
    // pending: the button follows the list, the lines and the idle moments.
    m_linesWatch = new DataSource(this);
    if (DatMod)
        m_linesWatch->setDataSet(DatMod->MeisaiClt);
    for (DataSource *src : {ReceiptListSrc, m_linesWatch}) {
        connect(src, &DataSource::dataChange, this, [this](Field *) { UpdateGetudoButton(); });
        connect(src, &DataSource::stateChange, this, &TReceiptList::UpdateGetudoButton);
    }
    connect(IdleHook::instance(), &IdleHook::idle, this, &TReceiptList::UpdateGetudoButton);
    // A column the user widens or narrows takes its room from the filler.
    connect(MyDbGridReceipt->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { FitFillerColumn(); });
    // The grid sets its stored widths again whenever the list is read anew.
    connect(MyDbGridReceipt->dataModel(), &QAbstractItemModel::modelReset, this, [this] { FitFillerColumn(); });
    connect(FrBtnGetudo, &QAbstractButton::clicked, this, [this] {
        if (DataSetGetudoUpdate())
            DataSetGetudoExecute();
    });
    const QDate today = QDate::currentDate();
    ShownYear = uint16_t(today.year());
    ShownMonth = uint16_t(today.month());
    SetUpSlipColumns(InputMode);
    UpdateGetudoButton();
}

void TReceiptList::MyDbGridReceiptDrawColumnCell(QPainter &painter, const QRect &rect, int dataCol, int column,
                                                 GridDrawState state)
{
    TMeisaiClientDataSet *r = slips();
    QColor background(0xF4, 0xF5, 0xED);
    if (state.testFlag(GridDrawFlag::Selected))
        background = state.testFlag(GridDrawFlag::Focused) ? QColor(0xAB, 0xDB, 0xFF) : QColor(0xD1, 0xE4, 0xDC);
    QColor text = MyDbGridReceipt->palette().color(QPalette::Text);
    Field *field = MyDbGridReceipt->columnField(column);
    if (r && r->IsLockedRecord()) {
        text = QColor(0x00, 0x00, 0x80);
    } else if (field && !field->isNull()) {
        if (field->dataType() == FieldType::Date) {
            const QDate date = field->asDate();
            if (date.dayOfWeek() == Qt::Sunday || IsHoliday(date))
                text = QColor(0xFF, 0x00, 0x00);
            else if (date.dayOfWeek() == Qt::Saturday)
                text = QColor(0x00, 0x00, 0x80);
        } else if (field->dataType() == FieldType::Currency && field->asCurrency() < Currency()) {
            text = QColor(0xFF, 0x00, 0x00);
        }
    }
    painter.setBrush(background);
    painter.setPen(text);
    MyDbGridReceipt->drawColumnCellText(painter, rect, dataCol, column, state, 55);
}

bool TReceiptList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MyDbGridReceipt->viewport() && event->type() == QEvent::Resize)
        FitFillerColumn();
    if (watched == MyDbGridReceipt->viewport() && event->type() == QEvent::MouseButtonRelease) {
        TMeisaiClientDataSet *r = slips();
        if ((!r || !r->isActive() || r->isEmpty()) && InputMode != 1)
            emit emptyListClicked();
    }
    return QWidget::eventFilter(watched, event);
}

TReceiptList::~TReceiptList()
{
    DetachHooks();
}

TMeisaiClientDataSet *TReceiptList::slips() const
{
    return DatMod ? ReceiptClt(*DatMod) : nullptr;
}

TMeisaiClientDataSet *TReceiptList::lines() const
{
    return DatMod ? MeisaiClt(*DatMod) : nullptr;
}

bool TReceiptList::hasSlip() const
{
    TMeisaiClientDataSet *r = slips();
    return r && r->isActive() && !r->isEmpty() && !r->fieldByName(QStringLiteral("RECEIPTNO"))->isNull();
}

int TReceiptList::currentReceiptNo() const
{
    return hasSlip() ? int(slips()->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger()) : 0;
}

bool TReceiptList::saveJournal()
{
    PublishSlipHeader();
    return SaveJournal ? SaveJournal() : ApplyMeisaiUpdates();
}

void TReceiptList::SetPageKind(uint8_t frameKind)
{
    FrameKind = frameKind;
    PeriodCode = frameKind;
    for (TMeisaiClientDataSet *ds : {slips(), lines()}) {
        if (!ds)
            continue;
        ds->CltSyuSiIdo = frameKind;
        ds->CltOrigin = frameKind;
    }
    SetUpSlipColumns(InputMode);
}

void TReceiptList::SetInputMode(uint8_t mode)
{
    InputMode = mode;
    for (TMeisaiClientDataSet *ds : {slips(), lines()})
        if (ds)
            ds->CltDataStyle = mode;
    QString word;
    switch (mode) {
    case 2: word = QStringLiteral("レシート"); break;
    case 3: word = FrameKind == 1 ? QStringLiteral("伝票") : QStringLiteral("請求書"); break;
    case 8: word = QStringLiteral("金券"); break;
    default: word = QStringLiteral("伝票"); break;
    }
    LbList->setText(word + QStringLiteral("一覧"));
    FrBtnGetudo->setVisible(mode == 3 || mode == 7 || mode == 8);
    SetUpSlipColumns(mode);
}

void TReceiptList::SetUpSlipColumns(uint8_t mode)
{
    // The stored columns in their order; the mode decides which show and how
    // the account and amount columns are titled.
    struct Col
    {
        const char *field;
        QString caption;
    };
    QList<Col> stored = {
        {"RECEIPTNO", QStringLiteral("伝票番号")}, {"CreditCode", QString()},
        {"RecDate", QStringLiteral("日付")},       {"ShopName", QStringLiteral("店名")},
        {"KariGaku", QStringLiteral("入金額")},     {"KasiGaku", QStringLiteral("出金額")},
        {"KINGAKU", QStringLiteral("合計金額")},    {"PayDate", QStringLiteral("引落日")},
        {"PayKouza", QStringLiteral("引落口座")},
        {"", QString()}, // the filler: the room the others leave (FitFillerColumn)
    };
    QStringList shown;
    QHash<QString, QString> titles;
    switch (mode) {
    case 2:
        shown = {QStringLiteral("RecDate"), QStringLiteral("ShopName"), QStringLiteral("KINGAKU")};
        break;
    case 3:
        if (FrameKind == 1) {
            shown = {QStringLiteral("CreditCode"), QStringLiteral("KINGAKU")};
            titles[QStringLiteral("CreditCode")] = QStringLiteral("口座名");
        } else if (FrameKind == 2) {
            shown = {QStringLiteral("CreditCode"), QStringLiteral("PayKouza"), QStringLiteral("PayDate"),
                     QStringLiteral("KINGAKU")};
            titles[QStringLiteral("CreditCode")] = QStringLiteral("クレジット名");
        } else {
            shown = {QStringLiteral("CreditCode"), QStringLiteral("PayKouza"), QStringLiteral("PayDate"),
                     QStringLiteral("KariGaku"), QStringLiteral("KasiGaku")};
            titles[QStringLiteral("CreditCode")] = QStringLiteral("クレジット名");
            titles[QStringLiteral("KariGaku")] = QStringLiteral("返済額");
            titles[QStringLiteral("KasiGaku")] = QStringLiteral("使用額");
        }
        break;
    case 7:
        shown = {QStringLiteral("RECEIPTNO"), QStringLiteral("KINGAKU")};
        break;
    case 8:
        shown = {QStringLiteral("CreditCode"), QStringLiteral("KariGaku"), QStringLiteral("KasiGaku")};
        titles[QStringLiteral("CreditCode")] = QStringLiteral("金券");
        titles[QStringLiteral("KariGaku")] = QStringLiteral("購入額");
        titles[QStringLiteral("KasiGaku")] = QStringLiteral("使用額");
        break;
    default:
        break;
    }
    QList<TMyDBGridColumn> columns;
    for (const Col &c : stored) {
        TMyDBGridColumn column;
        column.fieldName = QLatin1String(c.field);
        column.caption = titles.value(column.fieldName, c.caption);
        column.visible = column.fieldName.isEmpty() ? !shown.isEmpty() : shown.contains(column.fieldName);
        column.readOnly = true;
        column.width = column.fieldName == QLatin1String("ShopName") ? 120 : 80;
        if (column.visible && OnColumnWidth)
            column.width = OnColumnWidth(column.fieldName, column.width);
        columns << column;
    }
    MyDbGridReceipt->setColumns(columns);
    FitFillerColumn();
}

void TReceiptList::FitFillerColumn()
{
    if (m_fitting)
        return;
    TMyDBGrid *grid = MyDbGridReceipt;
    int filler = -1, used = 0;
    for (int i = 0; i < grid->columnCount(); ++i) {
        const TMyDBGridColumn c = grid->column(i);
        if (!c.visible || grid->isColumnHidden(i))
            continue;
        if (c.fieldName.isEmpty())
            filler = i;
        else
            used += grid->columnWidth(i);
    }
    if (filler < 0)
        return;
    const int room = grid->viewport()->width() - used;
    // Too narrow for the shown columns: the filler keeps a plain column's width
    // and the list scrolls.
    const int width = room > 0 ? room : grid->horizontalHeader()->defaultSectionSize();
    if (grid->columnWidth(filler) == width)
        return;
    m_fitting = true;
    grid->setColumnWidth(filler, width);
    m_fitting = false;
}

void TReceiptList::CalcPeriod(int code)
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    int closingDay = SimeBi, shift = SimeShift;
    QDate start = PeriodStart, end = PeriodEnd;
    GetHimokuSimePeriod(DatMod->MainDatabase, code, ShownYear, ShownMonth, CurSimeTuki, CurShiftNendo, closingDay,
                        shift, start, end);
    if (!start.isValid()) {
        // A code the cache does not know: the calendar month.
        start = QDate(ShownYear, ShownMonth, 1);
        end = start.addMonths(1).addDays(-1);
    }
    SimeBi = closingDay;
    SimeShift = shift;
    PeriodStart = start;
    PeriodEnd = end;
    if (OnCalcPeriod)
        OnCalcPeriod(code);
}

QString TReceiptList::BuildSlipListSql() const
{
    QStringList sql;
    const int monthFrom = EncodeMonthCode(ShownYear, ShownMonth);
    const int monthTo = ShownMonth >= 12 ? EncodeMonthCode(ShownYear + 1, 1) : EncodeMonthCode(ShownYear, ShownMonth + 1);
    const QString months = QStringLiteral(" AND (LOOKUPNO >= %1) AND (LOOKUPNO < %2)").arg(monthFrom).arg(monthTo);
    switch (InputMode) {
    case 2:
        sql << QStringLiteral("SELECT RECDATE,RECEIPTNO,SHOPCODE, SUM(KINGAKU) AS KINGAKU,RECEIPTNO AS ORIGIN")
            << QStringLiteral("FROM \"Master\"") << QStringLiteral("WHERE")
            << QStringLiteral("  (RECDATE >= '%1') AND (RECDATE <= '%2')").arg(isoDate(PeriodStart), isoDate(PeriodEnd))
            << QStringLiteral(" AND (ORIGIN = %1)").arg(FrameKind) << QStringLiteral(" AND (STYLE = 2)")
            << reservedCondition() << QStringLiteral("GROUP BY RECDATE,RECEIPTNO,SHOPCODE")
            // The list runs by date; a slip number breaks ties so the order is stable.
            << QStringLiteral("ORDER BY RECDATE,RECEIPTNO");
        break;
    case 3:
    case 8: {
        const QString credit = FrameKind == 1 ? QStringLiteral("KARICODE") : FrameKind == 2 ? QStringLiteral("KASICODE")
                                                                                         : QStringLiteral("RECEIPTNO");
        const QString origin = FrameKind == 3 ? QStringLiteral("RECEIPTNO AS ORIGIN") : QStringLiteral("ORIGIN");
        sql << QStringLiteral("SELECT RECEIPTNO,LOOKUPNO,%1 AS CREDITCODE, SUM(KINGAKU) AS KINGAKU,%2").arg(credit, origin)
            << QStringLiteral("FROM \"Master\"") << QStringLiteral("WHERE") << QStringLiteral("(STYLE = %1)").arg(InputMode)
            << (FrameKind == 3 ? QStringLiteral(" AND ((ORIGIN = 2) OR (ORIGIN = 3))")
                               : QStringLiteral(" AND (ORIGIN = %1)").arg(FrameKind))
            << reservedCondition() << months
            << (FrameKind == 3 ? QStringLiteral("GROUP BY RECEIPTNO,LOOKUPNO")
                               : QStringLiteral("GROUP BY RECEIPTNO,LOOKUPNO,%1,ORIGIN").arg(credit))
            // These slips carry no date in the list: they run by their number.
            << QStringLiteral("ORDER BY RECEIPTNO");
        break;
    }
    default:
        sql << QStringLiteral("SELECT RECEIPTNO,LOOKUPNO,RECEIPTNO AS CREDITCODE, SUM(KINGAKU) AS KINGAKU,ORIGIN")
            << QStringLiteral("FROM \"Master\"") << QStringLiteral("WHERE") << QStringLiteral("(STYLE = %1)").arg(InputMode)
            << QStringLiteral(" AND (ORIGIN = %1)").arg(FrameKind) << reservedCondition() << months
            << QStringLiteral("GROUP BY RECEIPTNO,LOOKUPNO,ORIGIN") << QStringLiteral("ORDER BY RECEIPTNO");
        break;
    }
    sql.removeAll(QString());
    return sql.join(QLatin1Char('\n'));
}

QString TReceiptList::BuildSlipLinesSql() const
{
    TMeisaiClientDataSet *m = lines();
    QStringList sql;
    sql << QStringLiteral("SELECT *") << QStringLiteral("FROM \"Master\" D")
        << QStringLiteral("WHERE                  (RECEIPTNO = %1)").arg(m ? m->CltReceiptNo : -1);
    if (FrameKind != 3)
        sql << QStringLiteral("and (STYLE = %1)").arg(InputMode) << QStringLiteral("and (ORIGIN = %1)").arg(FrameKind);
    if (!IncludeReservedFlag)
        sql << QStringLiteral("AND (COALESCE(RESERVED,0) = 0)");
    sql << QStringLiteral("ORDER BY GYONO");
    return sql.join(QLatin1Char('\n'));
}

void TReceiptList::LoadSlipList()
{
    TMeisaiClientDataSet *r = slips();
    if (!r || !DatMod->DataOpen)
        return;
    const bool wasInLoad = std::exchange(m_inLoad, true);
    struct Reset
    {
        bool &flag;
        bool value;
        ~Reset() { flag = value; }
    } reset{m_inLoad, wasInLoad};

    int remembered = -1;
    if (r->isActive()) {
        if (r->isEditing())
            r->cancel();
        remembered = r->isEmpty() ? -1 : int(r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger());
        r->cancelUpdates();
        r->close();
    }
    if (InputMode == 2)
        CalcPeriod(PeriodCode);
    r->setFilter(QStringLiteral("RECEIPTNO <> 0"));
    r->setFiltered(true);
    const QString sql = BuildSlipListSql();
    if (r->commandText() != sql)
        r->setCommandText(sql);
    {
        // Opening lands on the first slip; its lines are loaded once, below.
        auto after = std::exchange(r->AfterScroll, nullptr);
        struct Put
        {
            DataSet &ds;
            std::function<void(DataSet &)> f;
            ~Put() { ds.AfterScroll = f; }
        } put{*r, after};
        r->open();
    }
    FillSlipRowInfo();
    SlipLinesPending = true;
    if (remembered > 0) {
        auto before = std::exchange(r->BeforeScroll, nullptr);
        auto after = std::exchange(r->AfterScroll, nullptr);
        r->locate(QStringLiteral("RECEIPTNO"), remembered);
        r->BeforeScroll = before;
        r->AfterScroll = after;
    }
    emit slipListLoaded();
    UpdateGetudoButton();
}

void TReceiptList::FillSlipRowInfo()
{
    TMeisaiClientDataSet *r = slips();
    if (!r || !r->isActive())
        return;
    Database &db = DatMod->MainDatabase;
    QuietRows quiet(*r, *r);
    r->setFiltered(false);

    // The automatic withdrawal line of each listed bill, in one query.
    struct Withdrawal
    {
        QDate date;
        int kari = 0, kasi = 0;
        bool kariSide = false;
    };
    QHash<int, Withdrawal> withdrawals;
    QHash<int, std::pair<int, bool>> ownLines;  // transfer page: the slip's own line
    if (InputMode != 2) {
        QStringList numbers;
        for (r->first(); !r->eof(); r->next())
            if (r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger() > 0)
                numbers << QString::number(r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger());
        if (!numbers.isEmpty()) {
            Statement w(db, QStringLiteral("SELECT RECEIPTNO,RECDATE,KARICODE,KASICODE,KARISIDE,STYLE FROM \"Master\" "
                                           "WHERE RECEIPTNO IN (%1) AND (STYLE = 6 OR STYLE = %2) ORDER BY DATANO")
                                .arg(numbers.join(QLatin1Char(',')))
                                .arg(InputMode));
            while (w.next()) {
                const int no = int(w.intValue(0));
                if (w.intValue(5) == 6) {
                    if (!withdrawals.contains(no))
                        withdrawals.insert(no, Withdrawal{QDate::fromString(w.textValue(1), Qt::ISODate),
                                                          int(w.intValue(2)), int(w.intValue(3)), w.intValue(4) != 0});
                } else if (!ownLines.contains(no)) {
                    ownLines.insert(no, {w.intValue(4) != 0 ? int(w.intValue(2)) : int(w.intValue(3)), true});
                }
            }
        }
    }

    // The date, shop, month code and account of each slip came with the list
    // (the query's columns of those names).
    for (r->first(); !r->eof(); r->next()) {
        r->edit();
        // Free slips and the transfer page's slips list their number in the
        // account column; a slip number is no account, so it is not taken.
        if (InputMode == 7 || FrameKind == 3)
            r->fieldByName(QStringLiteral("CreditCode"))->clear();
        if (InputMode == 2) {
            r->fieldByName(QStringLiteral("ShopName"))
                ->setAsString(FieldCodeToName(*DatMod->ShopMstTbl, *r->fieldByName(QStringLiteral("ShopCode"))));
        } else {
            const int no = int(r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger());
            if (withdrawals.contains(no)) {
                const Withdrawal &w = withdrawals[no];
                r->fieldByName(QStringLiteral("PayDate"))->setAsDate(w.date);
                r->fieldByName(QStringLiteral("CreditCode"))->setAsInteger(w.kariSide ? w.kari : w.kasi);
                r->fieldByName(QStringLiteral("PayKouza"))->setAsInteger(w.kariSide ? w.kasi : w.kari);
            } else if (FrameKind == 3 && ownLines.contains(no)) {
                r->fieldByName(QStringLiteral("CreditCode"))->setAsInteger(ownLines[no].first);
            }
        }
        r->post();
    }
    r->first();
}

bool TReceiptList::LoadSlipMonth(int year, int month, int dataNo, int receiptNo, bool force)
{
    if (!force && year == ShownYear && month == ShownMonth)
        return true;
    if (year < 1 || month < 1 || month > 12 || !QDate(year, month, 1).isValid())
        return false;
    ShownYear = uint16_t(year);
    ShownMonth = uint16_t(month);
    emit shownMonthChanged(year, month);
    TMeisaiClientDataSet *r = slips();
    TMeisaiClientDataSet *m = lines();
    if (!r || !m || !DatMod->DataOpen)
        return false;
    if (m->isActive()) {
        m->cancelUpdates();
        m->close();
    }
    if (r->isActive()) {
        r->cancelUpdates();
        r->close();
    }
    CalcPeriod(PeriodCode);
    LoadSlipList();
    bool result = dataNo < 0;
    if (r->isEmpty()) {
        r->close();
        SlipLinesPending = false;
        // No slip: no slip context for new lines, and the totals read 0
        // instead of the previous month's.
        m->CltReceiptNo = -1;
        m->CltShopCODE = -1;
        emit slipChanged();
        emit slipLinesLoaded();
        UpdateGetudoButton();
        return result;
    }
    if (receiptNo > 0) {
        auto before = std::exchange(r->BeforeScroll, nullptr);
        auto after = std::exchange(r->AfterScroll, nullptr);
        const bool found = r->locate(QStringLiteral("RECEIPTNO"), receiptNo);
        r->BeforeScroll = before;
        r->AfterScroll = after;
        if (found && dataNo >= 0) {
            SlipLinesPending = true;
            LoadSlipLines();
            return m->isActive() && m->locate(QStringLiteral("DATANO"), dataNo);
        }
    }
    emit slipChanged();
    if (AutoLoadLines)
        LoadSlipLines();
    UpdateGetudoButton();
    return result;
}

void TReceiptList::LoadSlipLines()
{
    if (!SlipLinesPending)
        return;
    SlipLinesPending = false;
    TMeisaiClientDataSet *r = slips();
    TMeisaiClientDataSet *m = lines();
    if (!r || !m)
        return;
    // Every caller has saved before; a refusal here would lose the log when the
    // lines are reopened, so it stops the load instead.
    if (m->isActive() && m->changeCount() > 0 && (!saveJournal() || m->changeCount() > 0))
        return;
    if (r->isActive() && !r->isEmpty() && !r->fieldByName(QStringLiteral("RECEIPTNO"))->isNull()) {
        m->ResetEntryState();
        const int receiptNo = int(r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger());
        Field *recDate = r->fieldByName(QStringLiteral("RecDate"));
        m->CltDate = recDate->isNull() ? QDate() : recDate->asDate();
        Field *credit = r->fieldByName(QStringLiteral("CreditCode"));
        m->CltCreditCODE = credit->isNull() ? -1 : int(credit->asInteger());
        m->CltRecAiteCODE = ReceiptAiteCode;
        m->CltReceiptNo = receiptNo;
        Field *shop = r->fieldByName(QStringLiteral("ShopCode"));
        m->CltShopCODE = InputMode == 2 && !shop->isNull() ? int(shop->asInteger()) : -1;
        Field *lookup = r->fieldByName(QStringLiteral("LookupNo"));
        m->CltLookupNo = receiptNo == -1 || InputMode == 2 || lookup->isNull() ? -1 : int(lookup->asInteger());
        PublishSlipHeader();
        if (m->isActive()) {
            m->cancelUpdates();
            m->close();
        }
        m->disableControls();
        struct Enable
        {
            DataSet &ds;
            ~Enable() { ds.enableControls(); }
        } enable{*m};
        m->setFiltered(false);
        m->setCommandText(BuildSlipLinesSql());
        {
            // The lines' after-scroll work waits for the line preparation, which
            // runs it once the lines are complete.
            struct Resume
            {
                ~Resume() { DatMod->SuspendFieldEvents = false; }
            } resume;
            DatMod->SuspendFieldEvents = true;
            m->open();
            PrepareMeisaiLines();
        }
        CalcPeriod(InputMode == 3 || InputMode == 8 ? (m->CltCreditCODE > 0 ? m->CltCreditCODE : PeriodCode)
                                                    : PeriodCode);
    } else {
        m->CltReceiptNo = -1;
        m->CltShopCODE = -1;
        if (m->isActive()) {
            m->cancelUpdates();
            m->close();
        }
    }
    emit slipLinesLoaded();
    UpdateGetudoButton();
}

void TReceiptList::AssignSlipNumbers()
{
    TMeisaiClientDataSet *m = lines();
    TMeisaiClientDataSet *r = slips();
    if (!m || !r)
        return;
    const int mode = m->CltDataStyle;
    if (mode != 2 && mode != 3 && mode != 7 && mode != 8)
        return;
    const bool haveRow = r->isActive() && !r->isEmpty();
    auto writeRow = [r, haveRow](const char *name, int value) {
        if (!haveRow)
            return;
        // The slip list is only a view of the lines: no change of the book.
        const bool changed = DatMod->DataChanged;
        r->edit();
        r->fieldByName(QLatin1String(name))->setAsInteger(value);
        r->post();
        DatMod->DataChanged = changed;
    };
    // The number is taken here, before the save writes anything, and goes into
    // the slip row at once: a slip saved on the way to another row of the list
    // keeps its number in the list, and a save that fails keeps the number for
    // its next try instead of numbering the slip twice.
    if (m->CltReceiptNo == -1) {
        m->CltReceiptNo = RecordNumbers::GetNewDataNo(DatMod->MainDatabase, QStringLiteral("receiptno"));
        writeRow("RECEIPTNO", m->CltReceiptNo);
    }
    if ((mode == 3 || mode == 7 || mode == 8) && m->CltLookupNo == -1) {
        m->CltLookupNo = EncodeMonthCode(ShownYear, ShownMonth);
        writeRow("LookupNo", m->CltLookupNo);
    }
    PublishSlipHeader();
}

void TReceiptList::PublishSlipHeader()
{
    TMeisaiClientDataSet *r = slips();
    if (!r || !r->isActive() || r->isEmpty())
        return;
    TMeisaiSaveState &st = MeisaiSaveState;
    auto date = [r](const char *name) {
        Field *f = r->fieldByName(QLatin1String(name));
        return f->isNull() ? QDate() : f->asDate();
    };
    auto code = [r](const char *name, int none) {
        Field *f = r->fieldByName(QLatin1String(name));
        return f->isNull() ? none : int(f->asInteger());
    };
    st.ReceiptCltRecDate = date("RecDate");
    st.ReceiptCltPayDate = date("PayDate");
    st.ReceiptCltCreditCode = code("CreditCode", 0);
    st.ReceiptCltPayKouza = code("PayKouza", 0);
    st.ReceiptCltShopCode = code("ShopCode", 0);
    st.ReceiptCltShopName = r->fieldByName(QStringLiteral("ShopName"))->asString();
    // A shop typed and then emptied is no new shop to make.
    if (st.ReceiptCltShopCode == -1 && st.ReceiptCltShopName.isEmpty())
        st.ReceiptCltShopCode = 0;
}

void TReceiptList::AfterSlipSaved()
{
    TMeisaiClientDataSet *m = lines();
    TMeisaiClientDataSet *r = slips();
    if (!m || !r || !r->isActive())
        return;
    const int receiptNo = m->CltReceiptNo;
    if (receiptNo > 0 && !r->isEmpty() && r->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger() == -1) {
        const bool changed = DatMod->DataChanged;
        r->edit();
        r->fieldByName(QStringLiteral("RECEIPTNO"))->setAsInteger(receiptNo);
        r->post();
        DatMod->DataChanged = changed;
    }
    const int dataNo = m->isActive() && !m->isEmpty() ? int(m->fieldByName(QStringLiteral("DATANO"))->asInteger()) : -1;
    LoadSlipList();
    if (receiptNo > 0)
        r->locate(QStringLiteral("RECEIPTNO"), receiptNo);
    SlipLinesPending = true;
    LoadSlipLines();
    if (dataNo > 0 && m->isActive())
        m->locate(QStringLiteral("DATANO"), dataNo);
    UpdateGetudoButton();
}

void TReceiptList::SlipAfterScroll()
{
    if (m_inLoad)
        return;
    SlipLinesPending = true;
    emit slipChanged();
    if (AutoLoadLines)
        LoadSlipLines();
}

void TReceiptList::AttachHooks()
{
    if (TMeisaiClientDataSet *m = lines())
        m->OnApplyUpdate = [this](DataSet &) { AssignSlipNumbers(); };
    if (TMeisaiClientDataSet *r = slips())
        r->OnAfterScrolled = [this](DataSet &) { SlipAfterScroll(); };
    m_hooksAttached = true;
}

void TReceiptList::DetachHooks()
{
    // Hooks left behind would call into a list that may be gone.
    if (!DatMod || !std::exchange(m_hooksAttached, false))
        return;
    if (TMeisaiClientDataSet *m = lines())
        m->OnApplyUpdate = nullptr;
    if (TMeisaiClientDataSet *r = slips())
        r->OnAfterScrolled = nullptr;
}

bool TReceiptList::DataSetGetudoUpdate() const
{
    TMeisaiClientDataSet *r = slips();
    TMeisaiClientDataSet *m = lines();
    return r && m && r->isActive() && !r->isEmpty() && m->isActive() && !m->isEmpty()
        && m->state() == DataSetState::Browse && m->changeCount() == 0 && currentReceiptNo() > 0;
}

void TReceiptList::UpdateGetudoButton()
{
    if (FrBtnGetudo)
        FrBtnGetudo->setEnabled(DataSetGetudoUpdate());
}

void TReceiptList::DataSetGetudoExecute()
{
    if (!DataSetGetudoUpdate())
        return;
    TMeisaiClientDataSet *r = slips();
    TMeisaiClientDataSet *m = lines();
    uint16_t year = ShownYear, month = ShownMonth;
    Field *lookup = r->fieldByName(QStringLiteral("LookupNo"));
    if (!lookup->isNull() && lookup->asInteger() > 0)
        DecodeMonthCode(int32_t(lookup->asInteger()), year, month);
    const int dataNo = int(m->fieldByName(QStringLiteral("DATANO"))->asInteger());
    const int receiptNo = currentReceiptNo();
    TFormGetudoChange form(this);
    form.SetupDialog(receiptNo, year, month, InputMode == 3 && (FrameKind == 2 || FrameKind == 3));
    const int result = ModalForms::exec(form);
    if (result != QDialog::Accepted && result != int(mrOk))
        return;
    if (OnJumpToDataNo) {
        OnJumpToDataNo(dataNo);
        return;
    }
    const int code = int(DatMod->MainDatabase.scalar(QStringLiteral("SELECT LOOKUPNO FROM \"Master\" WHERE DATANO = ?"),
                                                     {dataNo}).toInt());
    uint16_t newYear = year, newMonth = month;
    if (code > 0)
        DecodeMonthCode(code, newYear, newMonth);
    LoadSlipMonth(newYear, newMonth, dataNo, receiptNo, true);
}
