#pragma once

class QWidget;
class TFormPrintPreViewHyou;
class TFrameKouzaSyukei;
class TFrameNenSyusi;

// The table prints of the analysis pages, set up and not yet shown (the caller
// owns the preview): split spreads the columns over two pages.

// 集計: the balance, income, expense and account tables on one page.
TFormPrintPreViewHyou *NewNenSyusiHyouPreview(TFrameNenSyusi *page, bool split);
// 通帳, detail view: the detail table with tall rows.
TFormPrintPreViewHyou *NewKouzaSyukeiHyouPreview(TFrameKouzaSyukei *page, bool split);

// Shows a preview made by one of the above modally and deletes it afterwards.
void ShowTablePrint(TFormPrintPreViewHyou *preview);
