#include "main/AutoWithdrawal.h"

#include <QVariant>

#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

namespace {

// System item 自動引落 and the style of the rows it stands for.
constexpr int kWithdrawalItem = 3;
constexpr int kWithdrawalStyle = 6;

void run(Database &db, const QString &sql, const QVariantList &values)
{
    Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values.at(i));
    st.exec();
}

const QString LockedText = QStringLiteral("引落日はロックされた日付なので自動引落データは保存できませんでした。");

} // namespace

int TAutoWithdrawal::FindRow(Database &db, int receiptNo)
{
    if (receiptNo <= 0)
        return 0;
    return db.scalar(QStringLiteral("SELECT DATANO FROM \"Master\" WHERE RECEIPTNO = ? AND STYLE = ? ORDER BY DATANO"),
                     {receiptNo, kWithdrawalStyle})
        .toInt();
}

void TAutoWithdrawal::Prepare(Database &db, const TMeisaiClientDataSet &lines, const TMeisaiSaveState &slip,
                              const QDate &lockDate)
{
    m_action = Action::None;
    m_payDate = slip.ReceiptCltPayDate;
    m_payKouza = slip.ReceiptCltPayKouza;
    m_credit = slip.ReceiptCltCreditCode;
    m_dataNo = FindRow(db, lines.CltReceiptNo);
    const bool locked = lockDate.isValid();
    if (locked && m_payDate.isValid() && m_payDate <= lockDate) {
        MessageDlg(LockedText, MsgDlgType::Warning, mbOK);
        return;
    }
    if (m_dataNo > 0) {
        const QDate booked = QDate::fromString(
            db.scalar(QStringLiteral("SELECT RECDATE FROM \"Master\" WHERE DATANO = ?"), {m_dataNo}).toString(),
            Qt::ISODate);
        if (locked && booked.isValid() && booked <= lockDate) {
            MessageDlg(LockedText, MsgDlgType::Warning, mbOK);
            return;
        }
        if (lines.CltNeedBillPay) {
            m_action = Action::Write;
        } else if (MessageDlg(QStringLiteral("すでに登録してある自動引落データも削除しますか？"), MsgDlgType::Information,
                              mbYesNo) == mrYes) {
            m_action = Action::Delete;
        }
        return;
    }
    if (m_payDate.isValid() && m_payKouza >= 100 && lines.CltNeedBillPay)
        m_action = Action::Write;
}

void TAutoWithdrawal::Write(Database &db, const TMeisaiClientDataSet &lines)
{
    const Action action = std::exchange(m_action, Action::None);
    if (action == Action::Delete) {
        run(db, QStringLiteral("DELETE FROM \"Master\" WHERE DATANO = ?"), {m_dataNo});
        return;
    }
    if (action != Action::Write || !m_payDate.isValid() || m_payKouza < 100 || lines.CltReceiptNo <= 0)
        return;
    // The bill's total as just saved: its own lines, whatever else shares the number.
    const double total = db.scalar(QStringLiteral("SELECT COALESCE(SUM(KINGAKU), 0) FROM \"Master\" "
                                                  "WHERE RECEIPTNO = ? AND STYLE = 3"),
                                   {lines.CltReceiptNo})
                             .toDouble();
    const int lookupNo =
        db.scalar(QStringLiteral("SELECT MAX(LOOKUPNO) FROM \"Master\" WHERE RECEIPTNO = ? AND STYLE = 3"),
                  {lines.CltReceiptNo})
            .toInt();
    const bool future = m_payDate > QDate::currentDate();
    const QVariantList values{m_payDate.toString(Qt::ISODate), total,      m_credit, m_payKouza, future ? 1 : 0,
                              lookupNo > 0 ? lookupNo : lines.CltLookupNo, lines.CltReceiptNo};
    if (m_dataNo > 0) {
        run(db, QStringLiteral("UPDATE \"Master\" SET RECDATE = ?, KINGAKU = ?, KARICODE = ?, KASICODE = ?, "
                               "RESERVED = ?, LOOKUPNO = ?, RECEIPTNO = ?, GYONO = 1, QUANTITY = 1.0, SHOPCODE = 0, "
                               "HINMEICODE = 3, PERSONCODE = 0, KARISIDE = 1, RECKIND = 1, STYLE = 6, ORIGIN = 3, "
                               "ZEIATUKAI = 0 WHERE DATANO = ?"),
                values + QVariantList{m_dataNo});
        return;
    }
    const int dataNo = RecordNumbers::GetNewDataNo(db, QStringLiteral("Master.DB"));
    if (dataNo <= 0)
        throw Exception(QStringLiteral("データ番号を取得できません。"));
    run(db, QStringLiteral("INSERT INTO \"Master\" (RECDATE, KINGAKU, KARICODE, KASICODE, RESERVED, LOOKUPNO, "
                           "RECEIPTNO, DATANO, GYONO, QUANTITY, SHOPCODE, HINMEICODE, PERSONCODE, KARISIDE, RECKIND, "
                           "STYLE, ORIGIN, ZEIATUKAI) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, 1.0, 0, ?, 0, 1, 1, ?, 3, 0)"),
            values + QVariantList{dataNo, kWithdrawalItem, kWithdrawalStyle});
}
