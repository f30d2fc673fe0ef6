#include "management/FormLockDate.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/ColorBtn.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "management/SettingsBatch.h"

TFormLockDate *FormLockDate = nullptr;

TFormLockDate::TFormLockDate(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormLockDate"));
    setWindowTitle(QStringLiteral("データロック設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    CBLockDate = new QCheckBox(QStringLiteral("指定日付を含む過去のデータをロックする。"), this);
    DTPLockDate = new QDateEdit(this);
    DTPLockDate->setCalendarPopup(true);
    DTPLockDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    DTPLockDate->setAttribute(Qt::WA_InputMethodEnabled, false);
    ShapeBtnOK = new TColorBtn(this);
    ShapeBtnOK->setText(QStringLiteral("OK"));
    ShapeBtnCancel = new TColorBtn(this);
    ShapeBtnCancel->setText(QStringLiteral("キャンセル"));

    auto *v = new QVBoxLayout(this);
    v->addWidget(CBLockDate);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("指定日付"), this));
    row->addWidget(DTPLockDate, 1);
    v->addLayout(row);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ShapeBtnOK);
    buttons->addWidget(ShapeBtnCancel);
    v->addLayout(buttons);

    const bool locked = CurLockDate.isValid();
    CBLockDate->setChecked(locked);
    DTPLockDate->setDate(locked ? CurLockDate : QDate::currentDate());
    CBLockDateClick();
    connect(CBLockDate, &QCheckBox::toggled, this, &TFormLockDate::CBLockDateClick);
    connect(ShapeBtnOK, &QAbstractButton::clicked, this, &TFormLockDate::ShapeBtnOKClick);
    connect(ShapeBtnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    FormLockDate = this;
}

TFormLockDate::~TFormLockDate()
{
    if (FormLockDate == this)
        FormLockDate = nullptr;
}

void TFormLockDate::CBLockDateClick()
{
    DTPLockDate->setEnabled(CBLockDate->isChecked());
}

void TFormLockDate::ShapeBtnOKClick()
{
    const QDate lock = CBLockDate->isChecked() ? DTPLockDate->date() : QDate();
    if (!DataIni)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setFloat(QStringLiteral("Sime"), QStringLiteral("LockDate"), lock.isValid() ? DateToDayNumber(lock) : 0.0);
    if (!batch.commit())
        return;
    CurLockDate = lock;
    if (DatMod)
        CopyLockDate(*DatMod, CurLockDate);
    done(mrOk);
}
