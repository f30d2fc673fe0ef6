#include "management/imexport/FormMatchList.h"

#include <QComboBox>
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
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    v->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 400);
}

bool TFormMatchList::Post()
{
    bool changed = false;
    for (int i = 1; i < m_list.size(); ++i) {
        TConvertPear p = m_list.at(i);
        p.toName = DBGrid1->item(i - 1, 1)->text().trimmed();
        const int kind = int(kKinds.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(i - 1, 2))->currentText()));
        p.kind = kind == 0 ? 1 : kind == 1 ? 2 : 3;
        const int side = int(kSides.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(i - 1, 3))->currentText()));
        p.side = p.kind >= 3 ? std::max(0, side) : p.side;
        const int tax = int(kTaxes.indexOf(static_cast<QComboBox *>(DBGrid1->cellWidget(i - 1, 4))->currentText()));
        if (tax >= 0)
            p.zeiAtukai = tax;
        if (p.toName.isEmpty())
            p.toName = m_list.at(i).toName;
        if (p.toName != m_list.at(i).toName || p.kind != m_list.at(i).kind || p.side != m_list.at(i).side ||
            p.zeiAtukai != m_list.at(i).zeiAtukai) {
            m_list[i] = p;
            changed = true;
        }
    }
    return changed;
}

bool TFormMatchList::Edit(TConvertPearArray &list, bool accountSide, bool taxColumn)
{
    TFormMatchList form(list, accountSide, taxColumn);
    ModalForms::exec(form);
    // Closing the list keeps what was typed, as its 閉じる does.
    return form.Post();
}
