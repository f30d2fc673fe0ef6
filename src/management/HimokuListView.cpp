#include "management/HimokuListView.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QStyledItemDelegate>

#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"

namespace {

const QString kBunrui = QStringLiteral("BUNRUI");

QString dayText(const QVariant &v)
{
    const int d = v.toInt();
    if (d == 0 || d == 31)
        return QStringLiteral("月末");
    if (d == -1)
        return QStringLiteral("なし");
    return QString::number(d);
}

// "月末", "なし" or a day; a day outside the month is not read.
bool dayValue(const QString &text, QVariant *value)
{
    if (text == QStringLiteral("月末")) {
        *value = 31;
        return true;
    }
    if (text == QStringLiteral("なし")) {
        *value = -1;
        return true;
    }
    bool ok = false;
    const int d = text.trimmed().toInt(&ok);
    if (!ok || d < 0 || d > 31)
        return false;
    *value = d;
    return true;
}

template <typename Names>
int indexIn(const Names &names, const QString &text)
{
    for (int i = 0; i < int(names.size()); ++i)
        if (names[size_t(i)] == text)
            return i;
    return -1;
}

// Pick lists drop down in the cell; any text may still be typed.
class PickListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QStringList items = THimokuListView::pickList(THimokuListView::fields().value(index.column()));
        if (items.isEmpty())
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(items);
        return combo;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->setCurrentText(index.data().toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            model->setData(index, combo->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

THimokuListView::THimokuListView(QWidget *parent) : QTableWidget(parent)
{
    setObjectName(QStringLiteral("MyDBGrid1"));
    setColumnCount(int(fields().size()));
    setHorizontalHeaderLabels(titles());
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new PickListDelegate(this));
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (m_filling || !m_edit)
            return;
        emit cellTyped(item->row(), fields().value(item->column()), item->text());
    });
}

const QStringList &THimokuListView::fields()
{
    static const QStringList f{
        QStringLiteral("CODE"),      QStringLiteral("POS"),        QStringLiteral("NAME"),
        QStringLiteral("BUNRUI"),    QStringLiteral("Karigata"),   QStringLiteral("SIMEBI"),
        QStringLiteral("SIMEHOLIDAYSHIFT"), QStringLiteral("SIMEADDDAY"), QStringLiteral("SIMESHIFT"),
        QStringLiteral("CYCLE"),     QStringLiteral("FURIKOMIBI"), QStringLiteral("VISIBLE"),
        QStringLiteral("TOKUBETU"),  QStringLiteral("SYOKIZAN"),   QStringLiteral("AITECODE"),
        QStringLiteral("SYSTEM"),    QStringLiteral("Bu1Name"),    QStringLiteral("Bu2Name"),
        QStringLiteral("HOLIDAYSHIFT"), QStringLiteral("ZEIATUKAI"), QStringLiteral("STARTDATE")};
    return f;
}

const QStringList &THimokuListView::titles()
{
    static const QStringList t{
        QStringLiteral("内部ｺｰﾄﾞ"), QStringLiteral("位置"),     QStringLiteral("名称"),
        QStringLiteral("分類"),     QStringLiteral("属性"),     QStringLiteral("締日"),
        QStringLiteral("締日調整"), QStringLiteral("締め日調整追加"), QStringLiteral("月度表記"),
        QStringLiteral("振込月"),   QStringLiteral("振込日"),   QStringLiteral("表示"),
        QStringLiteral("特別費目"), QStringLiteral("初期残高"), QStringLiteral("使用口座"),
        QStringLiteral("システム"), QStringLiteral("大分類"),   QStringLiteral("小分類"),
        QStringLiteral("休日調整"), QStringLiteral("税扱"),     QStringLiteral("適用開始日")};
    return t;
}

const QStringList &THimokuListView::cycleNames()
{
    static const QStringList names = [] {
        QStringList n{QStringLiteral("なし"), QStringLiteral("当月"), QStringLiteral("翌月"), QStringLiteral("翌々月")};
        for (int m = 3; m <= 11; ++m)
            n << QStringLiteral("%1ヵ月後").arg(m);
        n << QStringLiteral("一年後");
        return n;
    }();
    return names;
}

bool THimokuListView::readOnly(const QString &field)
{
    static const QStringList fixed{QStringLiteral("CODE"),    QStringLiteral("POS"),     QStringLiteral("Karigata"),
                                   QStringLiteral("SYSTEM"),  QStringLiteral("Bu1Name"), QStringLiteral("Bu2Name")};
    return fixed.contains(field);
}

QStringList THimokuListView::pickList(const QString &field)
{
    QStringList items;
    if (field == kBunrui) {
        for (int b = 1; b <= 23; ++b)
            items << BunruiTable[size_t(b)].name.toString();
    } else if (field == QStringLiteral("SIMEHOLIDAYSHIFT")) {
        for (const QStringView n : HolidayShiftNames)
            items << n.toString();
    } else if (field == QStringLiteral("VISIBLE")) {
        items << QStringLiteral("○") << QStringLiteral("×");
    } else if (field == QStringLiteral("TOKUBETU")) {
        items << QStringLiteral("○") << QString();
    }
    return items;
}

QString THimokuListView::displayText(const THimokuRow &row, const QString &field, const QHash<int, QString> &names)
{
    const QVariant v = row.value(field);
    const TBunruiRec &rec = BunruiRecOf(row.value(kBunrui).toInt());
    if (field == QStringLiteral("CODE"))
        return v.toInt() > 0 ? QString::number(v.toInt()) : QStringLiteral("新規");
    if (field == QStringLiteral("POS"))
        return QString::number(v.toInt() + 1);
    if (field == kBunrui)
        return rec.name.toString();
    if (field == QStringLiteral("Karigata"))
        return rec.side == 1 ? QStringLiteral("借方") : QStringLiteral("貸方");
    if (field == QStringLiteral("Bu1Name"))
        return Bunrui1Table[size_t(qBound(0, int(rec.bu1), int(Bunrui1Table.size()) - 1))].name.toString();
    if (field == QStringLiteral("Bu2Name"))
        return Bunrui2Table[size_t(qBound(0, int(rec.bu2), int(Bunrui2Table.size()) - 1))].name.toString();
    if (field == QStringLiteral("SIMEBI") || field == QStringLiteral("FURIKOMIBI"))
        return dayText(v);
    if (field == QStringLiteral("SIMEHOLIDAYSHIFT") || field == QStringLiteral("HOLIDAYSHIFT"))
        return HolidayShiftName(v.toInt());
    if (field == QStringLiteral("SIMEADDDAY"))
        return SimeAddDayName(v.toInt());
    if (field == QStringLiteral("SIMESHIFT"))
        return v.toInt() == 0 ? QStringLiteral("そのまま")
                              : v.toInt() == -1 ? QStringLiteral("一ヶ月前") : QStringLiteral("一ヶ月後");
    if (field == QStringLiteral("CYCLE")) {
        const int c = v.toInt();
        return c >= -1 && c + 1 < cycleNames().size() ? cycleNames().at(c + 1) : QString::number(c);
    }
    if (field == QStringLiteral("VISIBLE"))
        return v.toBool() ? QStringLiteral("○") : QStringLiteral("×");
    if (field == QStringLiteral("TOKUBETU"))
        return v.toBool() ? QStringLiteral("○") : QString();
    if (field == QStringLiteral("SYSTEM"))
        return v.toBool() ? QStringLiteral("システム") : QString();
    if (field == QStringLiteral("SYOKIZAN"))
        return KingakuToStr(Currency::fromDouble(v.toDouble()));
    if (field == QStringLiteral("AITECODE")) {
        const int code = v.toInt();
        if (code == 0)
            return QString();
        const QString name = names.value(code);
        return name.isEmpty() ? QStringLiteral("不明なコード:") + QString::number(code) : name;
    }
    if (field == QStringLiteral("ZEIATUKAI"))
        return ZeiAtukaiName(v.toInt());
    if (field == QStringLiteral("STARTDATE"))
        return v.toDate().isValid() ? v.toDate().toString(QStringLiteral("yyyy/MM/dd")) : QString();
    return v.toString();
}

bool THimokuListView::valueOf(const QString &field, const QString &text, QVariant *value)
{
    if (readOnly(field))
        return false;
    if (field == kBunrui) {
        // Only the classes a row may have; 未使用 would take it off every page.
        for (int b = 1; b <= 23; ++b)
            if (BunruiTable[size_t(b)].name == text) {
                *value = b;
                return true;
            }
        return false;
    }
    if (field == QStringLiteral("SIMEBI") || field == QStringLiteral("FURIKOMIBI"))
        return dayValue(text, value);
    if (field == QStringLiteral("CYCLE")) {
        const int i = int(cycleNames().indexOf(text));
        if (i < 0)
            return false;
        *value = i - 1;
        return true;
    }
    if (field == QStringLiteral("HOLIDAYSHIFT")) {
        const int i = indexIn(HolidayShiftNames, text);
        if (i < 0)
            return false;
        *value = i;
        return true;
    }
    if (field == QStringLiteral("SIMEHOLIDAYSHIFT")) {
        *value = qMax(0, indexIn(HolidayShiftNames, text));
        return true;
    }
    if (field == QStringLiteral("SIMEADDDAY")) {
        const int i = indexIn(SimeAddDayNames, text);
        *value = i < 0 ? 1 : i - 1;
        return true;
    }
    if (field == QStringLiteral("SIMESHIFT")) {
        *value = text == QStringLiteral("そのまま") ? 0 : text == QStringLiteral("一ヶ月前") ? -1 : 1;
        return true;
    }
    if (field == QStringLiteral("ZEIATUKAI")) {
        int i = indexIn(ZeiAtukaiNames, text);
        if (i < 0)
            i = indexIn(ZeiAtukaiMarks, text); // so an empty text is 対象外
        if (i < 0)
            return false;
        *value = i;
        return true;
    }
    if (field == QStringLiteral("VISIBLE") || field == QStringLiteral("TOKUBETU")) {
        if (text == QStringLiteral("○"))
            *value = true;
        else if (text == QStringLiteral("×") || (field == QStringLiteral("TOKUBETU") && text.trimmed().isEmpty()))
            *value = false;
        else
            return false;
        return true;
    }
    if (field == QStringLiteral("STARTDATE")) {
        const QString t = text.trimmed();
        if (t.isEmpty()) {
            *value = QVariant();
            return true;
        }
        QDate d = QDate::fromString(t, QStringLiteral("yyyy/M/d"));
        if (!d.isValid()) {
            d = QDate::fromString(t, QStringLiteral("yy/M/d"));
            // Two-digit years are read as 1980 to 2079.
            if (d.isValid() && d.year() < 1980)
                d = d.addYears(100);
        }
        if (!d.isValid())
            return false;
        *value = d;
        return true;
    }
    return false;
}

void THimokuListView::fill(const QList<THimokuRow> &rows, const QHash<int, QString> &names)
{
    const int line = currentRow();
    const int column = currentColumn();
    m_filling = true;
    setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        showRow(r, rows.at(r), names);
    m_filling = false;
    if (line >= 0 && line < rowCount())
        setCurrentCell(line, qMax(0, column));
}

void THimokuListView::showRow(int line, const THimokuRow &row, const QHash<int, QString> &names)
{
    const bool filling = m_filling;
    m_filling = true;
    for (int c = 0; c < fields().size(); ++c) {
        QTableWidgetItem *item = this->item(line, c);
        if (!item) {
            item = new QTableWidgetItem;
            if (readOnly(fields().at(c)))
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            setItem(line, c, item);
        }
        item->setText(displayText(row, fields().at(c), names));
    }
    m_filling = filling;
}

void THimokuListView::setEditMode(bool on)
{
    m_edit = on;
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}
