// The journal page's previous-value header: the value last entered in each
// column, shown over it, written into a line with one click.

#include <QBoxLayout>

#include "data/DatMod.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "main/FrameDeru.h"
#include "main/FrameSelecter.h"
#include "main/MeisaiGrid.h"
#include "main/OldValueHeader.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

void TFrameDeru::SetUpOldValueHeader()
{
    HdCtrOldValue = new TOldValueHeader(PnlMeisai);
    if (auto *box = qobject_cast<QBoxLayout *>(PnlMeisai->layout())) {
        const int at = box->indexOf(MyDbGridMeisai);
        box->insertWidget(at < 0 ? 0 : at, HdCtrOldValue);
    }
    HdCtrOldValue->onSectionPressed = [this](int section, Qt::MouseButton button, const QPoint &pos) {
        if (button == Qt::LeftButton)
            HdCtrOldValueMouseDown(section, pos);
    };
}

void TFrameDeru::HdCtrOldValueMouseDown(int section, const QPoint &pos)
{
    if (FrSelecter->WriteMode == 0) {
        if (MainForm)
            MainForm->ShowItemHint(HdCtrOldValue, pos.x(), pos.y(), u"* 閲覧モードです *"_s);
        return;
    }
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive() || OldData.ColumnOfSection(section) < 0)
        return;
    OldData.Suspended = true;
    struct Resume
    {
        TOldDataClass &d;
        ~Resume() { d.Suspended = false; }
    } resume{OldData};
    if (FrSelecter->AllLinesDown()) {
        ApplyOldValueToAllLines(section);
        FrSelecter->SetAllLines(false);
    } else {
        ApplyOldValue(section, FrSelecter->WriteMode);
    }
    CalcDetailTotals();
}

bool TFrameDeru::EditLineIfAllowed()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return false;
    if (InputMode == 1 && !m->isEmpty()) {
        const int style = int(m->fieldByName(u"STYLE"_s)->asInteger());
        if (style == 2 || style == 3 || style == 8) {
            MessageDlg(u"レシート、もしくは、クレジット入力されたデータは\r通常入力では変更できません。"_s,
                       MsgDlgType::Information, mbOK);
            return false;
        }
    }
    // Locked lines and other pages' lines take no value either (the lock's own message).
    if (m->isEmpty()) {
        AppendMeisaiLine(*m);
        return true;
    }
    if (!CanEditMeisaiLine(*m, nullptr, QDate()))
        return false;
    m->edit();
    return true;
}

void TFrameDeru::ApplyOldValue(int section, int mode)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    const int column = OldData.ColumnOfSection(section);
    if (column < 0)
        return;
    int first = -1;
    for (int i = 0; i < MyDbGridMeisai->columnCount(); ++i)
        if (MyDbGridMeisai->column(i).visible && !MyDbGridMeisai->isColumnHidden(i)) {
            first = i;
            break;
        }
    const bool onFirst = column == first;
    switch (mode) {
    case 1:
        if (onFirst)
            AppendMeisaiLine(*m);
        else if (!EditLineIfAllowed())
            return;
        break;
    case 2:
        AppendMeisaiLine(*m);
        break;
    case 3:
    case 4:
        if (!EditLineIfAllowed())
            return;
        break;
    default:
        return;
    }
    try {
        OldData.ApplyValue(section);
        if (m->isEditing())
            m->post();
    } catch (...) {
        if (m->isEditing())
            m->cancel();
        throw;
    }
    if ((mode == 1 && !onFirst) || mode == 4)
        MoveAfterChoice(4);
    else if (mode == 5)
        GoToNextLine();
}

void TFrameDeru::ApplyOldValueToAllLines(int section)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive() || m->isEmpty())
        return;
    if (m->isEditing())
        m->post();
    const Bookmark mark = m->bookmark();
    WaitCursor wait;
    m->disableControls();
    DatMod->BulkEditing = true;
    struct Back
    {
        TMeisaiClientDataSet *m;
        Bookmark mark;
        ~Back()
        {
            DatMod->BulkEditing = false;
            m->gotoBookmark(mark);
            m->enableControls();
        }
    } back{m, mark};
    for (m->first(); !m->eof(); m->next()) {
        // Only the page's own lines that may still change.
        if (m->IsReadOnlyRecord() || m->fieldByName(u"STYLE"_s)->asInteger() != m->CltDataStyle
            || m->fieldByName(u"ORIGIN"_s)->asInteger() != m->CltOrigin)
            continue;
        m->edit();
        OldData.ApplyValue(section);
        m->post();
    }
}

void TFrameDeru::ApplyOldValueToCurrentColumn()
{
    const int column = MyDbGridMeisai->currentIndex().column();
    for (int s = 1; s < HdCtrOldValue->count(); ++s)
        if (OldData.ColumnOfSection(s) == column) {
            OldData.Suspended = true;
            struct Resume
            {
                TOldDataClass &d;
                ~Resume() { d.Suspended = false; }
            } resume{OldData};
            ApplyOldValue(s, 3);
            CalcDetailTotals();
            return;
        }
}
