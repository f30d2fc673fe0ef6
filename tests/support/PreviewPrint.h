#pragma once

#include <QAction>
#include <QApplication>
#include <QString>
#include <QTimer>

#include "printing/NkPrinters.h"
#include "printing/ReportPreView.h"

// What a report preview showed when a print command opened it, and whether
// its pages went to the PDF file.
struct PreviewPrint
{
    bool printed = false; // false also when no preview came
    QString caption;
    int kind = -1;
    int pages = 0;
};

// Triggers the command, which opens the report preview modally, prints the
// first page (or every page) to file as PDF and closes the preview, the way a
// user prints from it. Any other modal window that comes is closed.
inline PreviewPrint PrintThroughPreview(QAction *command, const QString &file, bool allPages = false)
{
    PreviewPrint shown;
    QTimer::singleShot(0, [&] {
        auto *preview = qobject_cast<TFormLrpPreView *>(QApplication::activeModalWidget());
        if (!preview) {
            if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
            return;
        }
        shown.caption = preview->windowTitle();
        shown.kind = preview->ReportKind;
        shown.pages = preview->PageCount;
        NkPrinter().SelectPrinter(TNkPrinter::PdfTargetName());
        NkPrinter().SetPdfFile(file);
        preview->StartPage = 1;
        preview->EndPage = allPages ? preview->PageCount : 1;
        shown.printed = preview->PrintPages();
        preview->reject();
    });
    command->trigger();
    return shown;
}
