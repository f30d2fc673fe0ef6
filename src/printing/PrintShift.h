#pragma once

#include <functional>

#include <QDialog>

class QLabel;
class QRadioButton;
class TFloatSpinEdit;
class TFormPrintPreView;
class TFrameBtn;

// 印刷位置調整: for prints of fixed layout, the whole print moves by an offset
// in millimetres; the paper orientation can be chosen and the paper's size is
// shown. The offsets belong to the caller's print (the report's ShiftX and
// ShiftY); 適用 shows them on the preview without closing.
class TFormPrintShift : public QDialog
{
    Q_OBJECT
public:
    struct Shift
    {
        double x = 0;
        double y = 0;
    };

    // preview: the owning preview; apply: shows a shift on the preview's print.
    TFormPrintShift(TFormPrintPreView *preview, std::function<void(const Shift &)> apply);
    ~TFormPrintShift() override;

    TFloatSpinEdit *FsEditShiftY, *FsEditShiftX;
    QRadioButton *RdBtnTate, *RdBtnYoko;
    QLabel *KamiTaka, *KamiHaba;
    TFrameBtn *OKBtn, *CancelBtn, *ButtonTekiyou;
    bool WasPortrait = true;

    // Fills the edits and the paper from the printer without counting the
    // first choice of orientation as a change.
    void Prepare(const Shift &shift);
    Shift shift() const;
    void ButtonTekiyouClick();
    void RdBtnTateClick();

private:
    void applyOrientation();
    TFormPrintPreView *m_preview;
    std::function<void(const Shift &)> m_apply;
    bool m_preparing = false;
};

// The whole road of the preview's 印刷調整 for a fixed-layout print: the dialog
// filled from shift and the printer; OK keeps the new offsets and orientation
// (true, shift changed); ｷｬﾝｾﾙ puts back the offsets and the orientation from
// before, also after 適用 (false, shift as it was).
bool RunPrintShift(TFormPrintPreView *preview, TFormPrintShift::Shift &shift,
                   const std::function<void(const TFormPrintShift::Shift &)> &apply);

// The dialog while it is open.
extern TFormPrintShift *FormPrintShift;
