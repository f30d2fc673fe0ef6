#include "management/FormTaxSet.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/RecordNumbers.h"
#include "management/SaveInTransaction.h"
#include "data/Vocabulary.h"
#include "management/SettingsBatch.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

TFormTaxSet *FormTaxSet = nullptr;

namespace {

TMySpeedButton *barButton(const QString &caption, QWidget *parent)
{
    auto *b = new TMySpeedButton(parent);
    b->setText(caption);
    b->setMinimumSize(64, 26);
    return b;
}

QString percentText(double percent)
{
    return QString::number(percent, 'g', 6);
}

} // namespace

TFormTaxSet::TFormTaxSet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTaxSet"));
    setWindowTitle(QStringLiteral("税率設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setProperty("HelpContext", 10043);

    DBGrid1 = new QTableWidget(0, 2, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("適用開始日"), QStringLiteral("税率")});
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setStyleSheet(QStringLiteral("QTableWidget::item:selected:active { background: #ABDBFF; color: black; }"
                                          "QTableWidget::item:selected:!active { background: #D1E4DC; color: black; }"));

    EditStartDate = new QDateEdit(this);
    EditStartDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    EditStartDate->setCalendarPopup(true);
    EditStartDate->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditPercent = new QDoubleSpinBox(this);
    EditPercent->setRange(0, 100);
    EditPercent->setDecimals(2);
    EditPercent->setSuffix(QStringLiteral(" %"));
    EditPercent->setAttribute(Qt::WA_InputMethodEnabled, false);

    SpBtnInsert = barButton(QStringLiteral("新規"), this);
    SpBtnDelete = barButton(QStringLiteral("削除"), this);
    SpBtnPost = barButton(QStringLiteral("登録"), this);
    SpBtnCancel = barButton(QStringLiteral("取消"), this);
    SpBtnlClose = barButton(QStringLiteral("閉じる"), this);

    RGroundOff = new QGroupBox(QStringLiteral("消費税の計算方法"), this);
    RoundButtons = new QButtonGroup(this);
    auto *rl = new QHBoxLayout(RGroundOff);
    const QStringList modes{QStringLiteral("四捨五入"), QStringLiteral("切り捨て"), QStringLiteral("切り上げ")};
    for (int i = 0; i < modes.size(); ++i) {
        auto *rb = new QRadioButton(modes.at(i), RGroundOff);
        RoundButtons->addButton(rb, i);
        rl->addWidget(rb);
    }

    auto *v = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    for (auto *b : {SpBtnInsert, SpBtnDelete, SpBtnPost, SpBtnCancel})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(SpBtnlClose);
    v->addLayout(bar);
    v->addWidget(DBGrid1, 1);
    auto *edits = new QHBoxLayout;
    edits->addWidget(new QLabel(QStringLiteral("適用開始日"), this));
    edits->addWidget(EditStartDate);
    edits->addWidget(new QLabel(QStringLiteral("税率"), this));
    edits->addWidget(EditPercent);
    edits->addStretch(1);
    v->addLayout(edits);
    v->addWidget(RGroundOff);
    resize(420, 360);

    const int mode = DataIni ? DataIni->ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), TaxCalcMode)
                             : TaxCalcMode;
    if (QAbstractButton *b = RoundButtons->button(qBound(0, mode, 2)))
        b->setChecked(true);
    loadRates();
    fillGrid();
    showRow(DBGrid1->rowCount() > 0 ? 0 : -1);

    connect(RoundButtons, &QButtonGroup::idClicked, this, &TFormTaxSet::RGroundOffClick);
    connect(SpBtnInsert, &QAbstractButton::clicked, this, &TFormTaxSet::SpBtnInsertClick);
    connect(SpBtnDelete, &QAbstractButton::clicked, this, &TFormTaxSet::SpBtnDeleteClick);
    connect(SpBtnPost, &QAbstractButton::clicked, this, &TFormTaxSet::SpBtnPostClick);
    connect(SpBtnCancel, &QAbstractButton::clicked, this, &TFormTaxSet::SpBtnCancelClick);
    connect(SpBtnlClose, &QAbstractButton::clicked, this, &QDialog::close);
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (m_loading || row == previous)
            return;
        if (m_editDirty && previous >= 0 && previous < m_rates.size()) {
            // Leaving a row posts its edit, as the grid did.
            const int keep = row;
            m_loading = true;
            DBGrid1->setCurrentCell(previous, 0);
            m_loading = false;
            SpBtnPostClick();
            m_loading = true;
            DBGrid1->setCurrentCell(keep, 0);
            m_loading = false;
        }
        showRow(row);
    });
    const auto dirty = [this] {
        if (!m_loading)
            m_editDirty = true;
    };
    connect(EditStartDate, &QDateEdit::dateChanged, this, dirty);
    connect(EditPercent, &QDoubleSpinBox::valueChanged, this, dirty);
    FormTaxSet = this;
}

TFormTaxSet::~TFormTaxSet()
{
    if (FormTaxSet == this)
        FormTaxSet = nullptr;
}

void TFormTaxSet::loadRates()
{
    m_rates.clear();
    m_deleted.clear();
    if (!DatMod || !DatMod->DataOpen)
        return;
    Statement st(DatMod->MainDatabase,
                 QStringLiteral("SELECT rowid, DATANO, STARTDATE, PERCENT FROM ZeiList ORDER BY STARTDATE, rowid"));
    while (st.next()) {
        Rate r;
        r.rowId = st.intValue(0);
        r.dataNo = st.value(1);
        r.startDate = QDate::fromString(st.textValue(2), Qt::ISODate);
        r.percent = st.doubleValue(3);
        m_rates.append(r);
    }
}

void TFormTaxSet::fillGrid()
{
    m_loading = true;
    DBGrid1->setRowCount(int(m_rates.size()));
    for (int i = 0; i < m_rates.size(); ++i) {
        const Rate &r = m_rates.at(i);
        DBGrid1->setItem(i, 0, new QTableWidgetItem(r.startDate.isValid() ? r.startDate.toString(QStringLiteral("yyyy/MM/dd"))
                                                                        : QString()));
        auto *p = new QTableWidgetItem(percentText(r.percent));
        p->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        DBGrid1->setItem(i, 1, p);
    }
    m_loading = false;
}

void TFormTaxSet::showRow(int row)
{
    m_loading = true;
    const bool has = row >= 0 && row < m_rates.size();
    if (has) {
        DBGrid1->setCurrentCell(row, 0);
        const Rate &r = m_rates.at(row);
        EditStartDate->setDate(r.startDate.isValid() ? r.startDate : QDate::currentDate());
        EditPercent->setValue(r.percent);
    }
    EditStartDate->setEnabled(has);
    EditPercent->setEnabled(has);
    SpBtnDelete->setEnabled(has);
    m_editDirty = false;
    m_loading = false;
}

bool TFormTaxSet::hasChanges() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const Rate &r : m_rates)
        if (r.changed || r.rowId == 0)
            return true;
    return false;
}

void TFormTaxSet::SpBtnInsertClick()
{
    if (m_editDirty)
        SpBtnPostClick();
    Rate r;
    r.startDate = QDate::currentDate();
    r.percent = m_rates.isEmpty() ? 0 : m_rates.last().percent;
    r.changed = true;
    m_rates.append(r);
    fillGrid();
    showRow(int(m_rates.size()) - 1);
    // A new row is there to be edited: its values count as unposted.
    m_editDirty = true;
    EditStartDate->setFocus();
}

void TFormTaxSet::SpBtnDeleteClick()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rates.size())
        return;
    if (m_rates.at(row).rowId != 0)
        m_deleted.append(m_rates.at(row).rowId);
    m_rates.removeAt(row);
    fillGrid();
    showRow(qMin(row, int(m_rates.size()) - 1));
}

void TFormTaxSet::SpBtnPostClick()
{
    const int row = DBGrid1->currentRow();
    if (row < 0 || row >= m_rates.size())
        return;
    Rate &r = m_rates[row];
    const QDate date = EditStartDate->date();
    const double percent = EditPercent->value();
    if (r.startDate != date || r.percent != percent || r.rowId == 0) {
        r.startDate = date;
        r.percent = percent;
        r.changed = true;
    }
    m_editDirty = false;
    // The rows stay in start-date order, as the book gives them.
    const Rate posted = r;
    std::stable_sort(m_rates.begin(), m_rates.end(),
                     [](const Rate &a, const Rate &b) { return a.startDate < b.startDate; });
    fillGrid();
    for (int i = 0; i < m_rates.size(); ++i)
        if (m_rates.at(i).startDate == posted.startDate && m_rates.at(i).percent == posted.percent) {
            showRow(i);
            break;
        }
}

void TFormTaxSet::SpBtnCancelClick()
{
    showRow(DBGrid1->currentRow());
}

void TFormTaxSet::RGroundOffClick(int mode)
{
    if (!DataIni)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), mode);
    if (!batch.commit()) {
        if (QAbstractButton *b = RoundButtons->button(qBound(0, int(TaxCalcMode), 2)))
            b->setChecked(true);
        return;
    }
    TaxCalcMode = uint8_t(mode);
}

bool TFormTaxSet::SaveRates()
{
    if (m_editDirty)
        SpBtnPostClick();
    if (!hasChanges() || !DatMod || !DatMod->DataOpen)
        return true;
    Database &db = DatMod->MainDatabase;
    QString why;
    const bool saved = SaveInTransaction(db, [&] {
        for (qint64 id : std::as_const(m_deleted)) {
            Statement st(db, QStringLiteral("DELETE FROM ZeiList WHERE rowid = ?"));
            st.bind(1, id);
            st.exec();
        }
        for (const Rate &r : std::as_const(m_rates)) {
            if (r.rowId != 0 && !r.changed)
                continue;
            if (r.rowId != 0) {
                Statement st(db, QStringLiteral("UPDATE ZeiList SET STARTDATE = ?, PERCENT = ? WHERE rowid = ?"));
                st.bind(1, r.startDate.toString(Qt::ISODate));
                st.bind(2, r.percent);
                st.bind(3, r.rowId);
                st.exec();
            } else {
                const int no = RecordNumbers::GetNewDataNo(db, QStringLiteral("ZeiList.DB"));
                Statement st(db, QStringLiteral("INSERT INTO ZeiList (DATANO, STARTDATE, PERCENT) VALUES (?, ?, ?)"));
                st.bind(1, no);
                st.bind(2, r.startDate.toString(Qt::ISODate));
                st.bind(3, r.percent);
                st.exec();
            }
        }
    }, &why);
    if (!saved) {
        MessageDlg(why, MsgDlgType::Error, mbOK);
        return false;
    }
    loadRates();
    DatMod->DataChanged = true;
    CommitDataChanges();
    return true;
}

void TFormTaxSet::closeEvent(QCloseEvent *event)
{
    if (!SaveRates()
        && MessageDlg(QStringLiteral("変更した税率を保存せずに閉じますか？"), MsgDlgType::Confirmation, mbYes | mbNo)
               != mrYes) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(mrOk);
}

void TFormTaxSet::reject()
{
    // Escape closes the way the close button does: the edits are kept.
    close();
}
