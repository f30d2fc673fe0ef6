#include "printing/PrintShift.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/FloatSpinEdit.h"
#include "controls/FrameBtn.h"
#include "printing/PrintPreView.h"

using namespace Qt::StringLiterals;

TFormPrintShift *FormPrintShift = nullptr;

namespace {

QString paperText(double mm)
{
    return QString::asprintf("　%8.1f (mm)", mm);
}

TFrameBtn *newButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new TFrameBtn(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setMinimumSize(QSize(72, 26));
    return button;
}

} // namespace

TFormPrintShift::TFormPrintShift(TFormPrintPreView *preview, std::function<void(const Shift &)> apply)
    : QDialog(preview)
    , m_preview(preview)
    , m_apply(std::move(apply))
{
    setWindowTitle(u"印刷位置調整"_s);
    auto *layout = new QVBoxLayout(this);
    auto *edits = new QGridLayout;
    FsEditShiftY = new TFloatSpinEdit(this);
    FsEditShiftX = new TFloatSpinEdit(this);
    FsEditShiftY->setObjectName(u"FsEditShiftY"_s);
    FsEditShiftX->setObjectName(u"FsEditShiftX"_s);
    for (TFloatSpinEdit *e : {FsEditShiftY, FsEditShiftX}) {
        e->setIncrement(0.1);
        // Within a sheet's size either way; the edit refuses the rest.
        e->setMinValue(-400);
        e->setMaxValue(400);
    }
    edits->addWidget(new QLabel(u"上下"_s, this), 0, 0);
    edits->addWidget(FsEditShiftY, 0, 1);
    edits->addWidget(new QLabel(u"(mm)"_s, this), 0, 2);
    edits->addWidget(new QLabel(u"左右"_s, this), 1, 0);
    edits->addWidget(FsEditShiftX, 1, 1);
    edits->addWidget(new QLabel(u"(mm)"_s, this), 1, 2);
    layout->addLayout(edits);
    layout->addWidget(new QLabel(u"印字位置をずらします。"_s, this));
    auto *row = new QHBoxLayout;
    auto *orient = new QGroupBox(u"紙の向き"_s, this);
    auto *ol = new QVBoxLayout(orient);
    RdBtnTate = new QRadioButton(u"たて"_s, orient);
    RdBtnYoko = new QRadioButton(u"よこ"_s, orient);
    RdBtnTate->setObjectName(u"RdBtnTate"_s);
    RdBtnYoko->setObjectName(u"RdBtnYoko"_s);
    RdBtnTate->setChecked(true);
    ol->addWidget(RdBtnTate);
    ol->addWidget(RdBtnYoko);
    row->addWidget(orient);
    auto *paper = new QGroupBox(u"紙サイズ"_s, this);
    auto *pl = new QGridLayout(paper);
    KamiTaka = new QLabel(paper);
    KamiHaba = new QLabel(paper);
    KamiTaka->setObjectName(u"KamiTaka"_s);
    KamiHaba->setObjectName(u"KamiHaba"_s);
    KamiTaka->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    KamiHaba->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pl->addWidget(new QLabel(u"高さ"_s, paper), 0, 0);
    pl->addWidget(KamiTaka, 0, 1);
    pl->addWidget(new QLabel(u"横幅"_s, paper), 1, 0);
    pl->addWidget(KamiHaba, 1, 1);
    row->addWidget(paper);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout;
    OKBtn = newButton(this, u"OKBtn"_s, u"OK"_s);
    CancelBtn = newButton(this, u"CancelBtn"_s, u"ｷｬﾝｾﾙ"_s);
    ButtonTekiyou = newButton(this, u"ButtonTekiyou"_s, u"適用"_s);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(ButtonTekiyou);
    layout->addLayout(buttons);
    connect(OKBtn, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(ButtonTekiyou, &QAbstractButton::clicked, this, [this] { ButtonTekiyouClick(); });
    // toggled: a click on the choice already made changes nothing.
    connect(RdBtnTate, &QRadioButton::toggled, this, [this] { RdBtnTateClick(); });
    FormPrintShift = this;
}

TFormPrintShift::~TFormPrintShift()
{
    if (FormPrintShift == this)
        FormPrintShift = nullptr;
}

void TFormPrintShift::Prepare(const Shift &shift)
{
    m_preparing = true;
    FsEditShiftX->SetValue(shift.x);
    FsEditShiftY->SetValue(shift.y);
    const QPoint mm = NkPrinter().GetPaperSizeMM();
    KamiTaka->setText(paperText(mm.y() / 10.0));
    KamiHaba->setText(paperText(mm.x() / 10.0));
    const bool portrait = NkPrinter().GetOrientation() == nkOrPortrait;
    (portrait ? RdBtnTate : RdBtnYoko)->setChecked(true);
    // The sizes above are already measured in this orientation.
    WasPortrait = portrait;
    m_preparing = false;
}

TFormPrintShift::Shift TFormPrintShift::shift() const
{
    return Shift{FsEditShiftX->CheckValue(FsEditShiftX->GetValue()),
                 FsEditShiftY->CheckValue(FsEditShiftY->GetValue())};
}

void TFormPrintShift::RdBtnTateClick()
{
    if (m_preparing)
        return;
    const bool portrait = RdBtnTate->isChecked();
    // Height and width change places only when the choice really changed.
    if (portrait == WasPortrait)
        return;
    WasPortrait = portrait;
    const QString taka = KamiTaka->text();
    KamiTaka->setText(KamiHaba->text());
    KamiHaba->setText(taka);
}

void TFormPrintShift::applyOrientation()
{
    NkPrinter().SetOrientation(RdBtnTate->isChecked() ? nkOrPortrait : nkOrLandScape);
    NkPrinter().ApplyDevMode();
    m_preview->SyncWithPrinter();
}

void TFormPrintShift::ButtonTekiyouClick()
{
    if (m_apply)
        m_apply(shift());
    applyOrientation();
    m_preview->DrawPreview();
}

bool RunPrintShift(TFormPrintPreView *preview, TFormPrintShift::Shift &shift,
                   const std::function<void(const TFormPrintShift::Shift &)> &apply)
{
    const TFormPrintShift::Shift before = shift;
    const TNkPaperOrientation orientation = NkPrinter().GetOrientation();
    TFormPrintShift dialog(preview, apply);
    dialog.Prepare(shift);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (ok) {
        shift = dialog.shift();
        NkPrinter().SetOrientation(dialog.RdBtnTate->isChecked() ? nkOrPortrait : nkOrLandScape);
    } else {
        shift = before;
        NkPrinter().SetOrientation(orientation);
    }
    NkPrinter().ApplyDevMode();
    if (apply)
        apply(shift);
    preview->SyncWithPrinter();
    preview->DrawPreview();
    return ok;
}
