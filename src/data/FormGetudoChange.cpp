#include "data/FormGetudoChange.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/Vocabulary.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/InputMethod.h"

namespace {

// Month codes keep two digits of the year and read them back in 1980..2079;
// any other year would come back as another century.
constexpr int FirstYear = 1980;
constexpr int LastYear = 2079;

QComboBox *numberBox(QWidget *parent, int visibleItems)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(visibleItems);
    // Only digits can be typed.
    box->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    SetInputMethodOff(box);
    return box;
}

void selectNumber(QComboBox *box, int number)
{
    box->setCurrentIndex(box->findData(number));
    if (box->currentIndex() < 0)
        box->setEditText(QString());
}

} // namespace

TFormGetudoChange::TFormGetudoChange(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGetudoChange"));
    setWindowTitle(QStringLiteral("月度変更"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("表示中の明細表の月度情報を変更します。"), this));
    LbReceiptNo = new QLabel(this);
    layout->addWidget(LbReceiptNo);
    auto *row = new QHBoxLayout();
    CmbBoxYear = numberBox(this, 10);
    CmbBoxMonth = numberBox(this, 12);
    row->addWidget(CmbBoxYear);
    row->addWidget(new QLabel(QStringLiteral("年度"), this));
    row->addWidget(CmbBoxMonth);
    row->addWidget(new QLabel(QStringLiteral("月分に変更する"), this));
    layout->addLayout(row);
    LbCredit = new QLabel(QStringLiteral("月度を変更しても振込日は変更されません。"), this);
    layout->addWidget(LbCredit);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    FrBtnExecute = new QPushButton(QStringLiteral("実行"), this);
    FrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(FrBtnExecute);
    buttons->addWidget(FrBtnCancel);
    layout->addLayout(buttons);
    connect(FrBtnExecute, &QPushButton::clicked, this, &TFormGetudoChange::FrBtnExecuteClick);
    connect(FrBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormGetudoChange::SetupDialog(int receiptNo, uint16_t year, uint16_t month, bool showCredit)
{
    m_receiptNo = receiptNo;
    m_year = year == 0 ? 2003 : year;
    m_month = month == 0 || month > 12 ? 1 : month;
    CmbBoxYear->clear();
    for (int y = m_year - 5; y <= m_year + 4; ++y)
        CmbBoxYear->addItem(QString::number(y), y);
    CmbBoxMonth->clear();
    const int closing = CurSimeTuki >= 1 && CurSimeTuki <= 12 ? CurSimeTuki : 12;
    for (int i = 1; i <= 12; ++i) {
        const int m = (closing + i - 1) % 12 + 1;
        CmbBoxMonth->addItem(QString::number(m), m);
    }
    selectNumber(CmbBoxYear, m_year);
    selectNumber(CmbBoxMonth, m_month);
    LbCredit->setVisible(showCredit);
    LbReceiptNo->setText(QStringLiteral("伝票番号： ") + QString::number(receiptNo));
}

void TFormGetudoChange::FrBtnExecuteClick()
{
    bool yearOk = false, monthOk = false;
    const int year = CmbBoxYear->currentText().toInt(&yearOk);
    const int month = CmbBoxMonth->currentText().toInt(&monthOk);
    if (!yearOk || !monthOk || year < FirstYear || year > LastYear) {
        MessageDlg(QStringLiteral("数値が無効です。"), MsgDlgType::Error, mbOK);
        return;
    }
    if (month < 1 || month > 12)
        return;
    m_year = uint16_t(year);
    m_month = uint16_t(month);
    {
        Query query(DatMod->MainDatabase);
        query.SQL << QStringLiteral("UPDATE \"Master.db\"")
                  << QStringLiteral("SET LOOKUPNO = %1").arg(EncodeMonthCode(m_year, m_month))
                  << QStringLiteral("WHERE RECEIPTNO = %1").arg(m_receiptNo);
        query.execSQL();
    }
    if (DatMod->MasterTbl)
        DatMod->MasterTbl->flushBuffers();
    // Written by SQL: the next flush must reread the journal.
    DatMod->DataChanged = true;
    accept();
}
