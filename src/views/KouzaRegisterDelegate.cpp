#include "views/KouzaRegisterDelegate.h"

#include <QPainter>
#include <QTableView>

#include "data/HimokuCache.h"
#include "views/KouzaRegister.h"

namespace {

const QColor HotSel(171, 219, 255), Sel(209, 228, 220);

} // namespace

TKouzaRegisterDelegate::TKouzaRegisterDelegate(TKouzaRegister *model, QTableView *view)
    : QStyledItemDelegate(view), m_model(model), m_view(view)
{
}

void TKouzaRegisterDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row();
    const int col = index.column();
    if (row >= m_model->Rows().size())
        return;
    const TRegisterRow &r = m_model->Rows()[row];
    const bool selected = m_view->selectionModel() && m_view->selectionModel()->isRowSelected(row, QModelIndex());
    QColor background = col % 2 ? QColor(250, 242, 239) : QColor(251, 248, 242);
    if (selected)
        background = m_view->hasFocus() ? HotSel : Sel;
    painter->fillRect(option.rect, background);

    const int first = m_view->rowAt(2);
    const int last = m_view->rowAt(m_view->viewport()->height() - 2);
    bool shown = true;
    QColor pen = Qt::black;
    if (col == TKouzaRegister::ColDate) {
        shown = r.FirstOfDate || selected || row == first;
        if (r.RecDate.isValid() && (r.RecDate.dayOfWeek() == 7 || IsHoliday(r.RecDate)))
            pen = Qt::red;
        else if (r.RecDate.isValid() && r.RecDate.dayOfWeek() == 6)
            pen = Qt::blue;
    } else if (col == TKouzaRegister::ColKari) {
        pen = r.Direction == 1 || r.Direction == 3 ? QColor(0, 0, 128) : QColor(Qt::black);
    } else if (col == TKouzaRegister::ColKasi) {
        pen = r.Direction == 2 || r.Direction == 3 ? QColor(0, 0, 128) : QColor(Qt::black);
    } else if (col == TKouzaRegister::ColZanGaku) {
        shown = r.LastOfDate || selected || row == last || (last < 0 && row == m_model->Rows().size() - 1);
        if (r.Balance < Currency())
            pen = Qt::red;
    } else if (col == TKouzaRegister::ColKariGaku || col == TKouzaRegister::ColKasiGaku) {
        if (r.Kingaku < Currency())
            pen = Qt::red;
    }
    if (r.Reserved)
        pen = QColor(128, 128, 128);
    if (!shown)
        return;
    painter->save();
    painter->setPen(pen);
    painter->setFont(option.font);
    const int align = index.data(Qt::TextAlignmentRole).toInt();
    painter->drawText(option.rect.adjusted(2, 0, -2, 0), align, index.data().toString());
    painter->restore();
}
