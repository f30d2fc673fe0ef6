// The journal page's side of choosing: the column buttons over the table and
// slip list, the selector shown for the column, and a choice written into the
// lines by the selector's write mode.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QChildEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolBar>

#include "controls/CurrencyGrid.h"
#include "controls/MyCalendar.h"
#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "main/ChoicePanel.h"
#include "main/FormFukuHinmei.h"
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

QAction *TFrameDeru::columnButtonOf(const TToolBtnRec &rec) const
{
    if (!m_columnButtons || rec.Kind == 0)
        return nullptr;
    for (QAction *a : m_columnButtons->actions())
        if (a->data().toInt() == rec.Kind && a->property("slipField").toBool() == rec.SlipField
            && a->property("viewField").toString().compare(rec.ViewField, Qt::CaseInsensitive) == 0)
            return a;
    return nullptr;
}

void TFrameDeru::PressColumnButtonByRec(const TToolBtnRec *rec)
{
    if (!m_columnButtons || m_columnButtons->actions().isEmpty())
        return;
    QAction *a = rec ? columnButtonOf(*rec) : nullptr;
    TToolBtnRec open;
    if (a) {
        open = *rec;
    } else {
        // No button of its own: the first button, the table or the slip list.
        a = m_columnButtons->actions().first();
        for (const TToolBtnRec &r : std::as_const(ColumnList))
            if (r.Kind == a->data().toInt()) {
                open = r;
                break;
            }
    }
    if (a->isChecked() || open.Kind == 0)
        return;
    TolBtn1Click(open, false, true);
}

void TFrameDeru::OpenGridColumn(int column)
{
    if (column < 0)
        return;
    const QString field = MyDbGridMeisai->column(column).fieldName;
    const TToolBtnRec *rec = nullptr;
    for (const TToolBtnRec &r : std::as_const(ColumnList))
        if (!r.SlipField && !field.isEmpty() && r.ViewField.compare(field, Qt::CaseInsensitive) == 0) {
            rec = &r;
            break;
        }
    PressColumnButtonByRec(rec);
    // The cell's own text is what Alt filters the list by (ToggleSelecterAssist
    // reads it then): a click alone leaves the whole list to choose from.
    QWidget *focus = QApplication::focusWidget();
    if (MyDbGridMeisai->isVisible() && MyDbGridMeisai->isEnabled() && focus != MyDbGridMeisai
        && !MyDbGridMeisai->isAncestorOf(focus))
        MyDbGridMeisai->setFocus();
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

void TFrameDeru::TolBtn1Click(const TToolBtnRec &rec, bool focus, bool fromGrid)
{
    HideFormFukuHinmei();
    TMeisaiClientDataSet *m = meisai();
    // A cell of the line being typed keeps the line in edit: a new line
    // entered column by column is not posted half made.
    if (m && m->isEditing() && !fromGrid)
        m->post();
    if (QAction *a = columnButtonOf(rec))
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
    if (col >= 0 && fromGrid) {
        SelOnFirstColumn = col == firstVisibleColumn(MyDbGridMeisai);
    } else if (col >= 0) {
        // The line the data set stands on, the grid following it.
        const int row = m && m->isActive() && !m->isEmpty() ? m->recNo() - 1 : qMax(0, MyDbGridMeisai->currentIndex().row());
        const QModelIndex index = MyDbGridMeisai->dataModel()->index(row, col);
        if (index.isValid())
            MyDbGridMeisai->setCurrentIndex(index);
        SelOnFirstColumn = col == firstVisibleColumn(MyDbGridMeisai);
    } else {
        SelOnFirstColumn = false;
        if (SlipPanel && rec.Kind == 19 && SlipPanel->DBEditCredit->isVisible() && focus)
            SlipPanel->DBEditCredit->setFocus();
        else if (SlipPanel && isCalendarKind(rec.Kind) && rec.Kind != 20 && SlipPanel->DBEditDate->isVisible() && focus)
            SlipPanel->DBEditDate->setFocus();
    }
    PnLeftStack->setCurrentWidget(FrSelecter);
    RefreshSelecter();
    FrSelecter->PnlTuika->SetKind(rec.Kind);
    if (focus && col >= 0)
        FrSelecter->DBCtlGridSelecter->setFocus();
    else if (focus && !SelRec.SlipField)
        (FrSelecter->CalendarShown ? static_cast<QWidget *>(FrSelecter->MyCalendar)
                                   : static_cast<QWidget *>(FrSelecter->DBCtlGridSelecter))
            ->setFocus();
}

void TFrameDeru::ToggleSelecterAssist()
{
    if (!Attached || !TFrameSelecter::KindHasList(SelKind))
        return;
    FrSelecter->ToggleAssist(MyDbGridMeisai->currentCellText());
}

int TFrameDeru::selecterListCode() const
{
    if (InputMode == 1)
        return CurCode;
    TMeisaiClientDataSet *m = meisai();
    if (SelKind == 21)
        return m ? m->CltCreditCODE : -1;
    if (m && m->isActive() && !m->isEmpty())
        return int(m->fieldByName(sideField())->asInteger());
    return -1;
}

void TFrameDeru::RefreshSelecter()
{
    SelecterRefreshPending = false;
    if (SelKind < 3)
        return;
    if (isCalendarKind(SelKind)) {
        ShowSelecterCalendar();
        return;
    }
    FrSelecter->ShowCodes = CodeInput;
    FrSelecter->ShowList(SelKind, selecterListCode(), FrameKind, false);
}

void TFrameDeru::SelecterFollowLine()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive() || m->controlsDisabled() || FrSelecter->Choosing
        || PnLeftStack->currentWidget() != FrSelecter || SelRec.SlipField)
        return;
    if (FrSelecter->CalendarShown) {
        // A slip's lines may lie on different days of its month.
        if (InputMode == 3 || InputMode == 7 || InputMode == 8)
            if (Field *f = m->findField(SelRec.EditField); f && !f->isNull())
                FrSelecter->ShowDate(f->asDate());
        return;
    }
    // A slip's lines each have their category: its items and shops. The list
    // is shown afresh only when the line's category differs from the shown one.
    const int code = selecterListCode();
    if (TFrameSelecter::KindHasList(SelKind) && FrSelecter->ListCode != (SelKind == 11 ? 13 : code))
        RefreshSelecter();
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
        if (isCalendarKind(SelKind)) {
            if (!date.isValid()) {
                slip->cancel();
                return;
            }
            f->setAsDate(date);
            slip->post();
            if (SelKind == 3 && m) {
                slip->CltDate = date;
                m->CltDate = date;
            }
            SlipPanel->CopySlipFieldToLines(*f);
            if (!shift.testFlag(Qt::ControlModifier))
                FocusBackFromChoice();
            return;
        }
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
    if (isCalendarKind(SelKind)) {
        if (!date.isValid())
            return;
        m->CltDate = date;
    }
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

bool TFrameDeru::FocusBackFromChoice()
{
    QWidget *focus = QApplication::focusWidget();
    TFormFukuHinmei *sub = ExistingFormFukuHinmei();
    const bool inList = focus && focus == FrSelecter->DBCtlGridSelecter;
    const bool inSubList = focus && sub && focus == sub->DBClGridFukuHinmei;
    const bool inCalendar = focus && focus == FrSelecter->MyCalendar;
    auto take = [](QWidget *box) {
        if (!box || !box->isVisible() || !box->isEnabled())
            return false;
        box->setFocus();
        return true;
    };
    if (SelRec.SlipField && SlipPanel && (inList || inSubList)) {
        if (SelKind == 11)
            return take(SlipPanel->DBEditShop);
        if (SelKind == 19)
            return take(SlipPanel->DBEditCredit);
        if (SelKind == 21)
            return take(SlipPanel->DBEditPayKouza);
    }
    if (SelRec.SlipField && SlipPanel && inCalendar) {
        if (SelKind == 3)
            return take(SlipPanel->DBEditDate);
        if (SelKind == 20)
            return take(SlipPanel->DBEditPayDate);
    }
    const bool inChoice = inList || inSubList || inCalendar || (focus && (focus == Hyou || Hyou->isAncestorOf(focus)))
                          || (focus && ReceiptList->isAncestorOf(focus));
    if (!inChoice)
        return false;
    if (MyDbGridMeisai->isVisible() && MyDbGridMeisai->isEnabled()) {
        MyDbGridMeisai->setFocus();
        return true;
    }
    return false;
}

bool TFrameDeru::TabToOrFromChoice()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !Attached)
        return false;
    auto take = [](QWidget *w) {
        if (!w || !w->isVisible() || !w->isEnabled())
            return false;
        w->setFocus(Qt::TabFocusReason);
        return true;
    };
    if (focus == MyDbGridMeisai || MyDbGridMeisai->isAncestorOf(focus)) {
        if (MyDbGridMeisai->editorMode())
            MyDbGridMeisai->postEditor();
        return take(FrSelecter->DBCtlGridSelecter) || take(FrSelecter->MyCalendar)
               || take(ReceiptList->MyDbGridReceipt) || take(Hyou);
    }
    if (SlipPanel && (focus == SlipPanel->DBEditDate || focus == SlipPanel->DBEditPayDate)) {
        if (take(FrSelecter->MyCalendar))
            return true;
    } else if (SlipPanel
               && (focus == SlipPanel->DBEditShop || focus == SlipPanel->DBEditCredit
                   || focus == SlipPanel->DBEditPayKouza)) {
        if (take(FrSelecter->DBCtlGridSelecter))
            return true;
    }
    return FocusBackFromChoice();
}

bool TFrameDeru::focusNextPrevChild(bool next)
{
    if (next && TabToOrFromChoice())
        return true;
    return QFrame::focusNextPrevChild(next);
}

void TFrameDeru::AttachChoiceHooks()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m)
        return;
    m->CltSelecter = FrSelecter;
    // The typed filter serves the line it was typed for: any move (and every save) ends it.
    m->OnUncheckAssist = [this] { FrSelecter->SetAssist(false); };
    m->OnFieldChange = [this, m](Field &field) {
        // A new line's defaults are not values the user entered.
        if (m->CltBusyState != 1)
            OldData.FieldChanged(field);
    };
    if (TMeisaiClientDataSet *slip = DatMod ? DatMod->ReceiptClt : nullptr) {
        // A card or payment account typed into the slip header is taken as
        // if it had been chosen in its column, which writes it to the lines.
        slip->OnChooseCode = [this](Field &field, int code) {
            field.setAsInteger(code);
            if (SelRec.SlipField && SelRec.EditField.compare(field.fieldName(), Qt::CaseInsensitive) == 0)
                FrSelecter->ChooseCode(code, HimokuCodeToName(code), QDate());
            else
                SlipPanel->CopySlipFieldToLines(field);
        };
    }
    FrSelecter->OnCalcDateRange = [this](int year, int month, int &simeBi, QDate &start, QDate &end) {
        int code = -1;
        if (SelKind == 3 || ((SelKind == 5 || SelKind == 6) && InputMode != 3))
            code = PeriodCode;
        else if ((SelKind == 5 || SelKind == 6) && InputMode == 3 && DatMod && DatMod->ReceiptClt)
            code = DatMod->ReceiptClt->CltCreditCODE;
        if (code < 0 || !DatMod)
            return;
        int day = 0, shift = 0;
        GetHimokuSimePeriod(DatMod->MainDatabase, code, year, month, CurSimeTuki, CurShiftNendo, day, shift, start,
                            end);
        if (SelKind == 3) {
            FrSelecter->MyCalendar->SimeStartDate = start;
            FrSelecter->MyCalendar->SimeEndDate = end;
        }
        if (day >= 0)
            simeBi = day;
    };
    FrSelecter->OnCalcDateGetudo = [this](const QDate &date, int &year, int &month, int &simeBi, QDate &start,
                                          QDate &end) {
        if (!DatMod || SelKind == 20)
            return;
        int code = -1;
        if (SelKind == 3 || ((SelKind == 5 || SelKind == 6) && InputMode != 3))
            code = PeriodCode;
        else if ((SelKind == 5 || SelKind == 6) && InputMode == 3 && DatMod->ReceiptClt)
            code = DatMod->ReceiptClt->CltCreditCODE;
        int day = 0, shift = 0, days = 0;
        FindHimokuSimeMonth(DatMod->MainDatabase, code, CurSimeTuki, CurShiftNendo, date, year, month, day, shift,
                            days, start, end);
        simeBi = day < 0 ? 0 : day;
    };
}

void TFrameDeru::ShowSelecterCalendar()
{
    // The date the column holds now: the slip's (its date or payment day) or the line's.
    QDate date;
    if (SelRec.SlipField) {
        TMeisaiClientDataSet *slip = DatMod ? DatMod->ReceiptClt : nullptr;
        if (slip && slip->isActive() && !slip->isEmpty())
            if (Field *f = slip->findField(SelRec.EditField); f && !f->isNull())
                date = f->asDate();
    } else if (TMeisaiClientDataSet *m = meisai(); m && m->isActive() && !m->isEmpty()) {
        if (Field *f = m->findField(SelRec.EditField); f && !f->isNull())
            date = f->asDate();
    }
    int year = ShownYear, month = ShownMonth;
    if (SelKind == 20) {
        const QDate shown = date.isValid() ? date : (PeriodEnd.isValid() ? PeriodEnd : QDate::currentDate());
        year = shown.year();
        month = shown.month();
    }
    FrSelecter->ShowCalendar(SelKind, year, month, CurSimeTuki, CurShiftNendo, SimeBi, SimeShift, PeriodStart,
                             PeriodEnd, date);
}

namespace {

// Calls back when a watched box takes the focus.
class FocusInWatch : public QObject
{
public:
    FocusInWatch(QObject *parent, std::function<void(QObject *)> onFocusIn)
        : QObject(parent), m_onFocusIn(std::move(onFocusIn))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_onFocusIn(watched);
        return false;
    }

private:
    std::function<void(QObject *)> m_onFocusIn;
};

// Calls back for every child made ready in a watched widget.
class ChildAddedWatch : public QObject
{
public:
    ChildAddedWatch(QObject *parent, std::function<void(QObject *)> onChild)
        : QObject(parent), m_onChild(std::move(onChild))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Polished, not added: when added the child is not yet of its own class.
        if (event->type() == QEvent::ChildPolished)
            m_onChild(static_cast<QChildEvent *>(event)->child());
        return false;
    }

private:
    std::function<void(QObject *)> m_onChild;
};

} // namespace

void TFrameDeru::PressColumnButtonByField(const QString &field, bool slipField)
{
    const TToolBtnRec *found = nullptr;
    for (const TToolBtnRec &rec : std::as_const(ColumnList))
        if (rec.Kind >= 3 && rec.SlipField == slipField && !field.isEmpty()
            && rec.ViewField.compare(field, Qt::CaseInsensitive) == 0) {
            found = &rec;
            break;
        }
    // A box without a column of its own leaves the left side as it is: the
    // table or slip list would take the focus from the box being entered.
    if (!found)
        return;
    QAction *a = columnButtonOf(*found);
    if (!a || a->isChecked())
        return;
    const TToolBtnRec rec = *found;
    TolBtn1Click(rec, false);
}

void TFrameDeru::SetUpChoiceWiring()
{
    connect(SlipPanel, &TSlipPanel::newSlipStarted, this, [this] {
        int kind = 0;
        if (InputMode == 2)
            kind = 3;
        else if (InputMode == 3)
            kind = FrameKind == 1 ? 14 : 19;
        else if (InputMode == 7)
            kind = 5;
        if (kind)
            PressColumnButtonByKind(kind);
    });
    auto *watch = new FocusInWatch(this, [this](QObject *box) {
        if (Attached && InputMode != 1)
            if (auto *edit = qobject_cast<TSlipFieldEdit *>(box))
                PressColumnButtonByField(edit->property("slipField").toString(), true);
    });
    // Text typed into a cell of the selector's column narrows its list and
    // stands ready in the add-choice box.
    auto *editors = new ChildAddedWatch(this, [this](QObject *child) {
        auto *editor = qobject_cast<QLineEdit *>(child);
        if (!editor || editor->property("feedsSelecter").toBool())
            return;
        editor->setProperty("feedsSelecter", true);
        connect(editor, &QLineEdit::textEdited, this, [this](const QString &text) {
            const int col = MyDbGridMeisai->currentIndex().column();
            if (!Attached || !TFrameSelecter::KindHasList(SelKind) || SelRec.SlipField || col < 0
                || MyDbGridMeisai->column(col).fieldName.compare(SelRec.ViewField, Qt::CaseInsensitive) != 0
                || text.trimmed().isEmpty())
                return;
            FrSelecter->SetAssistText(text.trimmed());
            FrSelecter->PnlTuika->EditTuika->setText(text.trimmed());
        });
    });
    MyDbGridMeisai->viewport()->installEventFilter(editors);
    const std::pair<TSlipFieldEdit *, const char *> boxes[] = {{SlipPanel->DBEditDate, "RecDate"},
                                                               {SlipPanel->DBEditShop, "ShopName"},
                                                               {SlipPanel->DBEditCredit, "CreditCode"},
                                                               {SlipPanel->DBEditPayDate, "PayDate"},
                                                               {SlipPanel->DBEditPayKouza, "PayKouza"}};
    for (const auto &[box, field] : boxes) {
        if (!box)
            continue;
        box->setProperty("slipField", QString::fromLatin1(field));
        box->installEventFilter(watch);
    }
}
