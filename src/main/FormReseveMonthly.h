#pragma once

#include <QDialog>
#include <QList>

class DataSet;
class QLabel;
class QLineEdit;
class TShapeBtn;

// "月額設定": the twelve monthly amounts (M1GAKU to M12GAKU) of the
// scheduled-entry card shown on the page. It edits the page's card data set
// directly; the amounts are stored when the card is saved, and a cancelled
// card drops them.
class TFormReseveMonthly : public QDialog
{
    Q_OBJECT
public:
    explicit TFormReseveMonthly(DataSet &card, QWidget *parent = nullptr);

    // Writes the edits' amounts into the card (in edit); false, with the user
    // told why, when an edit holds no amount.
    bool WriteAmounts();

    QLabel *Label13 = nullptr;
    QList<QLineEdit *> DBEdits;     // DBEdit1 .. DBEdit12: January .. December
    TShapeBtn *SpBtnlClose = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    DataSet &m_card;
};

// The amount text a card edit accepts: digits, separators and a sign.
bool ParseCardAmount(const QString &text, qint64 &yen);
