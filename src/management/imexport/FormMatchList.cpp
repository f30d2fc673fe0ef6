#include "management/imexport/FormMatchList.h"

#include <functional>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "data/Vocabulary.h"
#include "management/PickListDelegate.h"

namespace {

const QStringList kKinds{QStringLiteral("収入費目"), QStringLiteral("支出費目"), QStringLiteral("口座")};
const QStringList kSides{QString(), QStringLiteral("口座へ入金"), QStringLiteral("口座から出金")};
const QStringList kTaxes{QStringLiteral("対象外"), QStringLiteral("内税"), QStringLiteral("外税")};

QComboBox *pick(QWidget *parent, const QStringList &items, const QString &current)
{
    auto *c = new QComboBox(parent);
    c->addItems(items);
    c->setCurrentText(current);
    return c;
}

// The 変換名称 editor tells its row at the first key typed: the entry is being
// edited from then on, so cancel can take it back before the text is handed in.
class TouchingDelegate : public QStyledItemDelegate
{
public:
    TouchingDelegate(std::function<void(int)> touched, QObject *parent)
        : QStyledItemDelegate(parent), m_touched(std::move(touched))
    {
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            const int row = index.row();
            connect(line, &QLineEdit::textEdited, line, [touched = m_touched, row] { touched(row); });
        }
        return editor;
    }

private:
    std::function<void(int)> m_touched;
};

QComboBox *comboAt(const QTableWidget *grid, int row, int column)
{
    return static_cast<QComboBox *>(grid->cellWidget(row, column));
}

} // namespace

TFormMatchList::TFormMatchList(TConvertPearArray &list, bool accountSide, bool taxColumn, QWidget *parent)
    : QDialog(parent), m_list(list)
{
    setWindowTitle(QStringLiteral("マッチリスト"));
    auto *v = new QVBoxLayout(this);
    DBGrid1 = new QTableWidget(int(list.size()) - 1, 5, this);
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("元の名称"), QStringLiteral("変換名称"), QStringLiteral("種類"),
                                        QStringLiteral("口座の目的"), QStringLiteral("税扱い")});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    for (int i = 1; i < list.size(); ++i) {
        m_rows << i;
        const TConvertPear &p = list.at(i);
        auto *from = new QTableWidgetItem(p.fromName);
        from->setFlags(from->flags() & ~Qt::ItemIsEditable);
        DBGrid1->setItem(i - 1, 0, from);
        DBGrid1->setItem(i - 1, 1, new QTableWidgetItem(p.toName));
        DBGrid1->setCellWidget(i - 1, 2, pick(DBGrid1, kKinds, kKinds.value(p.kind - 1, kKinds.last())));
        DBGrid1->setCellWidget(i - 1, 3, pick(DBGrid1, kSides, p.kind >= 3 ? kSides.value(p.side) : QString()));
        DBGrid1->setCellWidget(i - 1, 4, pick(DBGrid1, kTaxes, kTaxes.value(p.zeiAtukai, kTaxes.first())));
    }
    DBGrid1->setColumnHidden(3, !accountSide);
    DBGrid1->setColumnHidden(4, taxColumn);
    for (int r = 0; r < DBGrid1->rowCount(); ++r) {
        m_posted << rowTexts(r);
        for (int c = 2; c <= 4; ++c) {
            QComboBox *combo = comboAt(DBGrid1, r, c);
            connect(combo, &QComboBox::currentTextChanged, this, [this, combo] {
                for (int row = 0; row < DBGrid1->rowCount(); ++row)
                    for (int column = 2; column <= 4; ++column)
                        if (DBGrid1->cellWidget(row, column) == combo)
                            rowTouched(row);
            });
        }
    }
    v->addWidget(DBGrid1);
    auto *buttons = new QHBoxLayout;
    DBNavigator1 = new TMyDBNavigator(this);
    DBNavigator1->showEditButtons(true);
    DBNavigator1->setRows(this);
    buttons->addWidget(DBNavigator1);
    buttons->addStretch();
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(close);
    v->addLayout(buttons);
    if (DBGrid1->rowCount() > 0)
        DBGrid1->setCurrentCell(0, 1);
    connect(DBGrid1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) { rowTouched(item->row()); });
    DBGrid1->setItemDelegate(new TouchingDelegate([this](int row) { rowTouched(row); }, DBGrid1));
    // Leaving an entry posts its changes, as a data-aware grid does.
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous) {
        if (row != previous && m_editRow >= 0 && m_editRow == previous)
            rowsPost();
        DBNavigator1->updateButtons();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    DBNavigator1->updateButtons();
    resize(640, 400);
}

TFormMatchList::RowTexts TFormMatchList::rowTexts(int row) const
{
    return {DBGrid1->item(row, 1)->text(), comboAt(DBGrid1, row, 2)->currentText(),
            comboAt(DBGrid1, row, 3)->currentText(), comboAt(DBGrid1, row, 4)->currentText()};
}

void TFormMatchList::showTexts(int row, const RowTexts &texts)
{
    m_filling = true;
    DBGrid1->item(row, 1)->setText(texts[0]);
    for (int c = 2; c <= 4; ++c)
        comboAt(DBGrid1, row, c)->setCurrentText(texts[c - 1]);
    m_filling = false;
}

void TFormMatchList::rowTouched(int row)
{
    if (m_filling || row < 0)
        return;
    if (m_editRow >= 0 && m_editRow != row)
        rowsPost();
    m_editRow = row;
    DBNavigator1->updateButtons();
}

int TFormMatchList::rowsCount() const
{
    return DBGrid1->rowCount();
}

int TFormMatchList::rowsCurrent() const
{
    return DBGrid1->currentRow();
}

void TFormMatchList::rowsSetCurrent(int row)
{
    DBGrid1->setCurrentCell(row, qMax(1, DBGrid1->currentColumn()));
}

void TFormMatchList::rowsEdit()
{
    const int row = DBGrid1->currentRow();
    if (row < 0)
        return;
    m_editRow = row;
    DBGrid1->setCurrentCell(row, 1);
    DBGrid1->editItem(DBGrid1->item(row, 1));
    DBNavigator1->updateButtons();
}

void TFormMatchList::rowsPost()
{
    CommitOpenEditor(DBGrid1);
    if (m_editRow >= 0 && m_editRow < m_posted.size())
        m_posted[m_editRow] = rowTexts(m_editRow);
    m_editRow = -1;
    DBNavigator1->updateButtons();
}

void TFormMatchList::rowsCancel()
{
    // An open cell editor is closed without handing its text on.
    const QModelIndex current = DBGrid1->currentIndex();
    if (QWidget *editor = current.isValid() ? DBGrid1->indexWidget(current) : nullptr)
        emit DBGrid1->itemDelegateForIndex(current)->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    if (m_editRow >= 0 && m_editRow < m_posted.size())
        showTexts(m_editRow, m_posted.at(m_editRow));
    m_editRow = -1;
    DBNavigator1->updateButtons();
}

void TFormMatchList::DeleteCurrent()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_editRow == row)
        m_editRow = -1;
    else if (m_editRow > row)
        --m_editRow;
    DBGrid1->removeRow(row);
    m_rows.removeAt(row);
    m_posted.removeAt(row);
    DBNavigator1->updateButtons();
}

bool TFormMatchList::Post()
{
    // Closing posts the entry being edited.
    rowsPost();
    // A deleted entry is forgotten: its name is looked up afresh when the
    // rows are read again.
    bool changed = m_rows.size() != m_list.size() - 1;
    TConvertPearArray posted{m_list.at(0)};
    for (int r = 0; r < m_rows.size(); ++r) {
        const TConvertPear &old = m_list.at(m_rows.at(r));
        TConvertPear p = old;
        p.toName = DBGrid1->item(r, 1)->text().trimmed();
        const int kind = int(kKinds.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(r, 2))->currentText()));
        p.kind = kind == 0 ? 1 : kind == 1 ? 2 : 3;
        const int side = int(kSides.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(r, 3))->currentText()));
        p.side = p.kind >= 3 ? std::max(0, side) : p.side;
        const int tax = int(kTaxes.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(r, 4))->currentText()));
        if (tax >= 0)
            p.zeiAtukai = tax;
        if (p.toName.isEmpty())
            p.toName = old.toName;
        if (p.toName != old.toName || p.kind != old.kind || p.side != old.side || p.zeiAtukai != old.zeiAtukai)
            changed = true;
        posted << p;
    }
    if (changed)
        m_list = posted;
    return changed;
}

bool TFormMatchList::Edit(TConvertPearArray &list, bool accountSide, bool taxColumn)
{
    TFormMatchList form(list, accountSide, taxColumn);
    ModalForms::exec(form);
    // Closing the list keeps what was typed, as its 閉じる does.
    return form.Post();
}
