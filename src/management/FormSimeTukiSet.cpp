#include "management/FormSimeTukiSet.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/ColorBtn.h"
#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "management/SettingsBatch.h"

TFormSimeTukiSet *FormSimeTukiSet = nullptr;

TFormSimeTukiSet::TFormSimeTukiSet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSimeTukiSet"));
    setWindowTitle(QStringLiteral("締め月の設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setProperty("HelpContext", 10045);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("１月締め"), QStringLiteral("２月締め"), QStringLiteral("３月締め"),
                         QStringLiteral("４月締め"), QStringLiteral("５月締め"), QStringLiteral("６月締め"),
                         QStringLiteral("７月締め"), QStringLiteral("８月締め"), QStringLiteral("９月締め"),
                         QStringLiteral("1０月締め"), QStringLiteral("1１月締め"), QStringLiteral("1２月締め")});
    RadioGroup1 = new QGroupBox(QStringLiteral("年度の表示方法"), this);
    RbStartYear = new QRadioButton(QStringLiteral("年初の年を使う。"), RadioGroup1);
    RbEndYear = new QRadioButton(QStringLiteral("年度末の年を使う。"), RadioGroup1);
    auto *rg = new QVBoxLayout(RadioGroup1);
    rg->addWidget(RbStartYear);
    rg->addWidget(RbEndYear);
    ShapeBtnOK = new TColorBtn(this);
    ShapeBtnOK->setText(QStringLiteral("OK"));
    ShapeBtnCancel = new TColorBtn(this);
    ShapeBtnCancel->setText(QStringLiteral("キャンセル"));

    auto *v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("一年間の集計期間を変更します。"), this));
    v->addWidget(new QLabel(QStringLiteral(" 年度の締め月を指定してください。 "), this));
    v->addWidget(ComboBox1);
    v->addWidget(RadioGroup1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ShapeBtnOK);
    buttons->addWidget(ShapeBtnCancel);
    v->addLayout(buttons);

    int month = 12, shift = 0;
    if (DataIni) {
        month = DataIni->ReadOrWriteInteger(QStringLiteral("Sime"), QStringLiteral("SimeTuki"), 12);
        shift = DataIni->ReadOrWriteInteger(QStringLiteral("Sime"), QStringLiteral("ShiftNendo"), 0);
    }
    ComboBox1->setCurrentIndex(qBound(1, month, 12) - 1);
    (shift == 0 ? RbEndYear : RbStartYear)->setChecked(true);
    ComboBox1Change();
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormSimeTukiSet::ComboBox1Change);
    connect(ShapeBtnOK, &QAbstractButton::clicked, this, &TFormSimeTukiSet::ShapeBtnOKClick);
    connect(ShapeBtnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    FormSimeTukiSet = this;
}

TFormSimeTukiSet::~TFormSimeTukiSet()
{
    if (FormSimeTukiSet == this)
        FormSimeTukiSet = nullptr;
}

void TFormSimeTukiSet::ComboBox1Change()
{
    // A year closing in December is the calendar year: nothing to name.
    RadioGroup1->setEnabled(ComboBox1->currentIndex() != 11);
}

void TFormSimeTukiSet::ShapeBtnOKClick()
{
    const int month = ComboBox1->currentIndex() + 1;
    const int shift = month == 12 ? 0 : (RbStartYear->isChecked() ? -1 : 0);
    if (!DataIni)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setInteger(QStringLiteral("Sime"), QStringLiteral("SimeTuki"), month);
    batch.setInteger(QStringLiteral("Sime"), QStringLiteral("ShiftNendo"), shift);
    if (!batch.commit())
        return;
    CurSimeTuki = uint16_t(month);
    CurShiftNendo = shift;
    done(mrOk);
}
