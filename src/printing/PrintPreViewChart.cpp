#include "printing/PrintPreViewChart.h"

#include <memory>

#include <QDate>
#include <QGraphicsView>
#include <QPainter>
#include <QPixmap>

#include "data/MyRegistryIniFile.h"
#include "platform/ui/WaitCursor.h"
#include "printing/PageSetDlg.h"

using namespace Qt::StringLiterals;

TFormPrintPreViewChart *FormPrintPreViewChart = nullptr;

TFormPrintPreViewChart::TFormPrintPreViewChart(QWidget *parent)
    : TFormPrintPreView(parent)
{
    FormPrintPreViewChart = this;
    SetPaperOrientation(nkOrLandScape);
    SaveSection = u"PreViewHyouFrameChart"_s;
}

TFormPrintPreViewChart::~TFormPrintPreViewChart()
{
    Chart = nullptr;
    if (FormPrintPreViewChart == this)
        FormPrintPreViewChart = nullptr;
}

void TFormPrintPreViewChart::prepareShow()
{
    if (RegIni && RegIni->SectionKeyCount(SaveSection) == 0)
        SavePageSettings(9, false, 10, 30, 10, 10, 0, 8, true, false);
}

void TFormPrintPreViewChart::PageSeteiClick()
{
    TPageSetDlg dialog(this);
    dialog.GrpBoxTitle->setVisible(false);
    dialog.GrpBoxFooter->setVisible(false);
    dialog.SetPreview(this);
    dialog.exec();
}

void TFormPrintPreViewChart::DrawPreview()
{
    if (!Chart || Printing)
        return;
    if (PageCount == 0) {
        PageCount = StartPage = EndPage = CurrentPage = 1;
    }
    DrawingPage = CurrentPage;
    TFormPrintPreView::DrawPreview();
    // One page only.
    ActPeriorPage->setVisible(false);
    ActNextPage->setVisible(false);
}

void TFormPrintPreViewChart::DrawPage(QPainter &canvas)
{
    if (!Chart)
        return;
    std::unique_ptr<WaitCursor> wait;
    if (Printing)
        wait = std::make_unique<WaitCursor>();
    else
        ClearPage(canvas);
    if (Counting) {
        PageCount = 1;
        CurrentPage = 1;
        return;
    }
    const QRect body(BodyLeft, BodyTop, BodyWidth, BodyHeight);
    canvas.save();
    canvas.setClipRect(body);
    if (auto *view = qobject_cast<QGraphicsView *>(Chart.data())) {
        // The scene again at the target's resolution: lines and texts stay
        // sharp on paper.
        canvas.setRenderHint(QPainter::Antialiasing, true);
        view->render(&canvas, QRectF(body), view->viewport()->rect(), Qt::KeepAspectRatio);
    } else {
        const QPixmap picture = Chart->grab();
        QSize size = picture.size().scaled(body.size(), Qt::KeepAspectRatio);
        const QRect target(body.topLeft() + QPoint((body.width() - size.width()) / 2, (body.height() - size.height()) / 2),
                           size);
        canvas.setRenderHint(QPainter::SmoothPixmapTransform, true);
        canvas.drawPixmap(target, picture);
    }
    canvas.restore();
    DrawFooter(canvas);
}

void TFormPrintPreViewChart::DrawFooter(QPainter &canvas)
{
    if (!FooterOn || Counting)
        return;
    canvas.save();
    const QString text = u"Print　"_s + QDate::currentDate().toString(u"yy.M.d"_s);
    QFont font = PrintFont;
    font.setPointSize(9);
    font.setPixelSize(qMax(1, ScaledFontHeight(font)));
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    const QFontMetrics fm = canvas.fontMetrics();
    TextOut(canvas, ScaledViewLeft + ScaledViewWidth - fm.horizontalAdvance(text),
            BodyTop + BodyHeight + ScaledFooterHeight - fm.height(), text);
    canvas.restore();
}

void PrintChart(QWidget *page, QWidget *chart)
{
    TFormPrintPreViewChart preview(page);
    preview.Chart = chart;
    preview.exec();
}
