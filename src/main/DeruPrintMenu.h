#pragma once

class QBoxLayout;
class TFrameDeru;

// The 印刷 button of a journal page and its menu: the monthly table (table mode
// only) and the detail lines to a spreadsheet.
void InstallDeruPrintMenu(TFrameDeru *page, QBoxLayout *bar);
