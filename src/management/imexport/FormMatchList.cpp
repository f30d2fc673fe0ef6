#include "management/imexport/FormMatchList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "data/Vocabulary.h"

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
    v->addWidget(DBGrid1);
    auto *buttons = new QHBoxLayout;
    BtnDelete = new QPushButton(QStringLiteral("削除"), this);
    buttons->addWidget(BtnDelete);
    buttons->addStretch();
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(close);
    v->addLayout(buttons);
    if (DBGrid1->rowCount() > 0)
        DBGrid1->setCurrentCell(0, 1);
    connect(BtnDelete, &QPushButton::clicked, this, &TFormMatchList::DeleteCurrent);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 400);
}

void TFormMatchList::DeleteCurrent()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    DBGrid1->removeRow(row);
    m_rows.removeAt(row);
}

bool TFormMatchList::Post()
{
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
