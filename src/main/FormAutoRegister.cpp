#include "main/FormAutoRegister.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/MyDBGrid.h"
#include "controls/ShapeBtn.h"
#include "data/DatMod.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/ModalForm.h"
#include "data/RecordNumbers.h"
#include "data/ReserveCard.h"
#include "data/Vocabulary.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Abort.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

const QString TFormAutoRegister::BookText = u"記入する"_s;
const QString TFormAutoRegister::KeepText = u"記入しない"_s;

namespace {

TMeisaiClientDataSet *lines()
{
    return DatMod ? DatMod->MeisaiClt : nullptr;
}

TShapeBtn *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new TShapeBtn(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setFixedSize(80, 26);
    return b;
}

} // namespace

TFormAutoRegister::TFormAutoRegister(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"FormAutoRegister"_s);
    setWindowTitle(u"自動記帳"_s);
    resize(960, 420);
    auto *layout = new QVBoxLayout(this);
    LbTitle = new QLabel(u"今回記入するデータ"_s, this);
    layout->addWidget(LbTitle);

    auto *bar = new QHBoxLayout;
    BtnSave = button(u"BtnSave"_s, u"保存"_s, this);
    ShapeBtn2 = button(u"ShapeBtn2"_s, u"保存しない"_s, this);
    BtnPost = button(u"BtnPost"_s, u"登録"_s, this);
    BtnDelete = button(u"BtnDelete"_s, u"削除"_s, this);
    BtnCancel = button(u"BtnCancel"_s, u"取消"_s, this);
    BtnCancelAll = button(u"BtnCancelAll"_s, u"全取消"_s, this);
    for (TShapeBtn *b : {BtnSave, ShapeBtn2, BtnPost, BtnDelete, BtnCancel, BtnCancelAll})
        bar->addWidget(b);
    bar->addStretch();
    layout->addLayout(bar);

    MeisaiCltSrc = new DataSource(this);
    MyDbGridMeisai = new TMyDBGrid(this);
    MyDbGridMeisai->setObjectName(u"MyDbGridMeisai"_s);
    MyDbGridMeisai->setOptions(DBGridOption::dgEditing | DBGridOption::dgAlwaysShowEditor | DBGridOption::dgTitles
                               | DBGridOption::dgIndicator | DBGridOption::dgColumnResize | DBGridOption::dgColLines
                               | DBGridOption::dgRowLines | DBGridOption::dgTabs | DBGridOption::dgConfirmDelete);
    const QColor shaded(0xF7, 0xF2, 0xF2);
    auto col = [](const QString &field, const QString &caption, int width) {
        TMyDBGridColumn c;
        c.fieldName = field;
        c.caption = caption;
        c.width = width;
        return c;
    };
    QList<TMyDBGridColumn> cols;
    cols << col(u"RECDATE"_s, u"日付"_s, 90);
    TMyDBGridColumn kari = col(u"KARICODE"_s, u"入金先"_s, 100);
    kari.readOnly = true;
    kari.color = shaded;
    TMyDBGridColumn kasi = col(u"KASICODE"_s, u"出金元"_s, 100);
    kasi.readOnly = true;
    kasi.color = shaded;
    kari.alignment = kasi.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    cols << kari << kasi << col(u"HinmeiName"_s, u"品名"_s, 110) << col(u"ShopName"_s, u"店名"_s, 100)
         << col(u"KINGAKU"_s, u"金額"_s, 80) << col(u"PersonName"_s, u"名前"_s, 70)
         << col(u"ZEIATUKAI"_s, u"税扱い"_s, 60);
    TMyDBGridColumn reserved = col(u"RESERVED"_s, u"記入"_s, 80);
    reserved.pickList = {KeepText, BookText};
    cols << reserved;
    MyDbGridMeisai->setColumns(cols);
    layout->addWidget(MyDbGridMeisai, 1);

    connect(BtnSave, &QAbstractButton::clicked, this, &TFormAutoRegister::Save);
    connect(ShapeBtn2, &QAbstractButton::clicked, this, [this] { reject(); });
    connect(BtnPost, &QAbstractButton::clicked, this, [] {
        if (TMeisaiClientDataSet *m = lines(); m && m->isEditing())
            m->post();
    });
    connect(BtnCancel, &QAbstractButton::clicked, this, [] {
        if (TMeisaiClientDataSet *m = lines(); m && m->isEditing())
            m->cancel();
    });
    connect(BtnDelete, &QAbstractButton::clicked, this, [] {
        TMeisaiClientDataSet *m = lines();
        if (!m || !m->isActive() || m->isEmpty())
            return;
        if (MessageDlg(u"レコードを削除してもよいですか？"_s, MsgDlgType::Confirmation, mbOKCancel) != mrCancel)
            m->remove();
    });
    connect(BtnCancelAll, &QAbstractButton::clicked, this, &TFormAutoRegister::CancelAll);
    connect(MeisaiCltSrc, &DataSource::dataChange, this, [this] { updateButtons(); });
    connect(MeisaiCltSrc, &DataSource::stateChange, this, [this] { updateButtons(); });
}

TFormAutoRegister::~TFormAutoRegister()
{
    detach();
}

int TFormAutoRegister::LoadDueEntries(const QDate &today)
{
    TMeisaiClientDataSet *m = lines();
    if (!m)
        return 0;
    if (m->isActive())
        m->cancelUpdates();
    m->close();
    m->ResetEntryState();
    // Style 5: the data module refuses new lines, so nothing can be typed in.
    m->CltDataStyle = 5;
    m->CltOrigin = 5;
    m->CltSyuSiIdo = 0;
    m->setCommandText(DueEntriesSql(today, CurLockDate).join(u'\n'));
    m->open();
    if (m->isEmpty())
        return 0;
    PrepareMeisaiLines();
    // Date, then line number, as the query read them.
    m->setIndexFieldNames(u"RECDATE;GYONO"_s);
    m->disableControls();
    struct Enable
    {
        DataSet &ds;
        ~Enable() { ds.enableControls(); }
    } enable{*m};
    Field *reservedField = m->fieldByName(u"RESERVED"_s);
    for (m->first(); !m->eof(); m->next()) {
        m->edit();
        reservedField->setAsBoolean(false);
        m->post();
    }
    m->first();
    bindReservedTexts();
    MeisaiCltSrc->setDataSet(m);
    MyDbGridMeisai->setDataSource(MeisaiCltSrc);
    updateButtons();
    return m->recordCount();
}

void TFormAutoRegister::bindReservedTexts()
{
    TMeisaiClientDataSet *m = lines();
    Field *f = m ? m->findField(u"RESERVED"_s) : nullptr;
    if (!f || m_textsBound)
        return;
    m_oldGetText = f->OnGetText;
    m_oldSetText = f->OnSetText;
    f->setDisplayValues(KeepText, BookText);
    f->OnGetText = [](Field &field, QString &text, bool) { text = field.asBoolean() ? KeepText : BookText; };
    f->OnSetText = [](Field &field, const QString &text) {
        const QString t = text.trimmed();
        if (t == BookText)
            field.setAsBoolean(false);
        else if (t == KeepText)
            field.setAsBoolean(true);
    };
    m_textsBound = true;
}

void TFormAutoRegister::restoreReservedTexts()
{
    if (!m_textsBound)
        return;
    m_textsBound = false;
    TMeisaiClientDataSet *m = lines();
    Field *f = m ? m->findField(u"RESERVED"_s) : nullptr;
    if (!f)
        return;
    f->setDisplayValues(u"未"_s, u"済"_s);
    f->OnGetText = m_oldGetText;
    f->OnSetText = m_oldSetText;
}

void TFormAutoRegister::Save()
{
    bool saved = false;
    try {
        saved = ApplyMeisaiUpdates();
    } catch (const ERecordNumberError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
    } catch (const EAbort &) {
        // A refusal that was shown to the user already.
    } catch (const std::exception &e) {
        MessageDlg(u"自動記帳を保存できませんでした。\r%1"_s.arg(QString::fromUtf8(e.what())), MsgDlgType::Error, mbOK);
    }
    if (saved)
        accept();
}

void TFormAutoRegister::CancelAll()
{
    TMeisaiClientDataSet *m = lines();
    if (!m || !m->isActive())
        return;
    m->cancelUpdates();
    PrepareMeisaiLines();
    m->setIndexFieldNames(u"RECDATE;GYONO"_s);
    m->first();
    updateButtons();
}

void TFormAutoRegister::updateButtons()
{
    TMeisaiClientDataSet *m = lines();
    const bool open = m && m->isActive() && !m_detached;
    const bool changed = open && (m->changeCount() > 0 || m->isEditing());
    BtnSave->setEnabled(changed);
    BtnCancelAll->setEnabled(changed);
    BtnPost->setEnabled(open && m->isEditing());
    BtnCancel->setEnabled(open && m->isEditing());
    BtnDelete->setEnabled(open && !m->isEmpty());
}

void TFormAutoRegister::done(int result)
{
    detach();
    QDialog::done(result);
}

void TFormAutoRegister::detach()
{
    if (m_detached)
        return;
    m_detached = true;
    restoreReservedTexts();
    MyDbGridMeisai->setDataSource(nullptr);
    MeisaiCltSrc->setDataSet(nullptr);
    TMeisaiClientDataSet *m = lines();
    if (!m)
        return;
    // Closing without a save leaves every line scheduled in the book.
    if (m->isActive()) {
        if (m->isEditing())
            m->cancel();
        m->cancelUpdates();
        m->close();
    }
    m->setFilter(QString());
    m->setFiltered(false);
    m->setIndexFieldNames(QString());
    m->setCommandText(QString());
    m->CltDataStyle = 0;
    m->CltOrigin = 0;
    m->CltSyuSiIdo = 0;
}

void OfferDueReservations(QWidget *owner)
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    const QDate today = QDate::currentDate();
    const TLockedReserved locked = CountLockedReserved(DatMod->MainDatabase, CurLockDate);
    if (locked.Count > 0)
        MessageDlg(LockedReservedMessage(locked), MsgDlgType::Information, mbOK);
    TFormAutoRegister form(owner);
    try {
        if (form.LoadDueEntries(today) > 0)
            ModalForms::exec(form);
    } catch (const EAbort &) {
        // A refusal that was shown to the user already.
    } catch (const std::exception &e) {
        MessageDlg(u"予約データを読み込めませんでした。\r%1"_s.arg(QString::fromUtf8(e.what())), MsgDlgType::Error,
                   mbOK);
    }
}
