#include "views/TablePrints.h"

#include <memory>

#include <QComboBox>
#include <QLabel>

#include "controls/CurrencyGrid.h"
#include "printing/PrintPreViewHyou.h"
#include "views/FrameKouzaSyukei.h"
#include "views/FrameNenSyusi.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

namespace {

void usePrintFont(TFormPrintPreViewHyou *preview, const QFont &tableFont)
{
    preview->PrintFont = tableFont;
    preview->PrintFont.setFamily(PrintMinchoFamily());
}

// A filter box adds its choice when something other than its first entry is chosen.
QString filterText(const QString &caption, const QComboBox *box)
{
    if (!box || box->currentIndex() <= 0)
        return QString();
    return caption + box->currentText();
}

} // namespace

TFormPrintPreViewHyou *NewNenSyusiHyouPreview(TFrameNenSyusi *page, bool split)
{
    auto *preview = new TFormPrintPreViewHyou(page);
    const TNenSyukeiData &d = NenSyukeiData;
    TCurrencyGrid *iri = page->IriHyou;
    if (d.Getuji) {
        preview->SetHyouTitle(page->CmbBoxYear->currentText() + u"年 年間集計表"_s);
    } else {
        const int last = iri->colCount() - 1;
        preview->SetHyouTitle(iri->displayText(qMin(2, last), 0) + u" ～ "_s + iri->displayText(last, 0) +
                              u" 年次集計表"_s);
    }
    QString sub = d.Hassei ? u"期間発生額"_s : u"累計額"_s;
    if (d.ZenNenHi)
        sub += u"　対前年度比"_s;
    sub += d.Getudo ? u"　月度で集計"_s : u"　暦月で集計"_s;
    sub += filterText(u"　使用者："_s, page->CmbBoxPerson);
    sub += filterText(u"　口座："_s, page->CmbBoxKouza);
    preview->SetSubTitle(sub);
    preview->SaveSection = u"PreViewHyouFrameNenSyusi"_s;
    usePrintFont(preview, iri->font());
    preview->SetPageCount(split ? 2 : 1);
    const int last = iri->colCount() - 1;
    preview->SetGrid1(page->SyusiHyou, 0, last);
    preview->SetGrid2(iri, 0, last);
    preview->SetGrid3(page->DeruHyou, 0, last);
    preview->SetGrid4(page->KouzaHyou, 0, page->KouzaHyou->colCount() - 1);
    return preview;
}

TFormPrintPreViewHyou *NewKouzaSyukeiHyouPreview(TFrameKouzaSyukei *page, bool split)
{
    auto *preview = new TFormPrintPreViewHyou(page);
    preview->SetOnCalcRowHeight([](TFormPrintPreViewHyou *, int &rowHeight, int &) { rowHeight *= 3; });
    preview->TopRatio = 0.05;
    preview->SetPaperOrientation(nkOrLandScape);
    preview->SaveSection = u"PreViewHyouFrameKouzaSyukei"_s;
    usePrintFont(preview, page->HyouSyousai->font());
    preview->SetHyouTitle(page->CmbYear->currentText() + page->LbNendo->text() + u" "_s + page->CmbMonth->currentText() +
                          page->LbGetu->text());
    preview->SetSubTitle(page->CmBoxGetudo->currentText());
    preview->SetGrid1(page->HyouSyousai, 0, page->HyouSyousai->colCount() - 1);
    preview->SetGrid2(nullptr, 0, 0);
    preview->SetGrid3(nullptr, 0, 0);
    preview->SetPageCount(split ? 2 : 1);
    return preview;
}

void ShowTablePrint(TFormPrintPreViewHyou *preview)
{
    std::unique_ptr<TFormPrintPreViewHyou> owned(preview);
    owned->exec();
}
