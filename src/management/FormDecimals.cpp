#include "management/FormDecimals.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "data/FormatSettings.h"
#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"
#include "data/MyMemIniFile.h"
#include "management/SettingsBatch.h"

TFormDecimals *FormDecimals = nullptr;

TFormDecimals::TFormDecimals(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDecimals"));
    setWindowTitle(QStringLiteral("小数点以下の表示"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    RdGrpDecimals = new QGroupBox(QStringLiteral("小数点以下の桁数"), this);
    RbZero = new QRadioButton(QStringLiteral("0桁"), RdGrpDecimals);
    RbTwo = new QRadioButton(QStringLiteral("2桁（ドル等の外貨）"), RdGrpDecimals);
    auto *g = new QVBoxLayout(RdGrpDecimals);
    g->addWidget(RbZero);
    g->addWidget(RbTwo);
    FrBtnOK = new TFrameBtn(this);
    FrBtnOK->setText(QStringLiteral("OK"));
    FrameBtn1 = new TFrameBtn(this);
    FrameBtn1->setText(QStringLiteral("キャンセル"));
    auto *v = new QVBoxLayout(this);
    v->addWidget(RdGrpDecimals);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(FrBtnOK);
    buttons->addWidget(FrameBtn1);
    v->addLayout(buttons);

    int decimals = Formats().currencyDecimals;
    if (DataIni)
        decimals = DataIni->ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("CurrencyDecimals"), decimals);
    (decimals != 0 ? RbTwo : RbZero)->setChecked(true);
    connect(FrBtnOK, &QAbstractButton::clicked, this, &TFormDecimals::FrBtnOKClick);
    connect(FrameBtn1, &QAbstractButton::clicked, this, &QDialog::reject);
    FormDecimals = this;
}

TFormDecimals::~TFormDecimals()
{
    if (FormDecimals == this)
        FormDecimals = nullptr;
}

void TFormDecimals::FrBtnOKClick()
{
    if (!DataIni)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setInteger(QStringLiteral("State"), QStringLiteral("CurrencyDecimals"), RbTwo->isChecked() ? 2 : 0);
    if (!batch.commit())
        return;
    Formats().currencyDecimals =
        qBound(0, DataIni->readInteger(QStringLiteral("State"), QStringLiteral("CurrencyDecimals"), 0), 4);
    done(mrOk);
}
