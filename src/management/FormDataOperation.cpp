#include "management/FormDataOperation.h"

#include <QBrush>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDate>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QPalette>
#include <QStackedWidget>
#include <QTableView>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "management/DataOpJournalPage.h"
#include "management/DataOpListPage.h"
#include "management/DataOpMasterPage.h"
#include "management/DataOpSqlPage.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"

using namespace Qt::StringLiterals;

TFormDataOperation *FormDataOperation = nullptr;

namespace {

QPushButton *pageButton(const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setCheckable(true);
    b->setMinimumHeight(30);
    return b;
}

} // namespace

TFormDataOperation::TFormDataOperation(QWidget *owner) : QWidget(owner ? owner->window() : nullptr)
{
    FormDataOperation = this;
    setObjectName(u"FormDataOperation"_s);
    setWindowTitle(u"データ操作"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    m_host = parentWidget();

    auto *v = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    PageButtons = new QButtonGroup(this);
    FrBtnMaster = pageButton(u"家計簿データ編集"_s, this);
    FrBtnHinmei = pageButton(u"品名テーブル編集"_s, this);
    FrBtnShop = pageButton(u"店名テーブル編集"_s, this);
    FrBtnPerson = pageButton(u"使用者テーブル編集"_s, this);
    FrBtnHinmeiList = pageButton(u"品名選択肢編集"_s, this);
    FrBtnShopList = pageButton(u"店名選択肢編集"_s, this);
    FrBtnSQL = pageButton(u"SQL"_s, this);
    for (QPushButton *b : {FrBtnMaster, FrBtnHinmei, FrBtnShop, FrBtnPerson, FrBtnHinmeiList, FrBtnShopList, FrBtnSQL}) {
        PageButtons->addButton(b);
        bar->addWidget(b);
    }
    bar->addStretch();
    FrBtnEnd = new QPushButton(u"操作終了"_s, this);
    FrBtnEnd->setMinimumHeight(30);
    bar->addWidget(FrBtnEnd);
    FrBtnPrint = new QPushButton(u"印刷"_s, this);
    FrBtnPrint->setMinimumHeight(30);
    bar->addWidget(FrBtnPrint);
    PopupMenuPrint = new QMenu(this);
    PopupMenuPrint->addAction(u"明細を印刷"_s, this, &TFormDataOperation::MenuPrintMeisaiClick)
        ->setObjectName(u"MenuPrintMeisai"_s);
    PopupMenuPrint->addAction(u"明細をエクセルへ"_s, this, &TFormDataOperation::MenuPrintMeiseiExcelClick)
        ->setObjectName(u"MenuPrintMeiseiExcel"_s);
    // The program has no help file: "?" says so, as the other help buttons do.
    FrBtnHelp = new QPushButton(u"?"_s, this);
    FrBtnHelp->setFixedSize(30, 30);
    bar->addWidget(FrBtnHelp, 0, Qt::AlignTop);
    v->addLayout(bar);

    Pages = new QStackedWidget(this);
    TabMain = new TDataOpJournalPage(this);
    TabMaster = new TDataOpMasterPage(this);
    TabSelectList = new TDataOpListPage(this);
    TabSQL = new TDataOpSqlPage(this);
    Pages->addWidget(TabMain);
    Pages->addWidget(TabMaster);
    Pages->addWidget(TabSelectList);
    Pages->addWidget(TabSQL);
    v->addWidget(Pages, 1);

    FrBtnMaster->setChecked(true);
    connect(PageButtons, &QButtonGroup::buttonClicked, this, &TFormDataOperation::ShowOperationPage);
    connect(FrBtnEnd, &QAbstractButton::clicked, this, &QWidget::close);
    connect(FrBtnPrint, &QAbstractButton::clicked, this,
            [this] { PopupMenuPrint->popup(FrBtnPrint->mapToGlobal(QPoint(0, FrBtnPrint->height()))); });
    connect(FrBtnHelp, &QAbstractButton::clicked, this, [] { ShowHelp(10113); });
    // The choice lists have nothing to print.
    connect(Pages, &QStackedWidget::currentChanged, this,
            [this] { FrBtnPrint->setEnabled(Pages->currentWidget() != TabSelectList); });
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFormDataOperation::ApplicationEvents1Idle);

    Pages->setCurrentWidget(TabMain);
    TabMain->JournalRequery = true;
    if (m_host) {
        m_host->installEventFilter(this);
        fitToOwnerWindow();
    }
}

TFormDataOperation::~TFormDataOperation()
{
    CloseQueries();
    try {
        CommitDataChanges();
    } catch (const EDatabaseError &e) {
        ShowEngineError(u"家計簿データを読み直せませんでした。"_s, e);
    }
    if (FormDataOperation == this)
        FormDataOperation = nullptr;
}

void TFormDataOperation::fitToOwnerWindow()
{
    setGeometry(m_host->rect());
    raise();
}

bool TFormDataOperation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && event->type() == QEvent::Resize)
        fitToOwnerWindow();
    return QWidget::eventFilter(watched, event);
}

void TFormDataOperation::closeEvent(QCloseEvent *event)
{
    CloseQueries();
    event->accept();
}

void TFormDataOperation::CloseQueries()
{
    TabMain->CloseQuery();
    TabMaster->CloseQuery();
    TabSelectList->CloseQuery();
    TabSQL->CloseQuery();
}

void TFormDataOperation::ShowOperationPage(QAbstractButton *sender)
{
    CloseQueries();
    try {
        CommitDataChanges();
    } catch (const EDatabaseError &e) {
        ShowEngineError(u"家計簿データを読み直せませんでした。"_s, e);
    }
    if (sender == FrBtnMaster) {
        TabMain->JournalSortField = u"RECDATE"_s;
        TabMain->JournalSortDesc = false;
        Pages->setCurrentWidget(TabMain);
        TabMain->RunJournalQuery();
    } else if (sender == FrBtnHinmei || sender == FrBtnShop || sender == FrBtnPerson) {
        TabMaster->SetMasterKind(sender == FrBtnHinmei ? 0 : sender == FrBtnShop ? 1 : 2);
        Pages->setCurrentWidget(TabMaster);
        TabMaster->RunMasterQuery();
    } else if (sender == FrBtnHinmeiList || sender == FrBtnShopList) {
        TabSelectList->SetListKind(sender == FrBtnHinmeiList ? 0 : 1);
        Pages->setCurrentWidget(TabSelectList);
        TabSelectList->RunListQuery();
    } else if (sender == FrBtnSQL) {
        MessageDlg(u"このページでは直接SQL文を発行して高度な操作を行います。\r"
                   "データを壊してしまう危険が高いので通常は使用しないでください。"_s,
                   MsgDlgType::Warning, mbOK);
        Pages->setCurrentWidget(TabSQL);
    }
}

void TFormDataOperation::ApplicationEvents1Idle()
{
    if (TabMaster->MasterRequery)
        TabMaster->RunMasterQuery();
    if (TabMain->JournalRequery)
        TabMain->RefreshJournal();
    if (TabSelectList->ListRequery)
        TabSelectList->RunListQuery();
}

bool TFormDataOperation::ConfirmBulkChange(int count)
{
    const QString text = QString::number(count) + u" 件あります。"_s + u"\r"_s + u"実行すると元には戻せません。"_s +
                         u"\r"_s + u"実行していいですか？"_s + u"\r\r"_s +
                         u"注意）実行後抽出条件に一致しないデータは表示されなくなります。"_s;
    return MessageDlg(text, MsgDlgType::Information, mbYesNo) == mrYes;
}

TFormDataOperation::RowAnswer TFormDataOperation::AskRow(const QString &text)
{
    switch (MessageDlg(text, MsgDlgType::Information, mbYes | mbNo | mbAbort | mbYesToAll)) {
    case mrYes:
        return RowAnswer::Yes;
    case mrYesToAll:
        return RowAnswer::YesToAll;
    case mrAbort:
        return RowAnswer::Abort;
    default:
        return RowAnswer::No;
    }
}

void TFormDataOperation::ShowEngineError(const QString &what, const EDatabaseError &error)
{
    const QString detail = error.engineText().isEmpty() ? error.message() : error.engineText();
    MessageDlg(what + u"\r\r（詳細）"_s + detail, MsgDlgType::Error, mbOK);
}

void TFormDataOperation::ShowSortColumn(QStandardItemModel *model, const QStringList &labels, int sortColumn,
                                        bool desc)
{
    for (int c = 0; c < labels.size() && c < model->columnCount(); ++c) {
        QString caption = labels.at(c);
        QFont font;
        if (c == sortColumn) {
            caption += desc ? u" ↓"_s : u" ↑"_s;
            font.setBold(true);
        }
        model->setHeaderData(c, Qt::Horizontal, caption);
        model->setHeaderData(c, Qt::Horizontal, font, Qt::FontRole);
    }
}

void TFormDataOperation::DBGridMainDrawColumnCell(QStandardItem *item, CellKind kind, const QVariant &value,
                                                  bool reserved)
{
    QColor colour;
    if (reserved) {
        colour = QColor(128, 128, 128);
    } else if (kind == CellKind::Money && !value.isNull() && value.toDouble() < 0) {
        colour = Qt::red;
    } else if (kind == CellKind::Date) {
        const QDate d = value.typeId() == QMetaType::QDate ? value.toDate()
                                                           : QDate::fromString(value.toString(), Qt::ISODate);
        if (d.isValid() && (d.dayOfWeek() == 7 || IsHoliday(d)))
            colour = Qt::red;
        else if (d.isValid() && d.dayOfWeek() == 6)
            colour = Qt::blue;
    }
    // No colour: the grid's own text colour, also after a cell was redrawn.
    item->setData(colour.isValid() ? QVariant(QBrush(colour)) : QVariant(), Qt::ForegroundRole);
}

void TFormDataOperation::SetUnfocusedSelection(QTableView *grid)
{
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(209, 228, 220));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
    grid->setPalette(palette);
}

QString TFormDataOperation::LikePattern(QString text)
{
    text.replace(u"^"_s, u"^^"_s);
    text.replace(u"%"_s, u"^%"_s);
    text.replace(u"_"_s, u"^_"_s);
    return text;
}
