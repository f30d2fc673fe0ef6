#include "views/NenSyusiMeisai.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "controls/ShapeBtn.h"
#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "platform/db/Database.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/system/Exception.h"

using namespace Qt::StringLiterals;

namespace {

const QString ArrowDesc = u"↓"_s;
const QString ArrowAsc = u"↑"_s;

// The grid's columns in design order, with their default titles.
struct ColumnDef
{
    const char16_t *field;
    const char16_t *title;
};
constexpr ColumnDef Columns[] = {
    {u"RECDATE", u"日付"},     {u"HimokuName", u"費目"}, {u"QUANTITY", u"数量"},   {u"KINGAKU", u"金額"},
    {u"Hinmei", u"品名"},      {u"ShopName", u"店名"},   {u"ParsonName", u"使用者"}, {u"KouzaName", u"口座"},
};

QString codeList(const THimokuArray &cache)
{
    QStringList codes;
    for (const THimokuData &h : cache)
        codes << QString::number(h.Code);
    return codes.join(u',');
}

} // namespace

TNenSyusiMeisai::TNenSyusiMeisai(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"PnlMeisai"_s);
    buildUi();
}

TNenSyusiMeisai::~TNenSyusiMeisai()
{
    DbGridMeisai->setDataSource(nullptr);
}

void TNenSyusiMeisai::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto *top = new QHBoxLayout;
    LbTitle = new QLabel(u"家計簿の明細"_s, this);
    LbTitle->setObjectName(u"LbTitle"_s);
    QFont bold = LbTitle->font();
    bold.setBold(true);
    LbTitle->setFont(bold);
    top->addWidget(LbTitle, 1);
    FrBtnEdit = new TFrameBtn(this);
    FrBtnEdit->setObjectName(u"FrBtnEdit"_s);
    FrBtnEdit->setText(u"ジャンプ"_s);
    FrBtnEdit->setFixedSize(64, 22);
    FrBtnEdit->setEnabled(false);
    top->addWidget(FrBtnEdit);
    SpBtnMeisaiPnl = new TShapeBtn(this);
    SpBtnMeisaiPnl->setObjectName(u"SpBtnMeisaiPnl"_s);
    SpBtnMeisaiPnl->setText(ArrowDesc);
    SpBtnMeisaiPnl->setFixedSize(24, 22);
    top->addWidget(SpBtnMeisaiPnl);
    layout->addLayout(top);

    LbSimebi = new QLabel(this);
    LbSimebi->setObjectName(u"LbSimebi"_s);
    layout->addWidget(LbSimebi);

    DbGridMeisai = new TMyDBGrid(this);
    DbGridMeisai->setObjectName(u"DbGridMeisai"_s);
    DbGridMeisai->setReadOnly(true);
    DbGridMeisai->setOptions(DBGridOption::dgTitles | DBGridOption::dgColumnResize | DBGridOption::dgColLines |
                             DBGridOption::dgRowLines | DBGridOption::dgRowSelect |
                             DBGridOption::dgAlwaysShowSelection);
    DbGridMeisai->setToolTip(u"タイトルをクリックすると並べ替えをします。"_s);
    DbGridMeisai->setDefaultDrawing(false);
    layout->addWidget(DbGridMeisai, 1);

    auto *nav = new QHBoxLayout;
    auto navButton = [this, nav](QToolButton *&button, const QString &name, Qt::ArrowType arrow, bool edge) {
        button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        if (edge)
            button->setText(arrow == Qt::LeftArrow ? u"|◀"_s : u"▶|"_s);
        button->setToolButtonStyle(edge ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        nav->addWidget(button);
    };
    navButton(NavFirst, u"NavFirst"_s, Qt::LeftArrow, true);
    navButton(NavPrior, u"NavPrior"_s, Qt::LeftArrow, false);
    navButton(NavNext, u"NavNext"_s, Qt::RightArrow, false);
    navButton(NavLast, u"NavLast"_s, Qt::RightArrow, true);
    nav->addStretch(1);
    layout->addLayout(nav);

    QList<TMyDBGridColumn> columns;
    for (const ColumnDef &c : Columns) {
        TMyDBGridColumn col;
        col.fieldName = QString::fromUtf16(c.field);
        col.caption = QString::fromUtf16(c.title);
        if (col.fieldName == u"KINGAKU"_s) {
            col.caption += u"   "_s + ArrowDesc;
            col.titleBold = true;
        }
        if (col.fieldName == u"KINGAKU"_s || col.fieldName == u"QUANTITY"_s)
            col.alignment = Qt::AlignRight | Qt::AlignVCenter;
        columns << col;
    }
    DbGridMeisai->setColumns(columns);

    m_source = new DataSource(this);
    DbGridMeisai->onTitleClick = [this](int column) { TitleClick(column); };
    DbGridMeisai->onDrawColumnCell = [this](QPainter &painter, const QRect &rect, int dataCol, int column,
                                            GridDrawState state) {
        Field *f = DbGridMeisai->columnField(column);
        const bool selected = state.testFlag(GridDrawFlag::Selected);
        QColor background = DbGridMeisai->column(column).color;
        if (!background.isValid())
            background = Qt::white;
        if (selected)
            background = DbGridMeisai->hasFocus() ? QColor(0xAB, 0xDB, 0xFF) : QColor(0xD1, 0xE4, 0xDC);
        QColor text = DbGridMeisai->palette().color(QPalette::Text);
        if (f) {
            if (f->dataType() == FieldType::Currency && f->asCurrency() < Currency())
                text = Qt::red;
            else if (f->dataType() == FieldType::Date && f->asDate().isValid()) {
                const int day = f->asDate().dayOfWeek();
                if (day == 7)
                    text = Qt::red;
                else if (day == 6)
                    text = Qt::blue;
            }
        }
        // A scheduled line is drawn grey in every cell.
        if (m_query && m_query->isActive())
            if (Field *reserved = m_query->findField(u"RESERVED"_s); reserved && reserved->asBoolean())
                text = QColor(128, 128, 128);
        painter.setBrush(background);
        painter.setPen(text);
        DbGridMeisai->drawColumnCellText(painter, rect, dataCol, column, state, 55);
    };

    connect(FrBtnEdit, &QAbstractButton::clicked, this, [this] { JumpToCurrent(); });
    connect(SpBtnMeisaiPnl, &QAbstractButton::clicked, this, [this] {
        setOnRight(!m_onRight);
        emit positionToggled();
    });
    auto move = [this](void (DataSet::*step)()) {
        if (m_query && m_query->isActive())
            (m_query.get()->*step)();
    };
    connect(NavFirst, &QToolButton::clicked, this, [move] { move(&DataSet::first); });
    connect(NavPrior, &QToolButton::clicked, this, [move] { move(&DataSet::prior); });
    connect(NavNext, &QToolButton::clicked, this, [move] { move(&DataSet::next); });
    connect(NavLast, &QToolButton::clicked, this, [move] { move(&DataSet::last); });
}

QStringList TNenSyusiMeisai::BuildSql(const TNenSyusiMeisaiRequest &r, const QString &sortField, bool desc)
{
    if (r.Kind < 1 || r.Kind > 3)
        return {};
    const QString codeColumn = r.Kind == 1 ? u"M.KASICODE"_s : u"M.KARICODE"_s;
    const QString otherColumn = r.Kind == 1 ? u"M.KARICODE"_s : u"M.KASICODE"_s;

    QString kindCondition;
    if (r.Code > 0) {
        if (r.Kind == 3)
            kindCondition = u"AND ((M.KARICODE = %1) OR (M.KASICODE = %1))"_s.arg(r.Code);
        else
            kindCondition = u"AND (%1 = %2)"_s.arg(codeColumn).arg(r.Code);
    } else if (r.Kind == 1) {
        kindCondition = u"AND (M.KASICODE IN (%1))"_s.arg(codeList(IriHimokuArray));
    } else if (r.Kind == 2) {
        kindCondition = u"AND (M.KARICODE IN (%1))"_s.arg(codeList(DeruHimokuArray));
    } else {
        const QString accounts = codeList(KouzaHimokuArray);
        kindCondition = u"AND ((M.KARICODE IN (%1)) OR (M.KASICODE IN (%1)))"_s.arg(accounts);
    }

    const QString direction = desc ? u" DESC"_s : QString();
    QString order;
    if (sortField == u"RECDATE"_s || sortField == u"QUANTITY"_s || sortField == u"KINGAKU"_s)
        order = u"ORDER BY M.%1%2, M.DATANO"_s.arg(sortField, direction);
    else if (sortField == u"HimokuName"_s || sortField == u"Hinmei"_s || sortField == u"ShopName"_s ||
             sortField == u"ParsonName"_s || sortField == u"KouzaName"_s)
        order = u"ORDER BY %1%2, M.RECDATE, M.DATANO"_s.arg(sortField, direction);

    QStringList sql{
        u"SELECT M.DATANO, M.RECDATE, M.QUANTITY, M.KINGAKU, M.HINMEICODE, M.SHOPCODE, M.PERSONCODE, M.RESERVED, "
        "%1 AS CODE, %2 AS KOUZACODE, H.NAME AS HimokuName, I.NAME AS Hinmei, S.NAME AS ShopName, "
        "P.NAME AS ParsonName, K.NAME AS KouzaName"_s.arg(codeColumn, otherColumn),
        u"FROM Master M"_s,
        u"LEFT OUTER JOIN Himoku H ON (%1 = H.CODE)"_s.arg(codeColumn),
        u"LEFT OUTER JOIN HinmeiMast I ON (M.HINMEICODE = I.CODE)"_s,
        u"LEFT OUTER JOIN ShopMast S ON (M.SHOPCODE = S.CODE)"_s,
        u"LEFT OUTER JOIN Person P ON (M.PERSONCODE = P.CODE)"_s,
        u"LEFT OUTER JOIN Himoku K ON (%1 = K.CODE)"_s.arg(otherColumn),
        u"WHERE (M.RECDATE >= :StartDate) AND (M.RECDATE <= :EndDate)"_s,
        kindCondition,
    };
    if (r.JyoukenOn) {
        if (r.HimokuCode != 0)
            sql << u"AND ((M.KARICODE = %1) OR (M.KASICODE = %1))"_s.arg(r.HimokuCode);
        if (r.HinmeiCode != 0)
            sql << u"AND (M.HINMEICODE = %1)"_s.arg(r.HinmeiCode);
        if (r.ShopCode != 0)
            sql << u"AND (M.SHOPCODE = %1)"_s.arg(r.ShopCode);
        if (r.PersonCode != 0)
            sql << u"AND (M.PERSONCODE = %1)"_s.arg(r.PersonCode);
        if (r.KouzaCode != 0)
            sql << u"AND ((M.KARICODE = %1) OR (M.KASICODE = %1))"_s.arg(r.KouzaCode);
    }
    // An empty RESERVED is a booked line, as the tables count it.
    if (!r.IncludeReserved)
        sql << u"AND (COALESCE(M.RESERVED, 0) = 0)"_s;
    if (!order.isEmpty())
        sql << order;
    return sql;
}

void TNenSyusiMeisai::ShowLines(Database &db, const TNenSyusiMeisaiRequest &request)
{
    if (request.Kind < 1 || request.Kind > 3)
        return;
    m_request = request;
    m_haveRequest = true;
    m_db = &db;
    const QStringList sql = BuildSql(request, m_sortField, m_desc);
    if (!m_query || &m_query->database() != &db) {
        DbGridMeisai->setDataSource(nullptr);
        m_source->setDataSet(nullptr);
        m_query = std::make_unique<Query>(db);
    }
    DbGridMeisai->setDataSource(nullptr);
    m_source->setDataSet(nullptr);
    if (m_query->isActive())
        m_query->close();
    m_query->SQL = sql;
    m_query->paramByName(u"StartDate"_s).setAsDate(request.StartDate);
    m_query->paramByName(u"EndDate"_s).setAsDate(request.EndDate);
    try {
        m_query->open();
    } catch (const EDatabaseError &e) {
        updateJump();
        throw Exception(u"明細を読み込めませんでした。\n\n"_s + e.message());
    } catch (...) {
        updateJump();
        throw;
    }
    prepareFields();
    m_source->setDataSet(m_query.get());
    DbGridMeisai->setDataSource(m_source);
    applyTitles();
    updateJump();
}

void TNenSyusiMeisai::prepareFields()
{
    if (Field *f = m_query->findField(u"RECDATE"_s)) {
        f->setDisplayLabel(u"日付"_s);
        // The weekday in Japanese whatever the desktop's language.
        f->OnGetText = [](Field &field, QString &text, bool) {
            const QDate d = field.asDate();
            text = d.isValid() ? QLocale(QLocale::Japanese).toString(d, u"yy.MM.dd (ddd)"_s) : QString();
        };
    }
    if (Field *f = m_query->findField(u"KINGAKU"_s)) {
        f->setDisplayLabel(u"金額"_s);
        f->OnGetText = [](Field &field, QString &text, bool) {
            text = field.isNull() ? QString() : KingakuToStr(field.asCurrency());
        };
    }
    if (Field *f = m_query->findField(u"QUANTITY"_s))
        f->setDisplayLabel(u"数量"_s);
}

void TNenSyusiMeisai::Reload()
{
    if (m_haveRequest && m_db)
        ShowLines(*m_db, m_request);
}

void TNenSyusiMeisai::CloseList()
{
    DbGridMeisai->setDataSource(nullptr);
    m_source->setDataSet(nullptr);
    if (m_query) {
        if (m_query->isActive())
            m_query->close();
        m_query->SQL.clear();
    }
    m_query.reset();
    m_db = nullptr;
    m_haveRequest = false;
    updateJump();
}

void TNenSyusiMeisai::SetCaption(const QString &title, const QDate &start, const QDate &end)
{
    LbTitle->setText(title);
    if (!start.isValid() || !end.isValid() || start > end) {
        LbSimebi->clear();
        return;
    }
    LbSimebi->setText(u"集計期間 "_s + start.toString(u"yy.MM.dd"_s) + u" ～ "_s + end.toString(u"yy.MM.dd"_s));
}

void TNenSyusiMeisai::ClearPeriod()
{
    LbSimebi->clear();
}

void TNenSyusiMeisai::SelectKind(int kind, bool quantityVisible, bool kouzaVisible)
{
    const bool wasIriDeru = m_kind == 1 || m_kind == 2;
    const bool isIriDeru = kind == 1 || kind == 2;
    if (!(wasIriDeru && isIriDeru) && kind != 0) {
        // The account context shows where money went to and came from, next to
        // the date; the category context keeps the account last.
        QList<TMyDBGridColumn> cols = DbGridMeisai->columns();
        int kouzaIndex = -1;
        for (int i = 0; i < cols.size(); ++i)
            if (cols[i].fieldName == u"KouzaName"_s)
                kouzaIndex = i;
        if (kouzaIndex >= 0) {
            const int target = kind == 3 ? 2 : int(cols.size()) - 1;
            if (kouzaIndex != target)
                DbGridMeisai->moveColumn(kouzaIndex, target);
        }
    }
    if (kind != 0) {
        QList<TMyDBGridColumn> cols = DbGridMeisai->columns();
        for (TMyDBGridColumn &c : cols)
            if (c.fieldName == u"QUANTITY"_s)
                c.visible = quantityVisible;
        DbGridMeisai->setColumns(cols);
    }
    if (kind != m_kind) {
        m_kind = kind;
        // Alternate column colours in the table's own shade.
        QColor odd;
        QColor even = Qt::white;
        switch (kind) {
        case 1: odd = QColor(0xF2, 0xF4, 0xFD); break;
        case 2: odd = QColor(0xFD, 0xF8, 0xF7); break;
        case 3: odd = QColor(0xF7, 0xFC, 0xF4); break;
        default:
            odd = QColor(0xF7, 0xFB, 0xF4);
            even = QColor(0xFB, 0xF8, 0xF2);
            break;
        }
        QList<TMyDBGridColumn> cols = DbGridMeisai->columns();
        for (int i = 0; i < cols.size(); ++i)
            cols[i].color = i % 2 ? odd : even;
        DbGridMeisai->setColumns(cols);
    }
    SetKouzaColumnVisible(kouzaVisible);
    applyTitles();
}

void TNenSyusiMeisai::SetKouzaColumnVisible(bool visible)
{
    QList<TMyDBGridColumn> cols = DbGridMeisai->columns();
    bool changed = false;
    for (TMyDBGridColumn &c : cols)
        if (c.fieldName == u"KouzaName"_s && c.visible != visible) {
            c.visible = visible;
            changed = true;
        }
    if (changed)
        DbGridMeisai->setColumns(cols);
}

void TNenSyusiMeisai::applyTitles()
{
    QList<TMyDBGridColumn> cols = DbGridMeisai->columns();
    for (TMyDBGridColumn &c : cols) {
        QString title;
        for (const ColumnDef &d : Columns)
            if (c.fieldName == QString::fromUtf16(d.field))
                title = QString::fromUtf16(d.title);
        // The account captions stay through a sort.
        if (m_kind == 3 && c.fieldName == u"HimokuName"_s)
            title = u"入金先"_s;
        if (m_kind == 3 && c.fieldName == u"KouzaName"_s)
            title = u"出金元"_s;
        const bool sorted = c.fieldName == m_sortField;
        c.caption = sorted ? title + u"   "_s + (m_desc ? ArrowDesc : ArrowAsc) : title;
        c.titleBold = sorted;
    }
    DbGridMeisai->setColumns(cols);
}

void TNenSyusiMeisai::TitleClick(int column)
{
    if (lineCount() == 0)
        return;
    const TMyDBGridColumn c = DbGridMeisai->column(column);
    if (c.fieldName.isEmpty())
        return;
    if (c.fieldName == m_sortField) {
        m_desc = !m_desc;
    } else {
        m_sortField = c.fieldName;
        m_desc = false;
    }
    applyTitles();
    Reload();
}

int TNenSyusiMeisai::lineCount() const
{
    return m_query && m_query->isActive() ? m_query->recordCount() : 0;
}

int TNenSyusiMeisai::currentDataNo() const
{
    if (lineCount() == 0)
        return 0;
    Field *f = m_query->findField(u"DATANO"_s);
    return f ? f->asInteger() : 0;
}

void TNenSyusiMeisai::JumpToCurrent()
{
    const int dataNo = currentDataNo();
    if (dataNo == 0)
        return;
    if (JumpToDataNo)
        JumpToDataNo(dataNo);
}

void TNenSyusiMeisai::updateJump()
{
    FrBtnEdit->setEnabled(lineCount() > 0 && bool(JumpToDataNo));
}

void TNenSyusiMeisai::setOnRight(bool right)
{
    m_onRight = right;
    SpBtnMeisaiPnl->setText(right ? ArrowDesc : ArrowAsc);
}

std::function<bool(int dataNo)> TNenSyusiMeisai::JumpToDataNo;
