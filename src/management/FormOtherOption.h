#pragma once

#include <functional>

#include <QDialog>
#include <QFont>
#include <QColor>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class TFrameBtn;
class TColorBtn;

// "その他の設定": program-wide choices of the per-user store: the display font,
// hints, the main window's view style and tab images, the first mode of the
// choice lists, the folder for new books and the automatic backup. Nothing is
// stored before OK.
class TFormOtherOption : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOtherOption(QWidget *parent = nullptr);
    ~TFormOtherOption() override;

    // What the running main window shows (set by the main window), to tell
    // whether a new view style waits for the next start.
    static std::function<int()> RunningViewStyle;
    static std::function<bool()> RunningTabImages;

    TFrameBtn *FrBtnFont = nullptr;
    TFrameBtn *FrBtnNoHint = nullptr;        // checkable
    TFrameBtn *FrBtnStylePage = nullptr;     // exclusive with FrBtnStyleMenu
    TFrameBtn *FrBtnStyleMenu = nullptr;
    QCheckBox *CkBxTabImage = nullptr;
    TFrameBtn *FrBtnKakikataRead = nullptr;  // exclusive with FrBtnKakikataAuto
    TFrameBtn *FrBtnKakikataAuto = nullptr;
    QLineEdit *JvDEDefaultDataPlace = nullptr;
    QLineEdit *JvDEAutoBackUpPlace = nullptr;
    QSpinBox *SpinEdit1 = nullptr;           // backup generations, 0 to 20
    TColorBtn *ShapeBtnOK = nullptr;
    TColorBtn *ShapeBtnCancel = nullptr;
    QFont FontDialogFont;
    QColor FontDialogColor;

    void FrBtnFontClick();
    void FrBtnStylePageClick();
    // Stores everything and closes with OK; a failed write keeps the dialog.
    void ShapeBtnOKClick();

    // The automatic backup's folder when none is chosen: under the data place.
    static QString DefaultBackUpPlace(const QString &dataPlace);
};

extern TFormOtherOption *FormOtherOption;
