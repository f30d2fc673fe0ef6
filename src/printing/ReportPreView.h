#pragma once

#include <functional>
#include <memory>

#include "printing/PrintPreView.h"

class QTableView;
class TLightRep;
class TFrameAutoLightRep;
class TFrameLrpSisanGaiyo;
class TFrameLrpYosan;
class TFrameLrpMemoList;
struct TBalanceSheetSource;
struct TBudgetSource;
struct TDiarySource;

// The report kinds: each page asks for its report by one of these; the kind's
// name is also the settings section that keeps its paper, orientation and
// print offset.
enum TReportKind {
    lpDeruMeisei = 0, lpNikki, lpNikkiAWeek, lpNikkiADay, lpNikkiAMonth, lpTutyo, lpNenSyukei,
    lpTyuSyutuIri, lpTyuSyutuDeru, lpTyuSyutuKouza, lpReserve, lpYosan, lpSisanGaiyo,
    lpOpeMain, lpOpeMast, lpOpeSQL
};

// The preview of a report page made by the report engine: the report's pages
// with page navigation, printed through the program's printer object. Report
// pages keep their own layout, so 印刷調整 moves the whole print by an offset
// instead of setting margins. A builder makes the report; a kind outside the
// table, or a report with nothing to print, leaves the preview without one.
class TFormLrpPreView : public TFormPrintPreView
{
    Q_OBJECT
public:
    // The settings section of a kind; empty for a kind outside the table.
    static QString KindName(int kind);
    // The window caption and print job name of a kind.
    static QString KindTitle(int kind);

    TFormLrpPreView(QWidget *owner, int kind);
    ~TFormLrpPreView() override;

    const int ReportKind;
    TLightRep *Report = nullptr;
    int RowsPerPage = 0;
    TFrameAutoLightRep *AutoReport() const { return m_auto.get(); }
    TFrameLrpMemoList *DiaryReport() const { return m_diary.get(); }

    // Builders: each makes the kind's report and returns it, or nullptr (no
    // report) when the kind does not fit or there is nothing to print.
    TFrameAutoLightRep *BuildGridReport(QTableView *grid, int balanceField = -1, int carryLabelField = -1);
    TFrameLrpSisanGaiyo *BuildSisanGaiyoReport(const TBalanceSheetSource &source);
    TFrameLrpYosan *BuildYosanReport(const TBudgetSource &source);
    TFrameLrpMemoList *BuildNikkiReport(const TDiarySource &source, int rows, int cols);

    // Stores the kind's offsets, paper and orientation.
    void SavePrintShift();

    void DrawPreview() override;
    void DrawPage(QPainter &canvas) override;
    bool PrintPages() override;
    void PaperChanged() override;
    void OrientationChanged(TNkPaperOrientation newOrientation) override;
    void PageSeteiClick() override;
    void done(int result) override;

private:
    bool kindIn(int first, int last) const { return ReportKind >= first && ReportKind <= last; }
    void adopt(TLightRep *report, int pageCount, std::function<void(int)> position, std::function<void()> relayout);
    std::unique_ptr<TFrameAutoLightRep> m_auto;
    std::unique_ptr<TFrameLrpSisanGaiyo> m_sisan;
    std::unique_ptr<TFrameLrpYosan> m_yosan;
    std::unique_ptr<TFrameLrpMemoList> m_diary;
    std::function<void(int)> m_position;
    std::function<void()> m_relayout;
};

// The open report preview, if any.
extern TFormLrpPreView *FormLrpPreView;

// Shows a built report preview modally; without a report the user is told
// there is nothing to print (or that the kind cannot be printed) instead.
void ExecReportPreview(TFormLrpPreView &preview);
