#pragma once

class QBoxLayout;
class TFormPrintPreViewHyou;
class TFrameDeru;

// The 印刷 button of a journal page and its menu: the monthly table (table mode
// only) printed or to a spreadsheet, and the detail lines to a spreadsheet.
void InstallDeruPrintMenu(TFrameDeru *page, QBoxLayout *bar);

// The print preview of a journal page's monthly table, set up and not yet shown
// (the caller owns it): one page with the table in two bands, or the whole
// table over two pages (split).
TFormPrintPreViewHyou *NewDeruHyouPreview(TFrameDeru *page, bool split);
