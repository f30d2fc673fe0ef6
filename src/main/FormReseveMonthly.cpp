#include "main/FormReseveMonthly.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "controls/ShapeBtn.h"
#include "platform/db/Currency.h"
#include "platform/db/DataSet.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

bool ParseCardAmount(const QString &text, qint64 &yen)
{
    QString t = text.trimmed();
    t.remove(u',');
    if (t.isEmpty()) {
        yen = 0;
        return true;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v > 999999999999LL || v < -999999999999LL)
        return false;
    yen = v;
    return true;
}

TFormReseveMonthly::TFormReseveMonthly(DataSet &card, QWidget *parent)
    : QDialog(parent)
    , m_card(card)
{
    setObjectName(u"FormReseveMonthly"_s);
    setWindowTitle(u"月額設定"_s);
    auto *layout = new QVBoxLayout(this);
    Label13 = new QLabel(u"月ごとの金額を指定してください。"_s, this);
    layout->addWidget(Label13);
    auto *grid = new QGridLayout;
    const QStringList captions{u"１月"_s, u"２月"_s, u"３月"_s,  u"４月"_s,  u"５月"_s,  u"６月"_s,
                               u"７月"_s, u"８月"_s, u"９月"_s, u"１０月"_s, u"１１月"_s, u"１２月"_s};
    auto *validator = new QRegularExpressionValidator(QRegularExpression(u"-?[0-9,]{0,15}"_s), this);
    for (int m = 1; m <= 12; ++m) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(u"DBEdit%1"_s.arg(m));
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(validator);
        edit->installEventFilter(this);
        Field *f = card.findField(u"M%1GAKU"_s.arg(m));
        if (f && card.isActive())
            edit->setText(f->isNull() ? u"0"_s : f->asCurrency().toString(0, false));
        const int row = (m - 1) % 6;
        const int col = (m - 1) / 6 * 2;
        grid->addWidget(new QLabel(captions[m - 1], this), row, col);
        grid->addWidget(edit, row, col + 1);
        DBEdits << edit;
    }
    layout->addLayout(grid);
    SpBtnlClose = new TShapeBtn(this);
    SpBtnlClose->setObjectName(u"SpBtnlClose"_s);
    SpBtnlClose->setText(u"閉じる"_s);
    SpBtnlClose->setFixedSize(80, 26);
    layout->addWidget(SpBtnlClose, 0, Qt::AlignRight);
    connect(SpBtnlClose, &QAbstractButton::clicked, this, [this] { accept(); });
}

bool TFormReseveMonthly::WriteAmounts()
{
    if (!m_card.isActive())
        return true;
    for (int m = 1; m <= 12; ++m) {
        qint64 yen = 0;
        if (!ParseCardAmount(DBEdits[m - 1]->text(), yen)) {
            MessageDlg(u"%1の金額が正しくありません。"_s.arg(m), MsgDlgType::Error, mbOK);
            DBEdits[m - 1]->setFocus();
            return false;
        }
        Field *f = m_card.findField(u"M%1GAKU"_s.arg(m));
        if (!f || (!f->isNull() && f->asCurrency() == Currency::fromInt(yen)))
            continue;
        if (!m_card.isEditing())
            m_card.edit();
        f->setAsCurrency(Currency::fromInt(yen));
    }
    return true;
}

void TFormReseveMonthly::done(int result)
{
    // A value still being typed belongs to the card as well.
    if (!WriteAmounts())
        return;
    QDialog::done(result);
}

bool TFormReseveMonthly::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && DBEdits.contains(watched)) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
