#include "management/FormSimebiList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/MySpeedButton.h"
#include "data/ModalForm.h"
#include "data/RecordNumbers.h"
#include "management/SaveInTransaction.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

TFormSimebiList *FormSimebiList = nullptr;

namespace {

TMySpeedButton *barButton(const QString &caption, QWidget *parent)
{
    auto *b = new TMySpeedButton(parent);
    b->setText(caption);
    b->setMinimumSize(56, 26);
    return b;
}

} // namespace

TFormSimebiList::TFormSimebiList(Database &db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setObjectName(QStringLiteral("FormSimebiList"));
    setWindowTitle(QStringLiteral("締め日履歴"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    LbHimoku = new QLabel(this);
    Label1 = new QLabel(this);
    DBGrid1 = new QTableWidget(0, 2, this);
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("適用開始月度"), QStringLiteral("締め日")});
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    ChkFromStart = new QCheckBox(QStringLiteral("最初から"), this);
    EditNendo = new QSpinBox(this);
    EditNendo->setRange(1980, 2079);
    EditNendo->setSuffix(QStringLiteral("年"));
    EditMonth = new QSpinBox(this);
    EditMonth->setRange(1, 12);
    EditMonth->setSuffix(QStringLiteral("月度"));
    CmbSimeBi = new QComboBox(this);
    for (int d = 1; d <= 30; ++d)
        CmbSimeBi->addItem(QString::number(d));
    CmbSimeBi->addItem(QStringLiteral("月末"));
    BtnSave = barButton(QStringLiteral("保存"), this);
    BtnPost = barButton(QStringLiteral("登録"), this);
    BtnAppend = barButton(QStringLiteral("追加"), this);
    BtnInsert = barButton(QStringLiteral("挿入"), this);
    BtnCancel = barButton(QStringLiteral("取消"), this);
    BtnDelete = barButton(QStringLiteral("削除"), this);
    BtnCancelAll = barButton(QStringLiteral("全取消"), this);

    auto *v = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    for (auto *b : {BtnSave, BtnPost, BtnAppend, BtnInsert, BtnCancel, BtnDelete, BtnCancelAll})
        bar->addWidget(b);
    bar->addStretch(1);
    v->addLayout(bar);
    v->addWidget(LbHimoku);
    v->addWidget(Label1);
    v->addWidget(DBGrid1, 1);
    auto *edit = new QHBoxLayout;
    edit->addWidget(new QLabel(QStringLiteral("適用開始月度"), this));
    edit->addWidget(ChkFromStart);
    edit->addWidget(EditNendo);
    edit->addWidget(EditMonth);
    edit->addWidget(new QLabel(QStringLiteral("締め日"), this));
    edit->addWidget(CmbSimeBi);
    v->addLayout(edit);
    resize(440, 360);

    connect(BtnSave, &QAbstractButton::clicked, this, [this] {
        if (Save())
            QDialog::done(mrOk);
    });
    connect(BtnPost, &QAbstractButton::clicked, this, &TFormSimebiList::PostEdit);
    connect(BtnAppend, &QAbstractButton::clicked, this, &TFormSimebiList::Append);
    connect(BtnInsert, &QAbstractButton::clicked, this, &TFormSimebiList::Insert);
    connect(BtnCancel, &QAbstractButton::clicked, this, [this] { showRow(DBGrid1->currentRow()); });
    connect(BtnDelete, &QAbstractButton::clicked, this, &TFormSimebiList::DeleteRow);
    connect(BtnCancelAll, &QAbstractButton::clicked, this, &TFormSimebiList::CancelAll);
    connect(ChkFromStart, &QCheckBox::toggled, this, [this](bool on) {
        EditNendo->setEnabled(!on);
        EditMonth->setEnabled(!on);
    });
    const auto dirty = [this] {
        if (!m_loading)
            m_editDirty = true;
    };
    connect(ChkFromStart, &QCheckBox::toggled, this, dirty);
    connect(EditNendo, &QSpinBox::valueChanged, this, dirty);
    connect(EditMonth, &QSpinBox::valueChanged, this, dirty);
    connect(CmbSimeBi, &QComboBox::currentIndexChanged, this, dirty);
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (m_loading || row == previous)
            return;
        if (m_editDirty && previous >= 0) {
            m_loading = true;
            DBGrid1->setCurrentCell(previous, 0);
            m_loading = false;
            PostEdit();
        }
        showRow(row);
    });
    FormSimebiList = this;
}

TFormSimebiList::~TFormSimebiList()
{
    if (FormSimebiList == this)
        FormSimebiList = nullptr;
}

QString TFormSimebiList::simeBiText(int simeBi)
{
    if (simeBi == 0 || simeBi >= 31)
        return QStringLiteral("月末");
    if (simeBi < 0)
        return QStringLiteral("なし");
    return QString::number(simeBi);
}

int TFormSimebiList::simeBiFromText(const QString &text)
{
    if (text == QStringLiteral("月末"))
        return 31;
    if (text == QStringLiteral("なし"))
        return -1;
    bool ok = false;
    const int day = text.toInt(&ok);
    if (!ok || day == 0 || day >= 32)
        return 31;
    return day;
}

QString TFormSimebiList::monthLabel(const QDate &date) const
{
    if (!date.isValid())
        return QString();
    int nendo = 0, month = 0;
    CalendarToNendo(date.year(), date.month(), CurSimeTuki, CurShiftNendo, m_simeShift, nendo, month);
    return QStringLiteral("%1年 %2月度").arg(nendo).arg(month);
}

QDate TFormSimebiList::monthFromLabel(int nendo, int month) const
{
    int year = 0, calMonth = 0;
    NendoToCalendar(nendo, month, CurSimeTuki, CurShiftNendo, m_simeShift, year, calMonth);
    return QDate(year, calMonth, 1);
}

void TFormSimebiList::LoadForCode(int code, const QString &name, int simeShift)
{
    m_code = code;
    m_simeShift = simeShift;
    LbHimoku->setText(name);
    Label1->setText(QStringLiteral("年度末は %1月です。").arg(CurSimeTuki));
    load();
}

void TFormSimebiList::load()
{
    m_rows.clear();
    m_deleted.clear();
    Statement st(m_db, QStringLiteral("SELECT rowid, STARTDATE, SIMEBI FROM SimebiList WHERE CODE = ? "
                                      "ORDER BY STARTDATE, rowid"));
    st.bind(1, m_code);
    while (st.next()) {
        Change c;
        c.rowId = st.intValue(0);
        c.startDate = st.isNull(1) ? QDate() : QDate::fromString(st.textValue(1), Qt::ISODate);
        c.simeBi = st.isNull(2) ? 31 : int(st.intValue(2));
        m_rows.append(c);
    }
    fillGrid();
    showRow(m_rows.isEmpty() ? -1 : 0);
}

void TFormSimebiList::ReplaceByChange(int oldSimeBi, int newSimeBi)
{
    for (const Change &c : std::as_const(m_rows))
        if (c.rowId != 0)
            m_deleted.append(c.rowId);
    m_rows.clear();
    Change first;
    first.simeBi = oldSimeBi == 0 ? 31 : oldSimeBi;
    first.changed = true;
    Change second;
    const QDate today = QDate::currentDate();
    second.startDate = QDate(today.year(), today.month(), 1);
    second.simeBi = newSimeBi;
    second.changed = true;
    m_rows << first << second;
    fillGrid();
    showRow(1);
}

bool TFormSimebiList::hasChanges() const
{
    if (!m_deleted.isEmpty() || m_editDirty)
        return true;
    for (const Change &c : m_rows)
        if (c.changed)
            return true;
    return false;
}

int TFormSimebiList::storedCount() const
{
    return m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM SimebiList WHERE CODE = ?"), {m_code}).toInt();
}

void TFormSimebiList::fillGrid(bool sort)
{
    m_loading = true;
    if (sort)
        std::stable_sort(m_rows.begin(), m_rows.end(), [](const Change &a, const Change &b) {
            // A row from the beginning (no start month) comes first.
            if (a.startDate.isValid() != b.startDate.isValid())
                return !a.startDate.isValid();
            return a.startDate < b.startDate;
        });
    DBGrid1->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        DBGrid1->setItem(i, 0, new QTableWidgetItem(monthLabel(m_rows.at(i).startDate)));
        DBGrid1->setItem(i, 1, new QTableWidgetItem(simeBiText(m_rows.at(i).simeBi)));
    }
    m_loading = false;
}

void TFormSimebiList::showRow(int row)
{
    m_loading = true;
    const bool has = row >= 0 && row < m_rows.size();
    if (has) {
        DBGrid1->setCurrentCell(row, 0);
        const Change &c = m_rows.at(row);
        ChkFromStart->setChecked(!c.startDate.isValid());
        const QDate shown = c.startDate.isValid() ? c.startDate : QDate::currentDate();
        int nendo = 0, month = 0;
        CalendarToNendo(shown.year(), shown.month(), CurSimeTuki, CurShiftNendo, m_simeShift, nendo, month);
        EditNendo->setValue(nendo);
        EditMonth->setValue(month);
        const int day = c.simeBi <= 0 || c.simeBi > 31 ? 31 : c.simeBi;
        CmbSimeBi->setCurrentIndex(day - 1);
    }
    for (QWidget *w : {static_cast<QWidget *>(ChkFromStart), static_cast<QWidget *>(CmbSimeBi)})
        w->setEnabled(has);
    EditNendo->setEnabled(has && !ChkFromStart->isChecked());
    EditMonth->setEnabled(has && !ChkFromStart->isChecked());
    BtnDelete->setEnabled(has);
    m_editDirty = false;
    m_loading = false;
}

void TFormSimebiList::Append()
{
    if (m_editDirty)
        PostEdit();
    Change c;
    const QDate today = QDate::currentDate();
    c.startDate = QDate(today.year(), today.month(), 1);
    c.simeBi = 31; // a new row's closing day 0 reads as month end
    c.changed = true;
    m_rows.append(c);
    fillGrid();
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).rowId == 0 && m_rows.at(i).startDate == c.startDate)
            showRow(i);
}

void TFormSimebiList::Insert()
{
    if (m_editDirty)
        PostEdit();
    const int at = qBound(0, DBGrid1->currentRow(), int(m_rows.size()));
    Change c;
    const QDate today = QDate::currentDate();
    c.startDate = QDate(today.year(), today.month(), 1);
    c.simeBi = 31;
    c.changed = true;
    m_rows.insert(at, c);
    fillGrid(false);
    showRow(at);
}

void TFormSimebiList::PostEdit()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    Change &c = m_rows[row];
    const QDate start = ChkFromStart->isChecked() ? QDate() : monthFromLabel(EditNendo->value(), EditMonth->value());
    const int day = simeBiFromText(CmbSimeBi->currentText());
    if (c.startDate != start || c.simeBi != day) {
        c.startDate = start;
        c.simeBi = day;
        c.changed = true;
    }
    m_editDirty = false;
    const Change posted = c;
    fillGrid();
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).startDate == posted.startDate && m_rows.at(i).simeBi == posted.simeBi) {
            showRow(i);
            break;
        }
}

void TFormSimebiList::DeleteRow()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_rows.at(row).rowId != 0)
        m_deleted.append(m_rows.at(row).rowId);
    m_rows.removeAt(row);
    fillGrid();
    showRow(qMin(row, int(m_rows.size()) - 1));
}

void TFormSimebiList::CancelAll()
{
    m_editDirty = false;
    load();
}

bool TFormSimebiList::Save()
{
    if (m_editDirty)
        PostEdit();
    // An inserted row not yet posted takes its place first, so that equal
    // start months stand side by side.
    const int current = DBGrid1->currentRow();
    const Change kept = current >= 0 && current < m_rows.size() ? m_rows.at(current) : Change();
    fillGrid();
    int at = current;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).rowId == kept.rowId && m_rows.at(i).startDate == kept.startDate
            && m_rows.at(i).simeBi == kept.simeBi) {
            at = i;
            break;
        }
    showRow(at);
    for (int i = 1; i < m_rows.size(); ++i) {
        if (m_rows.at(i).startDate == m_rows.at(i - 1).startDate) {
            MessageDlg(QStringLiteral("適用開始月度が重複しています。"), MsgDlgType::Error, mbOK);
            return false;
        }
    }
    QString why;
    const bool saved = SaveInTransaction(m_db, [&] {
        for (qint64 id : std::as_const(m_deleted)) {
            Statement st(m_db, QStringLiteral("DELETE FROM SimebiList WHERE rowid = ?"));
            st.bind(1, id);
            st.exec();
        }
        for (const Change &c : std::as_const(m_rows)) {
            const QVariant start = c.startDate.isValid() ? QVariant(c.startDate.toString(Qt::ISODate)) : QVariant();
            if (c.rowId == 0) {
                const int no = RecordNumbers::GetNewDataNo(m_db, QStringLiteral("SimebiList.db"));
                Statement st(m_db, QStringLiteral("INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) "
                                                  "VALUES (?, ?, ?, ?)"));
                st.bind(1, no);
                st.bind(2, m_code);
                st.bind(3, start);
                st.bind(4, c.simeBi);
                st.exec();
            } else if (c.changed) {
                Statement st(m_db, QStringLiteral("UPDATE SimebiList SET STARTDATE = ?, SIMEBI = ? WHERE rowid = ?"));
                st.bind(1, start);
                st.bind(2, c.simeBi);
                st.bind(3, c.rowId);
                st.exec();
            }
        }
        // The flag that makes the closing-day arithmetic read the history
        // is stored with the rows, so the two never disagree.
        Statement flag(m_db, QStringLiteral("UPDATE Himoku SET SIMEHISTROY = ? WHERE CODE = ?"));
        flag.bind(1, m_rows.isEmpty() ? 0 : 1);
        flag.bind(2, m_code);
        flag.exec();
    }, &why);
    if (!saved) {
        MessageDlg(why, MsgDlgType::Error, mbOK);
        return false;
    }
    load();
    return true;
}

void TFormSimebiList::closeEvent(QCloseEvent *event)
{
    if (hasChanges()) {
        const int answer =
            MessageDlg(QStringLiteral("変更内容を保存しますか？。"), MsgDlgType::Information, mbYes | mbNo | mbCancel);
        if (answer == mrCancel || (answer == mrYes && !Save())) {
            event->ignore();
            return;
        }
        if (answer == mrNo) {
            m_editDirty = false;
            load();
        }
    }
    event->accept();
    QDialog::done(mrOk);
}

void TFormSimebiList::reject()
{
    close();
}
