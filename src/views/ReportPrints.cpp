#include "views/ReportPrints.h"

#include <QRadioButton>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "platform/ui/Dialogs.h"

#include "controls/FrameBtn.h"
#include "printing/ReportBalanceSheet.h"
#include "printing/ReportBudget.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPrint.h"
#include "printing/ReportPreView.h"
#include "views/FrameKouzaSyukei.h"
#include "views/FrameNenSyusi.h"
#include "views/FrameTyuSyutu.h"
#include "views/FrameYosan.h"
#include "views/MyDateTimePicker.h"
#include "views/TyuSyutuSql.h"
#include "views/NenSyusiMeisai.h"
#include "views/NenSyukeiData.h"
#include "controls/CurrencyGrid.h"
#include "controls/MyDBGrid.h"
#include <QComboBox>
#include "views/YosanJissekiData.h"

void PrintSisanGaiyoReport(TFrameKouzaSyukei *page)
{
    if (FormLrpPreView)
        return;
    TFormLrpPreView preview(page, lpSisanGaiyo);
    TBalanceSheetSource source;
    source.HyouSisan = page->HyouSisan;
    source.HyouFusai = page->HyouFusai;
    source.View = page->View;
    source.SyukeiBi = page->RBtnGaiyoSyukeiBi->isChecked();
    source.GaiyoSimeBi = page->DTPGaiyoSimeBi->date();
    source.AllGakuCaption = page->FrBtnAllGaku->text();
    preview.BuildSisanGaiyoReport(source);
    ExecReportPreview(preview);
}

void PrintYosanReport(TFrameYosan *page)
{
    if (FormLrpPreView)
        return;
    TFormLrpPreView preview(page, lpYosan);
    TBudgetSource source;
    source.SyusiHyou = page->SyusiHyou;
    source.YosanHyou = page->YosanHyou;
    source.JissekiHyou = page->JissekiHyou;
    source.ShowSide = [page](bool income) { page->SetSide(income ? 1 : 2); };
    source.ImaNen = page->Edit_ImaNen->text();
    source.ImaTuki = page->Edit_ImaTuki->text();
    source.IncomeRows = YosanJissekiData.RowCount(0);
    source.ExpenseRows = YosanJissekiData.RowCount(1);
    preview.BuildYosanReport(source);
    ExecReportPreview(preview);
    page->SetSide(2);
}

void PrintTutyoReport(TFrameKouzaSyukei *page)
{
    if (FormLrpPreView)
        return;
    if (!page->Register->IsOpen() || page->Register->Rows().isEmpty()) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    TFormLrpPreView preview(page, lpTutyo);
    if (TFrameAutoLightRep *report =
            preview.BuildGridReport(page->DBGridMeisai, TKouzaRegister::ColZanGaku, TKouzaRegister::ColHinmei)) {
        const QString title = page->LbKouzaName->text();
        report->ItTitle->SetText(title);
        report->ItBottomTitle->SetText(title);
        report->ItSubTitle->SetText(QStringLiteral("通帳"));
        report->ItNenGetudo->SetText(page->MonthlyRegister
                                         ? QString::asprintf("%d年 %d月分", page->RegisterNendo, page->RegisterGetudo)
                                         : QString::asprintf("%d年分", page->RegisterNendo));
        report->ItKikan->SetText(page->RegisterStart.toString(QStringLiteral("yyyy年M月d日 ～ "))
                                 + page->RegisterEnd.toString(QStringLiteral("yyyy年M月d日")));
    }
    // The register stays still while its pages print.
    page->DBGridMeisai->setEnabled(false);
    ExecReportPreview(preview);
    page->DBGridMeisai->setEnabled(true);
}

void PrintNenSyukeiReport(TFrameNenSyusi *page)
{
    if (FormLrpPreView)
        return;
    TMyDBGrid *grid = page->PnlMeisai->DbGridMeisai;
    if (page->PnlMeisai->lineCount() == 0) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    TFormLrpPreView preview(page, lpNenSyukei);
    if (TFrameAutoLightRep *report = preview.BuildGridReport(grid)) {
        TCurrencyGrid *table = page->selectedTable();
        const int row = table && page->selectedRow() >= 0 ? page->selectedRow() : 0;
        const int col = page->selectedCol();
        const QString title = table ? table->cells(0, row).trimmed() : QString();
        const QString columnTitle = table && col > 1 ? table->cells(col, 0).trimmed() : QString();
        const QString year = page->CmbBoxYear->currentText();
        QString period;
        if (NenSyukeiData.Getudo)
            period = col <= 1 ? year + QStringLiteral(" 年度") : QStringLiteral("%1年 %2度").arg(year, columnTitle);
        else
            period = col <= 1 ? QStringLiteral("合計") : QStringLiteral("%1度").arg(columnTitle);
        report->ItTitle->SetText(title);
        report->ItSubTitle->SetText(QStringLiteral("年収支"));
        report->ItNenGetudo->SetText(period);
        report->ItBottomTitle->SetText(title);
        report->ItKikan->SetText(page->detailStart().toString(QStringLiteral("yyyy年M月d日 ～ "))
                                 + page->detailEnd().toString(QStringLiteral("yyyy年M月d日")));
    }
    // The list stays still while its pages print.
    grid->setEnabled(false);
    ExecReportPreview(preview);
    grid->setEnabled(true);
}

void PrintTyuSyutuReport(TFrameTyuSyutu *page, int result)
{
    if (FormLrpPreView)
        return;
    TMyDBGrid *grid = page->Grid(result);
    if (!grid || !grid->model() || grid->model()->rowCount() == 0) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    const int kind = result == TTyuSyutuSql::Iri ? lpTyuSyutuIri : result == TTyuSyutuSql::Deru ? lpTyuSyutuDeru
                                                                                                : lpTyuSyutuKouza;
    TFormLrpPreView preview(page, kind);
    if (TFrameAutoLightRep *report = preview.BuildGridReport(grid)) {
        const QString title = kind == lpTyuSyutuIri ? QStringLiteral("収入")
                              : kind == lpTyuSyutuDeru ? QStringLiteral("支出") : QStringLiteral("振替");
        const auto day = [](const QDate &d) { return d.toString(QStringLiteral("yyyy年M月d日")); };
        const bool from = page->DTPStart->checked(), to = page->DTPEnd->checked();
        QString span;
        if (from && to)
            span = day(page->DTPStart->date()) + QStringLiteral(" ～ ") + day(page->DTPEnd->date());
        else if (to)
            span = QStringLiteral("～ ") + day(page->DTPEnd->date());
        else if (from)
            span = day(page->DTPStart->date()) + QStringLiteral(" ～");
        else
            span = QStringLiteral("全期間");
        report->ItTitle->SetText(title);
        report->ItBottomTitle->SetText(title);
        report->ItNenGetudo->SetText(QString());
        report->ItSubTitle->SetText(QStringLiteral("抽出"));
        report->ItKikan->SetText(span);
    }
    // The list stays still while its pages print.
    grid->setEnabled(false);
    ExecReportPreview(preview);
    grid->setEnabled(true);
}
