#include "main/FrameDeru.h"

#include <QKeyEvent>
#include <QLabel>

#include "controls/CurrencyGrid.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/Utils.h"
#include "main/MeisaiGrid.h"
#include "main/SlipPanel.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

// The detail lines of a journal page: their totals, the guard of the current
// line, the actions' state and the moves of the cursor through the grid.

void TFrameDeru::CalcDetailTotals()
{
    SelectionTotalPending = false;
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    if (InputMode != 1) {
        SlipPanel->CalcDetailTotals();
        updateActions();
        return;
    }
    if (MyDbGridMeisai->getMultiSelectMode() && MyDbGridMeisai->selectedCount() > 0) {
        BbLbKarigou->setText(KingakuToStr(SlipPanel->SumSelectedLines().Kingaku));
        LbMeisaiGoukei->setText(QStringLiteral("選択の合計"));
        LbZeiGoukei->hide();
        BbLbZeiKarigou->hide();
        return;
    }
    if (FrameKind == 3) {
        // An account's cell has money in and out: the page recounts its table.
        RefillTableFromMeisai();
        updateActions();
        return;
    }
    Field *amount = m->findField(QStringLiteral("KINGAKU"));
    Field *side = m->findField(sideField());
    Field *day = m->findField(QStringLiteral("RECDATE"));
    Field *reserved = m->findField(QStringLiteral("RESERVED"));
    Field *style = m->findField(QStringLiteral("STYLE"));
    Field *item = m->findField(QStringLiteral("HinmeiName"));
    if (!amount || !side || !day)
        return;
    // Only the lines that the cell stands for: the shown day and category.
    Currency sum, tax;
    QVector<QVariant> values;
    for (int rec = 1; rec <= m->recordCount(); ++rec) {
        if (!m->fetchRecord(rec, values))
            continue;
        DataSet::RecordScope scope(*m, &values);
        if (side->isNull() || side->asInteger() != CurCode || day->asDate() != CurDate)
            continue;
        if (!IncludeReservedFlag && reserved && !reserved->isNull() && reserved->asBoolean())
            continue;
        sum += amount->asCurrency();
        const int s = style && !style->isNull() ? int(style->asInteger()) : 1;
        if (item && TSlipPanel::IsTaxLine(item->asString(), s, true))
            tax += amount->asCurrency();
    }
    BbLbKarigou->setText(KingakuToStr(sum));
    LbMeisaiGoukei->setText(QStringLiteral("明細の合計"));
    if (FrameKind == 2) {
        BbLbZeiKarigou->setText(KingakuToStr(tax));
        LbZeiGoukei->show();
        BbLbZeiKarigou->show();
    }
    const int col = columnOfDate(CurDate);
    const int row = rowOfCode(CurCode);
    if (col >= 0 && row >= 0 && Hyou->getValue(col, row) != sum) {
        Hyou->setValue(col, row, sum);
        TableTotalsPending = true;
        scheduleIdleWork();
    }
    updateActions();
}

void TFrameDeru::meisaiAfterScroll()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m)
        return;
    ++m_afterScrollRuns;
    MyDbGridMeisai->setReadOnly(m->isActive() && m->IsReadOnlyRecord());
    updateActions();
    if (Attached)
        SelecterFollowLine();
}

bool TFrameDeru::rowReadOnly(int row)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return true;
    if (m->isEmpty() || row >= m->recordCount() || (m->isEditing() && row + 1 == m->recNo()))
        return m->IsLockedRecord();
    QVector<QVariant> values;
    if (!m->fetchRecord(row + 1, values))
        return m->IsReadOnlyRecord();
    DataSet::RecordScope scope(*m, &values);
    return m->IsReadOnlyRecord();
}

void TFrameDeru::updateActions()
{
    TMeisaiClientDataSet *m = meisai();
    const bool open = m && m->isActive();
    DataSetApplyUpdates1->setEnabled(open && (m->changeCount() > 0 || m->isEditing()));
    DataSetCancelUpdates1->setEnabled(open && m->changeCount() > 0);
    DataSetUndo1->setEnabled(open && m->changeCount() > 0);
    DataSetDelete1->setEnabled(open && !m->isEmpty() && !m->IsReadOnlyRecord());
    DataSetInsert1->setEnabled(open && !m->IsLockedRecord());
    ActionMove->setEnabled(MoveMode || (open && InputMode == 1 && !m->isEmpty() && m->changeCount() == 0));
    ActionMove->setChecked(MoveMode);
    ActionJump->setEnabled(open && !m->isEmpty() && m->IsForeignRecord());
}

void TFrameDeru::GoToNextLine()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    const int column = qMax(0, MyDbGridMeisai->currentIndex().column());
    if (m->state() == DataSetState::Insert)
        m->checkBrowseMode();
    if (!m->isEmpty() && m->recNo() < m->recordCount()) {
        m->next();
    } else {
        // The lines of a locked day can be gone through, but nothing is added to it.
        if (m->CltDataStyle == 1 && m->IsLockedRecord())
            return;
        MyDbGridMeisai->setReadOnly(false);
        MyDbGridMeisai->clearSelection();
        AppendMeisaiLine(*m);
    }
    const int row = qMax(0, m->recNo() - 1 + (m->state() == DataSetState::Insert && m->recNo() < 1 ? 1 : 0));
    const int targetCol = AppendLeft && !YokoMove && m->state() == DataSetState::Insert ? 0 : column;
    const QModelIndex index = MyDbGridMeisai->dataModel()->index(
        m->state() == DataSetState::Insert ? MyDbGridMeisai->dataModel()->rowCount() - 1 : row, targetCol);
    if (index.isValid())
        MyDbGridMeisai->setCurrentIndex(index);
    MyDbGridMeisai->setFocus();
}

void TFrameDeru::EnterKey()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    if (!YokoMove) {
        GoToNextLine();
        return;
    }
    m->checkBrowseMode();
    const QModelIndex cur = MyDbGridMeisai->currentIndex();
    if (cur.column() >= UsedColumnCount - 1) {
        MyDbGridMeisai->setCurrentIndex(cur.sibling(cur.row(), 0));
        GoToNextLine();
    } else {
        MyDbGridMeisai->setCurrentIndex(cur.sibling(cur.row(), cur.column() + 1));
    }
}

void TFrameDeru::GoToPriorColumn(bool ctrl)
{
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return;
    const QModelIndex cur = MyDbGridMeisai->currentIndex();
    if (!cur.isValid())
        return;
    const int col = ctrl ? 0 : cur.column() - 1;
    if (col >= 0)
        MyDbGridMeisai->setCurrentIndex(cur.sibling(cur.row(), col));
}

void TFrameDeru::GoToNextColumn(bool ctrl)
{
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return;
    const QModelIndex cur = MyDbGridMeisai->currentIndex();
    if (!cur.isValid())
        return;
    const int last = UsedColumnCount - 1;
    const int col = ctrl ? last : cur.column() + 1;
    if (col <= last && col != cur.column())
        MyDbGridMeisai->setCurrentIndex(cur.sibling(cur.row(), col));
}

bool TFrameDeru::meisaiGridKeyDown(QKeyEvent *event)
{
    TMeisaiClientDataSet *m = meisai();
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (MyDbGridMeisai->editorMode())
            return false;
        if ((mods & Qt::ControlModifier) && m && m->isActive())
            ApplyOldValueToCurrentColumn();
        if (!m || !m->isActive()) {
            if (MyDbGridMeisai->readOnly())
                MessageDlg(QStringLiteral("他のページや入力方法で入力されたデータは\r変更できません。"),
                           MsgDlgType::Information, mbOK);
            return true;
        }
        EnterKey();
        return true;
    }
    if (key == Qt::Key_Alt) {
        if (!event->isAutoRepeat())
            ToggleSelecterAssist();
        return true;
    }
    if (key == Qt::Key_Down && !(mods & (Qt::ShiftModifier | Qt::ControlModifier))) {
        if (!m || !m->isActive())
            return false;
        if (m->state() == DataSetState::Insert && m->recNo() >= m->recordCount())
            return false;
        MyDbGridMeisai->clearSelection();
        GoToNextLine();
        return true;
    }
    return false;
}
