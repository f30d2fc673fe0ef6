#include "data/FormCalender.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShowEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "data/HimokuCache.h"
#include "data/Holidays.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Provider.h"
#include "platform/db/Query.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

std::function<void()> TFormCalender::OnDataSaved;

namespace {

const QString kDaysNote = u"春分の日、秋分の日は毎年変動し修正が必要な場合があります。よろしかったら保存してください。"_s;
const QString kRulesNote = u"よろしかったら保存してください。"_s;
const QString kDayDefCaption = u"休日の定義"_s;
const QString kBackCaption = u"戻る"_s;

// Short weekday name of the rules' weekday number (1 Sunday .. 7 Saturday).
QString yobiName(int yobi)
{
    // Qt counts 1 Monday .. 7 Sunday.
    return QLocale().dayName(yobi == 1 ? 7 : yobi - 1, QLocale::ShortFormat);
}

QStringList dayKindNames()
{
    QStringList names;
    for (QStringView n : DayKindNames)
        names << n.toString();
    return names;
}

// TYPE as its day-kind name; a text that is no kind's name stores 7 (その他).
void setupKindField(Field &field)
{
    field.OnGetText = [](Field &f, QString &text, bool) { text = f.isNull() ? QString() : DayKindName(f.asInteger()); };
    field.OnSetText = [](Field &f, const QString &text) {
        const int i = dayKindNames().indexOf(text.trimmed());
        f.setAsInteger(i < 0 ? 7 : i);
    };
}

// 0 shown and typed as "-" ("any").
void setupAnyField(Field &field)
{
    field.OnGetText = [](Field &f, QString &text, bool) {
        text = f.isNull() ? QString() : f.asInteger() == 0 ? u"-"_s : QString::number(f.asInteger());
    };
    field.OnSetText = [](Field &f, const QString &text) {
        const QString t = text.trimmed();
        if (t.isEmpty() || t == u"-")
            f.setAsInteger(0);
        else
            f.setAsInteger(t.toInt());
    };
}

void setupYobiField(Field &field)
{
    field.OnGetText = [](Field &f, QString &text, bool) {
        if (f.isNull()) {
            text.clear();
            return;
        }
        const int y = f.asInteger();
        text = y >= 1 && y <= 7 ? yobiName(y) : u"-"_s;
    };
    field.OnSetText = [](Field &f, const QString &text) {
        const QString t = text.trimmed();
        int value = 0;
        for (int y = 1; y <= 7; ++y)
            if (t == yobiName(y))
                value = y;
        f.setAsInteger(value);
    };
}

// Dates of the rules typed as yy/mm/dd (as the edit mask shows them) or in full;
// a mask left blank clears the field.
void setupRuleDateField(Field &field)
{
    field.OnGetText = [](Field &f, QString &text, bool) {
        text = f.isNull() ? QString() : f.asDate().toString(u"yy/MM/dd"_s);
    };
    field.OnSetText = [](Field &f, const QString &text) {
        QString t = text;
        t.remove(u' ');
        t.remove(u'_');
        if (QString(t).remove(u'/').isEmpty()) {
            f.setValue(QVariant());
            return;
        }
        QDate d = QDate::fromString(t, u"yyyy/MM/dd"_s);
        if (!d.isValid())
            d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid()) {
            d = QDate::fromString(t, u"yy/MM/dd"_s);
            if (d.isValid() && d.year() < 2000)
                d = d.addYears(100);
        }
        if (!d.isValid())
            throw EConvertError(u"'%1' は正しい日付ではありません"_s.arg(text));
        f.setAsDate(d);
    };
}

// Pick lists of the grid columns, and the weekday colours of the day grid.
class CalenderDelegate : public QStyledItemDelegate
{
public:
    CalenderDelegate(DataSetModel *model, bool dayGrid, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model), m_dayGrid(dayGrid)
    {
    }
    QHash<QString, QStringList> pickLists;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        Field *f = m_model->fieldAt(index.column());
        if (!f || !pickLists.contains(f->fieldName()))
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(pickLists.value(f->fieldName()));
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QComboBox *>(editor))
            box->setCurrentText(index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QComboBox *>(editor))
            model->setData(index, box->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->palette.setColor(QPalette::Highlight, QColor(0xCC, 0xDE, 0xFF));
        option->palette.setColor(QPalette::HighlightedText, Qt::black);
        if (!m_dayGrid)
            return;
        Field *f = m_model->fieldAt(index.column());
        if (!f || (f->fieldName() != u"RECDATE" && f->fieldName() != u"Yobi"))
            return;
        DataSet *ds = m_model->dataSet();
        QVector<QVariant> values;
        if (!ds || !ds->fetchRecord(index.row() + 1, values))
            return;
        Field *date = ds->findField(u"RECDATE"_s);
        const QDate d = date ? values.value(date->index()).toDate() : QDate();
        QColor color = Qt::black;
        if (d.isValid() && d.dayOfWeek() == 7)
            color = Qt::red;
        else if (d.isValid() && d.dayOfWeek() == 6)
            color = Qt::blue;
        option->palette.setColor(QPalette::Text, color);
        option->palette.setColor(QPalette::HighlightedText, color);
    }

private:
    DataSetModel *m_model;
    bool m_dayGrid;
};

FieldDef def(const QString &name, FieldType type, int size = 0, FieldKind kind = FieldKind::Data, bool key = false)
{
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    d.kind = kind;
    d.key = key;
    return d;
}

} // namespace

TFormCalender::TFormCalender(Database &db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setObjectName(u"FormCalender"_s);
    setWindowTitle(u"カレンダー設定"_s);
    const int thisYear = QDate::currentDate().year();
    FirstYear = LastYear = ShowYear = CurYear = thisYear;

    m_dateListSql = std::make_unique<Query>(db);
    // rowid keeps the rows of one date in table order: the first of them is the
    // one the holiday test and the generation look at.
    m_dateListSql->SQL << u"SELECT * FROM DateList.db WHERE (EXTRACT(YEAR FROM RECDATE) = :Year) "
                          "ORDER BY RECDATE, rowid"_s;
    m_dateListPrv = std::make_unique<Provider>(*m_dateListSql, u"DateList.db"_s);
    m_dateListClt = std::make_unique<ClientDataSet>();
    m_dateListClt->setName(u"DateListClt"_s);
    m_dateListClt->setProvider(m_dateListPrv.get());
    m_dateListClt->setFieldDefs({def(u"DATANO"_s, FieldType::Integer, 0, FieldKind::Data, true),
                                 def(u"RECDATE"_s, FieldType::Date), def(u"Yobi"_s, FieldType::String, 4,
                                                                         FieldKind::Calculated),
                                 def(u"NAME"_s, FieldType::String, 20), def(u"TYPE"_s, FieldType::Smallint),
                                 def(u"COMMENT"_s, FieldType::String, 40)});
    // New days sort into their place in the grid; equal dates keep table order.
    m_dateListClt->setIndexFieldNames(u"RECDATE"_s);
    m_dateListClt->OnCalcFields = [](DataSet &ds) {
        const QDate d = ds[u"RECDATE"_s].asDate();
        ds[u"Yobi"_s].setAsString(d.isValid() ? QLocale().toString(d, u"ddd"_s) : QString());
    };

    m_dayMastSql = std::make_unique<Query>(db);
    m_dayMastSql->SQL << u"SELECT * FROM DateMast.DB"_s;
    m_dayMastPrv = std::make_unique<Provider>(*m_dayMastSql, u"DateMast.DB"_s);
    m_dayMastClt = std::make_unique<ClientDataSet>();
    m_dayMastClt->setName(u"DayMastClt"_s);
    m_dayMastClt->setProvider(m_dayMastPrv.get());
    m_dayMastClt->setFieldDefs({def(u"DATANO"_s, FieldType::Integer, 0, FieldKind::Data, true),
                                def(u"NAME"_s, FieldType::String, 20), def(u"AYEAR"_s, FieldType::Smallint),
                                def(u"AMONTH"_s, FieldType::Smallint), def(u"ADAY"_s, FieldType::Smallint),
                                def(u"AWEEK"_s, FieldType::Smallint), def(u"YOBI"_s, FieldType::Smallint),
                                def(u"TYPE"_s, FieldType::Smallint), def(u"STARTDAY"_s, FieldType::Date),
                                def(u"ENDDAY"_s, FieldType::Date)});
    m_dayMastClt->OnNewRecord = [](DataSet &ds) { ds[u"TYPE"_s].setAsInteger(DayKindNationalHoliday); };

    DateListSql = m_dateListSql.get();
    DateListPrv = m_dateListPrv.get();
    DateListClt = m_dateListClt.get();
    DayMastSql = m_dayMastSql.get();
    DayMastPrv = m_dayMastPrv.get();
    DayMastClt = m_dayMastClt.get();

    buildUi();
}

TFormCalender::~TFormCalender()
{
    // The grids' models go with the widgets; detach them before the data sets go.
    DateListModel->setDataSource(nullptr);
    DayMastModel->setDataSource(nullptr);
    m_dateListSrc->setDataSet(nullptr);
    m_dayMastSrc->setDataSet(nullptr);
}

void TFormCalender::buildUi()
{
    CbBoxYear = new QComboBox(this);
    CbBoxYear->setEditable(true);
    // Digits only (a validator lets backspace through as well).
    CbBoxYear->setValidator(new QIntValidator(0, 9999, CbBoxYear));
    CbBoxYear->setInputMethodHints(Qt::ImhDigitsOnly);
    CbBoxYear->setAttribute(Qt::WA_InputMethodEnabled, false);
    LbYear = new QLabel(u"年"_s, this);
    FrBtnCreateHoliday = new QPushButton(u"休日を生成"_s, this);
    FrBtnDayDef = new QPushButton(kDayDefCaption, this);
    SpBtnlClose = new QPushButton(u"閉じる"_s, this);
    BtnInsert = new QPushButton(u"追加"_s, this);
    BtnPost = new QPushButton(u"登録"_s, this);
    BtnCancel = new QPushButton(u"取消"_s, this);
    BtnSave = new QPushButton(u"保存"_s, this);
    BtnDelete = new QPushButton(u"削除"_s, this);
    BtnCancelAll = new QPushButton(u"全取消"_s, this);
    BtnUndo = new QPushButton(u"元に戻す"_s, this);
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    m_dateListSrc = new DataSource(DateListClt, this);
    m_dayMastSrc = new DataSource(DayMastClt, this);
    DateListModel = new DataSetModel(m_dateListSrc, this);
    DateListModel->setColumns({u"RECDATE"_s, u"Yobi"_s, u"NAME"_s, u"TYPE"_s, u"COMMENT"_s});
    DayMastModel = new DataSetModel(m_dayMastSrc, this);
    DayMastModel->setColumns({u"NAME"_s, u"AYEAR"_s, u"AMONTH"_s, u"ADAY"_s, u"AWEEK"_s, u"YOBI"_s, u"TYPE"_s,
                              u"STARTDAY"_s, u"ENDDAY"_s});

    MyDBGridDateList = new QTableView(this);
    MyDBGridDateList->setModel(DateListModel);
    MyDBGridDayMast = new QTableView(this);
    MyDBGridDayMast->setModel(DayMastModel);
    MyDBGridDayMast->hide();

    const int thisYear = QDate::currentDate().year();
    auto *dayDelegate = new CalenderDelegate(DateListModel, true, this);
    dayDelegate->pickLists.insert(u"TYPE"_s, dayKindNames());
    MyDBGridDateList->setItemDelegate(dayDelegate);
    auto *ruleDelegate = new CalenderDelegate(DayMastModel, false, this);
    ruleDelegate->pickLists.insert(u"TYPE"_s, dayKindNames());
    QStringList years{u"-"_s}, months{u"-"_s}, days{u"-"_s}, weeks{u"-"_s}, yobis{u"-"_s};
    for (int y = thisYear; y <= thisYear + 10; ++y)
        years << QString::number(y);
    for (int m = 1; m <= 12; ++m)
        months << QString::number(m);
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    for (int w = 1; w <= 5; ++w)
        weeks << QString::number(w);
    for (int y = 1; y <= 7; ++y)
        yobis << yobiName(y);
    ruleDelegate->pickLists.insert(u"AYEAR"_s, years);
    ruleDelegate->pickLists.insert(u"AMONTH"_s, months);
    ruleDelegate->pickLists.insert(u"ADAY"_s, days);
    ruleDelegate->pickLists.insert(u"AWEEK"_s, weeks);
    ruleDelegate->pickLists.insert(u"YOBI"_s, yobis);
    MyDBGridDayMast->setItemDelegate(ruleDelegate);

    Label1 = new QLabel(kDaysNote, this);
    Label1->setWordWrap(true);
    PalBottom = new QWidget(this);
    auto *bottom = new QVBoxLayout(PalBottom);
    bottom->addWidget(new QLabel(u"注意）　「春分の日」「秋分の日」は上記の設定にかかわらず1980年～2099年の間は計算により決定されます。"_s,
                                 PalBottom));
    bottom->addWidget(new QLabel(u"「春分の日」「秋分の日」の行を削除すると自動計算は停止します。"_s, PalBottom));
    PalBottom->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(CbBoxYear);
    top->addWidget(LbYear);
    top->addWidget(FrBtnCreateHoliday);
    top->addStretch();
    top->addWidget(FrBtnDayDef);
    top->addWidget(SpBtnlClose);
    auto *actions = new QHBoxLayout;
    for (QPushButton *b : {BtnInsert, BtnPost, BtnCancel, BtnSave, BtnDelete, BtnCancelAll, BtnUndo})
        actions->addWidget(b);
    actions->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(actions);
    layout->addWidget(MyDBGridDateList, 1);
    layout->addWidget(MyDBGridDayMast, 1);
    layout->addWidget(Label1);
    layout->addWidget(PalBottom);
    resize(640, 560);

    connect(FrBtnCreateHoliday, &QPushButton::clicked, this, [this] { FrBtnCreateHolidayClick(); });
    connect(FrBtnDayDef, &QPushButton::clicked, this, [this] { FrBtnDayDefClick(); });
    connect(SpBtnlClose, &QPushButton::clicked, this, [this] { close(); });
    connect(BtnInsert, &QPushButton::clicked, this, [this] { shownClient().append(); });
    connect(BtnPost, &QPushButton::clicked, this, [this] {
        if (shownClient().isEditing())
            shownClient().post();
    });
    connect(BtnCancel, &QPushButton::clicked, this, [this] {
        if (shownClient().isEditing())
            shownClient().cancel();
    });
    connect(BtnSave, &QPushButton::clicked, this, [this] { Save(); });
    connect(BtnDelete, &QPushButton::clicked, this, [this] {
        ClientDataSet &c = shownClient();
        if (c.isEmpty())
            return;
        if (MessageDlg(u"削除しますか？"_s, MsgDlgType::Confirmation, mbYesNo) == mrYes)
            c.remove();
    });
    connect(BtnCancelAll, &QPushButton::clicked, this, [this] { shownClient().cancelUpdates(); });
    connect(BtnUndo, &QPushButton::clicked, this, [this] { shownClient().undoLastChange(true); });
    connect(CbBoxYear, &QComboBox::activated, this, [this] { YearChanged(); });
    connect(CbBoxYear->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (CbBoxYear->currentText().toInt() != CurYear)
            YearChanged();
    });
}

void TFormCalender::setupFields()
{
    // Field objects live from the first open on; their text events are set on
    // each open, which is harmless for the same objects.
    if (DateListClt->isActive()) {
        DateListClt->fieldByName(u"RECDATE"_s)->setDisplayLabel(u"日付"_s);
        DateListClt->fieldByName(u"Yobi"_s)->setDisplayLabel(u"曜日"_s);
        DateListClt->fieldByName(u"NAME"_s)->setDisplayLabel(u"名称"_s);
        DateListClt->fieldByName(u"COMMENT"_s)->setDisplayLabel(u"メモ"_s);
        Field *type = DateListClt->fieldByName(u"TYPE"_s);
        type->setDisplayLabel(u"種類"_s);
        setupKindField(*type);
    }
    if (DayMastClt->isActive()) {
        const QList<QPair<QString, QString>> labels = {
            {u"NAME"_s, u"名称"_s},     {u"AYEAR"_s, u"年"_s},          {u"AMONTH"_s, u"月"_s},
            {u"ADAY"_s, u"日"_s},       {u"AWEEK"_s, u"第何週"_s},      {u"YOBI"_s, u"曜日"_s},
            {u"TYPE"_s, u"種類"_s},     {u"STARTDAY"_s, u"適用開始日"_s}, {u"ENDDAY"_s, u"適用終了日"_s}};
        for (const auto &[name, label] : labels)
            DayMastClt->fieldByName(name)->setDisplayLabel(label);
        for (const QString &name : {u"AYEAR"_s, u"AMONTH"_s, u"ADAY"_s, u"AWEEK"_s})
            setupAnyField(*DayMastClt->fieldByName(name));
        setupYobiField(*DayMastClt->fieldByName(u"YOBI"_s));
        setupKindField(*DayMastClt->fieldByName(u"TYPE"_s));
        for (const QString &name : {u"STARTDAY"_s, u"ENDDAY"_s}) {
            Field *f = DayMastClt->fieldByName(name);
            f->setEditMask(u"!99/99/99;1;_"_s);
            setupRuleDateField(*f);
        }
    }
}

ClientDataSet &TFormCalender::shownClient() const
{
    return showingRules() ? *DayMastClt : *DateListClt;
}

bool TFormCalender::showingRules() const
{
    return !MyDBGridDayMast->isHidden();
}

void TFormCalender::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_loadingYears = true;
    CbBoxYear->clear();
    for (int y = FirstYear - 5; y <= LastYear + 5; ++y)
        CbBoxYear->addItem(QString::number(y));
    CbBoxYear->setCurrentText(QString::number(ShowYear));
    m_loadingYears = false;
    LoadYear();
}

void TFormCalender::LoadYear()
{
    CurYear = CbBoxYear->currentText().toInt();
    DateListClt->close();
    DateListClt->paramByName(u"Year"_s).setAsInteger(CurYear);
    DateListClt->open();
    setupFields();
    if (DateListClt->isEmpty())
        FrBtnCreateHolidayClick();
}

void TFormCalender::YearChanged()
{
    if (m_loadingYears || showingRules())
        return;
    if (DateListClt->isActive())
        Save();
    LoadYear();
}

void TFormCalender::FrBtnCreateHolidayClick()
{
    if (!DateListClt->isActive())
        return;
    const QList<TDayRule> rules = LoadDayRules(m_db);
    ClientDataSet &days = *DateListClt;
    days.checkBrowseMode();
    days.disableControls();
    try {
        GenerateYearDays(CurYear, rules, [&days](const QDate &date, const QString &name, int type) {
            if (days.locate(u"RECDATE"_s, date))
                days.edit();
            else
                days.append();
            days[u"RECDATE"_s].setAsDate(date);
            days[u"NAME"_s].setAsString(name);
            days[u"TYPE"_s].setAsInteger(type);
            days.post();
        });
    } catch (...) {
        if (days.isEditing())
            days.cancel();
        days.enableControls();
        throw;
    }
    days.enableControls();
    days.first();
}

void TFormCalender::saveClientRows(ClientDataSet &client, const QString &tableName)
{
    client.checkBrowseMode();
    // Numbers and rows are written in one transaction. On a failure the numbering
    // edits are taken back, so a retried save never stores a number that the
    // rolled-back counter gives out again.
    const int point = client.savePoint();
    Transaction transaction(m_db, Database::TransactionMode::Immediate);
    try {
        const Bookmark here = client.bookmark();
        client.disableControls();
        for (client.first(); !client.eof(); client.next()) {
            if (!client[u"DATANO"_s].isNull())
                continue;
            client.edit();
            client[u"DATANO"_s].setAsInteger(RecordNumbers::GetNewDataNo(m_db, tableName));
            client.post();
        }
        client.gotoBookmark(here);
        client.enableControls();
        if (client.changeCount() > 0)
            client.applyUpdates(-1);
        transaction.commit();
    } catch (...) {
        if (client.controlsDisabled())
            client.enableControls();
        if (client.isEditing())
            client.cancel();
        if (client.changeCount() >= point)
            client.setSavePoint(point);
        throw;
    }
    if (OnDataSaved)
        OnDataSaved();
}

void TFormCalender::Save()
{
    if (showingRules())
        saveClientRows(*DayMastClt, u"DateMast.DB"_s);
    else
        saveClientRows(*DateListClt, u"DateList.db"_s);
    LoadHolidayList(m_db);
}

bool TFormCalender::CheckPendingChanges()
{
    ClientDataSet &c = shownClient();
    if (!c.isActive())
        return true;
    c.checkBrowseMode();
    if (c.changeCount() == 0)
        return true;
    switch (MessageDlg(u"編集中のデータがあります。\r保存しますか？"_s, MsgDlgType::Information, mbYesNoCancel)) {
    case mrYes: Save(); return true;
    case mrNo: return true;
    default: return false;
    }
}

bool TFormCalender::FrBtnDayDefClick()
{
    if (!CheckPendingChanges())
        return false;
    if (!showingRules()) {
        FrBtnDayDef->setText(kBackCaption);
        PalBottom->show();
        FrBtnCreateHoliday->hide();
        CbBoxYear->hide();
        LbYear->hide();
        DayMastClt->close();
        DayMastClt->open();
        setupFields();
        MyDBGridDayMast->show();
        DateListClt->close();
        MyDBGridDateList->hide();
        Label1->setText(kRulesNote);
    } else {
        FrBtnDayDef->setText(kDayDefCaption);
        PalBottom->hide();
        FrBtnCreateHoliday->show();
        CbBoxYear->show();
        LbYear->show();
        MyDBGridDateList->show();
        DayMastClt->close();
        MyDBGridDayMast->hide();
        LoadYear();
        Label1->setText(kDaysNote);
    }
    return true;
}

void TFormCalender::done(int result)
{
    // 閉じる, Escape and the window's close button all end here.
    if (!CheckPendingChanges())
        return;
    DateListClt->close();
    DayMastClt->close();
    CurYear = QDate::currentDate().year();
    m_loadingYears = true;
    CbBoxYear->setCurrentText(QString::number(CurYear));
    m_loadingYears = false;
    QDialog::done(result);
}
