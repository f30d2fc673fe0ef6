#include "printing/PageSetDlg.h"

#include <QCheckBox>
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

namespace {

QString mmText(double mm)
{
    return QString::number(mm, 'f', 1);
}

TFloatSpinEdit *newEdit(QWidget *parent, const QString &name)
{
    auto *edit = new TFloatSpinEdit(parent);
    edit->setObjectName(name);
    edit->setIncrement(0.1);
    edit->setMinimumWidth(80);
    return edit;
}

TFrameBtn *newButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new TFrameBtn(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setMinimumSize(QSize(80, 26));
    return button;
}

} // namespace

TPageSetDlg::TPageSetDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"ページ設定"_s);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    layout->addLayout(top);

    auto *margins = new QGroupBox(u"余白"_s, this);
    auto *mg = new QGridLayout(margins);
    TopMrg = newEdit(margins, u"TopMrg"_s);
    BottomMrg = newEdit(margins, u"BottomMrg"_s);
    LeftMrg = newEdit(margins, u"LeftMrg"_s);
    RightMrg = newEdit(margins, u"RightMrg"_s);
    mg->addWidget(new QLabel(u"上"_s, margins), 0, 0);
    mg->addWidget(TopMrg, 0, 1);
    mg->addWidget(new QLabel(u"下"_s, margins), 1, 0);
    mg->addWidget(BottomMrg, 1, 1);
    mg->addWidget(new QLabel(u"左"_s, margins), 2, 0);
    mg->addWidget(LeftMrg, 2, 1);
    mg->addWidget(new QLabel(u"右"_s, margins), 3, 0);
    mg->addWidget(RightMrg, 3, 1);
    mg->addWidget(new QLabel(u"単位 : (mm)"_s, margins), 4, 0, 1, 2);
    top->addWidget(margins);

    auto *bands = new QVBoxLayout;
    GrpBoxTitle = new QGroupBox(u"タイトル"_s, this);
    auto *tl = new QHBoxLayout(GrpBoxTitle);
    ChkBoxHeader = new QCheckBox(u" 高さ"_s, GrpBoxTitle);
    ChkBoxHeader->setObjectName(u"ChkBoxHeader"_s);
    HeadHeight = newEdit(GrpBoxTitle, u"HeadHeight"_s);
    tl->addWidget(ChkBoxHeader);
    tl->addWidget(HeadHeight);
    bands->addWidget(GrpBoxTitle);
    GrpBoxFooter = new QGroupBox(u"脚注"_s, this);
    auto *fl = new QHBoxLayout(GrpBoxFooter);
    ChkBoxFooter = new QCheckBox(u" 高さ"_s, GrpBoxFooter);
    ChkBoxFooter->setObjectName(u"ChkBoxFooter"_s);
    FootHeight = newEdit(GrpBoxFooter, u"FootHeight"_s);
    fl->addWidget(ChkBoxFooter);
    fl->addWidget(FootHeight);
    bands->addWidget(GrpBoxFooter);
    auto *orient = new QGroupBox(u"紙の向き"_s, this);
    auto *ol = new QHBoxLayout(orient);
    RdBtnTate = new QRadioButton(u"たて"_s, orient);
    RdBtnTate->setObjectName(u"RdBtnTate"_s);
    RdBtnYoko = new QRadioButton(u"よこ"_s, orient);
    RdBtnYoko->setObjectName(u"RdBtnYoko"_s);
    ol->addWidget(RdBtnTate);
    ol->addWidget(RdBtnYoko);
    bands->addWidget(orient);
    top->addLayout(bands);

    auto *info = new QGroupBox(u"印刷情報"_s, this);
    auto *il = new QGridLayout(info);
    KamiTaka = new QLabel(info);
    KamiHaba = new QLabel(info);
    LbViewHeight = new QLabel(info);
    LbViewWidth = new QLabel(info);
    KamiTaka->setObjectName(u"KamiTaka"_s);
    KamiHaba->setObjectName(u"KamiHaba"_s);
    LbViewHeight->setObjectName(u"LbViewHeight"_s);
    LbViewWidth->setObjectName(u"LbViewWidth"_s);
    il->addWidget(new QLabel(u"紙サイズ"_s, info), 0, 0);
    il->addWidget(new QLabel(u"高さ"_s, info), 0, 1);
    il->addWidget(KamiTaka, 0, 2);
    il->addWidget(new QLabel(u"幅"_s, info), 0, 3);
    il->addWidget(KamiHaba, 0, 4);
    il->addWidget(new QLabel(u"印刷サイズ"_s, info), 1, 0);
    il->addWidget(new QLabel(u"高さ"_s, info), 1, 1);
    il->addWidget(LbViewHeight, 1, 2);
    il->addWidget(new QLabel(u"幅"_s, info), 1, 3);
    il->addWidget(LbViewWidth, 1, 4);
    layout->addWidget(info);

    auto *buttons = new QHBoxLayout;
    OKBtn = newButton(this, u"OKBtn"_s, u"OK"_s);
    CancelBtn = newButton(this, u"CancelBtn"_s, u"ｷｬﾝｾﾙ"_s);
    ButtonDeFault = newButton(this, u"ButtonDeFault"_s, u"デフォルト"_s);
    ButtonTekiyou = newButton(this, u"ButtonTekiyou"_s, u"適用"_s);
    buttons->addStretch();
    for (TFrameBtn *b : {OKBtn, CancelBtn, ButtonDeFault, ButtonTekiyou})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    for (TFloatSpinEdit *e : {TopMrg, BottomMrg, LeftMrg, RightMrg, HeadHeight, FootHeight}) {
        connect(e, &TFloatSpinEdit::changeValue, this, [this] { TopMrgChangeValue(); });
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            e->SetValue(clamped(e));
            UpdateLimits();
        });
    }
    connect(ChkBoxHeader, &QCheckBox::toggled, this, [this](bool on) {
        HeadHeight->setEnabled(on);
        UpdateLimits();
    });
    connect(ChkBoxFooter, &QCheckBox::toggled, this, [this](bool on) {
        FootHeight->setEnabled(on);
        UpdateLimits();
    });
    // toggled, not clicked: only a real change of the choice turns the margins.
    connect(RdBtnTate, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_filling)
            RdBtnTateClick();
    });
    connect(RdBtnYoko, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_filling)
            RdBtnYokoClick();
    });
    connect(OKBtn, &QAbstractButton::clicked, this, [this] { OKBtnClick(); });
    connect(ButtonTekiyou, &QAbstractButton::clicked, this, [this] { ButtonTekiyouClick(); });
    connect(CancelBtn, &QAbstractButton::clicked, this, [this] { CancelBtnClick(); });
    connect(ButtonDeFault, &QAbstractButton::clicked, this, [this] { ButtonDeFaultClick(); });
}

TPageSetDlg::~TPageSetDlg()
{
    m_preview = nullptr;
}

void TPageSetDlg::SetPreview(TFormPrintPreView *preview)
{
    m_preview = preview;
    if (preview)
        fillFromPreview();
}

double TPageSetDlg::clamped(TFloatSpinEdit *edit)
{
    return edit->CheckValue(edit->GetValue());
}

void TPageSetDlg::readMetrics()
{
    m_paperHeight = m_preview->PaperHeight;
    m_paperWidth = m_preview->PaperWidth;
    m_pageHeight = m_preview->PageHeight;
    m_pageWidth = m_preview->PageWidth;
    m_pageTop = m_preview->PageTop;
    m_pageLeft = m_preview->PageLeft;
}

void TPageSetDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_preview) {
        reject();
        return;
    }
}

// Called by SetPreview's user before exec(): fills the edits from the
// preview's stored settings.
void TPageSetDlg::fillFromPreview()
{
    m_filling = true;
    readMetrics();
    double l, t, r, b, h, f;
    m_preview->ReadMargins(l, t, r, b, h, f);
    // No limits yet: the stored values go in as they are, then the limits apply.
    for (TFloatSpinEdit *e : {TopMrg, LeftMrg, RightMrg, BottomMrg, HeadHeight, FootHeight}) {
        e->setMinValue(0);
        e->setMaxValue(0);
    }
    TopMrg->SetValue(t);
    LeftMrg->SetValue(l);
    RightMrg->SetValue(r);
    BottomMrg->SetValue(b);
    HeadHeight->SetValue(h);
    FootHeight->SetValue(f);
    ChkBoxHeader->setChecked(m_preview->HeaderOn);
    ChkBoxFooter->setChecked(m_preview->FooterOn);
    HeadHeight->setEnabled(m_preview->HeaderOn);
    FootHeight->setEnabled(m_preview->FooterOn);
    m_openOrientation = m_preview->PaperOrientation;
    (m_preview->PaperOrientation == nkOrLandScape ? RdBtnYoko : RdBtnTate)->setChecked(true);
    ShowPaperSize();
    UpdateLimits();
    m_filling = false;
}

void TPageSetDlg::ShowPaperSize()
{
    const QPoint mm = NkPrinter().GetPaperSizeMM();
    KamiTaka->setText(mmText(mm.y() / 10.0));
    KamiHaba->setText(mmText(mm.x() / 10.0));
}

void TPageSetDlg::UpdateLimits()
{
    if (!m_preview)
        return;
    TopMrgChangeValue();
    const double H = m_preview->PixelsToMmY(m_paperHeight);
    const double W = m_preview->PixelsToMmX(m_paperWidth);
    const double top = clamped(TopMrg), bottom = clamped(BottomMrg);
    double topMax = H - bottom, bottomMax = H - top, headMax = H - top - bottom, footMax = H - top - bottom;
    if (ChkBoxHeader->isChecked()) {
        const double h = clamped(HeadHeight);
        topMax -= h;
        bottomMax -= h;
        footMax -= h;
    }
    if (ChkBoxFooter->isChecked()) {
        const double f = clamped(FootHeight);
        topMax -= f;
        bottomMax -= f;
        headMax -= f;
    }
    TopMrg->setMaxValue(topMax);
    BottomMrg->setMaxValue(bottomMax);
    HeadHeight->setMaxValue(qMax(0.0, headMax));
    FootHeight->setMaxValue(qMax(0.0, footMax));
    LeftMrg->setMaxValue(W - clamped(RightMrg));
    RightMrg->setMaxValue(W - clamped(LeftMrg));
    TopMrg->setMinValue(m_preview->PixelsToMmY(m_pageTop));
    BottomMrg->setMinValue(m_preview->PixelsToMmY(qint64(m_paperHeight) - m_pageTop - m_pageHeight));
    LeftMrg->setMinValue(m_preview->PixelsToMmX(m_pageLeft));
    RightMrg->setMinValue(m_preview->PixelsToMmX(qint64(m_paperWidth) - m_pageLeft - m_pageWidth));
    HeadHeight->setMinValue(0);
    FootHeight->setMinValue(0);
}

void TPageSetDlg::TopMrgChangeValue()
{
    if (!m_preview)
        return;
    const double H = m_preview->PixelsToMmY(m_paperHeight);
    const double W = m_preview->PixelsToMmX(m_paperWidth);
    LbViewHeight->setText(mmText(H - TopMrg->GetValue() - BottomMrg->GetValue()));
    LbViewWidth->setText(mmText(W - LeftMrg->GetValue() - RightMrg->GetValue()));
}

void TPageSetDlg::turnMargins(bool toPortrait)
{
    TNkPrinter &printer = NkPrinter();
    printer.SetOrientation(toPortrait ? nkOrPortrait : nkOrLandScape);
    printer.ApplyDevMode();
    const QPoint paper = printer.GetPaperExtent(), page = printer.GetPageExtent(), offset = printer.GetPageOffset();
    m_paperWidth = paper.x();
    m_paperHeight = paper.y();
    m_pageWidth = page.x();
    m_pageHeight = page.y();
    m_pageLeft = offset.x();
    m_pageTop = offset.y();
    const double t = clamped(TopMrg), l = clamped(LeftMrg), r = clamped(RightMrg), b = clamped(BottomMrg);
    // Free limits while the four values move round, then the new page's limits.
    for (TFloatSpinEdit *e : {TopMrg, LeftMrg, RightMrg, BottomMrg}) {
        e->setMinValue(0);
        e->setMaxValue(0);
    }
    if (toPortrait) {
        TopMrg->SetValue(r);
        RightMrg->SetValue(b);
        BottomMrg->SetValue(l);
        LeftMrg->SetValue(t);
    } else {
        TopMrg->SetValue(l);
        LeftMrg->SetValue(b);
        BottomMrg->SetValue(r);
        RightMrg->SetValue(t);
    }
    UpdateLimits();
    for (TFloatSpinEdit *e : {TopMrg, LeftMrg, RightMrg, BottomMrg})
        e->SetValue(clamped(e));
    TopMrgChangeValue();
    ShowPaperSize();
}

void TPageSetDlg::RdBtnTateClick()
{
    if (m_preview && NkPrinter().GetOrientation() == nkOrLandScape)
        turnMargins(true);
}

void TPageSetDlg::RdBtnYokoClick()
{
    if (m_preview && NkPrinter().GetOrientation() == nkOrPortrait)
        turnMargins(false);
}

void TPageSetDlg::ButtonDeFaultClick()
{
    if (!m_preview)
        return;
    TopMrg->SetValue(m_preview->PixelsToMmY(m_pageTop));
    RightMrg->SetValue(m_preview->PixelsToMmX(qint64(m_paperWidth) - m_pageLeft - m_pageWidth));
    BottomMrg->SetValue(m_preview->PixelsToMmY(qint64(m_paperHeight) - m_pageTop - m_pageHeight));
    HeadHeight->SetValue(13);
    FootHeight->SetValue(3);
    LeftMrg->SetValue(15);
    ChkBoxHeader->setChecked(true);
    ChkBoxFooter->setChecked(true);
    UpdateLimits();
}

void TPageSetDlg::ApplyToPreview()
{
    if (!m_preview)
        return;
    UpdateLimits();
    const bool header = ChkBoxHeader->isChecked(), footer = ChkBoxFooter->isChecked();
    const double l = clamped(LeftMrg), t = clamped(TopMrg), r = clamped(RightMrg), b = clamped(BottomMrg);
    const double h = clamped(HeadHeight), f = clamped(FootHeight);
    const bool portrait = RdBtnTate->isChecked();
    m_preview->ApplyPageSettings(header, footer, l, t, r, b, h, f, portrait);
    m_preview->FitPaperImage();
    m_preview->LayoutPaperBoxes();
    m_preview->Redraw();
    m_preview->SavePageSettings(m_preview->PaperSize, header, l, t, r, b, h, f, footer, portrait);
    m_openOrientation = portrait ? nkOrPortrait : nkOrLandScape;
}

void TPageSetDlg::OKBtnClick()
{
    hide();
    ApplyToPreview();
    accept();
}

void TPageSetDlg::ButtonTekiyouClick()
{
    ApplyToPreview();
}

void TPageSetDlg::CancelBtnClick()
{
    reject();
}

void TPageSetDlg::reject()
{
    // An orientation given to the printer with たて or よこ is taken back, so
    // the next print does not come out in the orientation that was cancelled.
    if (m_preview) {
        const auto open = TNkPaperOrientation(m_openOrientation);
        if (NkPrinter().GetOrientation() != open) {
            NkPrinter().SetOrientation(open);
            NkPrinter().ApplyDevMode();
        }
        m_preview->SetPaperOrientation(open);
    }
    QDialog::reject();
}
