#include "printing/ReportGrid.h"

#include <cmath>

#include <QAbstractItemModel>
#include <QDate>
#include <QHeaderView>
#include <QTableView>

#include "controls/MyDBGrid.h"
#include "data/HimokuCache.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

namespace {

const QColor Red(0xFF, 0, 0);
const QColor Blue(0, 0, 0xFF);

// A date behind a cell: the typed value, or the text the cell shows.
QDate cellDate(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString text = value.toString().trimmed();
    for (const QString &format : {u"yyyy/MM/dd"_s, u"yyyy-MM-dd"_s, u"yyyy/M/d"_s, u"yy/MM/dd"_s, u"yy.MM.dd"_s}) {
        QDate d = QDate::fromString(text.left(format.size() + 2).section(u'(', 0, 0), format);
        if (d.isValid()) {
            if (format.startsWith(u"yy/"_s) || format.startsWith(u"yy."_s))
                d = d.addYears(100);   // two-digit years are this century's
            return d;
        }
    }
    return QDate();
}

// The sign of an amount cell: typed, or read from the text shown.
bool cellNegative(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString) {
        QString t = value.toString();
        t.remove(u',');
        return t.trimmed().startsWith(u'-') || t.trimmed().startsWith(u'▲');
    }
    return value.toDouble() < 0;
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

TFrameAutoLightRep::TFrameAutoLightRep()
{
    LightRep.SetMargins(40, 78, 30, 40);
    auto font = [](int px) { return ReportFont(px); };

    auto footer = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlFooter"_s);
    footer->setBounds(QRect(0, 100000, 10, 16));   // below the main band
    LRLyoPnlFooter = LightRep.add(std::move(footer));
    auto title = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlTitle"_s);
    title->setBounds(QRect(0, 0, 10, 54));
    LRLyoPnlTitle = LightRep.add(std::move(title));
    auto main = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlMain"_s);
    main->setBounds(QRect(0, 54, 10, 900));
    LRLyoPnlMain = LightRep.add(std::move(main));

    auto grid = std::make_unique<TLRGridPanel>(u"LRGridPanel"_s);
    grid->LRAlign = laClient;
    LRGridPanel = LRLyoPnlMain->add(std::move(grid));
    auto head = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlColumHead"_s);
    head->setBounds(QRect(0, 0, 10, 15));
    LRLyoPnlColumHead = LRLyoPnlMain->add(std::move(head));
    auto carry = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlGridTop"_s);
    carry->setBounds(QRect(0, 15, 10, 15));
    LRLyoPnlGridTop = LRLyoPnlMain->add(std::move(carry));

    ItTitle = LRLyoPnlTitle->add(std::make_unique<TLRItem>(u"ItTitle"_s));
    ItTitle->Font = font(18);
    ItTitle->WordWrap = true;
    ItTitle->SetHMargin(5);
    ItTitle->SetVMargin(2);
    ItTitle->LineColor = QColor(0x5E, 0x5E, 0x5E);
    ItTitle->LineBottom = lsSingle;
    ItNenGetudo = LRLyoPnlTitle->add(std::make_unique<TLRItem>(u"ItNenGetudo"_s));
    ItNenGetudo->Font = font(15);
    ItNenGetudo->Layout = tlBottom;
    ItKikan = LRLyoPnlTitle->add(std::make_unique<TLRItem>(u"ItKikan"_s));
    ItKikan->Font = font(12);
    ItKikan->Alignment = Qt::AlignRight;
    ItKikan->Layout = tlBottom;
    ItSubTitle = LRLyoPnlTitle->add(std::make_unique<TLRItem>(u"ItSubTitle"_s));
    ItSubTitle->Font = font(15);
    ItSubTitle->Alignment = Qt::AlignRight;

    ItemDate = LRLyoPnlFooter->add(std::make_unique<TLRItem>(u"ItemDate"_s));
    ItemDate->Font = font(9);
    ItemDate->SetVMargin(0);   // a whole line fits the 16-pixel footer only without a margin
    ItemDate->SetHMargin(4);
    ItemPage = LRLyoPnlFooter->add(std::make_unique<TLRItem>(u"ItemPage"_s));
    ItemPage->Font = font(11);
    ItemPage->SetVMargin(0);   // a whole line fits the 16-pixel footer only without a margin
    ItemPage->Alignment = Qt::AlignHCenter;
    ItBottomTitle = LRLyoPnlFooter->add(std::make_unique<TLRItem>(u"ItBottomTitle"_s));
    ItBottomTitle->Font = font(11);
    ItBottomTitle->SetVMargin(0);   // a whole line fits the 16-pixel footer only without a margin
    ItBottomTitle->Alignment = Qt::AlignRight;

    ApplyLineStyle();

    LRLyoPnlFooter->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        ItemDate->SetText(u"Print "_s + QDate::currentDate().toString(u"yy/MM/dd"_s));
        ItemPage->SetText(PageCount < 2 ? u"- %1 -"_s.arg(LightRep.PageNumber())
                                        : u"- %1/%2 -"_s.arg(LightRep.PageNumber()).arg(PageCount));
        ItBottomTitle->SetText(ItNenGetudo->Text() + u"   "_s + ItTitle->Text());
    };
    LRGridPanel->BeforePrint = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        RowsPrinted = 0;
        LastDateText.clear();
        if (!m_cursor.active() || BalanceField < 0 || CarryLabelField < 0)
            return;
        TLRItem *label = nullptr;
        TLRItem *balance = nullptr;
        for (int i = 0; i < DataItems.size(); ++i) {
            if (DataItems[i]->Column == CarryLabelField)
                label = CarryItems[i];
            if (DataItems[i]->Column == BalanceField)
                balance = CarryItems[i];
        }
        if (!label || !balance)
            return;
        label->Alignment = Qt::AlignHCenter;
        label->SetHMargin(0);
        balance->Alignment = Qt::AlignRight;
        balance->SetHMargin(ItemHMargin);
        // The balance carried is the one after the last record of the previous page.
        if (m_cursor.bof() || m_cursor.row > m_cursor.recordCount()) {
            label->SetText(QString());
            balance->SetText(QString());
            return;
        }
        TReportCursor previous = m_cursor;
        previous.row = m_cursor.row - 1;
        label->SetText(u"前ページより繰越"_s);
        balance->SetText(previous.displayText(BalanceField));
        balance->FontColor = cellNegative(previous.value(BalanceField)) ? Red : QColor(Qt::black);
    };
    LRGridPanel->OnPrintPanel = [this](TLRGridPanel *, int, int, const QRect &, TPrintStatus &status) {
        if (!m_cursor.active())
            return;
        ++RowsPrinted;
        if (m_cursor.eof())
            status = psLineOnly;   // an empty ruled row
    };
    LRGridPanel->BeforePrintPanel() = [this](TCustomLRPanel *, const QRect &, TPrintStatus &) {
        // A stronger line above rows 1, 6, 11, … guides the eye along the page.
        LRGridPanel->ChildLines().LineTop = RowsPrinted % 5 == 1 ? lsSingle : lsHalf;
    };
    LRGridPanel->AfterPrintPanel() = [this](TCustomLRPanel *) {
        if (m_cursor.active() && !m_cursor.eof())
            m_cursor.next();
    };
}

TFrameAutoLightRep::~TFrameAutoLightRep() = default;

void TFrameAutoLightRep::ApplyLineStyle()
{
    LightRep.set(QColor(0, 0, 0x80), lsNone, lsNone, lsNone, lsNone);
    LRLyoPnlTitle->set(QColor(0x77, 0x77, 0xBB), lsNone, lsNone, lsNone, lsNone);
    LRLyoPnlColumHead->set(QColor(0xFF, 0x80, 0xC0), lsNone, lsNone, lsNone, lsSingle);
    LRLyoPnlGridTop->set(QColor(0xA7, 0xE7, 0xEF), lsNone, lsNone, lsNone, lsSingle);
    LRLyoPnlMain->set(QColor(0x5E, 0x5E, 0x5E), lsSingle, lsSingle, lsSingle, lsSingle);
    LRGridPanel->set(QColor(0x80, 0x80, 0xC0), lsSingle, lsNone, lsNone, lsSingle);
    LRGridPanel->ChildLines().set(QColor(0xA7, 0xE7, 0xEF), lsNone, lsNone, lsNone, lsHalf);
    LRLyoPnlFooter->set(Qt::black, lsNone, lsNone, lsNone, lsNone);
}

void TFrameAutoLightRep::SetDBGrid(QTableView *grid)
{
    m_grid = grid;
    if (!grid || !grid->model())
        return;
    QAbstractItemModel *model = grid->model();
    m_cursor.model = model;
    m_cursor.row = 0;
    // The grid's font, in pixels at 96 per inch.
    const QFont gridFont = grid->font();
    m_fontHeight = gridFont.pixelSize() > 0 ? gridFont.pixelSize()
                   : gridFont.pointSizeF() > 0 ? int(std::lround(gridFont.pointSizeF() * 96 / 72))
                                               : 12;
    if (auto *dbGrid = qobject_cast<TMyDBGrid *>(grid)) {
        // The data grid's own column list, in the order shown: a column whose
        // field the data set lacks has no model column and nothing to print.
        ::DataSet *ds = dbGrid->dataSet();
        for (const TMyDBGridColumn &c : dbGrid->columns()) {
            Field *field = ds ? ds->findField(c.fieldName) : nullptr;
            const int column = dbGrid->dataModel()->columnOf(c.fieldName);
            if (!c.visible || !field || column < 0)
                continue;
            ColumnKind kind = ckText;
            Qt::Alignment alignment = Qt::AlignLeft;
            switch (field->dataType()) {
            case FieldType::Date: kind = ckDate; break;
            case FieldType::Currency: kind = ckAmount; alignment = Qt::AlignRight; break;
            case FieldType::Smallint:
            case FieldType::Integer:
            case FieldType::Float: alignment = Qt::AlignRight; break;
            default: break;
            }
            if (c.alignment & Qt::AlignHorizontal_Mask)
                alignment = c.alignment & Qt::AlignHorizontal_Mask;
            AddColumn(c.caption.isEmpty() ? field->displayLabel() : c.caption, c.width, column, alignment, kind);
        }
        AutoWidth = true;
        Layout();
        return;
    }
    QHeaderView *header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (column < 0 || grid->isColumnHidden(column))
            continue;
        ColumnKind kind = ckText;
        Qt::Alignment alignment = Qt::AlignLeft;
        const QString caption = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int probe = qMin(model->rowCount(), 50);
        for (int r = 0; r < probe; ++r) {
            const QVariant v = model->data(model->index(r, column), Qt::EditRole);
            if (v.isNull())
                continue;
            if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
                kind = ckDate;
            else if (isNumber(v))
                kind = ckAmount;
            break;
        }
        const QVariant a = model->data(model->index(0, column), Qt::TextAlignmentRole);
        const Qt::Alignment h = Qt::Alignment(a.toInt()) & Qt::AlignHorizontal_Mask;
        alignment = h & Qt::AlignRight ? Qt::AlignRight : h & Qt::AlignHCenter ? Qt::AlignHCenter : Qt::AlignLeft;
        if (kind == ckAmount && !(alignment & Qt::AlignRight))
            kind = ckText;   // numbers shown as codes, not amounts
        AddColumn(caption, grid->columnWidth(column), column, alignment, kind);
    }
    AutoWidth = true;
    Layout();
}

void TFrameAutoLightRep::AddColumn(const QString &caption, int width, int column, Qt::Alignment alignment,
                                   ColumnKind kind)
{
    auto styled = [&](TLRItem *item) {
        item->setWidth(width);
        item->Layout = tlCenter;
        item->Transparent = true;
        item->LineColor = ItemLineColor;
        item->LineLeft = lsHalf;
        item->Font = ReportFont(m_fontHeight);
    };
    TLRItem *head = LRLyoPnlColumHead->add(std::make_unique<TLRItem>(u"Head%1"_s.arg(HeadItems.size())));
    styled(head);
    head->SetText(caption);
    head->Alignment = Qt::AlignHCenter;
    head->SetHMargin(0);
    head->FontColor = QColor(0, 0, 0x80);
    HeadItems << head;
    TLRItem *carry = LRLyoPnlGridTop->add(std::make_unique<TLRItem>(u"Carry%1"_s.arg(CarryItems.size())));
    styled(carry);
    carry->Alignment = Qt::AlignHCenter;
    carry->SetHMargin(0);
    CarryItems << carry;
    TLRDBItem *data =
        LRGridPanel->ChildPanel()->add(std::make_unique<TLRDBItem>(u"Data%1"_s.arg(DataItems.size())));
    styled(data);
    data->Alignment = alignment;
    data->SetHMargin(ItemHMargin);
    data->DataSource = &m_cursor;
    data->Column = column;
    data->FieldName = caption.isEmpty() ? u"Column%1"_s.arg(column) : caption;
    data->OnGetText = [this](TLRItem *sender, QString &text) { ItemGetText(sender, text); };
    DataItems << data;
    Kinds << kind;
}

void TFrameAutoLightRep::Layout()
{
    const int rh = m_fontHeight * 13 / 10;
    const int n = (LightRep.height() - LightRep.MarginTop() - LightRep.MarginBottom() - LRLyoPnlFooter->height() -
                   LRLyoPnlTitle->height()) /
                  rh;
    const bool carry = BalanceField >= 0 && CarryLabelField >= 0;
    LRLyoPnlMain->setHeight(rh * n);
    LRLyoPnlColumHead->setHeight(rh);
    if (carry) {
        LRLyoPnlGridTop->setHeight(rh);
    } else {
        LRLyoPnlGridTop->setHeight(0);
        LRLyoPnlGridTop->LineColor = LRLyoPnlColumHead->LineColor;
    }
    LightRep.realign();
    LRLyoPnlMain->realign();
    LRGridPanel->SetRowCount(carry ? n - 2 : n - 1);

    const int titleWidth = LRLyoPnlTitle->width();
    ItTitle->setBounds(QRect(0, 0, titleWidth * 3 / 5, 32));
    ItSubTitle->setBounds(QRect(titleWidth - titleWidth * 2 / 5, 0, titleWidth * 2 / 5, 32));
    ItNenGetudo->setBounds(QRect(0, 32, titleWidth / 2, 22));
    ItKikan->setBounds(QRect(titleWidth - titleWidth / 2, 32, titleWidth / 2, 22));
    const int footerWidth = LRLyoPnlFooter->width();
    ItemDate->setBounds(QRect(3, 0, 160, 16));
    ItemPage->setBounds(QRect((footerWidth - 140) / 2, 0, 140, 16));
    ItBottomTitle->setBounds(QRect(footerWidth - footerWidth * 2 / 5, 0, footerWidth * 2 / 5, 16));

    const int cellHeight = LRGridPanel->ChildPanel()->height();
    int sum = 0;
    bool zero = false;
    for (int i = 0; i < HeadItems.size(); ++i) {
        HeadItems[i]->setTop(0);
        HeadItems[i]->setHeight(LRLyoPnlColumHead->height());
        CarryItems[i]->setTop(0);
        CarryItems[i]->setHeight(LRLyoPnlGridTop->height());
        DataItems[i]->setTop(0);
        DataItems[i]->setHeight(cellHeight);
        sum += DataItems[i]->width();
        zero = zero || DataItems[i]->width() == 0;
    }
    const int gridWidth = LRGridPanel->width();
    const int count = int(HeadItems.size());
    int x = 0;
    for (int i = 0; i < count; ++i) {
        int w;
        if (i == count - 1)
            w = gridWidth - x;
        else if (!AutoWidth)
            w = HeadItems[i]->width();
        else if (zero || sum == 0)
            w = gridWidth / count;
        else
            w = int(std::nearbyint(double(HeadItems[i]->width()) * gridWidth / sum));
        for (TLRItem *item : {HeadItems[i], CarryItems[i], static_cast<TLRItem *>(DataItems[i])}) {
            item->setLeft(x);
            item->setWidth(w);
        }
        x += w;
    }
}

void TFrameAutoLightRep::ItemGetText(TLRItem *sender, QString &text)
{
    const int index = int(DataItems.indexOf(static_cast<TLRDBItem *>(sender)));
    if (index < 0)
        return;
    const ColumnKind kind = Kinds[index];
    if (kind == ckDate) {
        const QDate date = cellDate(m_cursor.value(DataItems[index]->Column));
        if (index == 0) {
            if (text == LastDateText)
                text.clear();
            else
                LastDateText = text;
        }
        QColor colour = Qt::black;
        if (date.isValid()) {
            if (date.dayOfWeek() == Qt::Sunday || IsHoliday(date))
                colour = Red;
            else if (date.dayOfWeek() == Qt::Saturday)
                colour = Blue;
        }
        sender->FontColor = colour;
    } else if (kind == ckAmount) {
        sender->FontColor = cellNegative(m_cursor.value(DataItems[index]->Column)) ? Red : QColor(Qt::black);
    }
}

int TFrameAutoLightRep::ComputePageCount()
{
    const int rows = RowsPerPage();
    PageCount = rows > 0 ? (RecordCount() + rows - 1) / rows : 0;
    return PageCount;
}

void TFrameAutoLightRep::PositionPage(int page)
{
    m_cursor.row = (page - 1) * RowsPerPage();
}

bool TFrameAutoLightRep::Print(QPagedPaintDevice &device, QString *why)
{
    if (!m_cursor.active() || HeadItems.isEmpty() || RecordCount() == 0) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    ComputePageCount();
    return PrintReportPages(device, LightRep, PageCount, [this](int page) { PositionPage(page); }, why);
}

bool TFrameAutoLightRep::PrintToPdf(const QString &file, QString *why)
{
    if (!m_cursor.active() || HeadItems.isEmpty() || RecordCount() == 0) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    ComputePageCount();
    return PrintReportToPdf(file, LightRep, PageCount, [this](int page) { PositionPage(page); }, why);
}
