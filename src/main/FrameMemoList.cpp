#include "main/FrameMemoList.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/BevelLabel.h"
#include "controls/ColorUpDown.h"
#include "controls/DayEdit.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "main/FormMemoSearch.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/system/Exception.h"
#include "platform/system/ShiftJis.h"
#include "printing/ReportDiary.h"
#include "printing/ReportPreView.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"

using namespace Qt::StringLiterals;

namespace {

const QString kSection = u"FrameMemoList"_s;
const QString kFileFilter = u"テキストファイル (*.txt *.TXT);;すべてのファイル (*)"_s;
const QString kDefaultFile = u"日記.txt"_s;

// A diary file is UTF-8; one that is not (written by an older program) is
// read as Shift-JIS.
QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromShiftJis(bytes);
}

} // namespace

TFrameMemoList::TFrameMemoList(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(u"FrameMemoList"_s);
    buildUi();
    // Whenever the page itself or the panel grid holds the focus, typing
    // belongs in the day memo.
    connect(IdleHook::instance(), &IdleHook::idle, this, [this] {
        if (isVisible() && (hasFocus() || DBCtrlGrid1->hasFocus()) && DBMemo1->isVisible() && DBMemo1->isEnabled())
            DBMemo1->setFocus();
    });
    m_shownYear = QDate::currentDate().year();
    m_shownMonth = QDate::currentDate().month();
}

TFrameMemoList::~TFrameMemoList()
{
    if (m_search)
        delete m_search;
}

void TFrameMemoList::buildUi()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(3);

    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    // The day box refuses an impossible date instead of rolling it to another day.
    DTPicker = new TDayEdit(QDate::currentDate(), this);
    DTPicker->setObjectName(u"DTPicker"_s);
    DTPicker->setCalendarPopup(true);
    DTPicker->setDisplayFormat(u"yyyy/MM/dd"_s);
    DTPicker->setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(DTPicker, &QDateEdit::dateChanged, this, [this] {
        if (!m_suspended && m_loaded)
            DTPickerChange();
    });
    top->addWidget(DTPicker);
    UpDown1 = new TColorUpDown(this);
    UpDown1->setOrientation(udHorizontal);
    UpDown1->setFixedSize(40, 25);
    connect(UpDown1, &TColorUpDown::clicked, this, [this](TUDBtnType b) { UpDown1Click(b == btNext); });
    top->addWidget(UpDown1);
    auto button = [this, top](const QString &caption) {
        auto *b = new TFrameBtn(this);
        b->setText(caption);
        b->setMinimumSize(QSize(64, 26));
        top->addWidget(b);
        return b;
    };
    FrToday = button(u"今日"_s);
    connect(FrToday, &QAbstractButton::clicked, this, &TFrameMemoList::FrTodayClick);
    FrBtnAMonth = button(u"一ヶ月ずつ"_s);
    FrBtnAWeek = button(u"一週間ずつ"_s);
    FrBtnADay = button(u"一日ずつ"_s);
    for (auto [b, v] : {std::pair{FrBtnAMonth, mvMonth}, std::pair{FrBtnAWeek, mvWeek}, std::pair{FrBtnADay, mvDay}}) {
        b->setGroupIndex(1);
        const TMemoView target = v;
        connect(b, &QAbstractButton::clicked, this, [this, target] { SetView(target); });
    }
    FrBtnAMonth->SetDown(true);
    LbYearMonth = new TBevelLabel(this);
    LbYearMonth->setObjectName(u"LbYearMonth"_s);
    LbYearMonth->setMinimumWidth(150);
    top->addWidget(LbYearMonth);
    top->addStretch(1);
    FrSearch = button(u"日記検索"_s);
    connect(FrSearch, &QAbstractButton::clicked, this, &TFrameMemoList::FrSearchClick);
    outer->addLayout(top);

    auto *bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    TolBtnFile = new QToolButton(bar);
    TolBtnFile->setText(u"ファイル"_s);
    TolBtnFile->setPopupMode(QToolButton::InstantPopup);
    auto *fileMenu = new QMenu(TolBtnFile);
    FileOpen1 = fileMenu->addAction(u"開く(&O)..."_s, this, &TFrameMemoList::FileOpen1Execute);
    FileSaveAs1 = fileMenu->addAction(u"名前を付けて保存(&A)..."_s, this, &TFrameMemoList::FileSaveAs1Execute);
    TolBtnFile->setMenu(fileMenu);
    bar->addWidget(TolBtnFile);
    bar->addSeparator();

    DBCtrlGrid1 = new TMemoPanelGrid(this);
    DBCtrlGrid1->setObjectName(u"DBCtrlGrid1"_s);
    DBMemo1 = DBCtrlGrid1->memo();
    DBMemo1->installEventFilter(this);
    connect(DBCtrlGrid1, &TMemoPanelGrid::panelClicked, this, &TFrameMemoList::panelClicked);
    connect(DBCtrlGrid1, &TMemoPanelGrid::pageRequested, this, [this](int d) { UpDown1Click(d > 0); });
    connect(DBMemo1, &QPlainTextEdit::modificationChanged, this, [this] { updateActions(); });

    auto edit = [this, bar](const QString &caption, auto slot) {
        QAction *a = bar->addAction(caption);
        connect(a, &QAction::triggered, DBMemo1, slot);
        return a;
    };
    edit(u"切り取り"_s, &QPlainTextEdit::cut);
    edit(u"コピー"_s, &QPlainTextEdit::copy);
    edit(u"貼り付け"_s, &QPlainTextEdit::paste);
    edit(u"すべて選択"_s, &QPlainTextEdit::selectAll);
    edit(u"元に戻す"_s, &QPlainTextEdit::undo);
    QAction *del = bar->addAction(u"削除"_s);
    connect(del, &QAction::triggered, this, [this] {
        if (!DBMemo1->isReadOnly())
            DBMemo1->textCursor().removeSelectedText();
    });
    bar->addSeparator();
    ActionPrint = bar->addAction(u"印刷"_s, this, &TFrameMemoList::ActionPrintExecute);
    ActionPrint->setObjectName(u"ActionPrint"_s);
    FontEdit1 = bar->addAction(u"フォントの選択"_s, this, &TFrameMemoList::FontEdit1Execute);
    outer->addWidget(bar);
    outer->addWidget(DBCtrlGrid1, 1);
    updateActions();
}

void TFrameMemoList::ActionPrintExecute()
{
    if (FormLrpPreView)
        return;
    const int rows = DBCtrlGrid1->rowCount(), cols = DBCtrlGrid1->colCount();
    // The report follows the page: a day, a week as a list, or the calendar.
    const int kind = rows == 1 ? lpNikkiADay : rows == 7 && cols == 1 ? lpNikkiAWeek : lpNikkiAMonth;
    TDiarySource source;
    for (const MemoRow &row : MemoClt())
        source.MemoClt.append({row.RECDATE, row.MEMO});
    source.First = firstDate();
    source.Last = lastDate();
    source.MemoFont = DBMemo1->font();
    TFormLrpPreView preview(this, kind);
    if (TFrameLrpMemoList *report = preview.BuildNikkiReport(source, rows, cols))
        report->LRItemTitle->SetText(LbYearMonth->text());
    ExecReportPreview(preview);
    ShowDate(DTPicker->date());
}

void TFrameMemoList::InitPage()
{
    QFont font = DBMemo1->font();
    QColor color = m_fontColor;
    if (RegIni)
        LoadFontFromRegistry(kSection, font, color);
    ApplyMemoFont(font, color, false);
    setProperty("helpContext", 10090);
    RefreshPage();
}

bool TFrameMemoList::LeavePage()
{
    try {
        MemoCltBeforeScroll();
    } catch (const Exception &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    if (m_search)
        m_search->close();
    return true;
}

bool TFrameMemoList::CommitForClose()
{
    // The window only asks whether to close anyway; why the day could not be
    // written is said here, and the text stays in the editor.
    try {
        MemoCltBeforeScroll();
    } catch (const Exception &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

QDate TFrameMemoList::currentDate() const
{
    return m_current >= 0 && m_current < m_rows.size() ? m_rows.at(m_current).RECDATE : QDate();
}

bool TFrameMemoList::dayLocked(const QDate &date) const
{
    return CurLockDate.isValid() && date.isValid() && date <= CurLockDate;
}

void TFrameMemoList::LoadDays()
{
    MemoCltBeforeScroll();
    const QDate picked = DTPicker->date();
    QDate gridStart, first, last;
    int days = 0;
    switch (m_view) {
    case mvMonth: {
        first = QDate(m_shownYear, m_shownMonth, 1);
        last = first.addMonths(1).addDays(-1);
        gridStart = first.addDays(-(first.dayOfWeek() % 7));
        const QDate gridEnd = last.addDays(6 - last.dayOfWeek() % 7);
        days = int(gridStart.daysTo(gridEnd)) + 1;
        break;
    }
    case mvWeek:
        first = picked.addDays(-(picked.dayOfWeek() % 7));
        last = first.addDays(6);
        gridStart = first;
        days = 7;
        break;
    case mvDay:
        first = last = picked;
        gridStart = picked;
        days = 1;
        break;
    }

    QHash<QDate, QString> stored;
    if (DatMod && DatMod->DataOpen) {
        // One query for the shown days, never one per day.
        try {
            Statement st(DatMod->MainDatabase, u"SELECT RECDATE, MEMO FROM Memo WHERE RECDATE BETWEEN ? AND ?"_s);
            st.bind(1, gridStart.toString(Qt::ISODate));
            st.bind(2, gridStart.addDays(days - 1).toString(Qt::ISODate));
            while (st.next())
                stored.insert(QDate::fromString(st.textValue(0), Qt::ISODate), st.textValue(1));
        } catch (const EDatabaseError &e) {
            throw Exception(u"日記を読み込めませんでした。\n\n"_s + e.message());
        }
    }
    m_first = first;
    m_last = last;
    m_suspended = true;
    m_rows.clear();
    m_current = -1;
    QList<QDate> dates;
    QStringList texts;
    for (int i = 0; i < days; ++i) {
        const QDate d = gridStart.addDays(i);
        m_rows.append({d, stored.value(d)});
        dates << d;
        texts << stored.value(d);
    }
    const int cols = m_view == mvMonth ? 7 : 1;
    const int rows = m_view == mvMonth ? days / 7 : days;
    DBCtrlGrid1->setDays(dates, texts, cols, rows, TMemoPanelGrid::View(m_view), m_shownMonth);
    m_loaded = true;
    updateCaption();
    m_suspended = false;
    DTPickerChange();
    updateActions();
}

void TFrameMemoList::updateCaption()
{
    QString caption;
    if (m_view == mvMonth)
        caption = u"%1年 %2月"_s.arg(m_shownYear).arg(m_shownMonth);
    else if (m_first.year() == m_last.year() && m_first.month() == m_last.month())
        caption = u"%1年 %2月"_s.arg(m_first.year()).arg(m_first.month());
    else
        caption = u"%1年 %2～%3月"_s.arg(m_first.year()).arg(m_first.month()).arg(m_last.month());
    LbYearMonth->setText(caption);
}

void TFrameMemoList::DTPickerChange()
{
    const QDate date = DTPicker->date();
    const int shownYear = m_shownYear;
    const int shownMonth = m_shownMonth;
    try {
        if (!m_loaded || date < m_first || date > m_last) {
            m_shownYear = date.year();
            m_shownMonth = date.month();
            LoadDays();
            return;
        }
        for (int i = 0; i < m_rows.size(); ++i) {
            if (m_rows.at(i).RECDATE == date) {
                moveToRow(i);
                return;
            }
        }
    } catch (const Exception &) {
        // The day shown did not change (its text could not be written): the
        // picker goes back to it rather than name a day that is not shown.
        m_shownYear = shownYear;
        m_shownMonth = shownMonth;
        const QDate current = currentDate();
        if (current.isValid() && DTPicker->date() != current) {
            const bool suspended = m_suspended;
            m_suspended = true;
            DTPicker->setDate(current);
            m_suspended = suspended;
        }
        throw;
    }
}

void TFrameMemoList::ShowDate(const QDate &date)
{
    m_suspended = true;
    DTPicker->setDate(date);
    m_suspended = false;
    DTPickerChange();
}

void TFrameMemoList::moveToRow(int index)
{
    if (index == m_current)
        return;
    MemoCltBeforeScroll();
    m_current = index;
    MemoCltAfterScroll();
}

void TFrameMemoList::MemoCltAfterScroll()
{
    const MemoRow &row = m_rows.at(m_current);
    const QSignalBlocker block(DBMemo1);
    DBMemo1->setPlainText(row.MEMO);
    DBMemo1->document()->setModified(false);
    DBMemo1->setReadOnly(dayLocked(row.RECDATE));
    DBCtrlGrid1->setCurrent(m_current);
    if (!m_suspended && DTPicker->date() != row.RECDATE) {
        m_suspended = true;
        DTPicker->setDate(row.RECDATE);
        m_suspended = false;
    }
    updateActions();
}

void TFrameMemoList::MemoCltBeforeScroll()
{
    if (m_current < 0 || m_current >= m_rows.size() || !DBMemo1->document()->isModified())
        return;
    const QDate date = m_rows.at(m_current).RECDATE;
    if (dayLocked(date)) {
        // A locked day is never written: the memo goes back to what is stored.
        const QSignalBlocker block(DBMemo1);
        DBMemo1->setPlainText(m_rows.at(m_current).MEMO);
        DBMemo1->document()->setModified(false);
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Error, mbOK);
        return;
    }
    const QString text = DBMemo1->toPlainText();
    writeDay(date, text);
    m_rows[m_current].MEMO = text;
    DBCtrlGrid1->setText(m_current, text);
    DBMemo1->document()->setModified(false);
}

// Found and not empty: replaced; found and empty: deleted; not found and not
// empty: appended (numbered by the table's new-row rule).
void TFrameMemoList::writeDay(const QDate &date, const QString &text)
{
    Table *t = DatMod ? DatMod->MemoTbl : nullptr;
    if (!t || !t->isActive())
        throw Exception(u"日記を保存できません。家計簿が開いていません。"_s);
    try {
        if (t->locate(u"RECDATE"_s, date)) {
            if (!text.isEmpty()) {
                t->edit();
                t->fieldByName(u"MEMO"_s)->setAsString(text);
                t->post();
            } else {
                t->remove();
            }
        } else if (!text.isEmpty()) {
            t->append();
            t->fieldByName(u"RECDATE"_s)->setAsDate(date);
            t->fieldByName(u"MEMO"_s)->setAsString(text);
            t->post();
        }
        t->flushBuffers();
    } catch (const EDatabaseError &e) {
        if (t->state() != DataSetState::Browse)
            t->cancel();
        throw Exception(u"日記を保存できませんでした。\n\n"_s + e.message());
    }
}

void TFrameMemoList::SetView(TMemoView view)
{
    auto showView = [this](TMemoView v) {
        FrBtnAMonth->SetDown(v == mvMonth);
        FrBtnAWeek->SetDown(v == mvWeek);
        FrBtnADay->SetDown(v == mvDay);
    };
    try {
        MemoCltBeforeScroll();
    } catch (const Exception &) {
        // The day was not written: the view stays, and so do its buttons.
        showView(m_view);
        throw;
    }
    showView(view);
    m_view = view;
    const QDate d = DTPicker->date();
    m_shownYear = d.year();
    m_shownMonth = d.month();
    LoadDays();
    DBCtrlGrid1->ArrangeMemo();
}

void TFrameMemoList::UpDown1Click(bool next)
{
    QDate d = DTPicker->date();
    switch (m_view) {
    case mvMonth: {
        const QDate monthStart(m_shownYear, m_shownMonth, 1);
        if (!next && d >= monthStart)
            d = d.addMonths(-1);
        else if (next && d <= monthStart.addMonths(1).addDays(-1))
            d = d.addMonths(1);
        break;
    }
    case mvWeek:
        d = d.addDays(next ? 7 : -7);
        break;
    case mvDay:
        d = d.addDays(next ? 1 : -1);
        break;
    }
    ShowDate(d);
}

void TFrameMemoList::FrTodayClick() { ShowDate(QDate::currentDate()); }

void TFrameMemoList::panelClicked(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    // The day becomes current where it stands, also a neighbouring month's
    // day in month view; the picker follows it.
    moveToRow(index);
    DBMemo1->setFocus();
}

bool TFrameMemoList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBMemo1 && event->type() == QEvent::KeyPress && memoKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (watched == DBMemo1 && event->type() == QEvent::FocusIn)
        updateActions();
    return QFrame::eventFilter(watched, event);
}

// Whether the caret stands on the first (or last) shown line of the text,
// counting the lines a long paragraph wraps into.
static bool onEdgeLine(const QTextCursor &cursor, bool first)
{
    const QTextBlock block = cursor.block();
    const QTextDocument *doc = cursor.document();
    if (block != (first ? doc->firstBlock() : doc->lastBlock()))
        return false;
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return true;
    const int line = layout->lineForTextPosition(cursor.positionInBlock()).lineNumber();
    return first ? line <= 0 : (line < 0 || line >= layout->lineCount() - 1);
}

// Arrow keys at the edge of the text (or with Ctrl alone) move the day.
bool TFrameMemoList::memoKey(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() == Qt::ControlModifier;
    if (event->modifiers() != Qt::NoModifier && !ctrl)
        return false;
    const QTextCursor cursor = DBMemo1->textCursor();
    const int length = DBMemo1->document()->characterCount() - 1;
    const int week = m_view == mvMonth ? 7 : 1;
    int step = 0;
    bool caretAtEnd = false;
    switch (event->key()) {
    case Qt::Key_Left:
        if (ctrl || (cursor.position() == 0 && !cursor.hasSelection())) {
            step = -1;
            caretAtEnd = !ctrl;
        }
        break;
    case Qt::Key_Up: {
        if (ctrl || onEdgeLine(cursor, true)) {
            step = -week;
            caretAtEnd = !ctrl;
        }
        break;
    }
    case Qt::Key_Right:
        if (ctrl || (cursor.position() == length && !cursor.hasSelection()))
            step = 1;
        break;
    case Qt::Key_Down: {
        if (ctrl || onEdgeLine(cursor, false))
            step = week;
        break;
    }
    default:
        return false;
    }
    if (step == 0)
        return false;
    ShowDate(DTPicker->date().addDays(step));
    QTextCursor moved = DBMemo1->textCursor();
    moved.movePosition(caretAtEnd ? QTextCursor::End : QTextCursor::Start);
    DBMemo1->setTextCursor(moved);
    return true;
}

void TFrameMemoList::SelectMemoText(int line, int column, int length)
{
    const QTextBlock block = DBMemo1->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(DBMemo1->document());
    cursor.setPosition(block.position() + column - 1);
    cursor.setPosition(block.position() + column - 1 + length, QTextCursor::KeepAnchor);
    DBMemo1->setTextCursor(cursor);
}

void TFrameMemoList::updateActions()
{
    const bool open = m_loaded && m_current >= 0;
    // Loading a file replaces the text: never on a read-only (locked) day.
    FileOpen1->setEnabled(open && !DBMemo1->isReadOnly());
    FileSaveAs1->setEnabled(open && !DBMemo1->toPlainText().isEmpty());
}

bool TFrameMemoList::OpenFile(const QString &path)
{
    if (m_current < 0 || DBMemo1->isReadOnly() || dayLocked(currentDate())) {
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Error, mbOK);
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        MessageDlg(u"ファイルを開けません。\n%1"_s.arg(path), MsgDlgType::Error, mbOK);
        return false;
    }
    DBMemo1->setPlainText(decodeText(f.readAll()));
    DBMemo1->document()->setModified(true);
    updateActions();
    return true;
}

bool TFrameMemoList::SaveFileAs(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(DBMemo1->toPlainText().toUtf8()) < 0) {
        MessageDlg(u"ファイルに書き込めません。\n%1"_s.arg(path), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

void TFrameMemoList::FileOpen1Execute()
{
    const QString path = OpenFileDialog(this, u"開く"_s, kDefaultFile, kFileFilter);
    if (!path.isEmpty())
        OpenFile(path);
}

void TFrameMemoList::FileSaveAs1Execute()
{
    const QString path = SaveFileDialog(this, u"名前を付けて保存"_s, kDefaultFile, kFileFilter, u"txt"_s);
    if (!path.isEmpty())
        SaveFileAs(path);
}

void TFrameMemoList::ApplyMemoFont(const QFont &font, const QColor &color, bool store)
{
    DBMemo1->setFont(font);
    m_fontColor = color;
    QPalette pal = DBMemo1->palette();
    pal.setColor(QPalette::Text, color);
    DBMemo1->setPalette(pal);
    DBCtrlGrid1->update();
    if (store)
        SaveFontToRegistry(kSection, font, color);
}

void TFrameMemoList::FontEdit1Execute()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, DBMemo1->font(), this, u"フォントの選択"_s);
    if (ok)
        ApplyMemoFont(font, m_fontColor, true);
}

void TFrameMemoList::FrSearchClick()
{
    QCoreApplication::processEvents();
    if (!m_search)
        m_search = new TFormMemoSearch(this);
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

TFormMemoSearch *TFrameMemoList::searchWindow() const { return m_search; }
