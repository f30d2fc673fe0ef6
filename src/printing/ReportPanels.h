#pragma once

#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"

// Bands the one-page summary reports build alike. Each is added to the report
// at once and positioned by the caller, which knows its page's layout.

// The title band at the top (`height` high) with its title item, centred in
// 18-pixel type. Returns the item; the band in `band`.
TLRItem *AddReportTitleBand(TLightRep &rep, int height, TLRLayoutPanel *&band);

// The foot band with the print date item at its right. Returns the item; the
// band in `band`.
TLRItem *AddReportDateBand(TLightRep &rep, TLRLayoutPanel *&band);

// The body filling the rest of the page: the income table on the left and
// the expense table taking what is left. Returns the body.
TLRLayoutPanel *AddIncomeExpenseBody(TLightRep &rep, TLRGridPanel *&iri, TLRGridPanel *&deru);
