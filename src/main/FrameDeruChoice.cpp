// The journal page's side of choosing: the column buttons over the table and
// slip list, the selector shown for the column, and a choice written into the
// lines by the selector's write mode.

#include <QAction>
#include <QActionGroup>
#include <QStackedWidget>
#include <QToolBar>

#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "main/ChoicePanel.h"
#include "main/FrameDeru.h"
#include "main/FrameSelecter.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include "main/SlipPanel.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

int visibleGridColumn(TMeisaiGrid *grid, const QString &field)
{
    if (field.isEmpty())
        return -1;
    const QList<TMyDBGridColumn> cols = grid->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].visible && cols[i].fieldName.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int firstVisibleColumn(TMeisaiGrid *grid)
{
    const QList<TMyDBGridColumn> cols = grid->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].visible)
            return i;
    return -1;
}

} // namespace

QAction *TFrameDeru::columnButton(int kind) const
{
    if (!m_columnButtons)
        return nullptr;
    for (QAction *a : m_columnButtons->actions())
        if (a->data().toInt() == kind)
            return a;
    return nullptr;
}

void TFrameDeru::PressColumnButtonByKind(int kind)
{
    QAction *a = columnButton(kind);
    if (a && a->isVisible() && !a->isChecked())
        a->trigger();
}

void TFrameDeru::SetSelecterColumn(const TToolBtnRec &rec)
{
    SelKind = rec.Kind;
    SelRec = rec;
    if (SelRec.EditField.isEmpty())
        SelRec.EditField = rec.ViewField;
    FrSelecter->BvlLbTitle->setText(rec.Caption);
}

void TFrameDeru::TolBtn1Click(const TToolBtnRec &rec, bool focus)
{
    TMeisaiClientDataSet *m = meisai();
    if (m && m->isEditing())
        m->post();
    if (QAction *a = columnButton(rec.Kind))
        a->setChecked(true);
    if (rec.Kind == 1) {
        FrSelecter->CloseList();
        SelKind = 1;
        PnLeftStack->setCurrentWidget(Hyou);
        if (focus)
            Hyou->setFocus();
        return;
    }
    if (rec.Kind == 2) {
        FrSelecter->CloseList();
        SelKind = 2;
        PnLeftStack->setCurrentWidget(PnlReceipt);
        if (ReceiptList->MyDbGridReceipt)
            ReceiptList->MyDbGridReceipt->setFocus();
        return;
    }
    SetSelecterColumn(rec);
    const int col = rec.SlipField ? -1 : visibleGridColumn(MyDbGridMeisai, rec.ViewField);
    if (col >= 0) {
        // The line the data set stands on, the grid following it.
        const int row = m && m->isActive() && !m->isEmpty() ? m->recNo() - 1 : qMax(0, MyDbGridMeisai->currentIndex().row());
        const QModelIndex index = MyDbGridMeisai->dataModel()->index(row, col);
        if (index.isValid())
            MyDbGridMeisai->setCurrentIndex(index);
        SelOnFirstColumn = col == firstVisibleColumn(MyDbGridMeisai);
    } else {
        SelOnFirstColumn = false;
    }
    PnLeftStack->setCurrentWidget(FrSelecter);
    RefreshSelecter();
    FrSelecter->PnlTuika->SetKind(rec.Kind);
    if (focus)
        FrSelecter->DBCtlGridSelecter->setFocus();
}

void TFrameDeru::RefreshSelecter()
{
    SelecterRefreshPending = false;
    if (SelKind < 3 || isCalendarKind(SelKind))
        return;
    int code = CurCode;
    if (InputMode != 1) {
        TMeisaiClientDataSet *m = meisai();
        code = -1;
        if (SelKind == 21) {
            if (m)
                code = m->CltCreditCODE;
        } else if (m && m->isActive() && !m->isEmpty()) {
            code = int(m->fieldByName(sideField())->asInteger());
        }
    }
    FrSelecter->ShowCodes = CodeInput;
    FrSelecter->ShowList(SelKind, code, FrameKind, false);
}

void TFrameDeru::SelecterChoose(TFrameSelecter *sender, int code, Qt::KeyboardModifiers shift, int /*key*/,
                                bool allLines, int writeMode, const QDate &date, const QString &name)
{
    Q_UNUSED(sender);
    FrSelecter->PnlTuika->EditTuika->setText(name);
    if (writeMode == 0 || SelKind < 3)
        return;
    TMeisaiClientDataSet *m = meisai();
    const bool slipField = SelRec.SlipField;
    // The slip's own fields (its date, shop, card) belong to the slip list's row.
    TMeisaiClientDataSet *slip = DatMod ? DatMod->ReceiptClt : nullptr;
    bool all = allLines;
    if (!all && !slipField) {
        if (InputMode == 2 && (SelKind == 10 || SelKind == 11))
            all = true;
        else if (InputMode == 3 && (SelKind == 13 || SelKind == 19) && FrameKind != 3)
            all = true;
        else if (InputMode == 3 && SelKind == 19)
            all = true;
        else if (InputMode == 7 && SelKind == 23)
            all = true;
    }
    if (slipField) {
        if (!slip || !slip->isActive() || slip->isEmpty())
            return;
        Field *f = slip->findField(SelRec.EditField);
        if (!f)
            return;
        slip->edit();
        f->setAsInteger(code);
        if (Field *n = slip->findField(SelRec.ViewField); n && n != f && n->dataType() == FieldType::String)
            n->setAsString(name);
        slip->post();
        if (SelKind == 11 && m)
            m->CltShopCODE = code;
        SlipPanel->CopySlipFieldToLines(*f);
        if (!shift.testFlag(Qt::ControlModifier))
            FocusBackFromChoice();
        return;
    }
    if (!m || !m->isActive()) {
        if (InputMode != 1)
            MessageDlg(u"伝票が選ばれていません。先に伝票を作るか選んでください。"_s, MsgDlgType::Information, mbOK);
        return;
    }
    Field *field = m->findField(SelRec.EditField);
    if (!field)
        return;
    if (InputMode == 2 && (SelKind == 10 || SelKind == 11))
        m->CltShopCODE = code;
    int mode = writeMode;
    const int radio = FrSelecter->WriteMode;
    if (radio == wmAuto && mode == wmNewLine && SelOnFirstColumn)
        mode = 5;
    if (shift.testFlag(Qt::ShiftModifier))
        mode = wmChange;
    if (radio == wmAuto && mode == wmAuto && m->isEditing())
        mode = wmChange;
    SetMeisaiFieldValue(field, mode == 5 ? int(wmNewLine) : mode, SelOnFirstColumn, all, code, UseQuantity,
                        FrameKind != 3, name, date, -1);
    if (!all)
        MoveAfterChoice(YokoMove ? writeMode : mode);
    CalcDetailTotals();
    if (!shift.testFlag(Qt::ControlModifier))
        FocusBackFromChoice();
}

void TFrameDeru::MoveAfterChoice(int mode)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive() || m->isEmpty())
        return;
    if (m->isEditing())
        m->post();
    auto toRow = [this, m] {
        const int col = qMax(0, MyDbGridMeisai->currentIndex().column());
        const QModelIndex index = MyDbGridMeisai->dataModel()->index(qMax(0, m->recNo() - 1), col);
        if (index.isValid())
            MyDbGridMeisai->setCurrentIndex(index);
    };
    if (YokoMove) {
        if (mode != wmAuto)
            return;
        const QModelIndex cur = MyDbGridMeisai->currentIndex();
        if (cur.isValid() && cur.column() < UsedColumnCount - 1) {
            MyDbGridMeisai->setCurrentIndex(cur.sibling(cur.row(), cur.column() + 1));
        } else {
            GoToNextLine();
            const QModelIndex now = MyDbGridMeisai->currentIndex();
            const int first = firstVisibleColumn(MyDbGridMeisai);
            if (now.isValid() && first >= 0)
                MyDbGridMeisai->setCurrentIndex(now.sibling(now.row(), first));
        }
        return;
    }
    switch (mode) {
    case wmAuto:
        if (!SelOnFirstColumn && m->recNo() < m->recordCount()) {
            m->next();
            toRow();
        }
        break;
    case wmNewLine:
        if (m->recNo() < m->recordCount()) {
            m->next();
            toRow();
        }
        break;
    case 5:
        GoToNextLine();
        break;
    default:
        break;
    }
}

void TFrameDeru::FocusBackFromChoice()
{
    if (SelRec.SlipField && SlipPanel) {
        if (SelKind == 11 && SlipPanel->DBEditShop && SlipPanel->DBEditShop->isVisible())
            SlipPanel->DBEditShop->setFocus();
        else if (SelKind == 19 && SlipPanel->DBEditCredit && SlipPanel->DBEditCredit->isVisible())
            SlipPanel->DBEditCredit->setFocus();
        else if (SelKind == 21 && SlipPanel->DBEditPayKouza && SlipPanel->DBEditPayKouza->isVisible())
            SlipPanel->DBEditPayKouza->setFocus();
        return;
    }
    MyDbGridMeisai->setFocus();
}
