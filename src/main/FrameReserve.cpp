#include "main/FrameReserve.h"

#include <algorithm>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/MyDBGrid.h"
#include "controls/MyDBNavigator.h"
#include "controls/ShapeBtn.h"
#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/DataUtils.h"
#include "data/FormCalender.h"
#include "controls/FrameBtn.h"
#include "printing/ExcelExport.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPreView.h"
#include "printing/ReportPrint.h"
#include "platform/ui/Dialogs.h"
#include <QMenu>
#include "data/HimokuCache.h"
#include "data/Holidays.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/RecordNumbers.h"
#include "data/ReserveCard.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/DeruLineMenu.h"
#include "main/FormReseveMonthly.h"
#include "main/FrameSelecter.h"
#include "main/MeisaiGrid.h"
#include "platform/db/Abort.h"
#include "platform/db/Database.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

TMeisaiClientDataSet *lines()
{
    return DatMod ? DatMod->MeisaiClt : nullptr;
}

TShapeBtn *shapeButton(const QString &name, const QString &caption, QWidget *parent, int width = 80)
{
    auto *b = new TShapeBtn(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setFixedSize(width, 26);
    return b;
}

// Shows an error of the book in Japanese; the engine's own text follows it.
void showFailure(const QString &what, const std::exception &e)
{
    if (auto *numbers = dynamic_cast<const ERecordNumberError *>(&e)) {
        MessageDlg(numbers->message(), MsgDlgType::Error, mbOK);
        return;
    }
    MessageDlg(u"%1\r%2"_s.arg(what, QString::fromUtf8(e.what())), MsgDlgType::Error, mbOK);
}

const char *const CardCaptionTexts[] = {" 収 入", " 支 出", " 振 替"};

} // namespace

TFrameReserve::TFrameReserve(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(u"FrameReserve"_s);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PaletteColor3);
    setPalette(pal);
    if (DatMod)
        m_card = std::make_unique<TReserveCardClt>(DatMod->MainDatabase);
    buildControls();
}

TFrameReserve::~TFrameReserve()
{
    if (FrSelecter)
        FrSelecter->OnChoose = nullptr;
    if (m_attached)
        DetachJournal();
}

// ---- building ---------------------------------------------------------------------

void TFrameReserve::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto *top = new QHBoxLayout;
    auto *title = new QLabel(u"予約カード"_s, this);
    top->addWidget(title);
    CmbBoxSyusiIdo = new QComboBox(this);
    CmbBoxSyusiIdo->setObjectName(u"CmbBoxSyusiIdo"_s);
    for (const char *t : CardCaptionTexts)
        CmbBoxSyusiIdo->addItem(QString::fromUtf8(t));
    CmbBoxSyusiIdo->setCurrentIndex(-1);
    top->addWidget(CmbBoxSyusiIdo);
    SpBtnNew = shapeButton(u"SpBtnNew"_s, u"新規カード"_s, this, 90);
    SpBtnDeleteCard = shapeButton(u"SpBtnDeleteCard"_s, u"カードを削除"_s, this, 100);
    ShpBtnAll = shapeButton(u"ShpBtnAll"_s, u"全部表示"_s, this);
    ShpBtnAll->setGroupIndex(1);
    ShpBtnAll->setAllowAllUp(true);
    FrameBtn1 = shapeButton(u"FrameBtn1"_s, u"休日設定"_s, this);
    for (TShapeBtn *b : {SpBtnNew, SpBtnDeleteCard, ShpBtnAll, FrameBtn1})
        top->addWidget(b);
    top->addStretch();
    outer->addLayout(top);

    CTabCnt = new QTabBar(this);
    CTabCnt->setObjectName(u"CTabCnt"_s);
    CTabCnt->setExpanding(false);
    outer->addWidget(CTabCnt);

    auto *middle = new QHBoxLayout;
    GBoxInfo = new QGroupBox(u"登録情報"_s, this);
    GBoxInfo->setObjectName(u"GBoxInfo"_s);
    auto *g = new QGridLayout(GBoxInfo);
    auto edit = [this](const QString &name, bool readOnly) {
        auto *e = new QLineEdit(GBoxInfo);
        e->setObjectName(name);
        e->setReadOnly(readOnly);
        e->installEventFilter(this);
        return e;
    };
    LbHimoku = new QLabel(u"費 目"_s, GBoxInfo);
    DBEditHimoku = edit(u"DBEditHimoku"_s, true);
    LbAite = new QLabel(u"出金口座"_s, GBoxInfo);
    DBEditAite = edit(u"DBEditAite"_s, true);
    DBEditHinmei = edit(u"DBEditHinmei"_s, false);
    DBEditShop = edit(u"DBEditShop"_s, false);
    DBEditPerson = edit(u"DBEditPerson"_s, false);
    int row = 0;
    g->addWidget(LbHimoku, row, 0);
    g->addWidget(DBEditHimoku, row++, 1, 1, 3);
    g->addWidget(LbAite, row, 0);
    g->addWidget(DBEditAite, row++, 1, 1, 3);
    g->addWidget(new QLabel(u"品 名"_s, GBoxInfo), row, 0);
    g->addWidget(DBEditHinmei, row++, 1, 1, 3);
    g->addWidget(new QLabel(u"店 名"_s, GBoxInfo), row, 0);
    g->addWidget(DBEditShop, row++, 1, 1, 3);
    g->addWidget(new QLabel(u"使用者"_s, GBoxInfo), row, 0);
    g->addWidget(DBEditPerson, row++, 1, 1, 3);

    auto *amountBox = new QGroupBox(u"金額"_s, GBoxInfo);
    auto *amountLayout = new QHBoxLayout(amountBox);
    RdFixed = new QRadioButton(u"定額"_s, amountBox);
    RdMonthly = new QRadioButton(u"月毎"_s, amountBox);
    DBEditKingaku = edit(u"DBEditKingaku"_s, false);
    DBEditKingaku->setAlignment(Qt::AlignRight);
    DBEditKingaku->setValidator(new QRegularExpressionValidator(QRegularExpression(u"-?[0-9,]{0,15}"_s), this));
    ClrBtnMonthGaku = shapeButton(u"ClrBtnMonthGaku"_s, u"月額設定"_s, amountBox);
    amountLayout->addWidget(RdFixed);
    amountLayout->addWidget(RdMonthly);
    amountLayout->addWidget(DBEditKingaku, 1);
    amountLayout->addWidget(ClrBtnMonthGaku);
    g->addWidget(amountBox, row++, 0, 1, 4);

    DBCmbBoxPostDate = new QComboBox(GBoxInfo);
    DBCmbBoxPostDate->setObjectName(u"DBCmbBoxPostDate"_s);
    DBCmbBoxPostDate->addItem(u"月末"_s);
    for (int d = 1; d <= 30; ++d)
        DBCmbBoxPostDate->addItem(QString::number(d));
    DBCmbBoxZeiAtukai = new QComboBox(GBoxInfo);
    DBCmbBoxZeiAtukai->setObjectName(u"DBCmbBoxZeiAtukai"_s);
    DBCmbBoxZeiAtukai->addItems({u"対象外"_s, u"内税"_s, u"外税"_s});
    g->addWidget(new QLabel(u"記入日 毎月"_s, GBoxInfo), row, 0);
    g->addWidget(DBCmbBoxPostDate, row, 1);
    g->addWidget(new QLabel(u"税扱い"_s, GBoxInfo), row, 2);
    g->addWidget(DBCmbBoxZeiAtukai, row++, 3);

    auto *shiftBox = new QGroupBox(u"記入日の調整"_s, GBoxInfo);
    auto *shiftLayout = new QGridLayout(shiftBox);
    DBRGHolidayShift = new QButtonGroup(this);
    const std::pair<const char *, int> shifts[] = {{"日曜祝日の前", 1},   {"日曜祝日の後", 2}, {"土日曜祝日の前", 3},
                                                   {"土日曜祝日の後", 4}, {"指定日どおり", 0}};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QRadioButton(QString::fromUtf8(shifts[i].first), shiftBox);
        DBRGHolidayShift->addButton(b, shifts[i].second);
        shiftLayout->addWidget(b, i / 3, i % 3);
    }
    g->addWidget(shiftBox, row++, 0, 1, 4);

    auto yearCombo = [this](const QString &name) {
        auto *c = new QComboBox(GBoxInfo);
        c->setObjectName(name);
        FillYearCombo(c, 9, 10);
        return c;
    };
    auto monthCombo = [this](const QString &name) {
        auto *c = new QComboBox(GBoxInfo);
        c->setObjectName(name);
        for (int m = 1; m <= 12; ++m)
            c->addItem(QString::number(m));
        return c;
    };
    DBCmbBoxStartYear = yearCombo(u"DBCmbBoxStartYear"_s);
    DBCmbBoxStartMonth = monthCombo(u"DBCmbBoxStartMonth"_s);
    DBCmbBoxEndYear = yearCombo(u"DBCmbBoxEndYear"_s);
    DBCmbBoxEndMonth = monthCombo(u"DBCmbBoxEndMonth"_s);
    g->addWidget(new QLabel(u"開始年月"_s, GBoxInfo), row, 0);
    g->addWidget(DBCmbBoxStartYear, row, 1);
    g->addWidget(DBCmbBoxStartMonth, row++, 2);
    g->addWidget(new QLabel(u"終了年月"_s, GBoxInfo), row, 0);
    g->addWidget(DBCmbBoxEndYear, row, 1);
    g->addWidget(DBCmbBoxEndMonth, row++, 2);

    ShpBtnCardPost = shapeButton(u"ShpBtnCardPost"_s, u"保存"_s, GBoxInfo);
    ShpBtnCardCancel = shapeButton(u"ShpBtnCardCancel"_s, u"取消"_s, GBoxInfo);
    auto *cardButtons = new QHBoxLayout;
    cardButtons->addStretch();
    cardButtons->addWidget(ShpBtnCardPost);
    cardButtons->addWidget(ShpBtnCardCancel);
    g->addLayout(cardButtons, row++, 0, 1, 4);

    auto *left = new QVBoxLayout;
    left->addWidget(GBoxInfo);
    auto *nameRow = new QHBoxLayout;
    DBCBoxNoVisible = new QCheckBox(u"以後、表示しない"_s, this);
    DBCBoxNoVisible->setObjectName(u"DBCBoxNoVisible"_s);
    DBEditCardName = new QLineEdit(this);
    DBEditCardName->setObjectName(u"DBEditCardName"_s);
    DBEditCardName->setMaxLength(16);
    DBEditCardName->installEventFilter(this);
    LbCardNo = new QLabel(this);
    LbCardNo->setObjectName(u"LbCardNo"_s);
    nameRow->addWidget(DBCBoxNoVisible);
    nameRow->addWidget(new QLabel(u"カード名"_s, this));
    nameRow->addWidget(DBEditCardName, 1);
    nameRow->addWidget(LbCardNo);
    left->addLayout(nameRow);
    middle->addLayout(left, 3);

    FrSelecter = new TFrameSelecter(this);
    FrSelecter->setObjectName(u"FrSelecter"_s);
    // The card takes one value per field: no write modes and no 一括.
    FrSelecter->SetWriteMode(wmChange);
    if (QAbstractButton *b = FrSelecter->RGKakiKata->button(0))
        b->parentWidget()->hide();
    FrSelecter->SpBtnAll->hide();
    FrSelecter->BvlLbTitle->show();
    FrSelecter->OnChoose = [this](TFrameSelecter *, int code, Qt::KeyboardModifiers, int, bool, int, const QDate &,
                                  const QString &name) { cardChoose(code, name); };
    middle->addWidget(FrSelecter, 2);
    outer->addLayout(middle, 3);

    auto *listBar = new QHBoxLayout;
    listBar->addWidget(new QLabel(u"予約リスト"_s, this));
    ShpBtnMakeList = shapeButton(u"ShpBtnMakeList"_s, u"再生成"_s, this);
    ShpBtnMakeList->setToolTip(u"保存されたデータは変更されませんので、一度削除してください。"_s);
    listBar->addWidget(ShpBtnMakeList);
    TlBarDBNav = new QToolBar(this);
    TlBarDBNav->setObjectName(u"TlBarDBNav"_s);
    TlBarDBNav->setToolButtonStyle(Qt::ToolButtonTextOnly);
    DataSetApplyUpdates1 = TlBarDBNav->addAction(u"保存"_s);
    DataSetPost1 = TlBarDBNav->addAction(u"登録"_s);
    DataSetInsert1 = TlBarDBNav->addAction(u"追加"_s);
    DataSetDelete1 = TlBarDBNav->addAction(u"削除"_s);
    DataSetCancel1 = TlBarDBNav->addAction(u"取消"_s);
    DataSetUndo1 = TlBarDBNav->addAction(u"元に戻す"_s);
    DataSetCancelUpdates1 = TlBarDBNav->addAction(u"全取消"_s);
    listBar->addWidget(TlBarDBNav);
    listBar->addWidget(new QLabel(u"合計"_s, this));
    BvLbGoukei = new QLabel(this);
    BvLbGoukei->setObjectName(u"BvLbGoukei"_s);
    BvLbGoukei->setMinimumWidth(100);
    BvLbGoukei->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    listBar->addWidget(BvLbGoukei);
    listBar->addStretch();
    // 印刷 prints the card's lines as a report or writes them to a workbook.
    FrBtnPrint = new TFrameBtn(this);
    FrBtnPrint->setObjectName(u"FrBtnPrint"_s);
    FrBtnPrint->setText(u"印刷"_s);
    auto *printMenu = new QMenu(FrBtnPrint);
    QAction *meisaiPrint = printMenu->addAction(u"明細を印刷"_s);
    meisaiPrint->setObjectName(u"MenuPrintMeisei"_s);
    connect(meisaiPrint, &QAction::triggered, this, [this] { PrintLines(); });
    QAction *meisaiExcel = printMenu->addAction(u"明細をエクセルへ"_s);
    meisaiExcel->setObjectName(u"MenuPrintMeiseiExcel"_s);
    connect(meisaiExcel, &QAction::triggered, this, [this] { ExportLines(); });
    connect(FrBtnPrint, &QAbstractButton::clicked, this,
            [this, printMenu] { printMenu->popup(FrBtnPrint->mapToGlobal(QPoint(0, FrBtnPrint->height()))); });
    listBar->addWidget(FrBtnPrint);
    DBNavigator = new TMyDBNavigator(this);
    DBNavigator->setObjectName(u"DBNavigator"_s);
    listBar->addWidget(DBNavigator);
    outer->addLayout(listBar);
    auto *note = new QLabel(u"※下記の明細は家計簿データそのものです。ここで消すとデータも消えます。"
                            "期日が来るまでは「予約」状態となり通常は表示しません。"_s,
                            this);
    note->setWordWrap(true);
    outer->addWidget(note);

    MeisaiCltSrc = new DataSource(this);
    MyDbGridMeisai = new TMeisaiGrid(this);
    MyDbGridMeisai->setObjectName(u"MyDbGridMeisai"_s);
    MyDbGridMeisai->setOptions(DBGridOption::dgEditing | DBGridOption::dgTitles | DBGridOption::dgIndicator
                               | DBGridOption::dgColumnResize | DBGridOption::dgColLines | DBGridOption::dgRowLines
                               | DBGridOption::dgTabs);
    MyDbGridMeisai->setFixedColor(PaletteColor11);
    MyDbGridMeisai->installEventFilter(this);
    MyDbGridMeisai->onKeyDown = [this](QKeyEvent *e) { return gridKeyDown(e); };
    MyDbGridMeisai->onEditorEnter = [this] { GoToNextLine(); };
    MyDbGridMeisai->onTypeIntoEmpty = [this] {
        if (lines() && lines()->isActive() && lines()->isEmpty())
            InsertLine();
    };
    outer->addWidget(MyDbGridMeisai, 2);
    DBNavigator->setDataSource(MeisaiCltSrc);
    // A pending edit the journal refuses keeps the line where it is.
    DBNavigator->beforeMove = [this] {
        MyDbGridMeisai->postEditor();
        return !MyDbGridMeisai->editorRefused();
    };

    TLineMenuHost host;
    host.grid = MyDbGridMeisai;
    host.source = MeisaiCltSrc;
    host.navigator = TlBarDBNav;
    host.insertBefore = DataSetUndo1;
    host.lines = [this]() -> TMeisaiClientDataSet * { return m_attached && CardNo > 0 ? lines() : nullptr; };
    host.totals = [this] { ShowTotal(); };
    host.namedShift = true;
    host.pasteTarget = [this] {
        // Pasted lines keep the card's kind rules; a read-only column (the
        // category and the counterpart) is pasted too, only hidden ones are not.
        TPasteTarget target;
        target.pageKind = CardKind;
        target.layoutKind = 1;
        target.categoryCounterpart = true;
        for (int i = 0; i < MyDbGridMeisai->columnCount(); ++i) {
            const TMyDBGridColumn c = MyDbGridMeisai->column(i);
            if (!c.fieldName.isEmpty())
                target.columns << TPasteColumn{c.fieldName, c.visible && !MyDbGridMeisai->isColumnHidden(i)};
        }
        return target;
    };
    LineMenu = new TDeruLineMenu(this, host);
    LineMenu->BtnEdit->setObjectName(u"FrBtnMenu"_s);
    LineMenu->BtnEdit->setText(u"Menu"_s);

    // ---- wiring ----
    connect(CmbBoxSyusiIdo, &QComboBox::activated, this, [this](int index) { SelectCardKind(index + 1); });
    connect(ShpBtnAll, &QAbstractButton::clicked, this, [this] { SelectCardKind(CardKind); });
    connect(SpBtnNew, &QAbstractButton::clicked, this, &TFrameReserve::NewCard);
    connect(SpBtnDeleteCard, &QAbstractButton::clicked, this, &TFrameReserve::DeleteCard);
    connect(FrameBtn1, &QAbstractButton::clicked, this, [this] {
        if (!DatMod)
            return;
        TFormCalender form(DatMod->MainDatabase, this);
        ModalForms::exec(form);
    });
    connect(CTabCnt, &QTabBar::currentChanged, this, [this](int index) {
        if (m_tabChanging || index < 0)
            return;
        LoadCard(CTabCnt->tabData(index).toInt());
    });
    connect(ShpBtnCardPost, &QAbstractButton::clicked, this, [this] { SaveCard(); });
    connect(ShpBtnCardCancel, &QAbstractButton::clicked, this, &TFrameReserve::CancelCard);
    connect(ShpBtnMakeList, &QAbstractButton::clicked, this, [this] { MakeList(); });
    connect(DataSetApplyUpdates1, &QAction::triggered, this, [this] {
        MyDbGridMeisai->postEditor();
        if (!MyDbGridMeisai->editorRefused())
            SaveLines();
    });
    connect(DataSetPost1, &QAction::triggered, this, [this] {
        MyDbGridMeisai->postEditor();
        if (MyDbGridMeisai->editorRefused())
            return;
        TMeisaiClientDataSet *m = lines();
        try {
            if (m && m->isEditing())
                m->post();
        } catch (const EAbort &) {
            // The line's own refusal was shown; the line stays in edit.
        } catch (const std::exception &e) {
            showFailure(u"明細を登録できませんでした。"_s, e);
        }
        updateActions();
    });
    connect(DataSetInsert1, &QAction::triggered, this, &TFrameReserve::InsertLine);
    connect(DataSetCancel1, &QAction::triggered, this, [this] {
        if (TMeisaiClientDataSet *m = lines(); m && m->isEditing())
            m->cancel();
        updateActions();
    });
    connect(DataSetDelete1, &QAction::triggered, this, &TFrameReserve::DeleteLines);
    connect(DataSetUndo1, &QAction::triggered, this, &TFrameReserve::UndoLine);
    connect(DataSetCancelUpdates1, &QAction::triggered, this, &TFrameReserve::CancelLines);
    connect(MeisaiCltSrc, &DataSource::dataChange, this, [this] { updateActions(); });
    connect(MeisaiCltSrc, &DataSource::stateChange, this, [this] { updateActions(); });

    // Card controls write into the card as the user changes them.
    connect(RdFixed, &QRadioButton::clicked, this, [this] { writeCardValue("MONTHLY", false); });
    connect(RdMonthly, &QRadioButton::clicked, this, [this] { OpenMonthly(); });
    connect(ClrBtnMonthGaku, &QAbstractButton::clicked, this, [this] { OpenMonthly(); });
    connect(DBEditKingaku, &QLineEdit::textEdited, this, [this] {
        // Typing an amount makes the card a fixed one; passing through does not.
        if (RdMonthly->isChecked())
            RdFixed->setChecked(true);
        writeCardValue("MONTHLY", false);
    });
    connect(DBEditKingaku, &QLineEdit::editingFinished, this, [this] {
        if (!DBEditKingaku->isModified())
            return;
        QString t = DBEditKingaku->text();
        t.remove(u',');
        bool ok = false;
        const qlonglong yen = t.isEmpty() ? 0 : t.toLongLong(&ok);
        if (!t.isEmpty() && !ok) {
            MessageDlg(u"金額が正しくありません。"_s, MsgDlgType::Error, mbOK);
            return;
        }
        writeCardValue("KINGAKU", QVariant::fromValue(Currency::fromInt(yen)));
        DBEditKingaku->setModified(false);
    });
    connect(DBCmbBoxPostDate, &QComboBox::activated, this, [this](int i) { writeCardValue("POSTDATE", i); });
    connect(DBCmbBoxZeiAtukai, &QComboBox::activated, this, [this](int i) { writeCardValue("ZEIATUKAI", i); });
    connect(DBRGHolidayShift, &QButtonGroup::idClicked, this, [this](int id) { writeCardValue("HOLIDAYSHIFT", id); });
    for (QComboBox *c : {DBCmbBoxStartYear, DBCmbBoxStartMonth, DBCmbBoxEndYear, DBCmbBoxEndMonth})
        connect(c, &QComboBox::activated, this, [this] {
            QDate start, end;
            if (checkMonths(start, end)) {
                writeCardValue("STARTDATE", start);
                writeCardValue("ENDDATE", end);
            }
        });
    connect(DBCBoxNoVisible, &QCheckBox::clicked, this, [this](bool hide) { writeCardValue("VISIBLE", !hide); });
    connect(DBEditCardName, &QLineEdit::textEdited, this,
            [this](const QString &text) { writeCardValue("NAME", text); });
    connect(DBEditHinmei, &QLineEdit::editingFinished, this, [this] { typedName(DBEditHinmei, "HINMEICODE"); });
    connect(DBEditShop, &QLineEdit::editingFinished, this, [this] { typedName(DBEditShop, "SHOPCODE"); });
    connect(DBEditPerson, &QLineEdit::editingFinished, this, [this] { typedName(DBEditPerson, "PERSONCODE"); });
    for (QLineEdit *e : {DBEditHinmei, DBEditShop, DBEditPerson})
        connect(e, &QLineEdit::textEdited, this, [this](const QString &text) {
            FrSelecter->SetAssistText(text);
        });
    updateActions();
}

// ---- page interface ------------------------------------------------------------------

void TFrameReserve::InitPage()
{
    setProperty("helpContext", 10093);
    GBoxInfo->setProperty("helpContext", 10094);
    MyDbGridMeisai->setProperty("helpContext", 10095);
    if (RegIni) {
        const int width = RegIni->ReadOrWriteInteger(u"FrameReserve"_s, u"FrSelecterPanelWidth"_s,
                                                     FrSelecter->GetPanelWidth());
        const int height = RegIni->ReadOrWriteInteger(u"FrameReserve"_s, u"FrSelecterPanelHeight"_s,
                                                      FrSelecter->RowHeight);
        FrSelecter->SetPanelWidth(width);
        FrSelecter->SetRowHeight(std::max(height, FrSelecter->fontMetrics().height() + 1));
        // The header's plus and minus and its edge drag change the tiles; the
        // next start shows them as the user left them.
        FrSelecter->OnPanelSizeChange = [this] {
            RegIni->WriteIntegerAndUpdate(u"FrameReserve"_s, u"FrSelecterPanelWidth"_s, FrSelecter->GetPanelWidth());
            RegIni->WriteIntegerAndUpdate(u"FrameReserve"_s, u"FrSelecterPanelHeight"_s, FrSelecter->RowHeight);
        };
    }
    m_initialised = true;
    RefreshPage();
}

void TFrameReserve::RefreshPage()
{
    if (MainForm)
        MainForm->ApplyCommonGridFont(MyDbGridMeisai);
    AttachJournal();
    if (CmbBoxSyusiIdo->currentIndex() < 0)
        CmbBoxSyusiIdo->setCurrentIndex(CardKind - 1);
    SelectCardKind(CmbBoxSyusiIdo->currentIndex() + 1);
}

bool TFrameReserve::LeavePage()
{
    if (!m_attached)
        return true;
    if (!CommitReservePage())
        return false;
    DetachJournal();
    return true;
}

void TFrameReserve::AttachJournal()
{
    TMeisaiClientDataSet *m = lines();
    if (!m)
        return;
    m_attached = true;
    m->ResetEntryState();
    m->CltSelecter = FrSelecter;
    m->CltSyuSiIdo = uint8_t(CardKind);
    m->CltOrigin = 4;
    m->CltDataStyle = 4;
    m->CltLayoutKind = 1;
    m->SetAmountField(m->findField(u"KINGAKU"_s));
    m->OnNeedCalcSum = [this](DataSet &) { ShowTotal(); };
    m->OnAfterNoTransaction = [this](DataSet &) { ReloadLines(); };
    m->OnAfterScrolled = [this](DataSet &) {
        TMeisaiClientDataSet *lines = DatMod->MeisaiClt;
        MyDbGridMeisai->setReadOnly(lines->isActive() && !lines->isEmpty() && lines->IsLockedRecord());
    };
    m->OnApplyUpdate = nullptr;
    m->OnAfterApplied = nullptr;
    m->OnFieldChange = nullptr;
    MeisaiCltSrc->setDataSet(m);
    MyDbGridMeisai->setDataSource(MeisaiCltSrc);
}

void TFrameReserve::DetachJournal()
{
    m_attached = false;
    MyDbGridMeisai->setDataSource(nullptr);
    MeisaiCltSrc->setDataSet(nullptr);
    FrSelecter->CloseList();
    TMeisaiClientDataSet *m = lines();
    if (!m)
        return;
    if (m->isActive()) {
        m->cancelUpdates();
        m->close();
    }
    m->setFilter(QString());
    m->setFiltered(false);
    m->setIndexFieldNames(QString());
    m->setCommandText(QString());
    m->OnNeedCalcSum = nullptr;
    m->OnAfterNoTransaction = nullptr;
    m->OnAfterScrolled = nullptr;
    m->OnApplyUpdate = nullptr;
    m->OnAfterApplied = nullptr;
    m->OnFieldChange = nullptr;
    m->CltDataStyle = 0;
    m->CltSyuSiIdo = 0;
    m->CltOrigin = 0;
    m->CltSelecter = nullptr;
    m->SetAmountField(nullptr);
}

bool TFrameReserve::CardChanged() const
{
    return m_card && m_card->isActive() && (m_card->isEditing() || m_card->changeCount() > 0);
}

bool TFrameReserve::LinesChanged() const
{
    TMeisaiClientDataSet *m = lines();
    return m && m->isActive() && (m->isEditing() || m->changeCount() > 0);
}

bool TFrameReserve::CommitReservePage()
{
    try {
        if (CardChanged() && !SaveCard())
            return false;
        return SaveLines();
    } catch (const EAbort &) {
        // A refusal that was shown to the user already.
        return false;
    } catch (const std::exception &e) {
        showFailure(u"予約を保存できませんでした。"_s, e);
        return false;
    }
}

// ---- kinds and tabs --------------------------------------------------------------------

void TFrameReserve::SelectCardKind(int kind)
{
    if (!CommitReservePage())
        return;
    if (kind < 1 || kind > 3)
        return;
    CardKind = kind;
    CardNo = 0;
    if (CmbBoxSyusiIdo->currentIndex() != kind - 1)
        CmbBoxSyusiIdo->setCurrentIndex(kind - 1);
    applyKindLabels();
    const char *optionSection = kind == 1 ? "Iri" : kind == 2 ? "Deru" : "Kouza";
    m_useSyusiHimoku = DataIni && DataIni->ReadOrWriteBool(QString::fromLatin1(optionSection),
                                                           u"UseSyusiHimoku"_s, false);
    if (TMeisaiClientDataSet *m = lines())
        m->CltSyuSiIdo = uint8_t(kind);
    FillCardTabs();
}

void TFrameReserve::applyKindLabels()
{
    switch (CardKind) {
    case 1:
        LbHimoku->setText(u"費 目"_s);
        LbAite->setText(u"振込先"_s);
        break;
    case 2:
        LbHimoku->setText(u"費 目"_s);
        LbAite->setText(u"出金口座"_s);
        break;
    default:
        LbHimoku->setText(u"振込先"_s);
        LbAite->setText(u"出金口座"_s);
        break;
    }
    // The category edit shows KASICODE on income cards, KARICODE otherwise.
    QList<TMyDBGridColumn> cols;
    auto col = [](const QString &field, const QString &caption, int width) {
        TMyDBGridColumn c;
        c.fieldName = field;
        c.caption = caption;
        c.width = width;
        return c;
    };
    const QString himokuField = CardKind == 1 ? u"KASICODE"_s : u"KARICODE"_s;
    const QString aiteField = CardKind == 1 ? u"KARICODE"_s : u"KASICODE"_s;
    TMyDBGridColumn himoku = col(himokuField, LbHimoku->text(), 100);
    TMyDBGridColumn aite = col(aiteField, LbAite->text(), 100);
    himoku.readOnly = aite.readOnly = true;
    himoku.alignment = aite.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    himoku.color = aite.color = QColor(0xF7, 0xF2, 0xF2);
    TMyDBGridColumn reserved = col(u"RESERVED"_s, u"予約"_s, 50);
    reserved.pickList = {u"未"_s, u"済"_s};
    cols << col(u"RECDATE"_s, u"日付"_s, 90) << himoku << aite << col(u"HinmeiName"_s, u"品名"_s, 110)
         << col(u"ShopName"_s, u"店名"_s, 100) << col(u"KINGAKU"_s, u"金額"_s, 80)
         << col(u"PersonName"_s, u"使用者"_s, 70) << col(u"ZEIATUKAI"_s, u"税扱い"_s, 60) << reserved;
    MyDbGridMeisai->setColumns(cols);
}

void TFrameReserve::FillCardTabs(int selectReceiptNo)
{
    m_tabChanging = true;
    while (CTabCnt->count() > 0)
        CTabCnt->removeTab(0);
    int select = 0;
    if (DatMod && DatMod->DataOpen) {
        Statement st(DatMod->MainDatabase,
                     u"SELECT NAME, RECEIPTNO, VISIBLE FROM ReserveList WHERE SYUSIIDO = ? AND RECKIND = ? "
                     "ORDER BY rowid"_s);
        st.bind(1, CardKind);
        st.bind(2, ReserveCardLive);
        while (st.next()) {
            const bool visible = st.isNull(2) || st.intValue(2) != 0;
            if (!visible && !ShpBtnAll->down())
                continue;
            const int no = int(st.intValue(1));
            const int index = CTabCnt->addTab(st.textValue(0));
            CTabCnt->setTabData(index, no);
            if (no == selectReceiptNo)
                select = index;
        }
    }
    if (CTabCnt->count() == 0) {
        const int index = CTabCnt->addTab(QString());
        CTabCnt->setTabData(index, 0);
    }
    CTabCnt->setCurrentIndex(select);
    m_tabChanging = false;
    LoadCard(CTabCnt->tabData(select).toInt());
}

void TFrameReserve::NewCard()
{
    if (!CommitReservePage())
        return;
    for (int i = 0; i < CTabCnt->count(); ++i)
        if (CTabCnt->tabData(i).toInt() == 0) {
            if (CTabCnt->currentIndex() == i)
                LoadCard(0);
            else
                CTabCnt->setCurrentIndex(i);
            return;
        }
    m_tabChanging = true;
    const int index = CTabCnt->addTab(QString());
    CTabCnt->setTabData(index, 0);
    CTabCnt->setCurrentIndex(index);
    m_tabChanging = false;
    LoadCard(0);
}

// ---- the card ---------------------------------------------------------------------------

void TFrameReserve::LoadCard(int receiptNo)
{
    if (!m_card || !DatMod || !DatMod->DataOpen)
        return;
    // Another card or tab: what is pending on the shown one is saved first;
    // when that is refused the shown card stays.
    if (!m_loading && (CardChanged() || LinesChanged()) && CardNo != receiptNo) {
        const int shown = CardNo;
        if (!CommitReservePage()) {
            m_tabChanging = true;
            for (int i = 0; i < CTabCnt->count(); ++i)
                if (CTabCnt->tabData(i).toInt() == shown)
                    CTabCnt->setCurrentIndex(i);
            m_tabChanging = false;
            return;
        }
        // The save rebuilt the tabs: select the one asked for again.
        m_tabChanging = true;
        int index = -1;
        for (int i = 0; i < CTabCnt->count() && index < 0; ++i)
            if (CTabCnt->tabData(i).toInt() == receiptNo)
                index = i;
        if (index < 0) {
            index = CTabCnt->addTab(QString());
            CTabCnt->setTabData(index, receiptNo);
        }
        CTabCnt->setCurrentIndex(index);
        m_tabChanging = false;
    }
    m_loading = true;
    CardNo = receiptNo;
    m_card->OpenCard(receiptNo);
    if (receiptNo == 0) {
        const QString name = NewReserveCardName(DatMod->MainDatabase);
        CTabCnt->setTabText(CTabCnt->currentIndex(), name);
        const QDate today = QDate::currentDate();
        const QDate month(today.year(), today.month(), 1);
        m_card->append();
        auto set = [this](const char *field, const QVariant &v) { m_card->fieldByName(QLatin1String(field))->setValue(v); };
        set("NAME", name);
        set("RECKIND", ReserveCardLive);
        set("HOLIDAYSHIFT", 0);
        set("POSTDATE", 0);
        set("VISIBLE", true);
        set("SHOPCODE", 0);
        set("HINMEICODE", 0);
        set("PERSONCODE", 0);
        set("KARICODE", 0);
        set("KASICODE", 0);
        set("STARTDATE", month);
        set("ENDDATE", month);
        set("MONTHLY", false);
        set("SYUSIIDO", CardKind);
        set("ZEIATUKAI", CardKind == 2 ? 1 : 0);
        for (int m = 1; m <= 12; ++m)
            set(qPrintable(u"M%1GAKU"_s.arg(m)), QVariant::fromValue(Currency()));
        set("KINGAKU", QVariant::fromValue(Currency()));
        m_card->post();
    }
    LbCardNo->setText(receiptNo > 0 ? u"No.%1"_s.arg(receiptNo) : QString());
    fillCardFields();
    m_loading = false;
    ReloadLines();
    if (m_lastEdit)
        showCardList(m_lastEdit);
    updateActions();
}

void TFrameReserve::fillCardFields()
{
    const bool has = m_card && m_card->isActive() && !m_card->isEmpty();
    const bool wasLoading = m_loading;
    m_loading = true;
    auto f = [this](const char *name) { return m_card->fieldByName(QLatin1String(name)); };
    if (!has) {
        for (QLineEdit *e : {DBEditHimoku, DBEditAite, DBEditHinmei, DBEditShop, DBEditPerson, DBEditKingaku,
                             DBEditCardName})
            e->clear();
        m_loading = wasLoading;
        return;
    }
    const int kari = f("KARICODE")->asInteger();
    const int kasi = f("KASICODE")->asInteger();
    const int himoku = CardKind == 1 ? kasi : kari;
    const int aite = CardKind == 1 ? kari : kasi;
    DBEditHimoku->setText(himoku > 0 ? HimokuCodeToName(himoku) : QString());
    DBEditAite->setText(aite > 0 ? HimokuCodeToName(aite) : QString());
    DBEditHinmei->setText(FieldCodeToName(*DatMod->HinmeiMstTbl, *f("HINMEICODE")));
    DBEditShop->setText(FieldCodeToName(*DatMod->ShopMstTbl, *f("SHOPCODE")));
    DBEditPerson->setText(FieldCodeToName(*DatMod->PersonTbl, *f("PERSONCODE")));
    const bool monthly = f("MONTHLY")->asBoolean();
    RdMonthly->setChecked(monthly);
    RdFixed->setChecked(!monthly);
    DBEditKingaku->setText(f("KINGAKU")->asCurrency().toString(0, false));
    DBEditKingaku->setModified(false);
    DBCmbBoxPostDate->setCurrentIndex(qBound(0, f("POSTDATE")->asInteger(), 30));
    DBCmbBoxZeiAtukai->setCurrentIndex(qBound(0, f("ZEIATUKAI")->asInteger(), 2));
    if (QAbstractButton *b = DBRGHolidayShift->button(f("HOLIDAYSHIFT")->asInteger()))
        b->setChecked(true);
    auto setYearMonth = [](QComboBox *year, QComboBox *month, const QDate &date) {
        const QDate d = date.isValid() ? date : QDate::currentDate();
        const int yi = year->findText(QString::number(d.year()));
        if (yi < 0)
            year->addItem(QString::number(d.year()));
        year->setCurrentIndex(year->findText(QString::number(d.year())));
        month->setCurrentIndex(d.month() - 1);
    };
    setYearMonth(DBCmbBoxStartYear, DBCmbBoxStartMonth, f("STARTDATE")->asDate());
    setYearMonth(DBCmbBoxEndYear, DBCmbBoxEndMonth, f("ENDDATE")->asDate());
    DBCBoxNoVisible->setChecked(!f("VISIBLE")->isNull() && !f("VISIBLE")->asBoolean());
    DBEditCardName->setText(f("NAME")->asString());
    m_loading = wasLoading;
}

void TFrameReserve::writeCardValue(const char *field, const QVariant &value)
{
    if (m_loading || !m_card || !m_card->isActive())
        return;
    Field *f = m_card->fieldByName(QLatin1String(field));
    if (m_card->isEmpty())
        return;
    if (f->value() == value && !f->isNull())
        return;
    if (!m_card->isEditing())
        m_card->edit();
    f->setValue(value);
    updateActions();
}

void TFrameReserve::typedName(QLineEdit *edit, const char *codeField)
{
    if (m_loading || !edit->isModified() || !DatMod)
        return;
    Table *table = edit == DBEditHinmei ? DatMod->HinmeiMstTbl : edit == DBEditShop ? DatMod->ShopMstTbl
                                                                                    : DatMod->PersonTbl;
    const QString name = edit->text().trimmed();
    // A name that is not registered yet gets code -1 and is registered when the card is saved.
    writeCardValue(codeField, name.isEmpty() ? 0 : MasterNameToCode(*table, name));
    edit->setModified(false);
}

bool TFrameReserve::checkMonths(QDate &start, QDate &end)
{
    start = QDate(DBCmbBoxStartYear->currentText().toInt(), DBCmbBoxStartMonth->currentIndex() + 1, 1);
    end = QDate(DBCmbBoxEndYear->currentText().toInt(), DBCmbBoxEndMonth->currentIndex() + 1, 1);
    return start.isValid() && end.isValid();
}

void TFrameReserve::OpenMonthly()
{
    if (!m_card || !m_card->isActive() || m_card->isEmpty())
        return;
    writeCardValue("MONTHLY", true);
    RdMonthly->setChecked(true);
    TFormReseveMonthly form(*m_card, this);
    ModalForms::exec(form);
    updateActions();
}

// Saving: numbers, registered names and the card row in one transaction.
bool TFrameReserve::storeCard()
{
    Database &db = DatMod->MainDatabase;
    TReserveCardClt &card = *m_card;
    auto f = [&card](const char *name) { return card.fieldByName(QLatin1String(name)); };
    const QVariant oldDataNo = f("DATANO")->value();
    const QVariant oldReceiptNo = f("RECEIPTNO")->value();
    const QVariant oldCodes[3] = {f("HINMEICODE")->value(), f("SHOPCODE")->value(), f("PERSONCODE")->value()};
    QDate start, end;
    checkMonths(start, end);
    try {
        Transaction transaction(db, Database::TransactionMode::Immediate);
        card.edit();
        if (f("DATANO")->asInteger() < 1)
            f("DATANO")->setAsInteger(RecordNumbers::GetNewDataNo(db, u"reservelist.db"_s));
        if (f("RECEIPTNO")->isNull() || f("RECEIPTNO")->asInteger() <= 0)
            f("RECEIPTNO")->setAsInteger(RecordNumbers::GetNewDataNo(db, u"receiptno"_s));
        const std::pair<const char *, std::pair<QLineEdit *, const char *>> names[] = {
            {"HINMEICODE", {DBEditHinmei, "HinmeiMast.db"}},
            {"SHOPCODE", {DBEditShop, "ShopMast.db"}},
            {"PERSONCODE", {DBEditPerson, "Person.DB"}}};
        for (const auto &[field, source] : names)
            if (f(field)->asInteger() == -1)
                f(field)->setAsInteger(GetOrAddMasterCode(db, QString::fromLatin1(source.second),
                                                          source.first->text().trimmed(), false));
        f("RECDATE")->setAsDate(QDate::currentDate());
        f("SYUSIIDO")->setAsInteger(CardKind);
        f("STARTDATE")->setAsDate(start);
        f("ENDDATE")->setAsDate(end);
        f("VISIBLE")->setAsBoolean(!DBCBoxNoVisible->isChecked());
        card.post();
        if (card.applyUpdates(0) > 0)
            throw std::runtime_error("the card row was not written");
        transaction.commit();
    } catch (...) {
        // Nothing was written: the card keeps what the user typed.
        if (!card.isEditing())
            card.edit();
        f("DATANO")->setValue(oldDataNo);
        f("RECEIPTNO")->setValue(oldReceiptNo);
        f("HINMEICODE")->setValue(oldCodes[0]);
        f("SHOPCODE")->setValue(oldCodes[1]);
        f("PERSONCODE")->setValue(oldCodes[2]);
        card.post();
        throw;
    }
    DatMod->DataChanged = true;
    CommitDataChanges();
    return true;
}

bool TFrameReserve::SaveCard()
{
    if (!m_card || !m_card->isActive() || m_card->isEmpty())
        return true;
    if (m_card->isEditing())
        m_card->post();
    auto f = [this](const char *name) { return m_card->fieldByName(QLatin1String(name)); };
    // A card with nothing in it is not worth a row.
    if (f("KARICODE")->asInteger() < 1 && f("KASICODE")->asInteger() < 1 && DBEditHinmei->text().isEmpty()
        && DBEditShop->text().isEmpty() && DBEditPerson->text().isEmpty()) {
        m_card->cancelUpdates();
        return true;
    }
    QDate start, end;
    checkMonths(start, end);
    if (!start.isValid()) {
        MessageDlg(u"開始年月が不正です。"_s, MsgDlgType::Error, mbOK);
        return false;
    }
    if (!end.isValid()) {
        MessageDlg(u"終了年月が不正です。"_s, MsgDlgType::Error, mbOK);
        return false;
    }
    // The card's lines are regenerated from the saved card: pending line
    // edits are saved first, not dropped.
    if (!SaveLines())
        return false;
    const int oldNo = CardNo;
    const bool changed = m_card->changeCount() > 0 || oldNo == 0;
    try {
        storeCard();
    } catch (const EAbort &) {
        // A refusal that was shown to the user already.
        return false;
    } catch (const std::exception &e) {
        showFailure(u"予約カードを保存できませんでした。"_s, e);
        return false;
    }
    const int no = f("RECEIPTNO")->asInteger();
    m_loading = true;
    FillCardTabs(no);
    m_loading = false;
    if (changed)
        MakeList();
    updateActions();
    return true;
}

void TFrameReserve::CancelCard()
{
    if (!m_card || !m_card->isActive())
        return;
    if (!SaveLines())
        return;
    const int no = CardNo;
    if (m_card->isEditing())
        m_card->cancel();
    m_card->cancelUpdates();
    m_loading = true;
    FillCardTabs(no);
    m_loading = false;
}

void TFrameReserve::DeleteCard()
{
    if (!m_card || !m_card->isActive() || !DatMod)
        return;
    if (!SaveLines())
        return;
    if (m_card->isEditing())
        m_card->post();
    const int no = m_card->isEmpty() ? 0 : m_card->fieldByName(u"RECEIPTNO"_s)->asInteger();
    if (no > 0 && m_card->fieldByName(u"DATANO"_s)->asInteger() > 0) {
        const int count = DatMod->MainDatabase
                              .scalar(u"SELECT COUNT(*) FROM Master WHERE RECEIPTNO = ?"_s, {no})
                              .toInt();
        if (count > 0
            && MessageDlg(u"すでに生成された家計簿データ（下の一覧）は削除されません。\rカード情報のみ削除していいいですか？"_s,
                          MsgDlgType::Information, mbOKCancel) == mrCancel)
            return;
        // The row stays so that the number is never given again; its lines stay too.
        try {
            m_card->cancelUpdates();
            m_card->edit();
            m_card->fieldByName(u"RECKIND"_s)->setAsInteger(ReserveCardDeleted);
            m_card->post();
            if (m_card->applyUpdates(0) > 0) {
                m_card->cancelUpdates();
                MessageDlg(u"予約カードを削除できませんでした。"_s, MsgDlgType::Error, mbOK);
                return;
            }
            DatMod->DataChanged = true;
            CommitDataChanges();
        } catch (const std::exception &e) {
            m_card->cancelUpdates();
            showFailure(u"予約カードを削除できませんでした。"_s, e);
            return;
        }
    } else {
        m_card->cancelUpdates();
    }
    CardNo = -1;
    m_loading = true;
    FillCardTabs();
    m_loading = false;
}

// ---- the lines --------------------------------------------------------------------------

void TFrameReserve::ReloadLines()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m_attached)
        return;
    if (m->isActive())
        m->cancelUpdates();
    m->close();
    if (CardNo <= 0) {
        m->CltReceiptNo = 0;
        BvLbGoukei->clear();
        updateActions();
        return;
    }
    m->setCommandText(u"SELECT *\nFROM \"Master.db\" D\nWHERE (RECEIPTNO = %1)\nORDER BY RECDATE,GYONO"_s.arg(CardNo));
    m->CltReceiptNo = CardNo;
    m->CltLookupNo = -1;
    setNewLineCodes();
    m->open();
    PrepareMeisaiLines();
    m->setIndexFieldNames(u"RECDATE;GYONO"_s);
    m->first();
    ShowTotal();
    updateActions();
}

int TFrameReserve::MakeList()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive() || !m_card || !m_card->isActive() || m_card->isEmpty() || CardChanged())
        return -1;
    const TReserveCard card = ReadReserveCard(*m_card);
    if (card.KariCode < 1 || card.KasiCode < 1) {
        MessageDlg(u"費目と口座を指定してください。"_s, MsgDlgType::Information, mbOK);
        return -1;
    }
    HolidayTest test;
    int chosenYear = card.StartYear;
    const int answer = DatModSql ? DatModSql->CheckHolidayYears(card.StartYear, card.EndYear, false, chosenYear)
                                 : int(mrOk);
    if (answer == mrYes) {
        TFormCalender form(DatMod->MainDatabase, this);
        form.FirstYear = card.StartYear;
        form.LastYear = card.EndYear;
        form.ShowYear = chosenYear;
        ModalForms::exec(form);
        return -1;
    }
    if (answer == mrCancel)
        return -1;
    if (answer != mrIgnore)
        test = TableHolidayTest(DatMod->MainDatabase);
    WaitCursor wait;
    const int added = GenerateReserveLines(*m, card, QDate::currentDate(), CurLockDate, test);
    m->first();
    ShowTotal();
    updateActions();
    return added;
}

bool TFrameReserve::SaveLines()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive() || !m_attached)
        return true;
    // Text still in the grid's editor is part of the edit: it goes in, or the
    // save stops on its refusal.
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return false;
    m->ClearSavePoint();
    bool saved = false;
    try {
        if (m->isEditing())
            m->post();
        if (m->changeCount() == 0)
            return true;
        saved = ApplyMeisaiUpdates();
    } catch (const EAbort &) {
        // A refusal that was shown to the user already.
        return false;
    } catch (const std::exception &e) {
        showFailure(u"予約の明細を保存できませんでした。"_s, e);
        return false;
    }
    if (saved) {
        m->setIndexFieldNames(u"RECDATE;GYONO"_s);
        ShowTotal();
    }
    updateActions();
    return saved;
}

void TFrameReserve::CancelLines()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive())
        return;
    if (m->isEditing())
        m->cancel();
    m->ClearSavePoint();
    m->cancelUpdates();
    PrepareMeisaiLines();
    m->setIndexFieldNames(u"RECDATE;GYONO"_s);
    ShowTotal();
    updateActions();
}

void TFrameReserve::setNewLineCodes()
{
    TMeisaiClientDataSet *m = lines();
    if (!m)
        return;
    m->CltHimokuCODE = -1;
    m->CltRecAiteCODE = -1;
    m->CltZeiAtukai = 0;
    if (!m_card || !m_card->isActive() || m_card->isEmpty())
        return;
    // A line typed under the card books what the card books: its category
    // and account cannot be typed in the list (the columns are read-only).
    const auto code = [this](const char *name) {
        const int c = m_card->fieldByName(QLatin1String(name))->asInteger();
        return c > 0 ? c : -1;
    };
    m->CltHimokuCODE = code(CardKind == 1 ? "KASICODE" : "KARICODE");
    m->CltRecAiteCODE = code(CardKind == 1 ? "KARICODE" : "KASICODE");
    m->CltZeiAtukai = uint8_t(m_card->fieldByName(u"ZEIATUKAI"_s)->asInteger());
}

void TFrameReserve::InsertLine()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive() || !m_attached || CardNo <= 0)
        return;
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return;
    try {
        m->checkBrowseMode();
        setNewLineCodes();
        m->last();
        m->append();
    } catch (const EAbort &) {
        // The pending line's own refusal was shown; it stays current.
        return;
    } catch (const std::exception &e) {
        showFailure(u"明細を追加できませんでした。"_s, e);
        return;
    }
    MyDbGridMeisai->setFocus();
    for (int i = 0; i < MyDbGridMeisai->columnCount(); ++i)
        if (MyDbGridMeisai->column(i).fieldName == u"RECDATE") {
            const QModelIndex index = MyDbGridMeisai->currentIndex();
            MyDbGridMeisai->setCurrentIndex(MyDbGridMeisai->model()->index(index.isValid() ? index.row() : 0, i));
            break;
        }
    updateActions();
}

void TFrameReserve::DeleteLines()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive() || m->isEmpty() || MyDbGridMeisai->readOnly())
        return;
    try {
        if (MyDbGridMeisai->selectedCount() == 0) {
            if (!m->IsLockedRecord())
                m->remove();
        } else {
            if (MessageDlg(u"選択中のレコードをすべて削除してよろしいですか？"_s, MsgDlgType::Information, mbYesNo)
                != mrYes)
                return;
            // Cut: the lines go to the line clipboard, so they can be pasted back.
            LineMenu->CopyLines(true);
        }
    } catch (const EAbort &) {
        // The refusal was shown.
    } catch (const std::exception &e) {
        showFailure(u"明細を削除できませんでした。"_s, e);
    }
    ShowTotal();
    updateActions();
}

void TFrameReserve::UndoLine()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive())
        return;
    m->undoLastChange(true);
    ShowTotal();
    updateActions();
}

void TFrameReserve::GoToNextLine()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive() || m->isEmpty())
        return;
    try {
        if (m->isEditing())
            m->post();
        m->next();
    } catch (const EAbort &) {
        // The line's refusal was shown; it stays in edit.
    } catch (const std::exception &e) {
        showFailure(u"明細を登録できませんでした。"_s, e);
    }
    updateActions();
}

bool TFrameReserve::gridKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (MyDbGridMeisai->editorMode())
            return false;
        GoToNextLine();
        return true;
    }
    // Alt narrows the card's choice list to the line's cell, as the journal
    // pages' lists do; with no list shown for the card there is nothing to narrow.
    if (key == Qt::Key_Alt) {
        if (!event->isAutoRepeat() && m_lastEdit)
            FrSelecter->ToggleAssist(MyDbGridMeisai->currentCellText());
        return true;
    }
    // Shift or Ctrl lets rows be selected, as for a cut or delete of several.
    if (key == Qt::Key_Shift || key == Qt::Key_Control)
        MyDbGridMeisai->setOptions(MyDbGridMeisai->options() | DBGridOption::dgMultiSelect);
    return false;
}

void TFrameReserve::PrintLines()
{
    if (FormLrpPreView)
        return;
    if (!MyDbGridMeisai->model() || MyDbGridMeisai->model()->rowCount() == 0) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    TFormLrpPreView preview(this, lpReserve);
    if (TFrameAutoLightRep *report = preview.BuildGridReport(MyDbGridMeisai)) {
        const QString name = DBEditCardName->text();
        report->ItTitle->SetText(u"自動記帳: "_s + name);
        report->ItBottomTitle->SetText(name);
        report->ItSubTitle->SetText(u"予約"_s);
        report->ItNenGetudo->SetText(QString());
        report->ItKikan->SetText(u"合計金額 : "_s + BvLbGoukei->text());
        report->ItKikan->Alignment = Qt::AlignRight;
    }
    // The lines stay still while their pages print.
    MyDbGridMeisai->setEnabled(false);
    ExecReportPreview(preview);
    MyDbGridMeisai->setEnabled(true);
}

void TFrameReserve::ExportLines()
{
    TDBGridExcelExport ex;
    ex.DBGrid = MyDbGridMeisai;
    ex.SheetName = u"予約の明細"_s;
    // Dates as date values, so that the workbook sorts and sums them as dates.
    ex.UseText = false;
    RunExcelExport(ex, ex.SheetName);
}

void TFrameReserve::ShowTotal()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive()) {
        BvLbGoukei->clear();
        return;
    }
    BvLbGoukei->setText(KingakuToStr(SumMeisaiKingaku(*m)));
}

void TFrameReserve::updateActions()
{
    const bool cardOpen = m_card && m_card->isActive() && !m_card->isEmpty();
    const bool cardChanged = CardChanged();
    ShpBtnCardPost->setEnabled(cardChanged);
    ShpBtnCardCancel->setEnabled(cardChanged);
    SpBtnDeleteCard->setEnabled(cardOpen);
    bool codes = false;
    if (cardOpen)
        codes = m_card->fieldByName(u"KARICODE"_s)->asInteger() > 0
            && m_card->fieldByName(u"KASICODE"_s)->asInteger() > 0;
    ShpBtnMakeList->setEnabled(cardOpen && !cardChanged && codes && CardNo > 0);
    TMeisaiClientDataSet *m = lines();
    const bool open = m && m_attached && m->isActive();
    const bool changes = open && (m->changeCount() > 0 || m->isEditing());
    DataSetApplyUpdates1->setEnabled(changes);
    DataSetCancelUpdates1->setEnabled(changes);
    DataSetPost1->setEnabled(open && m->isEditing());
    DataSetCancel1->setEnabled(open && m->isEditing());
    DataSetInsert1->setEnabled(open && CardNo > 0);
    DataSetDelete1->setEnabled(open && !m->isEmpty() && !m->IsLockedRecord());
    DataSetUndo1->setEnabled(open && m->changeCount() > 0);
}

// ---- the selector ------------------------------------------------------------------------

void TFrameReserve::showCardList(QLineEdit *edit)
{
    m_lastEdit = edit;
    int kind = 0;
    QString codeField;
    if (edit == DBEditHinmei) {
        kind = 9;
        codeField = u"HINMEICODE"_s;
    } else if (edit == DBEditShop) {
        kind = 10;
        codeField = u"SHOPCODE"_s;
    } else if (edit == DBEditPerson) {
        kind = 12;
        codeField = u"PERSONCODE"_s;
    } else if (edit == DBEditAite) {
        kind = m_useSyusiHimoku && CardKind == 1 ? 16 : m_useSyusiHimoku && CardKind == 2 ? 17 : 13;
        codeField = CardKind == 1 ? u"KARICODE"_s : u"KASICODE"_s;
    } else if (edit == DBEditHimoku) {
        kind = CardKind == 3 ? 13 : 7;
        codeField = CardKind == 1 ? u"KASICODE"_s : u"KARICODE"_s;
    } else {
        m_lastEdit = nullptr;
        FrSelecter->CloseList();
        return;
    }
    m_codeField = codeField;
    QLabel *caption = edit == DBEditHimoku ? LbHimoku : edit == DBEditAite ? LbAite : nullptr;
    FrSelecter->BvlLbTitle->setText(caption ? caption->text()
                                    : edit == DBEditHinmei ? u"品 名"_s
                                    : edit == DBEditShop   ? u"店 名"_s
                                                           : u"使用者"_s);
    int code = 11;
    if (CardKind != 3 && m_card && m_card->isActive() && !m_card->isEmpty())
        code = m_card->fieldByName(CardKind == 1 ? u"KASICODE"_s : u"KARICODE"_s)->asInteger();
    FrSelecter->AssistText.clear();
    FrSelecter->ShowList(kind, code, CardKind, false);
}

void TFrameReserve::cardChoose(int code, const QString &name)
{
    if (!m_card || !m_card->isActive() || m_card->isEmpty() || m_codeField.isEmpty() || !m_lastEdit)
        return;
    writeCardValue(qPrintable(m_codeField), code);
    m_loading = true;
    m_lastEdit->setText(name);
    m_lastEdit->setModified(false);
    m_loading = false;
    updateActions();
}

bool TFrameReserve::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MyDbGridMeisai) {
        // Without a selected row the row selection goes off again at the key's release.
        if (event->type() == QEvent::KeyRelease && MyDbGridMeisai->selectedCount() == 0
            && MyDbGridMeisai->options().testFlag(DBGridOption::dgMultiSelect))
        {
            DBGridOptions options = MyDbGridMeisai->options();
            options.setFlag(DBGridOption::dgMultiSelect, false);
            MyDbGridMeisai->setOptions(options);
        }
        return QFrame::eventFilter(watched, event);
    }
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && event->type() == QEvent::FocusIn && edit != DBEditKingaku && edit != DBEditCardName)
        showCardList(edit);
    if (edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter walks the card; passing the amount edit changes nothing.
            if (edit == DBEditHinmei || edit == DBEditShop || edit == DBEditPerson)
                typedName(edit, edit == DBEditHinmei ? "HINMEICODE" : edit == DBEditShop ? "SHOPCODE" : "PERSONCODE");
            focusNextChild();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
