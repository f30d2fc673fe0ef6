#include "printing/ReportPrint.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include "printing/ReportEngine.h"

using namespace Qt::StringLiterals;

QString ReportNothingToPrintText()
{
    return u"印刷するものがありません。"_s;
}

bool PrintReportPages(QPagedPaintDevice &device, TLightRep &report, int pageCount,
                      const std::function<void(int page)> &preparePage, QString *why)
{
    if (pageCount < 1) {
        if (why)
            *why = ReportNothingToPrintText();
        return false;
    }
    device.setPageLayout(report.pageLayout());
    QPainter painter;
    if (!painter.begin(&device)) {
        if (why)
            *why = u"印刷を始められませんでした。"_s;
        return false;
    }
    try {
        for (int page = 1; page <= pageCount; ++page) {
            if (page > 1)
                device.newPage();
            if (preparePage)
                preparePage(page);
            report.PrintTo(painter, device.width(), page, 1);
        }
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
    return true;
}
