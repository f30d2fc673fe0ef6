#include "main/FrameSelecter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAbstractListModel>
#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/MyCalendar.h"
#include "data/DatMod.h"
#include "main/ChoicePanel.h"
#include "main/FormFukuHinmei.h"
#include "main/SelecterHeader.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

// The rows of the open list, copied once per (re)open: the view paints only
// the tiles it shows, so thousands of choices cost one pass over the result.
class TSelecterModel : public QAbstractListModel
{
public:
    struct Row
    {
        int code;
        bool hasCode;
        QString name;
    };
    std::vector<Row> rows;
    const TFrameSelecter *owner = nullptr;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(rows.size()))
            return {};
        const Row &r = rows[size_t(index.row())];
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return owner->tileText(r.code, r.name);
        if (role == Qt::UserRole)
            return r.hasCode ? QVariant(r.code) : QVariant();
        return {};
    }
    void reset(std::vector<Row> &&newRows)
    {
        beginResetModel();
        rows = std::move(newRows);
        endResetModel();
    }
};

namespace {

// A tile: the current one with a gradient (bluer while the list has the
// focus), the others flat; a silver edge on the top and left.
class TileDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // A tile fills its cell of the grid.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (const auto *view = qobject_cast<const QListView *>(option.widget); view && view->gridSize().isValid())
            return view->gridSize();
        return QStyledItemDelegate::sizeHint(option, index);
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const auto *view = qobject_cast<const QListView *>(option.widget);
        const bool current = view && view->currentIndex() == index;
        const bool focused = view && view->hasFocus();
        const QRect r = option.rect.adjusted(1, 1, 0, 0);
        painter->save();
        if (current) {
            const QColor base = focused ? QColor(0xAB, 0xDB, 0xFF) : QColor(0xD1, 0xE4, 0xDC);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, base.lighter(130));
            g.setColorAt(1, base);
            painter->fillRect(r, g);
        } else {
            painter->fillRect(r, QColor(0xF4, 0xF5, 0xED));
        }
        painter->setPen(QColor(0xC0, 0xC0, 0xC0));
        painter->drawLine(option.rect.topLeft(), option.rect.topRight());
        painter->drawLine(option.rect.topLeft(), option.rect.bottomLeft());
        painter->setPen(option.palette.color(QPalette::Text));
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect textRect = r.adjusted(4, 0, -2, 0);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                          option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        painter->restore();
    }
};

QString intLine(const QString &text, int n)
{
    return text + QString::number(n) + u')';
}

bool isIntText(const QString &text)
{
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

} // namespace

bool TFrameSelecter::KindHasList(int kind)
{
    return kind == 7 || (kind >= 9 && kind <= 19) || (kind >= 21 && kind <= 23);
}

QStringList TFrameSelecter::BuildListSql(int kind, int code, int pageKind, const QString &filterText,
                                         bool showCodes)
{
    const QString filter = filterText.trimmed();
    const bool filtered = !filter.isEmpty();
    const bool byCode = showCodes && isIntText(filter);
    // The typed text as an SQL operand: digits only for a code, else the escaped LIKE pattern.
    const QString codeLike = u"'"_s + filter + u"%'"_s;
    const QString nameLike = MakeLikeContains(filter);
    const int c = kind == 11 ? 13 : code;
    QStringList s;
    auto hFilter = [&] {
        if (!filtered)
            return;
        if (byCode)
            s << u" AND (CAST(H.CODE AS CHAR(10)) LIKE %1) AND (H.CODE >= 100)"_s.arg(codeLike);
        else
            s << u" AND (H.NAME LIKE %1)"_s.arg(nameLike);
    };
    switch (kind) {
    case 7:
        s << u"SELECT H.CODE, H.Name,H.POS"_s << u"FROM \"Himoku.db\" H"_s << u"WHERE (H.VISIBLE = true)"_s;
        if (pageKind == 3)
            s << intLine(u" AND (H.BUNRUI > "_s, 2) << intLine(u" AND (H.CODE <> "_s, c);
        else
            s << intLine(u" AND (H.BUNRUI = "_s, pageKind);
        hFilter();
        s << u"ORDER BY H.POS"_s;
        break;
    case 9:
        if (!filtered) {
            s << u"SELECT DISTINCT H.CODE, H.NAME"_s << u"FROM \"HinmeiList.db\" L, \"HinmeiMast.db\" H"_s
              << u"WHERE"_s;
            if (c > 0)
                s << intLine(u"(L.HIMOKUCODE = "_s, c) << u"AND"_s;
            s << u"(L.KOCODE = 0)"_s << u"AND (H.CODE = L.OYACODE)"_s << u"AND (L.VISIBLE = TRUE)"_s
              << u"ORDER BY  H.NAME"_s;
        } else {
            // Every item of that name registered under the category or used with it.
            const bool own = c > 0 && c != 11;
            s << u"SELECT DISTINCT H.CODE, H.NAME"_s << u"FROM \"HinmeiMast.db\" H"_s << u"WHERE"_s;
            if (byCode)
                s << u"(CAST(H.CODE AS CHAR(10)) LIKE %1) AND (H.CODE > 100)"_s.arg(codeLike);
            else
                s << u"(H.NAME LIKE %1)"_s.arg(nameLike);
            s << u"AND"_s << u"("_s << u" (H.CODE IN (SELECT L.OYACODE"_s << u"              FROM \"HinmeiList.db\" L"_s;
            if (own)
                s << u"              WHERE L.HIMOKUCODE = %1"_s.arg(c);
            s << u" )           )"_s << u" OR"_s << u" (H.CODE IN (SELECT L.KOCODE"_s
              << u"              FROM \"HinmeiList.db\" L"_s;
            if (own)
                s << u"              WHERE L.HIMOKUCODE = %1"_s.arg(c);
            s << u" )           )"_s;
            auto used = [&](const QString &column) {
                s << u" OR"_s << u" (H.CODE IN (SELECT M.HINMEICODE"_s << u"              FROM \"Master.db\" M"_s;
                if (own)
                    s << u"              WHERE M.%1 = %2"_s.arg(column).arg(c);
                s << u" )           )"_s;
            };
            if (pageKind == 1 || pageKind == 3)
                used(u"KASICODE"_s);
            if (pageKind == 2 || pageKind == 3)
                used(u"KARICODE"_s);
            s << u" )"_s << u"ORDER BY H.NAME"_s;
        }
        break;
    case 10:
    case 11:
        if (!filtered) {
            s << u"SELECT DISTINCT  S.CODE, S.NAME"_s << u"FROM \"ShopList.db\" L, \"ShopMast.db\" S"_s << u"WHERE"_s;
            if (c > 0)
                s << intLine(u"(L.HIMOKUCODE = "_s, c) << u"AND"_s;
            s << u"(L.KOCODE = 0)"_s << u"AND (S.CODE = L.OYACODE)"_s << u"AND (L.VISIBLE = TRUE)"_s
              << u"ORDER BY  S.NAME"_s;
        } else {
            s << u"SELECT DISTINCT S.CODE, S.NAME"_s << u"FROM \"ShopMast.db\" S"_s << u"WHERE"_s;
            if (byCode)
                s << u" (CAST(S.CODE AS CHAR(10)) LIKE %1) AND (S.CODE > 100)"_s.arg(codeLike);
            else
                s << u" (S.NAME LIKE %1)"_s.arg(nameLike);
            s << u"ORDER BY S.NAME"_s;
        }
        break;
    case 12:
        if (!filtered) {
            s << u"SELECT DISTINCT P.CODE ,P.NAME"_s << u"FROM \"Person.db\" P"_s << u"WHERE (P.VISIBLE = TRUE)"_s;
        } else {
            s << u"SELECT DISTINCT P.CODE, P.NAME"_s << u"FROM \"Person.db\" P"_s << u"WHERE"_s;
            if (byCode)
                s << u"(CAST(P.CODE AS CHAR(10)) LIKE %1) AND (P.CODE > 100)"_s.arg(codeLike);
            else
                s << u"P.NAME LIKE %1"_s.arg(nameLike);
            s << u"ORDER BY  P.NAME"_s;
        }
        break;
    case 13:
    case 21:
        s << u"SELECT H.CODE, H.Name"_s << u"FROM \"Himoku.db\" H"_s << u"WHERE (H.VISIBLE = true)"_s
          << intLine(u" AND (H.BUNRUI > "_s, 2) << intLine(u" AND (H.CODE <> "_s, c);
        hFilter();
        s << u"ORDER BY H.CODE"_s;
        break;
    case 14:
        s << u"SELECT H.CODE, H.Name"_s << u"FROM \"Himoku.db\" H"_s << u"WHERE (H.VISIBLE = true)"_s
          << intLine(u" AND (H.BUNRUI > "_s, 2);
        hFilter();
        s << u"ORDER BY H.CODE"_s;
        break;
    case 15:
    case 16:
    case 17:
        s << u"SELECT H.CODE, H.BUNRUI, H.Name"_s << u"FROM \"Himoku.db\" H"_s << u"WHERE (H.VISIBLE = true)"_s;
        if (kind == 16)
            s << intLine(u" AND (H.BUNRUI <> "_s, 1);
        else if (kind == 17)
            s << intLine(u" AND (H.BUNRUI <> "_s, 2);
        s << intLine(u" AND (H.CODE <> "_s, c);
        hFilter();
        s << u"ORDER BY H.BUNRUI,H.CODE"_s;
        break;
    case 18:
    case 22:
        s << u"SELECT N.CODE, CAST(N.CODE AS CHARACTER(10)) as Name "_s << u"FROM \"Number.db\" N"_s
          << (kind == 18 ? u"WHERE (N.CODE < 3)"_s : u"WHERE (N.CODE < 2)"_s);
        break;
    case 19:
    case 23:
        s << u"SELECT H.CODE, H.NAME,H.POS"_s << u"FROM \"Himoku.db\" H"_s << u"WHERE (H.VISIBLE = TRUE)"_s
          << intLine(u" AND (H.BUNRUI = "_s, kind == 19 ? 9 : 8);
        if (kind == 19)
            hFilter();
        s << u"ORDER BY H.POS"_s;
        break;
    default:
        break;
    }
    return s;
}

TFrameSelecter::TFrameSelecter(QWidget *parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFC, 0xF2, 0xED));
    setPalette(pal);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setSpacing(2);

    // The title, 一括 and the filter box on top; the write modes under them,
    // never squeezed below their captions.
    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(4);
    BvlLbTitle = new QLabel(bar);
    BvlLbTitle->setObjectName(u"BvlLbTitle"_s);
    barLayout->addWidget(BvlLbTitle);
    SpBtnAll = new QToolButton(bar);
    SpBtnAll->setText(u"一括"_s);
    SpBtnAll->setCheckable(true);
    SpBtnAll->setToolTip(u"次の選択をこのページのすべての明細に書きこみます"_s);
    barLayout->addWidget(SpBtnAll);
    FrBtnFuku = new QToolButton(bar);
    FrBtnFuku->setText(u"Sub List"_s);
    FrBtnFuku->setToolTip(u"選択中の品名・店名の下位の選択肢を別窓に表示します"_s);
    connect(FrBtnFuku, &QToolButton::clicked, this, [this] { ShowSubList(); });
    barLayout->addWidget(FrBtnFuku);
    FrBtnMenu = new QToolButton(bar);
    FrBtnMenu->setText(u"Menu"_s);
    PopMenuList = new QMenu(FrBtnMenu);
    PopMenuList->addAction(u"選択肢をコピー"_s, this, [this] { RunChoiceOperation(2); });
    PopMenuList->addAction(u"選択肢を移動"_s, this, [this] { RunChoiceOperation(3); });
    PopMenuList->addAction(u"選択肢を一括削除"_s, this, [this] { RunChoiceOperation(1); });
    connect(FrBtnMenu, &QToolButton::clicked, this, [this] {
        if (MenuAllowed())
            PopMenuList->popup(FrBtnMenu->mapToGlobal(QPoint(0, FrBtnMenu->height())));
    });
    barLayout->addWidget(FrBtnMenu);
    EditAssist = new QLineEdit(bar);
    EditAssist->setPlaceholderText(u"絞り込み"_s);
    EditAssist->setClearButtonEnabled(true);
    EditAssist->setMinimumWidth(60);
    connect(EditAssist, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_settingText)
            return;
        AssistText = text;
        reload(false);
    });
    EditAssist->installEventFilter(this);
    barLayout->addWidget(EditAssist, 1);
    outer->addWidget(bar);

    auto *modes = new QWidget(this);
    modes->setToolTip(u"選択肢をクリックしたときの動作を指定します。"_s);
    auto *modeLayout = new QHBoxLayout(modes);
    modeLayout->setContentsMargins(0, 0, 0, 0);
    modeLayout->setSpacing(2);
    RGKakiKata = new QButtonGroup(this);
    const QStringList captions{u"閲覧"_s, u"自動"_s, u"追加"_s, u"変更"_s, u"改行"_s};
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = new QRadioButton(captions[i], modes);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        RGKakiKata->addButton(b, i);
        modeLayout->addWidget(b);
    }
    modeLayout->addStretch(1);
    RGKakiKata->button(0)->setChecked(true);
    connect(RGKakiKata, &QButtonGroup::idClicked, this, [this](int id) {
        WriteMode = uint8_t(id);
        MyCalendar->AllowSelect = id != 0;
        if (OnWriteModeChange)
            OnWriteModeChange();
    });
    outer->addWidget(modes);

    HeadCtlSelecter = new TSelecterHeader(this);
    HeadCtlSelecter->setSectionWidth(m_tileWidth);
    HeadCtlSelecter->OnPress = [this](int zone) {
        if (ChangeRowCount(zone) && OnPanelSizeChange)
            OnPanelSizeChange();
    };
    HeadCtlSelecter->OnTrack = [this](int width, bool done) {
        m_tileWidth = std::max(2, width);
        applyTileSize();
        if (done) {
            // The section takes the width the tiles really got.
            m_tileWidth = std::max(2, DBCtlGridSelecter->gridSize().width());
            HeadCtlSelecter->setSectionWidth(m_tileWidth);
        }
    };
    HeadCtlSelecter->OnRelease = [this] {
        if (OnPanelSizeChange)
            OnPanelSizeChange();
    };
    outer->addWidget(HeadCtlSelecter);

    m_model = new TSelecterModel;
    m_model->owner = this;
    m_model->setParent(this);
    DBCtlGridSelecter = new QListView(this);
    DBCtlGridSelecter->setObjectName(u"DBCtlGridSelecter"_s);
    DBCtlGridSelecter->setModel(m_model);
    DBCtlGridSelecter->setItemDelegate(new TileDelegate(DBCtlGridSelecter));
    DBCtlGridSelecter->setViewMode(QListView::ListMode);
    DBCtlGridSelecter->setFlow(QListView::LeftToRight);
    DBCtlGridSelecter->setWrapping(true);
    DBCtlGridSelecter->setResizeMode(QListView::Adjust);
    DBCtlGridSelecter->setUniformItemSizes(true);
    DBCtlGridSelecter->setSelectionMode(QAbstractItemView::SingleSelection);
    DBCtlGridSelecter->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBCtlGridSelecter->setCursor(Qt::PointingHandCursor);
    DBCtlGridSelecter->setMinimumSize(40, 30);
    DBCtlGridSelecter->viewport()->installEventFilter(this);
    DBCtlGridSelecter->installEventFilter(this);
    outer->addWidget(DBCtlGridSelecter, 1);
    PnlCalender = new QWidget(this);
    PnlCalender->setObjectName(u"PnlCalender"_s);
    auto *calLayout = new QVBoxLayout(PnlCalender);
    calLayout->setContentsMargins(0, 0, 0, 0);
    MyCalendar = new TMyCalendar(PnlCalender);
    MyCalendar->setObjectName(u"MyCalendar"_s);
    calLayout->addWidget(MyCalendar);
    PnlCalender->hide();
    outer->addWidget(PnlCalender, 1);
    MyCalendar->installEventFilter(this);
    MyCalendar->OnCalcDateRange = [this](int year, int month, int &simeBi, QDate &start, QDate &end) {
        if (OnCalcDateRange)
            OnCalcDateRange(year, month, simeBi, start, end);
    };
    MyCalendar->OnCalcDateGetudo = [this](const QDate &date, int &year, int &month, int &simeBi, QDate &start,
                                          QDate &end) {
        if (OnCalcDateGetudo)
            OnCalcDateGetudo(date, year, month, simeBi, start, end);
    };
    MyCalendar->OnDateMouseDown = [this](Qt::MouseButton button) {
        if (!isCalendarKind(SelectorKind) || button != Qt::LeftButton)
            return;
        if (WriteMode == 0) {
            if (MainForm) {
                const QPoint at = MyCalendar->mapFromGlobal(QCursor::pos());
                MainForm->ShowItemHint(MyCalendar, at.x(), at.y(), u"* 閲覧モードです *"_s);
            }
            return;
        }
        Choose(QApplication::keyboardModifiers(), 0);
    };
    PnlTuika = new TChoicePanel(this, this);
    PnlTuika->hide();
    outer->addWidget(PnlTuika);
    updateButtons();
}

TFrameSelecter::~TFrameSelecter()
{
    CloseList();
}

Query *TFrameSelecter::query() const
{
    return DatMod ? DatMod->SelecterSql : nullptr;
}

void TFrameSelecter::ShowList(int kind, int code, int pageKind, bool force)
{
    if (kind != SelectorKind) {
        m_settingText = true;
        EditAssist->clear();
        m_settingText = false;
        AssistText.clear();
    }
    SelectorKind = uint8_t(kind);
    ListCode = kind == 11 ? 13 : code;
    PageKind = uint8_t(pageKind);
    SpBtnAll->setChecked(false);
    hideCalendar();
    if (kind < 9 || kind > 11)
        HideFormFukuHinmei();
    reload(force);
    updateButtons();
}

void TFrameSelecter::hideCalendar()
{
    if (!CalendarShown)
        return;
    CalendarShown = false;
    PnlCalender->hide();
    HeadCtlSelecter->show();
    DBCtlGridSelecter->show();
    EditAssist->setEnabled(true);
    applyTileSize();
}

void TFrameSelecter::updateButtons()
{
    const bool itemOrShop = !CalendarShown && SelectorKind >= 9 && SelectorKind <= 11;
    FrBtnFuku->setEnabled(itemOrShop);
    FrBtnMenu->setEnabled(MenuAllowed());
}

bool TFrameSelecter::MenuAllowed() const
{
    return !CalendarShown && !FilteredList && SelectorKind >= 9 && SelectorKind <= 11 && ListCode > 0;
}

void TFrameSelecter::ShowCalendar(int kind, int year, int month, int closingMonth, int yearShift, int closingDay,
                                  int monthShift, const QDate &periodStart, const QDate &periodEnd,
                                  const QDate &date)
{
    SelectorKind = uint8_t(kind);
    HideFormFukuHinmei();
    SpBtnAll->setChecked(false);
    FilteredList = false;
    if (year == 0 || month == 0)
        return;
    // The list makes way for the calendar; the filter has nothing to narrow.
    CalendarShown = true;
    m_settingText = true;
    EditAssist->clear();
    m_settingText = false;
    AssistText.clear();
    EditAssist->setEnabled(false);
    TMyCalendar *cal = MyCalendar;
    cal->setShowButtom(true);
    cal->setCalendarMode(kind == 20 ? TMyCalendar::cmNormal : TMyCalendar::cmGetudo);
    cal->setExtLimit(kind == 4 || kind == 5 || kind == 6);
    cal->AlowOutRange = kind != 4;
    cal->setWarnOutRange(kind == 4 || kind == 5);
    cal->SimeStartDate = periodStart;
    cal->SimeEndDate = periodEnd;
    cal->AllowSelect = WriteMode != 0;
    cal->setSimeTuki(closingMonth);
    cal->setNendoShift(yearShift);
    cal->setGetudoShift(monthShift);
    if (kind != 20)
        cal->setSimeBi(closingDay);
    cal->setNendo(year);
    cal->setGetudo(month);
    cal->UpdateCalendar();
    // The list query closes; the column's title stays over the calendar.
    const QString title = BvlLbTitle->text();
    CloseList();
    BvlLbTitle->setText(title);
    DBCtlGridSelecter->hide();
    HeadCtlSelecter->hide();
    PnlCalender->show();
    if (date.isValid())
        cal->SetDate(date);
    updateButtons();
}

void TFrameSelecter::ShowDate(const QDate &date)
{
    if (!Choosing && CalendarShown && date.isValid())
        MyCalendar->SetDate(date);
}

void TFrameSelecter::reload(bool force)
{
    const QString filter = AssistText.trimmed();
    const QStringList sql = BuildListSql(SelectorKind, ListCode, PageKind, filter, ShowCodes);
    FilteredList = false;
    if (sql.isEmpty())
        return;
    FilteredList = !filter.isEmpty();
    Query *q = query();
    if (!q)
        return;
    if (!force && q->isActive() && q->SQL == sql)
        return;
    HideFormFukuHinmei();
    q->disableControls();
    struct Enable
    {
        Query *q;
        ~Enable() { q->enableControls(); }
    } enable{q};
    q->close();
    q->SQL = sql;
    std::vector<TSelecterModel::Row> rows;
    try {
        q->open();
        ++m_openCount;
        rows.reserve(size_t(q->recordCount()));
        Field *codeField = q->fieldByName(u"CODE"_s);
        Field *nameField = q->fieldByName(u"NAME"_s);
        // The rows as they stand, without moving the cursor row by row.
        const int codeIndex = codeField->index();
        const int nameIndex = nameField->index();
        QVector<QVariant> values;
        for (int recNo = 1; q->fetchRecord(recNo, values); ++recNo) {
            const QVariant &c = values.at(codeIndex);
            rows.push_back({c.toInt(), c.isValid() && !c.isNull(), values.at(nameIndex).toString()});
        }
    } catch (const std::exception &e) {
        q->close();
        m_model->reset({});
        MessageDlg(u"選択肢を読めませんでした。\n"_s + QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
        return;
    }
    m_model->reset(std::move(rows));
    if (m_model->rowCount() > 0)
        DBCtlGridSelecter->setCurrentIndex(m_model->index(0));
    applyTileSize();
    updateButtons();
}

void TFrameSelecter::CloseList()
{
    BvlLbTitle->clear();
    if (Query *q = query())
        q->close();
    if (m_model)
        m_model->reset({});
}

void TFrameSelecter::SetWriteMode(int mode)
{
    if (mode < 0 || mode > 4)
        return;
    WriteMode = uint8_t(mode);
    if (QAbstractButton *b = RGKakiKata->button(mode))
        b->setChecked(true);
}

void TFrameSelecter::SetAssistText(const QString &text)
{
    EditAssist->setText(text); // the box's change rebuilds the list
    if (AssistText != text) {
        AssistText = text;
        reload(false);
    }
}

int TFrameSelecter::EffectiveWriteMode() const
{
    if (FilteredList && (WriteMode == 1 || WriteMode == 2))
        return 4;
    return WriteMode;
}

bool TFrameSelecter::AllLinesDown() const
{
    return SpBtnAll->isChecked();
}

void TFrameSelecter::SetAllLines(bool down)
{
    SpBtnAll->setChecked(down);
}

void TFrameSelecter::SetAssist(bool on)
{
    if (!on || CalendarShown) {
        const bool wasFiltered = FilteredList || !AssistText.isEmpty();
        m_settingText = true;
        EditAssist->clear();
        m_settingText = false;
        AssistText.clear();
        if (wasFiltered && !CalendarShown)
            reload(false);
        FilteredList = false;
        updateButtons();
        return;
    }
    m_settingText = true;
    EditAssist->setText(AssistText);
    m_settingText = false;
    reload(false);
    updateButtons();
}

void TFrameSelecter::ToggleAssist(const QString &cellText)
{
    if (CalendarShown)
        return;
    if (FilteredList) {
        SetAssist(false);
        return;
    }
    const QString text = cellText.trimmed();
    if (text.isEmpty())
        return;
    AssistText = text;
    SetAssist(true);
}

void TFrameSelecter::ChooseCode(int code, const QString &name, const QDate &date)
{
    if (OnChoose)
        OnChoose(this, code, {}, 0, AllLinesDown(), 3, date, name);
}

void TFrameSelecter::reportChoice(int code, const QString &name, const QDate &date, Qt::KeyboardModifiers shift,
                                  int key)
{
    Choosing = true;
    const bool all = AllLinesDown();
    const int mode = EffectiveWriteMode();
    struct Done
    {
        TFrameSelecter *s;
        ~Done()
        {
            s->Choosing = false;
            s->SpBtnAll->setChecked(false);
        }
    } done{this};
    if (OnChoose)
        OnChoose(this, code, shift, key, all, mode, date, name);
    // A filter serves one choice: the whole list is back for the next.
    SetAssist(false);
}

void TFrameSelecter::Choose(Qt::KeyboardModifiers shift, int key)
{
    if (isCalendarKind(SelectorKind)) {
        if (!CalendarShown)
            return;
        reportChoice(0, QString(), MyCalendar->SelectedDate, shift, key);
        return;
    }
    const QModelIndex index = DBCtlGridSelecter->currentIndex();
    HideFormFukuHinmei();
    if (!index.isValid() || !index.data(Qt::UserRole).isValid())
        return;
    reportChoice(GetChoiceCode(), GetChoiceName(), QDate(), shift, key);
}

void TFrameSelecter::ChooseFromSubList(int code, const QString &name, Qt::KeyboardModifiers shift, int key)
{
    if (code < 0 || SelectorKind < 9 || SelectorKind > 11)
        return;
    reportChoice(code, name, QDate(), shift, key);
}

void TFrameSelecter::ShowSubList()
{
    const QModelIndex index = DBCtlGridSelecter->currentIndex();
    if (CalendarShown || SelectorKind < 9 || SelectorKind > 11 || !index.isValid()
        || !index.data(Qt::UserRole).isValid()) {
        HideFormFukuHinmei();
        return;
    }
    TFormFukuHinmei *w = FormFukuHinmei();
    w->Reload(SelectorKind, ListCode, GetChoiceCode());
    w->OwnerSelecter = this;
    w->setWindowTitle(GetChoiceName());
    w->show();
    w->raise();
}

bool TFrameSelecter::LocateCode(int code)
{
    for (int i = 0; i < int(m_model->rows.size()); ++i)
        if (m_model->rows[size_t(i)].hasCode && m_model->rows[size_t(i)].code == code) {
            DBCtlGridSelecter->setCurrentIndex(m_model->index(i));
            return true;
        }
    return false;
}

bool TFrameSelecter::LocateName(const QString &name)
{
    for (int i = 0; i < int(m_model->rows.size()); ++i)
        if (m_model->rows[size_t(i)].name == name) {
            DBCtlGridSelecter->setCurrentIndex(m_model->index(i));
            return true;
        }
    return false;
}

int TFrameSelecter::GetChoiceCode() const
{
    const QModelIndex index = DBCtlGridSelecter->currentIndex();
    return index.isValid() ? m_model->rows[size_t(index.row())].code : -1;
}

QString TFrameSelecter::GetChoiceName() const
{
    const QModelIndex index = DBCtlGridSelecter->currentIndex();
    return index.isValid() ? m_model->rows[size_t(index.row())].name : QString();
}

int TFrameSelecter::choiceCount() const
{
    return m_model->rowCount();
}

int TFrameSelecter::choiceCodeAt(int row) const
{
    if (row < 0 || row >= int(m_model->rows.size()) || !m_model->rows[size_t(row)].hasCode)
        return -1;
    return m_model->rows[size_t(row)].code;
}

QString TFrameSelecter::choiceNameAt(int row) const
{
    return row >= 0 && row < int(m_model->rows.size()) ? m_model->rows[size_t(row)].name : QString();
}

QString TFrameSelecter::tileText(int code, const QString &name) const
{
    QString text = name;
    if (SelectorKind == 18)
        text = code >= 0 && code < int(ZeiAtukaiNames.size()) ? ZeiAtukaiNames[size_t(code)].toString() : QString();
    else if (SelectorKind == 22)
        text = code == 0 ? u"記入済み"_s : u"未記入"_s;
    if (ShowCodes)
        text = QString::number(code) + u": "_s + text;
    return text;
}

void TFrameSelecter::SetPanelWidth(int width)
{
    m_tileWidth = std::max(2, width);
    HeadCtlSelecter->setSectionWidth(m_tileWidth);
    applyTileSize();
}

bool TFrameSelecter::ChangeRowCount(int zone)
{
    const int h = DBCtlGridSelecter->viewport()->height();
    int rows = tileRows();
    if (zone < 0) {
        rows = std::max(1, rows - 1);
    } else if (zone > 0) {
        if (h / rows < 10)
            return false;
        ++rows;
    }
    // Whole pixels cannot give every count: the height that gives exactly
    // the rows wanted, else the one that still moves the count the way asked.
    const int low = std::max(1, h / rows);
    const int high = low + 1;
    auto countOf = [h](int height) { return int(std::lround(double(h) / height)); };
    if (countOf(low) == rows)
        RowHeight = low;
    else if (countOf(high) == rows)
        RowHeight = high;
    else
        RowHeight = zone > 0 ? low : high;
    applyTileSize();
    return true;
}

void TFrameSelecter::SetRowHeight(int height)
{
    RowHeight = std::max(1, height);
    applyTileSize();
}

// Never 0: a frame squeezed smaller than one tile still shows one column and one row.
int TFrameSelecter::tileColumns() const
{
    const int w = DBCtlGridSelecter->viewport()->width();
    return std::max(1, int(std::lround(double(w) / std::max(1, m_tileWidth))));
}

int TFrameSelecter::tileRows() const
{
    const int h = DBCtlGridSelecter->viewport()->height();
    return std::max(1, int(std::lround(double(h) / std::max(1, RowHeight))));
}

void TFrameSelecter::applyTileSize()
{
    const QSize area = DBCtlGridSelecter->viewport()->size();
    const int cols = tileColumns();
    const int rows = tileRows();
    // One pixel to spare, or the last column would wrap to the next row.
    // The wrapping list keeps room for its scroll bar whether it shows or
    // not; without it the last column would go to the next row.
    const int bar = DBCtlGridSelecter->verticalScrollBar()->isVisible()
                        ? 0
                        : DBCtlGridSelecter->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int w = std::max(1, (area.width() - bar - 1) / cols);
    const int h = std::max(std::max(1, area.height() / rows), fontMetrics().height() + 4);
    DBCtlGridSelecter->setGridSize(QSize(w, h));
}

void TFrameSelecter::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    // The table or slip list took the selector's place: its sub-list goes too.
    if (TFormFukuHinmei *w = ExistingFormFukuHinmei(); w && w->OwnerSelecter == this)
        w->hide();
}

void TFrameSelecter::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    applyTileSize();
}

bool TFrameSelecter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBCtlGridSelecter->viewport() && event->type() == QEvent::Resize) {
        applyTileSize();
    } else if (watched == DBCtlGridSelecter->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        const QModelIndex index = DBCtlGridSelecter->indexAt(me->position().toPoint());
        if (me->button() == Qt::RightButton && index.isValid()) {
            // A right click on an item or shop opens its second level; it never chooses.
            DBCtlGridSelecter->setCurrentIndex(index);
            if (SelectorKind >= 9 && SelectorKind <= 11)
                ShowSubList();
            return true;
        }
        if (me->button() == Qt::LeftButton && index.isValid()) {
            DBCtlGridSelecter->setCurrentIndex(index);
            if (WriteMode == 0 && MainForm)
                MainForm->ShowItemHint(DBCtlGridSelecter, me->position().toPoint().x(),
                                       me->position().toPoint().y(), u"* 閲覧モードです *"_s);
            Choose(me->modifiers(), 0);
            return true;
        }
    } else if (watched == DBCtlGridSelecter && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            if (WriteMode == 0)
                MessageDlg(u"閲覧モードです。"_s, MsgDlgType::Information, mbOK);
            else
                Choose(ke->modifiers(), 13);
            return true;
        }
    } else if (watched == MyCalendar && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int k = ke->key();
        if (k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Shift || k == Qt::Key_Control
            || k == Qt::Key_Alt)
            return false;
        if (WriteMode == 0) {
            MessageDlg(u"閲覧モードです。"_s, MsgDlgType::Information, mbOK);
            return true;
        }
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            Choose(ke->modifiers(), 13);
            return true;
        }
    } else if (watched == EditAssist && event->type() == QEvent::KeyPress) {
        // Down from the filter box into the tiles; Enter takes the first tile.
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Down) {
            DBCtlGridSelecter->setFocus();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
