#include "data/FormNonHoliday.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

TFormNonHoliday::TFormNonHoliday(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FormNonHoliday"_s);
    setWindowTitle(u"休日未指定リスト"_s);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel(u"下記の年の休日設定がされていないようです。"_s, this);
    Label2 = new QLabel(u"事前にカレンダーの設定が必要です。"_s, this);
    Label3 = new QLabel(u"振り替え休日や秋分、春分の日などの設定が必要なため"_s, this);
    Label4 = new QLabel(u"祝日を無視して土日だけ検査することも可能です。"_s, this);
    ListBox1 = new QListWidget(this);
    FrCalender = new QPushButton(u"カレンダー設定をする"_s, this);
    FrBtnOnly = new QPushButton(u"土日だけ検査して実行"_s, this);
    FrCancel = new QPushButton(u"キャンセル"_s, this);
    for (QPushButton *b : {FrCalender, FrBtnOnly, FrCancel}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
    }

    auto *layout = new QVBoxLayout(this);
    // The dialog takes the size its texts need, also after setOneYear changes them.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Label1);
    layout->addWidget(ListBox1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addWidget(Label4);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FrCalender);
    buttons->addWidget(FrBtnOnly);
    buttons->addWidget(FrCancel);
    layout->addLayout(buttons);

    connect(FrCalender, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(FrBtnOnly, &QPushButton::clicked, this, [this] { done(mrIgnore); });
    connect(FrCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { m_year = item->data(Qt::UserRole).toInt(); });
}

void TFormNonHoliday::setOneYear(bool oneYear)
{
    Label1->setText(oneYear ? u"今年の休日設定がされていないようです。"_s : u"下記の年の休日設定がされていないようです。"_s);
    Label4->setVisible(!oneYear);
    FrBtnOnly->setVisible(!oneYear);
}

void TFormNonHoliday::addYear(int year)
{
    auto *item = new QListWidgetItem(u"%1年"_s.arg(year), ListBox1);
    item->setData(Qt::UserRole, year);
}

void TFormNonHoliday::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item && ListBox1->count() > 0)
        item = ListBox1->item(0);
    if (item)
        m_year = item->data(Qt::UserRole).toInt();
}
