#pragma once

class TFrameKouzaSyukei;
class TFrameYosan;
class TFrameNenSyusi;
class TFrameTyuSyutu;

// The report prints of the analysis pages: each builds its report preview
// from the page, shows it modally and frees it; with nothing to print the user
// is told so and no preview opens.

// 通帳, overviews: the household balance sheet of the two overview tables.
void PrintSisanGaiyoReport(TFrameKouzaSyukei *page);
// 通帳: the shown account's register as an automatic grid report, the
// balance carried from page to page.
void PrintTutyoReport(TFrameKouzaSyukei *page);
// 予算: the month's budget against its actuals; the page is left on the
// expense side.
void PrintYosanReport(TFrameYosan *page);
// 集計: the lines of the detail list as a grid report under the chosen row's
// name and period.
void PrintNenSyukeiReport(TFrameNenSyusi *page);
// 抽出: one of the result lists (income, expense or transfers) as a grid
// report under the period the pickers give.
void PrintTyuSyutuReport(TFrameTyuSyutu *page, int result);
