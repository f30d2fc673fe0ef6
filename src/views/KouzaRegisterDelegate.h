#pragma once

#include <QStyledItemDelegate>

class QTableView;
class TKouzaRegister;

// The passbook register's cells: the date only on the first line of its day,
// the balance only on the last (both also on the selected row and on the first
// and last visible rows), Sundays and holidays red, Saturdays blue, the side
// that moved in navy, negative amounts red and scheduled lines grey.
class TKouzaRegisterDelegate : public QStyledItemDelegate
{
public:
    TKouzaRegisterDelegate(TKouzaRegister *model, QTableView *view);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TKouzaRegister *m_model;
    QTableView *m_view;
};
