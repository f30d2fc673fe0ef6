#include "main/FormFukuHinmei.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QListWidget>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/MasterCodes.h"
#include "data/MyRegistryIniFile.h"
#include "main/FrameSelecter.h"
#include "main/MainForm.h"
#include "platform/db/Currency.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

QPointer<TFormFukuHinmei> g_window;

int readSetting(const QString &section, const QString &key, int def)
{
    return RegIni ? RegIni->ReadOrWriteInteger(section, key, def) : def;
}

} // namespace

TFormFukuHinmei *FormFukuHinmei()
{
    if (!g_window) {
        QWidget *parent = MainForm;
        g_window = new TFormFukuHinmei(parent);
        // A page change leaves no sub-list of another page's column behind.
        if (MainForm)
            QObject::connect(MainForm, &TMainForm::pageShown, g_window, [] { HideFormFukuHinmei(); });
    }
    return g_window;
}

TFormFukuHinmei *ExistingFormFukuHinmei()
{
    return g_window;
}

void HideFormFukuHinmei()
{
    if (g_window)
        g_window->hide();
}

TFormFukuHinmei::TFormFukuHinmei(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(u"FormFukuHinmei"_s);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF7, 0xF1, 0xE3));
    setPalette(pal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(3);
    DBClGridFukuHinmei = new QListWidget(this);
    DBClGridFukuHinmei->setObjectName(u"DBClGridFukuHinmei"_s);
    DBClGridFukuHinmei->setFlow(QListView::LeftToRight);
    DBClGridFukuHinmei->setWrapping(true);
    DBClGridFukuHinmei->setResizeMode(QListView::Adjust);
    DBClGridFukuHinmei->setUniformItemSizes(true);
    DBClGridFukuHinmei->setCursor(Qt::PointingHandCursor);
    DBClGridFukuHinmei->setStyleSheet(u"QListWidget { background: #F4F5ED; }"
                                      "QListWidget::item { border-top: 1px solid #C0C0C0; border-left: 1px solid #C0C0C0; }"
                                      "QListWidget::item:selected:active { background: #ABDBFF; color: black; }"
                                      "QListWidget::item:selected:!active { background: #D1E4DC; color: black; }"_s);
    DBClGridFukuHinmei->viewport()->installEventFilter(this);
    DBClGridFukuHinmei->installEventFilter(this);
    layout->addWidget(DBClGridFukuHinmei, 1);

    // The name and the buttons on one row, the item's quantity and price
    // under them, so the narrow window keeps every box usable.
    auto *bottom = new QWidget(this);
    auto *rows = new QVBoxLayout(bottom);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    rows->addLayout(row);
    row->addWidget(new QLabel(u"名称"_s, bottom));
    EditTuika = new QLineEdit(bottom);
    EditTuika->setToolTip(u"新規選択肢を記入します。"_s);
    EditTuika->setMinimumWidth(50);
    EditTuika->installEventFilter(this);
    row->addWidget(EditTuika, 1);
    SpBtnPost = new QToolButton(bottom);
    SpBtnPost->setText(u"登録"_s);
    SpBtnPost->setToolTip(u"登録"_s);
    row->addWidget(SpBtnPost);
    SpBtnDelete = new QToolButton(bottom);
    SpBtnDelete->setText(u"削除"_s);
    row->addWidget(SpBtnDelete);
    auto *values = new QHBoxLayout;
    values->setSpacing(2);
    rows->addLayout(values);
    LbQuantity = new QLabel(u"数"_s, bottom);
    values->addWidget(LbQuantity);
    EditQuantity = new QLineEdit(bottom);
    EditQuantity->setMinimumWidth(30);
    EditQuantity->setAttribute(Qt::WA_InputMethodEnabled, false);
    values->addWidget(EditQuantity, 1);
    LbGaku = new QLabel(u"額"_s, bottom);
    values->addWidget(LbGaku);
    EditGaku = new QLineEdit(bottom);
    EditGaku->setMinimumWidth(50);
    EditGaku->setAttribute(Qt::WA_InputMethodEnabled, false);
    values->addWidget(EditGaku, 2);
    layout->addWidget(bottom);
    connect(SpBtnPost, &QToolButton::clicked, this, [this] { SpBtnPostClick(); });
    connect(SpBtnDelete, &QToolButton::clicked, this, [this] { SpBtnDeleteClick(); });

    const int width = fontMetrics().horizontalAdvance(u"アイスクリーム缶詰"_s) + 2 * 5 + 32;
    const QString section = u"HinmeiForm"_s;
    const int top = readSetting(section, u"Top"_s, 100);
    const int left = readSetting(section, u"Left"_s, 150);
    // Never narrower than a long item name and the boxes need.
    const int w = std::max(width, readSetting(section, u"Width"_s, 170));
    const int h = readSetting(section, u"Height"_s, 300);
    // A placement stored on a larger screen still leaves the window reachable.
    setGeometry(std::max(0, left), std::max(0, top), std::clamp(w, 120, 4000), std::clamp(h, 100, 4000));
}

TFormFukuHinmei::~TFormFukuHinmei()
{
    OwnerSelecter = nullptr;
    if (DatMod && DatMod->FukuSelecterSql)
        DatMod->FukuSelecterSql->close();
}

void TFormFukuHinmei::SavePlacement() const
{
    if (!RegIni)
        return;
    const QRect g = geometry();
    const QString section = u"HinmeiForm"_s;
    RegIni->writeInteger(section, u"Top"_s, g.top());
    RegIni->writeInteger(section, u"Left"_s, g.left());
    RegIni->writeInteger(section, u"Width"_s, g.width());
    RegIni->writeInteger(section, u"Height"_s, g.height());
}

void TFormFukuHinmei::Reload(int kind, int category, int parent)
{
    EditTuika->clear();
    EditQuantity->clear();
    EditGaku->clear();
    for (QWidget *w : {static_cast<QWidget *>(LbQuantity), static_cast<QWidget *>(EditQuantity),
                       static_cast<QWidget *>(LbGaku), static_cast<QWidget *>(EditGaku)})
        w->setEnabled(kind == 9);
    SubKind = kind;
    SubCategory = category;
    SubParent = parent;
    DBClGridFukuHinmei->clear();
    Query *q = DatMod ? DatMod->FukuSelecterSql : nullptr;
    if (!q)
        return;
    q->close();
    QStringList sql{u"SELECT DISTINCT d.KOCODE as CODE, d1.NAME"_s};
    if (kind == 9)
        sql << u"FROM \"HinmeiList.db\" d, \"HinmeiMast.db\" d1"_s;
    else if (kind == 10 || kind == 11)
        sql << u"FROM \"ShopList.db\" d, \"ShopMast.db\" d1"_s;
    else
        return;
    sql << u"WHERE (d.HIMOKUCODE = %1)"_s.arg(category) << u"     AND (d.OYACODE = %1)"_s.arg(parent)
        << u"     AND (d.KOCODE = d1.CODE )"_s << u"     AND (d.KOCODE <> 0)"_s << u"ORDER BY  d1.NAME"_s;
    q->SQL = sql;
    try {
        q->open();
    } catch (const std::exception &e) {
        q->close();
        MessageDlg(u"選択肢を読めませんでした。\n"_s + QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
        return;
    }
    QVector<QVariant> values;
    const int codeIndex = q->fieldByName(u"CODE"_s)->index();
    const int nameIndex = q->fieldByName(u"NAME"_s)->index();
    for (int recNo = 1; q->fetchRecord(recNo, values); ++recNo) {
        auto *item = new QListWidgetItem(values.at(nameIndex).toString(), DBClGridFukuHinmei);
        item->setData(Qt::UserRole, values.at(codeIndex));
    }
    if (DBClGridFukuHinmei->count() > 0)
        DBClGridFukuHinmei->setCurrentRow(0);
    applyTileSize();
}

void TFormFukuHinmei::SetQuantityVisible(bool visible)
{
    QuantityShown = visible;
    LbQuantity->setVisible(visible);
    EditQuantity->setVisible(visible);
}

int TFormFukuHinmei::currentCode() const
{
    const QListWidgetItem *item = DBClGridFukuHinmei->currentItem();
    return item && item->data(Qt::UserRole).isValid() ? item->data(Qt::UserRole).toInt() : -1;
}

QString TFormFukuHinmei::currentName() const
{
    const QListWidgetItem *item = DBClGridFukuHinmei->currentItem();
    return item ? item->text() : QString();
}

int TFormFukuHinmei::rowCount() const
{
    return DBClGridFukuHinmei->count();
}

bool TFormFukuHinmei::LocateName(const QString &name)
{
    for (int i = 0; i < DBClGridFukuHinmei->count(); ++i)
        if (DBClGridFukuHinmei->item(i)->text() == name) {
            DBClGridFukuHinmei->setCurrentRow(i);
            return true;
        }
    return false;
}

void TFormFukuHinmei::Pick()
{
    if (!DBClGridFukuHinmei->currentItem())
        return;
    EditTuika->setText(currentName());
    EditQuantity->clear();
    EditGaku->clear();
    if (SubKind == 9) {
        Table &t = *DatMod->HinmeiMstTbl;
        if (t.locate(u"CODE"_s, currentCode())) {
            EditQuantity->setText(t.fieldByName(u"QUANTITY"_s)->asString());
            EditGaku->setText(t.fieldByName(u"GAKU"_s)->asString());
        }
    }
    if (OwnerSelecter)
        OwnerSelecter->ChooseFromSubList(currentCode(), currentName(), Qt::NoModifier, 0);
}

bool TFormFukuHinmei::SpBtnPostClick()
{
    const QString name = EditTuika->text().trimmed();
    bool added = false;
    if (!name.isEmpty() && !windowTitle().isEmpty()) {
        if (SubKind == 9) {
            bool amountOk = false;
            const Currency amount = Currency::fromString(EditGaku->text(), &amountOk);
            bool quantityOk = false;
            const double quantity = EditQuantity->text().toDouble(&quantityOk);
            added = AddHinmeiListSubItem(SubCategory, SubParent, -1, name, 3, quantityOk ? quantity : 1.0,
                                         amountOk ? amount : Currency());
        } else if (SubKind == 10 || SubKind == 11) {
            added = AddShopListSubItem(SubCategory, SubParent, -1, name);
        }
        if (added) {
            Reload(SubKind, SubCategory, SubParent);
            LocateName(name);
        }
    }
    EditTuika->clear();
    return added;
}

void TFormFukuHinmei::SpBtnDeleteClick()
{
    Query *q = DatMod ? DatMod->FukuSelecterSql : nullptr;
    if (!q || !q->isActive() || DBClGridFukuHinmei->count() == 0 || currentCode() < 0)
        return;
    Table &t = SubKind == 9 ? *DatMod->HinmeiLstTbl : *DatMod->ShopLstTbl;
    if (t.locate(u"HIMOKUCODE;OYACODE;KOCODE"_s, QVariantList{SubCategory, SubParent, currentCode()})) {
        const QString parentName = SubKind == 9 ? HinmeiCodeToName(SubParent) : ShopCodeToName(SubParent);
        if (MessageDlg(parentName + u" の "_s + currentName() + u" を削除します"_s, MsgDlgType::Confirmation,
                       mbOK | mbCancel)
            == mrOk)
            t.remove();
        Reload(SubKind, SubCategory, SubParent);
    }
    EditTuika->clear();
}

void TFormFukuHinmei::applyTileSize()
{
    const QSize area = DBClGridFukuHinmei->viewport()->size();
    const int cols = std::max(1, int(std::lround(double(area.width()) / std::max(1, m_tileWidth))));
    const int rows = std::max(1, int(std::lround(double(area.height()) / std::max(1, SubRowHeight))));
    // The wrapping list keeps room for its scroll bar whether it shows or
    // not; without it the last column would go to the next row.
    const int bar = DBClGridFukuHinmei->verticalScrollBar()->isVisible()
                        ? 0
                        : DBClGridFukuHinmei->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int w = std::max(1, (area.width() - bar - 1) / cols);
    const int h = std::max(std::max(1, area.height() / rows), fontMetrics().height() + 4);
    DBClGridFukuHinmei->setGridSize(QSize(w, h));
    for (int i = 0; i < DBClGridFukuHinmei->count(); ++i)
        DBClGridFukuHinmei->item(i)->setSizeHint(QSize(w, h));
}

void TFormFukuHinmei::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_tileWidth = std::max(2, readSetting(u"FormFukuHinmei"_s, u"SelecterPanelWidth"_s, 150));
    SubRowHeight = std::max(1, readSetting(u"FormFukuHinmei"_s, u"SelecterPanelHeight"_s, SubRowHeight));
    applyTileSize();
}

void TFormFukuHinmei::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyTileSize();
}

bool TFormFukuHinmei::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBClGridFukuHinmei->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        QListWidgetItem *item = DBClGridFukuHinmei->itemAt(me->position().toPoint());
        // A right click only moves the current row; it never picks.
        if (item) {
            DBClGridFukuHinmei->setCurrentItem(item);
            if (me->button() == Qt::LeftButton)
                Pick();
        }
        return true;
    }
    if (watched == DBClGridFukuHinmei && event->type() == QEvent::KeyPress) {
        if (!OwnerSelecter)
            return false;
        auto *ke = static_cast<QKeyEvent *>(event);
        switch (ke->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Tab:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
            return false;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (OwnerSelecter->WriteMode != 0) {
                OwnerSelecter->ChooseFromSubList(currentCode(), currentName(), ke->modifiers(), 13);
                return true;
            }
            break;
        default:
            break;
        }
        MessageDlg(u"選択肢は下の入力窓より記入します。"_s, MsgDlgType::Information, mbOK);
        return true;
    }
    if (watched == EditTuika && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            SpBtnPostClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
