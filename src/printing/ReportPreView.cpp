#include "printing/ReportPreView.h"

#include <cmath>

#include <QPainter>

#include "data/MyRegistryIniFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"
#include "printing/PrintShift.h"
#include "printing/ReportBalanceSheet.h"
#include "printing/ReportBudget.h"
#include "printing/ReportDiary.h"
#include "printing/ReportEngine.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

TFormLrpPreView *FormLrpPreView = nullptr;

namespace {

struct KindRow
{
    const char *name;
    const char *title;
};

// Kind 6 prints under the passbook's title, as kind 5 does.
const KindRow kKinds[] = {
    {"lpDeruMeisei", "家計簿の明細"}, {"lpNikki", "日記"}, {"lpNikkiAWeek", "日記"}, {"lpNikkiADay", "日記"},
    {"lpNikkiAMonth", "日記"}, {"lpTutyo", "通帳"}, {"lpNenSyukei", "通帳"}, {"lpTyuSyutuIri", "抽出"},
    {"lpTyuSyutuDeru", "抽出"}, {"lpTyuSyutuKouza", "抽出"}, {"lpReserve", "予約"}, {"lpYosan", "予算"},
    {"lpSisanGaiyo", "資産概要"}, {"lpOpeMain", "抽出"}, {"lpOpeMast", "抽出"}, {"lpOpeSQL", "抽出"},
};

bool validKind(int kind) { return kind >= 0 && kind < int(std::size(kKinds)); }

// The paper number stored for a report's own paper.
int paperNumber(TPaperSize paper)
{
    switch (paper) {
    case psA4: return 9;
    case psB4: return 12;
    case psB5: return 13;
    case psA3: return 8;
    case psA5:
    case psNone: return 11;
    }
    return 9;
}

} // namespace

QString TFormLrpPreView::KindName(int kind)
{
    return validKind(kind) ? QString::fromLatin1(kKinds[kind].name) : QString();
}

QString TFormLrpPreView::KindTitle(int kind)
{
    return validKind(kind) ? QString::fromUtf8(kKinds[kind].title) : QString();
}

TFormLrpPreView::TFormLrpPreView(QWidget *owner, int kind)
    : TFormPrintPreView(owner)
    , ReportKind(kind)
{
    FormLrpPreView = this;
    setWindowTitle(u"印刷プレビュー"_s);
    SetTitle(KindTitle(kind));
}

TFormLrpPreView::~TFormLrpPreView()
{
    Report = nullptr;
    if (FormLrpPreView == this)
        FormLrpPreView = nullptr;
}

void TFormLrpPreView::adopt(TLightRep *report, int pageCount, std::function<void(int)> position,
                            std::function<void()> relayout)
{
    Report = report;
    m_position = std::move(position);
    m_relayout = std::move(relayout);
    NeedPageCount = false;
    SaveSection = KindName(ReportKind);
    bool portrait = report->Orientation() == QPageLayout::Portrait;
    int paper = paperNumber(report->PaperSize());
    if (RegIni) {
        report->ShiftX = RegIni->ReadOrWriteFloat(SaveSection, u"ShiftX"_s, 0);
        report->ShiftY = RegIni->ReadOrWriteFloat(SaveSection, u"ShiftY"_s, 0);
        portrait = RegIni->ReadOrWriteBool(SaveSection, u"Portrait"_s, portrait);
        paper = RegIni->ReadOrWriteInteger(SaveSection, u"PaperSize"_s, paper);
    }
    SetPaperOrientation(portrait ? nkOrPortrait : nkOrLandScape);
    SetPaperSize(paper);
    PaperChanged();
    SetPageCount(pageCount);
    StartPage = 1;
    EndPage = pageCount;
    CurrentPage = DrawingPage = 1;
    ShowPageCaption(Title, CurrentPage, PageCount);
}

TFrameAutoLightRep *TFormLrpPreView::BuildGridReport(QTableView *grid, int balanceField, int carryLabelField)
{
    if (!grid || !(kindIn(lpDeruMeisei, lpDeruMeisei) || kindIn(lpTutyo, lpReserve) || kindIn(lpOpeMain, lpOpeSQL)))
        return nullptr;
    m_auto = std::make_unique<TFrameAutoLightRep>();
    m_auto->BalanceField = balanceField;
    m_auto->CarryLabelField = carryLabelField;
    m_auto->SetDBGrid(grid);
    if (m_auto->RecordCount() == 0) {
        m_auto.reset();
        return nullptr;
    }
    RowsPerPage = m_auto->RowsPerPage();
    TFrameAutoLightRep *report = m_auto.get();
    adopt(&report->LightRep, report->ComputePageCount(), [report](int page) { report->PositionPage(page); },
          [report] { report->Layout(); });
    return report;
}

TFrameLrpSisanGaiyo *TFormLrpPreView::BuildSisanGaiyoReport(const TBalanceSheetSource &source)
{
    if (ReportKind != lpSisanGaiyo || !source.HyouSisan || !source.HyouFusai)
        return nullptr;
    m_sisan = std::make_unique<TFrameLrpSisanGaiyo>();
    m_sisan->SetSource(source);
    adopt(&m_sisan->LightRep, 1, {}, {});
    return m_sisan.get();
}

TFrameLrpYosan *TFormLrpPreView::BuildYosanReport(const TBudgetSource &source)
{
    if (ReportKind != lpYosan || !source.SyusiHyou || !source.YosanHyou || !source.JissekiHyou)
        return nullptr;
    m_yosan = std::make_unique<TFrameLrpYosan>();
    m_yosan->SetSource(source);
    adopt(&m_yosan->LightRep, 1, {}, {});
    return m_yosan.get();
}

TFrameLrpMemoList *TFormLrpPreView::BuildNikkiReport(const TDiarySource &source, int rows, int cols)
{
    if (!kindIn(lpNikki, lpNikkiAMonth) || source.MemoClt.isEmpty())
        return nullptr;
    m_diary = std::make_unique<TFrameLrpMemoList>();
    m_diary->SetSource(source);
    m_diary->SetRowCount(qMax(1, rows));
    m_diary->SetColCount(qMax(1, cols));
    TFrameLrpMemoList *report = m_diary.get();
    adopt(&report->LightRep1, 1, [report](int page) { report->PositionPage(page); }, [report] { report->Relayout(); });
    RowsPerPage = report->DaysPerPage();
    SetPageCount(report->ComputePageCount());
    EndPage = PageCount;
    ShowPageCaption(Title, CurrentPage, PageCount);
    return report;
}

void TFormLrpPreView::SavePrintShift()
{
    if (!Report || !RegIni || SaveSection.isEmpty())
        return;
    RegIni->WriteFloatAndUpdate(SaveSection, u"ShiftX"_s, Report->ShiftX);
    RegIni->WriteFloatAndUpdate(SaveSection, u"ShiftY"_s, Report->ShiftY);
    RegIni->WriteIntegerAndUpdate(SaveSection, u"PaperSize"_s, PaperSize);
    RegIni->WriteBoolAndUpdate(SaveSection, u"Portrait"_s, PaperOrientation == nkOrPortrait);
}

void TFormLrpPreView::DrawPreview()
{
    if (!Report || Printing)
        return;
    TFormPrintPreView::DrawPreview();
}

void TFormLrpPreView::DrawPage(QPainter &canvas)
{
    if (!Report || Counting)
        return;
    if (!Printing) {
        // The report lays out the whole sheet itself: draw from the paper's
        // corner, not the printable area's.
        canvas.save();
        canvas.setClipping(false);
        canvas.translate(-ScaledPageLeft, -ScaledPageTop);
        if (m_position)
            m_position(DrawingPage);
        Report->PrintTo(canvas, int(std::lround(PaperWidth * Scale)), DrawingPage, 2);
        canvas.restore();
        return;
    }
    TNkPrinter &printer = NkPrinter();
    const QPoint offset = printer.GetPageOffset();
    const int width = printer.GetPaperExtent().x();
    for (int page = StartPage; page <= EndPage; ++page) {
        DrawingPage = page;
        if (m_position)
            m_position(page);
        canvas.save();
        canvas.translate(-offset);
        Report->PrintTo(canvas, width, page, 1);
        canvas.restore();
        if (page < EndPage)
            printer.NewPage();
    }
}

bool TFormLrpPreView::PrintPages()
{
    if (!Report)
        return false;
    TNkPrinter &printer = NkPrinter();
    const bool pdf = printer.IsPdfTarget();
    const QString file = printer.PdfFile();
    if (!TFormPrintPreView::PrintPages())
        return false;
    // The PDF's text must read back as printed (the ideographs, not the
    // radicals that share their glyphs).
    if (pdf && !RepairPdfTextMap(file)) {
        MessageDlg(u"PDFファイル「%1」を仕上げられません。"_s.arg(file), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

void TFormLrpPreView::PaperChanged()
{
    TFormPrintPreView::PaperChanged();
    if (!Report)
        return;
    Report->SetOrientation(PaperOrientation == nkOrPortrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    if (m_relayout)
        m_relayout();
    if (m_auto) {
        RowsPerPage = m_auto->RowsPerPage();
        SetPageCount(m_auto->ComputePageCount());
    } else if (m_diary) {
        RowsPerPage = m_diary->DaysPerPage();
        SetPageCount(m_diary->ComputePageCount());
    }
    // While printing, the pages the user chose stay chosen.
    if (Printing)
        return;
    EndPage = PageCount;
    CurrentPage = qBound(1, CurrentPage, qMax(1, PageCount));
}

void TFormLrpPreView::OrientationChanged(TNkPaperOrientation newOrientation)
{
    if (RegIni && !SaveSection.isEmpty())
        RegIni->WriteBoolAndUpdate(SaveSection, u"Portrait"_s, newOrientation == nkOrPortrait);
    LoadPageSettings();
}

void TFormLrpPreView::PageSeteiClick()
{
    if (!Report)
        return;
    TFormPrintShift::Shift shift{Report->ShiftX, Report->ShiftY};
    const auto apply = [this](const TFormPrintShift::Shift &s) {
        Report->ShiftX = s.x;
        Report->ShiftY = s.y;
        Redraw();
    };
    RunPrintShift(this, shift, apply);
    apply(shift);
    SavePrintShift();
    ShowPageCaption(Title, CurrentPage, PageCount);
}

void TFormLrpPreView::done(int result)
{
    SavePrintShift();
    TFormPrintPreView::done(result);
}

void ExecReportPreview(TFormLrpPreView &preview)
{
    if (!preview.Report) {
        MessageDlg(TFormLrpPreView::KindName(preview.ReportKind).isEmpty() ? u"この種類の帳票は印刷できません。"_s
                                                                           : ReportNothingToPrintText(),
                   MsgDlgType::Warning, mbOK);
        return;
    }
    preview.exec();
}
