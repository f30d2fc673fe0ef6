#pragma once

class QBoxLayout;
class TFormPrintPreViewHyou;
class TFrameDeru;

// The 印刷 button of a journal page and its menu: the monthly table (table mode
// only) printed or to a spreadsheet, and the detail lines printed as a report
// or to a spreadsheet.
void InstallDeruPrintMenu(TFrameDeru *page, QBoxLayout *bar);

// 明細を印刷: the lines of the detail grid as a grid report ("家計簿の明細")
// under the page's title; with no line the user is told there is nothing to print.
void PrintDeruMeiseiReport(TFrameDeru *page);

// The print preview of a journal page's monthly table, set up and not yet shown
// (the caller owns it): one page with the table in two bands, or the whole
// table over two pages (split).
TFormPrintPreViewHyou *NewDeruHyouPreview(TFrameDeru *page, bool split);
