#include "main/DeruPrintMenu.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <memory>

#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "printing/ExcelExport.h"
#include "printing/PrintPreViewHyou.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPreView.h"
#include "printing/ReportPrint.h"
#include "platform/ui/Dialogs.h"
#include "main/SlipPanel.h"
#include <QComboBox>

using namespace Qt::StringLiterals;

TFormPrintPreViewHyou *NewDeruHyouPreview(TFrameDeru *page, bool split)
{
    auto *preview = new TFormPrintPreViewHyou(page);
    preview->SetPaperOrientation(nkOrLandScape);
    preview->SaveSection = u"PreViewHyou"_s + page->settingsSection();
    preview->PrintFont = page->Hyou->font();
    preview->PrintFont.setFamily(PrintMinchoFamily());
    const QDate end = page->periodEnd();
    preview->SetHyouTitle(u"%1年 %2月 月間集計表"_s.arg(end.year()).arg(end.month()));
    preview->SetSubTitle(QString());
    TCurrencyGrid *hyou = page->Hyou;
    const int cols = hyou->colCount();
    if (split) {
        preview->SetGrid1(hyou, 0, cols - 1);
        preview->SetGrid2(nullptr, 0, 0);
        preview->SetPageCount(2);
    } else {
        preview->SetGrid1(hyou, 0, cols / 2);
        preview->SetGrid2(hyou, cols / 2 + 1, cols - 1);
        preview->LowerBandSkipsColumn1 = true;
        preview->SetPageCount(1);
    }
    preview->SetGrid3(nullptr, 0, 0);
    return preview;
}

void PrintDeruMeiseiReport(TFrameDeru *page)
{
    if (FormLrpPreView)
        return;
    TMeisaiGrid *grid = page->MyDbGridMeisai;
    if (!grid->model() || grid->model()->rowCount() == 0) {
        MessageDlg(ReportNothingToPrintText(), MsgDlgType::Warning, mbOK);
        return;
    }
    TFormLrpPreView preview(page, lpDeruMeisei);
    if (TFrameAutoLightRep *report = preview.BuildGridReport(grid)) {
        const int mode = page->inputMode();
        if (mode == 1)
            report->ItTitle->SetText(page->CmbHimoku->currentText());
        else if (mode == 2)
            report->ItTitle->SetText(page->SlipPanel->DBEditDate->text() + u' ' + page->SlipPanel->DBEditShop->text());
        report->ItSubTitle->SetText(page->frameKind() == 1 ? u"収入"_s : page->frameKind() == 3 ? u"振替"_s : u"支出"_s);
        report->ItBottomTitle->SetText(report->ItTitle->Text());
        report->ItNenGetudo->SetText(mode == 1 ? page->curDate().toString(u"yyyy年M月d日"_s)
                                               : QString::asprintf("%d年度 %d月分", page->shownYear(), page->shownMonth()));
        report->ItKikan->SetText(QString());
    }
    // The lines stay still while their pages print.
    grid->setEnabled(false);
    ExecReportPreview(preview);
    grid->setEnabled(true);
}

void InstallDeruPrintMenu(TFrameDeru *page, QBoxLayout *bar)
{
    auto *button = new TFrameBtn(page);
    button->setObjectName(u"FrBtnPrint"_s);
    button->setText(u"印刷"_s);
    button->setMinimumSize(QSize(64, 26));
    bar->addWidget(button);
    auto *menu = new QMenu(button);
    QAction *hyou = menu->addAction(u"表を印刷"_s);
    hyou->setObjectName(u"MenuPrintHyou"_s);
    QAction *hyouPart = menu->addAction(u"表を印刷(2分割)"_s);
    hyouPart->setObjectName(u"MenuPrintHyouPart"_s);
    QAction *hyouExcel = menu->addAction(u"表をエクセルへ"_s);
    hyouExcel->setObjectName(u"MenuPrintHyouExcel"_s);
    QAction *meisaiPrint = menu->addAction(u"明細を印刷"_s);
    meisaiPrint->setObjectName(u"MenuPrintMeisei"_s);
    QObject::connect(meisaiPrint, &QAction::triggered, page, [page] { PrintDeruMeiseiReport(page); });
    QAction *meisaiExcel = menu->addAction(u"明細をエクセルへ"_s);
    meisaiExcel->setObjectName(u"MenuPrintMeiseiExcel"_s);

    const auto kindName = [page] {
        switch (page->frameKind()) {
        case 1: return u"収入"_s;
        case 3: return u"口座"_s;
        default: return u"支出"_s;
        }
    };
    for (QAction *action : {hyou, hyouPart}) {
        const bool split = action == hyouPart;
        QObject::connect(action, &QAction::triggered, page, [page, split] {
            std::unique_ptr<TFormPrintPreViewHyou> preview(NewDeruHyouPreview(page, split));
            preview->exec();
        });
    }
    QObject::connect(hyouExcel, &QAction::triggered, page, [page, kindName] {
        TCurrencyGridExcelExport ex;
        ex.Grid[0] = page->Hyou;
        ex.SheetName = kindName() + u"の月間集計表"_s;
        ex.FixedColor[0] = page->frameKind() == 2 ? QColor(0xFF, 0xBD, 0xCD) : page->Hyou->model()->fixedColor();
        ex.RowOddColor = QColor(0xF7, 0xF1, 0xE3);
        ex.Header = page->LbSyori ? page->LbSyori->text() : QString();
        RunExcelExport(ex, ex.SheetName);
    });
    QObject::connect(meisaiExcel, &QAction::triggered, page, [page, kindName] {
        TDBGridExcelExport ex;
        ex.DBGrid = page->MyDbGridMeisai;
        ex.SheetName = kindName() + u"の明細"_s;
        RunExcelExport(ex, ex.SheetName);
    });
    QObject::connect(button, &QAbstractButton::clicked, page, [page, button, menu, hyou, hyouPart, hyouExcel] {
        // The table entries only where the monthly table is shown.
        for (QAction *a : {hyou, hyouPart, hyouExcel})
            a->setVisible(page->inputMode() == 1);
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
}
