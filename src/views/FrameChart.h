#pragma once

#include <QFont>
#include <QFrame>
#include <QPoint>
#include <QPointer>

#include <array>
#include <memory>

#include "main/FrameInterface.h"
#include "views/ChartContents.h"
#include "views/ChartView.h"
#include "views/ContentCharts.h"
#include "views/NenSyukeiSwitches.h"
#include "views/YosanJissekiData.h"

class QAbstractBarSeries;
class QBarSet;
class QLineSeries;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TChartView;
class TColorUpDown;
class TFrameBtn;
class TShapeBtn;

// Page 8 (グラフ) of the main window: one chart of the year in the year box,
// in one of six contents (income or expense by category, income against
// expense, accounts, income or expense budget against actual). The first four
// read the annual totals calculator and share its switches and filters with
// the 集計 page; the budget contents read the budget calculator for the month
// in the month box. A click on a bar or point shows its value for three
// seconds.
class TFrameChart : public QFrame, public IFrameInterface, public TNenSyukeiControls
{
    Q_OBJECT
public:
    explicit TFrameChart(QWidget *parent = nullptr);
    ~TFrameChart() override;

    // ---- components -------------------------------------------------------
    QWidget *PnlBarLeft = nullptr;
    QGroupBox *RadioGroup_Nayou = nullptr;
    QButtonGroup *NayouButtons = nullptr;
    QGroupBox *RadioGroup_Hyouji = nullptr;
    QButtonGroup *HyoujiButtons = nullptr;
    QComboBox *CmbYear = nullptr;
    QLineEdit *EditMonth = nullptr;
    TColorUpDown *UpDown_Ima = nullptr;
    QLabel *LBGatu = nullptr;
    // The switches and filter boxes are those of TNenSyukeiControls.
    TFrameBtn *FrBtnPrint = nullptr;
    QList<QLabel *> FilterLabels;
    TChartView *NenkanChart = nullptr;

    // ---- page state ---------------------------------------------------------
    bool FiltersPending = false;
    int ChartHimoku = 0; // contents 0 and 1: 0 all categories, -1 none, else one
    // What draws the content shown, on that content's own chart.
    TChartContents *Series = nullptr;
    TYosanJissekiData ChartYosan;

    // ---- IFrameInterface ----------------------------------------------------
    void InitPage() override;
    void RefreshPage() override;
    int ReleaseOrder() override { return 1; }
    bool LeavePage() override { return true; }
    int PageNo() override { return 8; }

    // ---- the page's routines ---------------------------------------------------
    int Content() const;
    void SetContent(int content);
    bool Hiritu() const;
    void SetHiritu(bool hiritu);
    // Draws the chosen content for CurYear (and CurMonth for the budget contents).
    void Redraw();
    // A new year and month (0: the month box's number); ignored when both are
    // the shown ones, when the date is not valid or a text is no number.
    void ChangeMonth(int year, int month);
    void YearEntered(const QString &text);
    void MonthEntered(const QString &text);
    // One accounting month forward or back.
    void StepMonth(bool forward);
    // The filter boxes' codes and texts into the calculator, then Redraw.
    void ApplyFilters();
    void FreeSeries();

    // The value label of a click on a bar set or on the line at a point, with
    // the label's left edge at and its bottom at `at`.
    void NenkanChartClickSeries(QBarSet *set, int index, const QPoint &at);
    void NenkanChartClickLine(int index, const QPoint &at);

    // Switch handlers (the buttons' clicks forward here).
    void HasseiClick();
    void GetujiClick();
    void GetudoClick();
    void SuryouClick();
    void JyoukenClick();
    void ReserveClick();
    void TokubetuClick();

private:
    void buildUi();
    void fillFilterLists();
    void fillHimokuFilter(int listKind);
    void fillItemFilters();
    void enableControls();
    void connectClicks();
    void IdleWork();
    void restoreYearMonth();

    bool m_filling = false;
    bool m_updatingButtons = false;
    int m_itemFilterCode = -1;
    int m_itemFilterKind = -1;
    // The value axis's range the freeze buttons keep from one drawing to the next.
    double m_axisMin = 0;
    double m_axisMax = 0;
    int m_axisTicks = TChartView::DefaultTicks;
    bool m_axisKnown = false;
    std::unique_ptr<TContentCharts> m_charts;
    // Each content's series whose clicks reach the value label (gone with the series).
    std::array<QPointer<QAbstractBarSeries>, TContentCharts::Count> m_clickBars;
    std::array<QPointer<QLineSeries>, TContentCharts::Count> m_clickLine;
    QFont m_font;
};
