#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class TFloatSpinEdit;
class TFormPrintPreView;
class TFrameBtn;

// ページ設定: the margins, the header and footer bands and the orientation of
// one print preview, in millimetres. OK and 適用 write them into the preview
// and its stored page settings; たて and よこ turn the printer at once, and
// ｷｬﾝｾﾙ turns it back.
class TPageSetDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TPageSetDlg(QWidget *parent = nullptr);
    ~TPageSetDlg() override;

    void SetPreview(TFormPrintPreView *preview);

    TFloatSpinEdit *TopMrg, *BottomMrg, *LeftMrg, *RightMrg, *HeadHeight, *FootHeight;
    QCheckBox *ChkBoxHeader, *ChkBoxFooter;
    QRadioButton *RdBtnTate, *RdBtnYoko;
    QLabel *KamiTaka, *KamiHaba, *LbViewHeight, *LbViewWidth;
    QGroupBox *GrpBoxTitle, *GrpBoxFooter;
    TFrameBtn *OKBtn, *CancelBtn, *ButtonDeFault, *ButtonTekiyou;

    void UpdateLimits();
    void ShowPaperSize();
    void TopMrgChangeValue();
    void RdBtnTateClick();
    void RdBtnYokoClick();
    void ButtonDeFaultClick();
    void ApplyToPreview();
    void OKBtnClick();
    void ButtonTekiyouClick();
    void CancelBtnClick();

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillFromPreview();
    void readMetrics();
    // A value as the edit allows it: typed text outside the limits is clamped
    // before it is used.
    static double clamped(TFloatSpinEdit *edit);
    void turnMargins(bool toPortrait);

    TFormPrintPreView *m_preview = nullptr;
    int m_paperHeight = 0, m_paperWidth = 0, m_pageHeight = 0, m_pageWidth = 0, m_pageTop = 0, m_pageLeft = 0;
    int m_openOrientation = 0;
    bool m_filling = false;
};
