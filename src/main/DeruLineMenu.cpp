#include "main/DeruLineMenu.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "controls/GridUtils.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/LinePaste.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "platform/db/Abort.h"
#include "platform/db/Field.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

namespace {

// More lines than this are pasted only after the user agreed.
constexpr int kPasteAskLines = 50;

// The line operations run with the field rules off (the values come ready) and
// the grid quiet; both come back however the operation ends.
class LineOperation
{
public:
    explicit LineOperation(TMeisaiClientDataSet &lines) : m_lines(lines)
    {
        m_wasSuspended = DatMod->SuspendFieldEvents;
        m_lines.disableControls();
    }
    ~LineOperation()
    {
        DatMod->SuspendFieldEvents = m_wasSuspended;
        m_lines.enableControls();
    }
    void suspend() { DatMod->SuspendFieldEvents = true; }

private:
    TMeisaiClientDataSet &m_lines;
    bool m_wasSuspended = false;
};

// Takes back everything an operation posted since savePoint and tells the user
// why when the refusal has not done so already.
void rollBack(TMeisaiClientDataSet &lines, int savePoint, const QString &message)
{
    if (lines.isEditing())
        lines.cancel();
    lines.setSavePoint(savePoint);
    if (!message.isEmpty())
        ShowExceptionBox(QStringLiteral("行の操作を取り消しました。\n") + message);
}

QString nameCode(const QString &field)
{
    if (field == u"HinmeiName")
        return QStringLiteral("HINMEICODE");
    if (field == u"ShopName")
        return QStringLiteral("SHOPCODE");
    if (field == u"PersonName")
        return QStringLiteral("PERSONCODE");
    return QString();
}

bool isEmptyValue(const Field &field, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (field.dataType() == FieldType::String || field.dataType() == FieldType::Memo)
        return v.toString().isEmpty();
    if (field.dataType() == FieldType::Integer || field.dataType() == FieldType::Smallint)
        return v.toInt() == 0;
    return false;
}

} // namespace

TLineMenuHost TDeruLineMenu::journalHost(TFrameDeru *page)
{
    TLineMenuHost host;
    host.grid = page->MyDbGridMeisai;
    host.source = page->MeisaiCltSrc;
    host.navigator = page->TlBarDBNav;
    host.insertBefore = page->DataSetUndo1;
    host.lines = [page] { return page->Attached ? page->meisai() : nullptr; };
    host.totals = [page] { page->CalcDetailTotals(); };
    host.afterPaste = [page] { page->meisaiAfterScroll(); };
    host.pasteTarget = [page] {
        TPasteTarget target;
        target.pageKind = page->FrameKind;
        TMeisaiClientDataSet *m = page->meisai();
        target.layoutKind = m ? m->CltLayoutKind : 1;
        target.moveMode = page->MoveMode;
        target.categoryCounterpart = page->UseSyusiHimoku;
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        for (int i = 0; i < grid->columnCount(); ++i) {
            const TMyDBGridColumn c = grid->column(i);
            if (!c.fieldName.isEmpty())
                target.columns << TPasteColumn{c.fieldName, c.visible && !c.readOnly && !grid->isColumnHidden(i)};
        }
        return target;
    };
    return host;
}

TDeruLineMenu::TDeruLineMenu(TFrameDeru *page) : TDeruLineMenu(page, journalHost(page)) {}

TDeruLineMenu::TDeruLineMenu(QWidget *page, TLineMenuHost host) : QObject(page), m_host(std::move(host))
{
    TMeisaiGrid *grid = m_host.grid;
    PopActBndMeisai = new QMenu(page);
    PopActBndMeisai->setObjectName(QStringLiteral("PopActBndMeisai"));
    auto make = [this](const char *name, const QString &caption, const QKeySequence &key = {}) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetShortcut);
        }
        PopActBndMeisai->addAction(a);
        return a;
    };
    // The text actions are for the menu only: while the editor is open it takes
    // the keys itself, and the grid's keys belong to the line actions.
    EditCut1 = make("EditCut1", QStringLiteral("切り取り(&T)\tCtrl+X"));
    EditCopy1 = make("EditCopy1", QStringLiteral("コピー(&C)\tCtrl+C"));
    EditPaste1 = make("EditPaste1", QStringLiteral("貼り付け(&P)\tCtrl+V"));
    EditUndo1 = make("EditUndo1", QStringLiteral("元に戻す(&U)\tCtrl+Z"));
    ActiRecCut = make("ActiRecCut", QStringLiteral("行切り取り"), QKeySequence(Qt::CTRL | Qt::Key_X));
    ActRecCopy = make("ActRecCopy", QStringLiteral("行コピー"), QKeySequence(Qt::CTRL | Qt::Key_C));
    ActRecInsertPaste =
        make("ActRecInsertPaste", QStringLiteral("この位置に挿入貼り付け"), QKeySequence(Qt::CTRL | Qt::Key_V));
    ActRecAppendPaste = make("ActRecAppendPaste", QStringLiteral("最終行へ追加貼り付け"));
    ActRecMultiSelect = make("ActRecMultiSelect", QStringLiteral("連続選択(シフト+↓,コントロール+クリック)"));
    ActRecMultiSelect->setCheckable(true);
    ActSelectAll = make("ActSelectAll", QStringLiteral("すべて選択"));
    m_separators << PopActBndMeisai->addSeparator();
    ActShiftUp = make("ActShiftUp", QStringLiteral("上へずらす"));
    ActShiftDown = make("ActShiftDown", QStringLiteral("下へずらす"));
    m_separators << PopActBndMeisai->addSeparator();
    ActSavePoint = make("ActSavePoint", QStringLiteral("元に戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    for (QAction *a : {ActiRecCut, ActRecCopy, ActRecInsertPaste, ActSavePoint})
        grid->addAction(a);

    auto editor = [grid] { return qobject_cast<QLineEdit *>(grid->inplaceEditor()); };
    connect(EditCut1, &QAction::triggered, this, [this, editor] {
        if (QLineEdit *e = editor())
            e->cut();
        else
            CopyLines(true);
    });
    connect(EditCopy1, &QAction::triggered, this, [this, editor] {
        if (QLineEdit *e = editor())
            e->copy();
        else
            CopyLines(false);
    });
    connect(EditPaste1, &QAction::triggered, this, [this, editor] {
        if (QLineEdit *e = editor())
            e->paste();
        else
            PasteLines(false);
    });
    connect(EditUndo1, &QAction::triggered, this, [this, editor] {
        if (QLineEdit *e = editor())
            e->undo();
        else
            UndoLineOperation();
    });
    connect(ActiRecCut, &QAction::triggered, this, [this] { CopyLines(true); });
    connect(ActRecCopy, &QAction::triggered, this, [this] { CopyLines(false); });
    connect(ActRecInsertPaste, &QAction::triggered, this, [this] { PasteLines(false); });
    connect(ActRecAppendPaste, &QAction::triggered, this, [this] { PasteLines(true); });
    connect(ActSelectAll, &QAction::triggered, this, [this] { SelectAllLines(); });
    connect(ActRecMultiSelect, &QAction::triggered, this, [this, grid](bool checked) {
        // Checked: the current line starts a selection; unchecked: it is dropped.
        if (checked && grid->currentIndex().isValid())
            grid->toggleRowSelected(grid->currentIndex().row());
        else
            grid->clearSelection();
        UpdateActions();
    });
    connect(ActShiftUp, &QAction::triggered, this, [this] { ShiftColumn(true); });
    connect(ActShiftDown, &QAction::triggered, this, [this] { ShiftColumn(false); });
    connect(ActSavePoint, &QAction::triggered, this, [this] { UndoLineOperation(); });
    connect(PopActBndMeisai, &QMenu::aboutToShow, this, [this] {
        if (m_host.namedShift) {
            const int column = m_host.grid->currentIndex().column();
            const QString title = column >= 0 && column < m_host.grid->columnCount()
                ? m_host.grid->column(column).caption
                : QString();
            ActShiftUp->setText(QStringLiteral("ここから ") + title + QStringLiteral(" を上へずらす。"));
            ActShiftDown->setText(QStringLiteral("ここから ") + title + QStringLiteral(" を下へずらす。"));
        }
        UpdateActions();
    });

    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
        grid->setFocus();
        PopActBndMeisai->popup(grid->viewport()->mapToGlobal(pos));
    });
    BtnEdit = new QToolButton(m_host.navigator);
    BtnEdit->setObjectName(QStringLiteral("BtnEdit"));
    BtnEdit->setText(QStringLiteral("編集"));
    BtnEdit->setFocusPolicy(Qt::NoFocus);
    BtnEdit->setPopupMode(QToolButton::InstantPopup);
    BtnEdit->setMenu(PopActBndMeisai);
    // Beside 削除, where it is not pushed out of a narrow panel.
    m_host.navigator->insertWidget(m_host.insertBefore, BtnEdit);
    // The keys reach the actions only while they are enabled: the states follow
    // the grid's focus and the lines.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
    connect(m_host.source, &DataSource::dataChange, this, [this](Field *) { UpdateActions(); });
    connect(m_host.source, &DataSource::stateChange, this, [this] { UpdateActions(); });
    UpdateActions();
}

bool TDeruLineMenu::gridFocused() const
{
    TMeisaiGrid *grid = m_host.grid;
    QWidget *focus = QApplication::focusWidget();
    return focus && (focus == grid || grid->isAncestorOf(focus));
}

void TDeruLineMenu::UpdateActions()
{
    TMeisaiGrid *grid = m_host.grid;
    const bool editing = IsGridEditing(grid, EditCut1, true);
    for (QAction *a : {EditCopy1, EditPaste1, EditUndo1})
        IsGridEditing(grid, a, true);
    for (QAction *a : {ActiRecCut, ActRecCopy, ActRecInsertPaste, ActRecAppendPaste, ActRecMultiSelect, ActSelectAll,
                       ActShiftUp, ActShiftDown, ActSavePoint})
        IsGridEditing(grid, a, false);
    for (QAction *s : std::as_const(m_separators))
        s->setVisible(!editing);
    TMeisaiClientDataSet *m = m_host.lines();
    const bool focused = gridFocused();
    const bool open = focused && m && m->isActive();
    const bool lines = open && !m->isEmpty();
    TMeisaiClientDataSet *clip = DatMod ? CopyClt(*DatMod) : nullptr;
    const bool clipLines = clip && clip->isActive() && !clip->isEmpty();
    const bool guarded = lines && m->IsReadOnlyRecord();
    for (QAction *a : {ActiRecCut, ActRecCopy, ActSelectAll, ActRecMultiSelect})
        a->setEnabled(lines);
    ActRecMultiSelect->setChecked(grid->selectedCount() > 0);
    ActRecAppendPaste->setEnabled(open && clipLines);
    ActRecInsertPaste->setEnabled(open && clipLines && !guarded);
    const int column = grid->currentIndex().column();
    const bool editableColumn = column >= 0 && column < grid->columnCount() && !grid->column(column).readOnly;
    ActShiftUp->setEnabled(lines && editableColumn && !guarded);
    ActShiftDown->setEnabled(ActShiftUp->isEnabled());
    ActSavePoint->setEnabled(open && m->CltSavePoint != -1);
    for (QAction *a : {EditCut1, EditCopy1, EditPaste1, EditUndo1})
        a->setEnabled(editing || focused);
}

void TDeruLineMenu::CopyLines(bool cut)
{
    TMeisaiGrid *grid = m_host.grid;
    if (auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor())) {
        cut ? editor->cut() : editor->copy();
        return;
    }
    TMeisaiClientDataSet *m = m_host.lines();
    TMeisaiClientDataSet *clip = DatMod ? CopyClt(*DatMod) : nullptr;
    if (!m || !clip || !m->isActive() || m->isEmpty())
        return;
    try {
        m->checkBrowseMode();
    } catch (const EAbort &) {
        return; // the line's own refusal was shown
    }
    if (!clip->isActive())
        clip->createDataSet();
    clip->emptyDataSet();
    const int savePoint = m->savePoint();
    clip->CltLayoutKind = m->CltLayoutKind;
    clip->CltDataStyle = m->CltDataStyle;
    clip->CltSyuSiIdo = m->CltSyuSiIdo;
    QList<Bookmark> marks = grid->selectedBookmarks();
    if (marks.isEmpty())
        marks << m->bookmark();
    const Bookmark current = m->bookmark();
    {
        LineOperation op(*m);
        const int count = qMin(m->fieldCount(), clip->fieldCount());
        for (const Bookmark &mark : std::as_const(marks)) {
            if (!m->bookmarkValid(mark) || !m->gotoBookmark(mark))
                continue;
            clip->append();
            for (int i = 0; i < count; ++i)
                clip->field(i)->setValue(m->field(i)->value());
            clip->post();
        }
        if (cut) {
            try {
                for (int i = int(marks.size()) - 1; i >= 0; --i)
                    if (m->bookmarkValid(marks[i]) && m->gotoBookmark(marks[i]) && !m->IsReadOnlyRecord())
                        m->remove();
            } catch (const EAbort &) {
                rollBack(*m, savePoint, QString());
            } catch (const std::exception &e) {
                rollBack(*m, savePoint, QString::fromUtf8(e.what()));
            }
        } else if (m->bookmarkValid(current)) {
            m->gotoBookmark(current);
        }
    }
    // The clipboard is never saved: its rows are plain values, not changes.
    clip->mergeChangeLog();
    m->CltSavePoint = savePoint;
    grid->clearSelection();
    m_host.totals();
    UpdateActions();
}

void TDeruLineMenu::PasteLines(bool append)
{
    TMeisaiGrid *grid = m_host.grid;
    grid->clearSelection();
    if (auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor())) {
        if (!append)
            editor->paste();
        return;
    }
    TMeisaiClientDataSet *m = m_host.lines();
    TMeisaiClientDataSet *clip = DatMod ? CopyClt(*DatMod) : nullptr;
    if (!m || !m->isActive() || !clip || !clip->isActive() || clip->isEmpty())
        return;
    const int count = clip->recordCount();
    if (count > kPasteAskLines
        && MessageDlg(QStringLiteral("%1行ありますが、貼り付けていいですか？").arg(count), MsgDlgType::Information,
                      mbYesNo) != mrYes)
        return;
    try {
        m->checkBrowseMode();
    } catch (const EAbort &) {
        return;
    }
    // A line that may not be changed is not pushed down by lines put before it.
    if (!append && !m->isEmpty() && !m->eof() && m->IsReadOnlyRecord())
        return;
    const TPasteTarget target = m_host.pasteTarget();
    const TPasteSource source{clip->CltSyuSiIdo, clip->CltLayoutKind};
    const int savePoint = m->savePoint();
    const bool atEnd = append || m->isEmpty() || m->eof();
    {
        LineOperation op(*m);
        try {
            for (int n = 0; n < count; ++n) {
                clip->setRecNo(atEnd ? n + 1 : count - n);
                QVariantHash line;
                for (int i = 0; i < clip->fieldCount(); ++i)
                    line.insert(clip->field(i)->fieldName(), clip->field(i)->value());
                const TPastePlan plan = PlanPastedLine(target, source, line, GetHimokuKind);
                op.suspend();
                if (atEnd) {
                    m->last();
                    m->append();
                } else {
                    m->insert();
                }
                for (const TPasteAssignment &a : plan.values) {
                    Field *f = m->findField(a.field);
                    if (!f)
                        continue;
                    f->setValue(a.value);
                    if (a.field == u"AiteCode" || a.field == u"SelfCode")
                        SetAiteSelfCode(*f, a.value);
                }
                if (!plan.amountRuleField.isEmpty())
                    if (Field *f = m->findField(plan.amountRuleField))
                        ApplyKariKasiGaku(*f);
                m->post();
            }
        } catch (const EAbort &) {
            // A line the journal refused (a locked day): the user was told;
            // no part of the paste stays.
            rollBack(*m, savePoint, QString());
            m_host.totals();
            return;
        } catch (const std::exception &e) {
            rollBack(*m, savePoint, QString::fromUtf8(e.what()));
            m_host.totals();
            return;
        }
    }
    m->CltSavePoint = savePoint;
    if (m_host.afterPaste)
        m_host.afterPaste();
    m_host.totals();
    UpdateActions();
}

void TDeruLineMenu::ShiftColumn(bool up)
{
    TMeisaiGrid *grid = m_host.grid;
    TMeisaiClientDataSet *m = m_host.lines();
    const int column = grid->currentIndex().column();
    if (!m || !m->isActive() || m->isEmpty() || column < 0 || column >= grid->columnCount())
        return;
    const TMyDBGridColumn c = grid->column(column);
    Field *field = m->findField(c.fieldName);
    if (c.readOnly || !field)
        return;
    QList<Field *> fields{field};
    if (Field *code = m->findField(nameCode(c.fieldName)))
        fields << code;
    try {
        m->checkBrowseMode();
    } catch (const EAbort &) {
        return;
    }
    const int start = m->recNo();
    const int last = m->recordCount();
    // The old values of the lines the shift goes through: each line takes its
    // neighbour's value as it was, so nothing is lost on the way.
    QList<QVariantList> values;
    bool lockedLine = false, foreignLine = false;
    for (int rec = start; rec <= last; ++rec) {
        m->setRecNo(rec);
        QVariantList v;
        for (Field *f : std::as_const(fields))
            v << f->value();
        values << v;
        lockedLine = lockedLine || m->IsLockedRecord();
        foreignLine = foreignLine || m->IsForeignRecord();
    }
    if (lockedLine || foreignLine) {
        // A line that may not be changed stays as it is: the shift does not run.
        m->setRecNo(start);
        MessageDlg(lockedLine ? QString::fromUtf16(kLockedDateMessage)
                              : QStringLiteral("レシート、もしくは、クレジット入力されたデータは\r通常入力では変更できません。"),
                   MsgDlgType::Information, mbOK);
        return;
    }
    const QVariantList empty(fields.size());
    auto write = [&](const QVariantList &v) {
        m->edit();
        for (int i = 0; i < fields.size(); ++i)
            fields[i]->setValue(v.value(i));
        m->post();
    };
    auto insertWith = [&](const QVariantList &v) {
        m->insert();
        for (int i = 0; i < fields.size(); ++i)
            fields[i]->setValue(v.value(i));
        m->post();
    };
    const int savePoint = m->savePoint();
    {
        LineOperation op(*m);
        op.suspend();
        try {
            const int n = int(values.size());
            if (up) {
                for (int i = 0; i < n; ++i) {
                    m->setRecNo(start + i);
                    write(i + 1 < n ? values[i + 1] : empty);
                }
                const QVariantList moved = values[0];
                if (!isEmptyValue(*field, moved.value(0))) {
                    if (start == 1) {
                        m->first();
                        insertWith(moved);
                    } else {
                        m->setRecNo(start - 1);
                        const bool taken = !isEmptyValue(*field, field->value()) || m->IsReadOnlyRecord();
                        if (taken) {
                            m->setRecNo(start);
                            insertWith(moved);
                        } else {
                            write(moved);
                        }
                    }
                } else {
                    m->setRecNo(start);
                }
            } else {
                for (int i = 0; i < n; ++i) {
                    m->setRecNo(start + i);
                    write(i == 0 ? empty : values[i - 1]);
                }
                const QVariantList pushed = values[n - 1];
                if (!isEmptyValue(*field, pushed.value(0))) {
                    m->last();
                    m->append();
                    for (int i = 0; i < fields.size(); ++i)
                        fields[i]->setValue(pushed.value(i));
                    m->post();
                    m->setRecNo(start);
                }
            }
        } catch (const EAbort &) {
            rollBack(*m, savePoint, QString());
            m_host.totals();
            return;
        } catch (const std::exception &e) {
            rollBack(*m, savePoint, QString::fromUtf8(e.what()));
            m_host.totals();
            return;
        }
    }
    m->CltSavePoint = savePoint;
    m_host.totals();
    UpdateActions();
}

void TDeruLineMenu::UndoLineOperation()
{
    if (auto *editor = qobject_cast<QLineEdit *>(m_host.grid->inplaceEditor())) {
        editor->undo();
        return;
    }
    TMeisaiClientDataSet *m = m_host.lines();
    if (!m || !m->isActive() || m->CltSavePoint == -1)
        return;
    const int point = m->CltSavePoint;
    if (m->isEditing())
        m->cancel();
    m->setSavePoint(point);
    m->ClearSavePoint();
    m_host.totals();
    UpdateActions();
}

void TDeruLineMenu::SelectAllLines()
{
    TMeisaiClientDataSet *m = m_host.lines();
    if (!m || !m->isActive() || m->isEmpty())
        return;
    m_host.grid->selectAll();
    UpdateActions();
}
