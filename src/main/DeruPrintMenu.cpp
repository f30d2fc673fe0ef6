#include "main/DeruPrintMenu.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMenu>

#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "printing/ExcelExport.h"

using namespace Qt::StringLiterals;

void InstallDeruPrintMenu(TFrameDeru *page, QBoxLayout *bar)
{
    auto *button = new TFrameBtn(page);
    button->setObjectName(u"FrBtnPrint"_s);
    button->setText(u"印刷"_s);
    button->setMinimumSize(QSize(64, 26));
    bar->addWidget(button);
    auto *menu = new QMenu(button);
    QAction *hyouExcel = menu->addAction(u"表をエクセルへ"_s);
    hyouExcel->setObjectName(u"MenuPrintHyouExcel"_s);
    QAction *meisaiExcel = menu->addAction(u"明細をエクセルへ"_s);
    meisaiExcel->setObjectName(u"MenuPrintMeiseiExcel"_s);

    const auto kindName = [page] {
        switch (page->frameKind()) {
        case 1: return u"収入"_s;
        case 3: return u"口座"_s;
        default: return u"支出"_s;
        }
    };
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
    QObject::connect(button, &QAbstractButton::clicked, page, [page, button, menu, hyouExcel] {
        // The table entry only where the monthly table is shown.
        hyouExcel->setVisible(page->inputMode() == 1);
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
}
