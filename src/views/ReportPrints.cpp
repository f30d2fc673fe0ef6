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
#include "views/FrameYosan.h"
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
