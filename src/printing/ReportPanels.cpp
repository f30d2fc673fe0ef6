#include "printing/ReportPanels.h"

using namespace Qt::StringLiterals;

TLRItem *AddReportTitleBand(TLightRep &rep, int height, TLRLayoutPanel *&band)
{
    auto title = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlTitle"_s);
    title->setBounds(QRect(0, 0, 10, height));
    band = rep.add(std::move(title));
    TLRItem *item = band->add(std::make_unique<TLRItem>(u"ItTitle"_s));
    item->Font = ReportFont(18);
    item->Alignment = Qt::AlignHCenter;
    item->Layout = tlCenter;
    return item;
}

TLRItem *AddReportDateBand(TLightRep &rep, TLRLayoutPanel *&band)
{
    auto bottom = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlBottom"_s);
    bottom->LRAlign = laBottom;
    bottom->setBounds(QRect(0, 0, 10, 20));
    band = rep.add(std::move(bottom));
    TLRItem *item = band->add(std::make_unique<TLRItem>(u"ItemDate"_s));
    item->Font = ReportFont(9);
    item->Alignment = Qt::AlignRight;
    item->SetVMargin(0);
    return item;
}

TLRLayoutPanel *AddIncomeExpenseBody(TLightRep &rep, TLRGridPanel *&iri, TLRGridPanel *&deru)
{
    auto main = std::make_unique<TLRLayoutPanel>(u"LRLyoPnlMain"_s);
    main->LRAlign = laClient;
    TLRLayoutPanel *body = rep.add(std::move(main));
    auto left = std::make_unique<TLRGridPanel>(u"LRGridPnlIri"_s);
    left->LRAlign = laLeft;
    iri = body->add(std::move(left));
    auto rest = std::make_unique<TLRGridPanel>(u"LRGridPnlDeru"_s);
    rest->LRAlign = laClient;
    deru = body->add(std::move(rest));
    return body;
}
