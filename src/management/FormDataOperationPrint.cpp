#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTableView>

#include "management/DataOpJournalPage.h"
#include "management/DataOpMasterPage.h"
#include "management/DataOpSqlPage.h"
#include "management/FormDataOperation.h"
#include "platform/ui/Dialogs.h"
#include "printing/ExcelExport.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPreView.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

TFormDataOperation::PrintTarget TFormDataOperation::ShownPrintTarget() const
{
    QWidget *page = Pages->currentWidget();
    if (page == TabMain)
        return {TabMain->DBGridMain, lpOpeMain, u"家計簿データ一括修正"_s};
    if (page == TabMaster)
        return {TabMaster->DBGridMast, lpOpeMast, TabMaster->LbMastTitle->text()};
    if (page == TabSQL)
        return {TabSQL->MyDBGridSql, lpOpeSQL, u"SQL"_s};
    return {};
}

void TFormDataOperation::MenuPrintMeisaiClick()
{
    const PrintTarget target = ShownPrintTarget();
    if (!target.grid || FormLrpPreView)
        return;
    if (!target.grid->model() || target.grid->model()->rowCount() == 0) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    TFormLrpPreView preview(this, target.kind);
    if (TFrameAutoLightRep *report = preview.BuildGridReport(target.grid)) {
        report->ItTitle->SetText(target.title);
        report->ItSubTitle->SetText(QString());
        report->ItBottomTitle->SetText(target.title);
        report->ItNenGetudo->SetText(QString());
        report->ItKikan->SetText(QString());
    }
    // The lines stay still while their pages print.
    target.grid->setEnabled(false);
    ExecReportPreview(preview);
    target.grid->setEnabled(true);
}

void TFormDataOperation::MenuPrintMeiseiExcelClick()
{
    const PrintTarget target = ShownPrintTarget();
    if (!target.grid)
        return;
    TTableViewExcelExport ex;
    ex.View = target.grid;
    ex.SheetName = target.title;
    RunExcelExport(ex, target.title);
}
