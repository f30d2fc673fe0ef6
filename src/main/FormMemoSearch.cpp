#include "main/FormMemoSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/Utils.h"
#include "main/AWKStr.h"
#include "main/FrameMemoList.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

const QColor kBack(0xF5, 0xF2, 0xE7);      // $E7F2F5
const QColor kSelected(0xAB, 0xDB, 0xFF);  // $FFDBAB

bool blankOrControl(QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }

} // namespace

TFormMemoSearch::TFormMemoSearch(TFrameMemoList *diary)
    : QWidget(diary, Qt::Window)
    , m_diary(diary)
{
    setObjectName(u"FormMemoSearch"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"日記検索"_s);
    resize(475, 405);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBack);
    setPalette(pal);
    setAutoFillBackground(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    LbHint = new QLabel(u"表をクリックすると該当する日付にジャンプします。"_s, this);
    outer->addWidget(LbHint);

    MyDbGridMeisai = new QTableWidget(0, 2, this);
    MyDbGridMeisai->setObjectName(u"MyDbGridMeisai"_s);
    MyDbGridMeisai->setHorizontalHeaderLabels({u"日付"_s, u"内容"_s});
    MyDbGridMeisai->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MyDbGridMeisai->setSelectionBehavior(QAbstractItemView::SelectRows);
    MyDbGridMeisai->setSelectionMode(QAbstractItemView::SingleSelection);
    MyDbGridMeisai->setWordWrap(false);
    MyDbGridMeisai->setColumnWidth(0, 93);
    MyDbGridMeisai->setColumnWidth(1, 454);
    MyDbGridMeisai->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text column takes the width the date column leaves.
    MyDbGridMeisai->horizontalHeader()->setStretchLastSection(true);
    MyDbGridMeisai->verticalHeader()->setDefaultSectionSize(20);
    QPalette gp = MyDbGridMeisai->palette();
    gp.setColor(QPalette::Highlight, kSelected);
    gp.setColor(QPalette::HighlightedText, Qt::black);
    MyDbGridMeisai->setPalette(gp);
    if (MainForm)
        MyDbGridMeisai->setFont(MainForm->font());
    connect(MyDbGridMeisai, &QTableWidget::cellClicked, this, [this](int row, int) { Jump(row); });
    outer->addWidget(MyDbGridMeisai, 1);

    auto *bottom = new QHBoxLayout;
    EditSearch = new QLineEdit(this);
    EditSearch->setObjectName(u"EditSearch"_s);
    EditSearch->installEventFilter(this);
    bottom->addWidget(EditSearch, 1);
    FrBtnPrePayed = new TFrameBtn(this);
    FrBtnPrePayed->setText(u"検索"_s);
    FrBtnPrePayed->setMinimumSize(QSize(64, 26));
    connect(FrBtnPrePayed, &QAbstractButton::clicked, this, &TFormMemoSearch::Search);
    bottom->addWidget(FrBtnPrePayed);
    ChkBoxFuzzy = new QCheckBox(u"あいまい検索"_s, this);
    connect(ChkBoxFuzzy, &QCheckBox::toggled, this, [this](bool on) { m_fuzzy = on; });
    bottom->addWidget(ChkBoxFuzzy);
    outer->addLayout(bottom);

    // The pattern is always rewritten through the dictionary; the check box
    // only chooses between the pattern and the plain substring test.
    AWKStr1 = new TAWKStr(this);
    AWKStr1->LineSeparator = mcls_CRLF;
    AWKStr1->setUseFuzzyCharDic(true);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormMemoSearch::~TFormMemoSearch() = default;

bool TFormMemoSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditSearch && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Swallowed; the search runs once at the next idle moment.
            if (!m_pending) {
                m_pending = true;
                QTimer::singleShot(0, this, [this] {
                    if (m_pending)
                        Search();
                });
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TFormMemoSearch::Accepts(const QString &memo) const
{
    if (m_searchText.isEmpty())
        return true;
    if (m_fuzzy) {
        // An empty match (a pattern made only of optional marks) finds nothing.
        int start = 0, length = 0;
        return AWKStr1->MatchNonEmpty(memo, start, length) > 0;
    }
    return memo.contains(m_searchText, Qt::CaseSensitive);
}

QString TFormMemoSearch::PreviewText(const QString &memo)
{
    QString text = memo;
    if (text.size() > MemoStringSize) {
        int cut = MemoStringSize;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    int from = 0;
    int to = int(text.size());
    while (from < to && blankOrControl(text.at(from)))
        ++from;
    while (to > from && blankOrControl(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

void TFormMemoSearch::Search()
{
    m_pending = false;
    m_searchText = EditSearch->text();
    try {
        AWKStr1->SetRegExp(EscapeRegExp(m_searchText));
    } catch (const ERegExpParser &e) {
        MessageDlg(u"検索文字列を解釈できません。%1文字目: %2"_s.arg(e.ErrorPos).arg(e.message()),
                   MsgDlgType::Error, mbOK);
        return;
    }
    WaitCursor wait;
    QList<Hit> hits;
    if (DatMod && DatMod->DataOpen) {
        try {
            Statement st(DatMod->MainDatabase,
                         u"SELECT DATANO, RECDATE, MEMO FROM Memo ORDER BY RECDATE DESC, DATANO DESC"_s);
            while (st.next()) {
                const QString memo = st.textValue(2);
                if (Accepts(memo))
                    hits.append({int(st.intValue(0)), QDate::fromString(st.textValue(1), Qt::ISODate), PreviewText(memo)});
            }
        } catch (const EDatabaseError &e) {
            // The list keeps what it showed.
            MessageDlg(u"日記を検索できませんでした。\n\n"_s + e.message(), MsgDlgType::Error, mbOK);
            return;
        }
    }
    m_hits = hits;
    fillGrid();
}

void TFormMemoSearch::fillGrid()
{
    MyDbGridMeisai->setUpdatesEnabled(false);
    MyDbGridMeisai->clearContents();
    MyDbGridMeisai->setRowCount(int(m_hits.size()));
    const QLocale japanese(QLocale::Japanese);
    for (int i = 0; i < m_hits.size(); ++i) {
        const Hit &hit = m_hits.at(i);
        auto *date = new QTableWidgetItem(
            hit.RECDATE.toString(u"yy.MM.dd "_s) + japanese.dayName(hit.RECDATE.dayOfWeek(), QLocale::ShortFormat));
        if (hit.RECDATE.dayOfWeek() == 7)
            date->setForeground(Qt::red);
        else if (hit.RECDATE.dayOfWeek() == 6)
            date->setForeground(Qt::blue);
        MyDbGridMeisai->setItem(i, 0, date);
        MyDbGridMeisai->setItem(i, 1, new QTableWidgetItem(QString(hit.MEMOString).replace(u'\n', u' ').remove(u'\r')));
    }
    MyDbGridMeisai->setUpdatesEnabled(true);
}

void TFormMemoSearch::Jump(int row)
{
    if (row < 0 || row >= m_hits.size() || !m_hits.at(row).RECDATE.isValid() || !m_diary)
        return;
    m_diary->ShowDate(m_hits.at(row).RECDATE);
    if (m_searchText.isEmpty())
        return;
    const QTextDocument *doc = m_diary->DBMemo1->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        if (m_fuzzy) {
            int start = 0, length = 0;
            if (AWKStr1->MatchNonEmpty(line, start, length)) {
                m_diary->SelectMemoText(block.blockNumber(), start, length);
                return;
            }
        } else if (const int at = int(line.indexOf(m_searchText)); at >= 0) {
            m_diary->SelectMemoText(block.blockNumber(), at + 1, int(m_searchText.size()));
            return;
        }
    }
}
