#include "printing/PrintPreView.h"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QVBoxLayout>

#include "data/FormatSettings.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"
#include "printing/PageSetDlg.h"

using namespace Qt::StringLiterals;

namespace {

const QColor kFormColor(0xDA, 0xDC, 0xE7);
const QColor kShadowColor(0x95, 0x94, 0xA9);

TMyRegistryIniFile &store()
{
    if (!RegIni)
        throw Exception(u"ユーザー設定が開かれていません。"_s);
    return *RegIni;
}

} // namespace

QString PrintMinchoFamily()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString &f : {u"Noto Serif CJK JP"_s, u"IPAPMincho"_s, u"IPAMincho"_s})
            if (families.contains(f))
                return f;
        return u"serif"_s;
    }();
    return family;
}

namespace {
// Positions of the print layout round halves away from zero.
int roundHalf(double value)
{
    return int(RoundHalfAway(value));
}
} // namespace

TFormPrintPreView::TFormPrintPreView(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"印刷プレビュー "_s);
    buildUi();
    TNkPrinter &printer = NkPrinter();
    Printing = false;
    PaperOrientation = nkOrLandScape;
    PaperSize = 9;
    if (printer.HasPaperSizeNumber(9))
        printer.SetPaperSizeNumber(9);
    if (printer.GetCapabilities() & nkCapOrientation)
        printer.SetOrientation(nkOrLandScape);
    printer.ApplyDevMode();
    ReadPaperMetrics();
    Monochrome = !(printer.GetCapabilities() & nkCapColor);
    const int h = PageHeight;
    ViewTop = h / 80;
    ViewLeft = h / 15;
    ViewHeight = h - h / 80;
    ViewWidth = PageWidth - h / 15;
    HeaderHeight = h / 25;
    FooterHeight = h / 100;
    PrintFont = font();
    PrintFont.setPointSize(PrintFontSize);
    Title = QApplication::applicationName();
    setWindowState(Qt::WindowMaximized);
}

TFormPrintPreView::~TFormPrintPreView() = default;

void TFormPrintPreView::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MainMenu = new QMenuBar(this);
    layout->setMenuBar(MainMenu);
    QMenu *print = MainMenu->addMenu(u"印刷"_s);
    print->addAction(u"印刷実行"_s, this, [this] { PrintGoClick(); })->setObjectName(u"PrintGo"_s);
    print->addAction(u"印刷調整"_s, this, [this] { PageSeteiClick(); })->setObjectName(u"PageSetei"_s);
    print->addAction(u"プリンタ設定"_s, this, [this] { PrineterSetClick(); })->setObjectName(u"PrineterSet"_s);
    QMenu *zoom = MainMenu->addMenu(u"表示倍率"_s);
    zoom->addAction(u"等倍"_s, this, [this] { ToubaiClick(); });
    zoom->addAction(u"標準"_s, this, [this] { HyouJyunClick(); });
    QMenu *area = MainMenu->addMenu(u"印刷可能範囲"_s);
    ShowPrintArea = area->addAction(u"表示する"_s);
    ShowPrintArea->setCheckable(true);
    connect(ShowPrintArea, &QAction::toggled, this, [this] { DrawPreview(); });
    ActPeriorPage = MainMenu->addAction(u"前のページ"_s, this, [this] { ActPeriorPageExecute(false); });
    ActNextPage = MainMenu->addAction(u"次のページ"_s, this, [this] { ActPeriorPageExecute(true); });
    for (QAction *a : {ActPeriorPage, ActNextPage}) {
        a->setEnabled(false);
        a->setVisible(false);
    }
    FontEdit1 = MainMenu->addAction(u"印刷フォントの選択"_s);
    FontEdit1->setToolTip(u"フォントの選択"_s);
    FontEdit1->setVisible(false);
    MainMenu->addAction(u"ヘルプ"_s, this, [] { ShowHelp(10120); });
    MainMenu->addAction(u"終了"_s, this, [this] { close(); });

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidgetResizable(false);
    m_scroll->setFrameShape(QFrame::NoFrame);
    QPalette pal = m_scroll->palette();
    pal.setColor(QPalette::Window, kFormColor);
    m_scroll->setPalette(pal);
    m_scroll->setBackgroundRole(QPalette::Window);
    PnlPaperImage = new TPrintPaperImage(this);
    m_scroll->setWidget(PnlPaperImage);
    layout->addWidget(m_scroll);
    resize(900, 640);
}

void TFormPrintPreView::SetPageCount(int n)
{
    PageCount = n;
    ActPeriorPage->setVisible(n > 1);
    ActNextPage->setVisible(n > 1);
}

void TFormPrintPreView::SetPaperSize(int n)
{
    TNkPrinter &printer = NkPrinter();
    if (!printer.HasPaperSizeNumber(n)) {
        // The printer keeps its paper, and so does the preview: keeping the
        // refused number would bring this message back at every opening.
        PaperSize = printer.GetPaperSizeNumber();
        MessageDlg(u"この紙はサポートしていません。"_s, MsgDlgType::Error, mbOK);
        return;
    }
    PaperSize = n;
    printer.SetPaperSizeNumber(n);
    printer.ApplyDevMode();
    PaperChanged();
}

void TFormPrintPreView::SetPaperOrientation(TNkPaperOrientation o)
{
    if (o == PaperOrientation)
        return;
    PaperOrientation = o;
    NkPrinter().SetOrientation(o);
    NkPrinter().ApplyDevMode();
    PaperChanged();
}

void TFormPrintPreView::ShowPageCaption(const QString &title, int current, int count)
{
    setWindowTitle(QString::asprintf("%s  %d/%d", qPrintable(title), current, count));
}

int TFormPrintPreView::MmToPixelsX(double mm) const
{
    const QPoint dpi = NkPrinter().GetPixelsPerInch();
    return int(std::trunc(mm / (NkPrinter().GetScale() * (254.0 / dpi.x()) / 1000.0)));
}

int TFormPrintPreView::MmToPixelsY(double mm) const
{
    const QPoint dpi = NkPrinter().GetPixelsPerInch();
    return int(std::trunc(mm / (NkPrinter().GetScale() * (254.0 / dpi.y()) / 1000.0)));
}

double TFormPrintPreView::PixelsToMmX(qint64 px) const
{
    return double((px * 254) / NkPrinter().GetPixelsPerInch().x()) * NkPrinter().GetScale() / 1000.0;
}

double TFormPrintPreView::PixelsToMmY(qint64 px) const
{
    return double((px * 254) / NkPrinter().GetPixelsPerInch().y()) * NkPrinter().GetScale() / 1000.0;
}

void TFormPrintPreView::ReadMargins(double &left, double &top, double &right, double &bottom, double &header,
                                    double &footer)
{
    TMyRegistryIniFile &ini = store();
    left = ini.ReadOrWriteFloat(SaveSection, u"PrintLeftMrg"_s, 15);
    top = ini.ReadOrWriteFloat(SaveSection, u"PrintTopMrg"_s, 20);
    right = ini.ReadOrWriteFloat(SaveSection, u"PrintRightMrg"_s, PixelsToMmX(qint64(PaperWidth) - PageLeft - PageWidth));
    bottom =
        ini.ReadOrWriteFloat(SaveSection, u"PrintBottomMrg"_s, PixelsToMmY(qint64(PaperHeight) - PageTop - PageHeight));
    header = ini.ReadOrWriteFloat(SaveSection, u"PrintHeaderHeight"_s, 13);
    footer = ini.ReadOrWriteFloat(SaveSection, u"PrintFooterHeight"_s, 3);
}

void TFormPrintPreView::LoadPageSettings()
{
    double l, t, r, b, h, f;
    ReadMargins(l, t, r, b, h, f);
    TMyRegistryIniFile &ini = store();
    SetPaperSize(ini.ReadOrWriteInteger(SaveSection, u"PaperSize"_s, 9));
    const bool portrait = ini.ReadOrWriteBool(SaveSection, u"Portrait"_s, PaperOrientation == nkOrPortrait);
    const bool footerOn = ini.ReadOrWriteBool(SaveSection, u"FooterOn"_s, FooterOn);
    const bool headerOn = ini.ReadOrWriteBool(SaveSection, u"HeaderOn"_s, HeaderOn);
    ApplyPageSettings(headerOn, footerOn, l, t, r, b, h, f, portrait);
}

void TFormPrintPreView::ApplyPageSettings(bool headerOn, bool footerOn, double left, double top, double right,
                                          double bottom, double header, double footer, bool portrait)
{
    SetPaperOrientation(portrait ? nkOrPortrait : nkOrLandScape);
    const int L = MmToPixelsX(left), R = MmToPixelsX(right);
    const int T = MmToPixelsY(top), B = MmToPixelsY(bottom);
    ViewTop = T - PageTop;
    ViewLeft = L - PageLeft;
    ViewWidth = PaperWidth - L - R;
    ViewHeight = PaperHeight - T - B;
    // The bands never take more than the view: a header typed taller than the
    // page would leave the body a negative height.
    HeaderHeight = qBound(0, MmToPixelsY(header), qMax(0, ViewHeight));
    FooterHeight = qBound(0, MmToPixelsY(footer), qMax(0, ViewHeight - (headerOn ? HeaderHeight : 0)));
    HeaderOn = headerOn;
    FooterOn = footerOn;
}

void TFormPrintPreView::SavePageSettings(int paperSize, bool headerOn, double left, double top, double right,
                                         double bottom, double header, double footer, bool footerOn, bool portrait)
{
    TMyRegistryIniFile &ini = store();
    ini.WriteIntegerAndUpdate(SaveSection, u"PaperSize"_s, paperSize);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintLeftMrg"_s, left);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintTopMrg"_s, top);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintRightMrg"_s, right);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintBottomMrg"_s, bottom);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintHeaderHeight"_s, header);
    ini.WriteFloatAndUpdate(SaveSection, u"PrintFooterHeight"_s, footer);
    ini.WriteBoolAndUpdate(SaveSection, u"HeaderOn"_s, headerOn);
    ini.WriteBoolAndUpdate(SaveSection, u"FooterOn"_s, footerOn);
    ini.WriteBoolAndUpdate(SaveSection, u"Portrait"_s, portrait);
}

void TFormPrintPreView::OrientationChanged(TNkPaperOrientation newOrientation)
{
    double l, t, r, b, h, f;
    ReadMargins(l, t, r, b, h, f);
    double nl, nt, nr, nb;
    if (newOrientation == nkOrPortrait) {
        nl = t; nt = r; nr = b; nb = l;
    } else {
        nl = b; nt = l; nr = t; nb = r;
    }
    SavePageSettings(PaperSize, HeaderOn, nl, nt, nr, nb, h, f, FooterOn, newOrientation == nkOrPortrait);
    LoadPageSettings();
}

void TFormPrintPreView::ReadPaperMetrics()
{
    const TNkPrinter &printer = NkPrinter();
    const QPoint paper = printer.GetPaperExtent();
    const QPoint page = printer.GetPageExtent();
    const QPoint offset = printer.GetPageOffset();
    PaperWidth = paper.x();
    PaperHeight = paper.y();
    PageWidth = page.x();
    PageHeight = page.y();
    PageLeft = offset.x();
    PageTop = offset.y();
}

void TFormPrintPreView::SyncWithPrinter()
{
    TNkPrinter &printer = NkPrinter();
    const int paper = printer.GetPaperSizeNumber();
    if (paper != PaperSize)
        store().WriteIntegerAndUpdate(SaveSection, u"PaperSize"_s, paper);
    PaperSize = paper;
    const TNkPaperOrientation o = printer.GetOrientation();
    if (o != PaperOrientation)
        OrientationChanged(o);
    SetPaperOrientation(o);
}

void TFormPrintPreView::PaperChanged()
{
    const int oldWidth = PaperWidth, oldHeight = PaperHeight;
    ReadPaperMetrics();
    ViewWidth += PaperWidth - oldWidth;
    ViewHeight += PaperHeight - oldHeight;
    if (Printing)
        return;
    FitPaperImage();
    LayoutPaperBoxes();
}

void TFormPrintPreView::CalcScale(int targetHeight)
{
    Scale = PaperHeight > 0 ? double(targetHeight) / PaperHeight : 1.0;
    const auto s = [this](qint64 v) { return roundHalf(v * Scale); };
    ScaledPageTop = s(PageTop);
    ScaledPageLeft = s(PageLeft);
    ScaledPageHeight = s(PageHeight);
    ScaledPageWidth = s(PageWidth);
    ScaledViewTop = s(ViewTop);
    ScaledViewLeft = s(ViewLeft);
    ScaledViewHeight = s(ViewHeight);
    ScaledViewWidth = s(ViewWidth);
    ScaledHeaderHeight = s(HeaderHeight);
    ScaledFooterHeight = s(FooterHeight);
    BodyTop = s(HeaderOn ? qint64(ViewTop) + HeaderHeight : ViewTop);
    BodyLeft = s(ViewLeft);
    BodyWidth = s(ViewWidth);
    BodyHeight = s(qint64(ViewHeight) - (HeaderOn ? HeaderHeight : 0) - (FooterOn ? FooterHeight : 0));
}

int TFormPrintPreView::ScaledFontHeight(const QFont &font) const
{
    const double size = std::abs(font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0);
    return int(std::nearbyint(size * NkPrinter().GetPixelsPerInch().y() / 72.0 * Scale));
}

void TFormPrintPreView::ClearPage(QPainter &canvas)
{
    if (!Printing)
        canvas.fillRect(QRect(0, 0, ScaledPageWidth, ScaledPageHeight), Qt::white);
}

void TFormPrintPreView::TextOut(QPainter &canvas, int x, int y, const QString &text)
{
    canvas.drawText(QPoint(x, y + canvas.fontMetrics().ascent()), text);
}

void TFormPrintPreView::DrawPreview()
{
    if (Printing)
        return;
    PnlPaperImage->update();
    ActPeriorPage->setEnabled(CurrentPage > 1);
    ActNextPage->setEnabled(CurrentPage < PageCount);
}

void TFormPrintPreView::DrawPage(QPainter &canvas)
{
    if (Counting) {
        PageCount = 1;
        CurrentPage = 1;
    }
    canvas.setFont(PrintFont);
    ClearPage(canvas);
    if (ShowPrintArea->isChecked() && !Printing) {
        canvas.setPen(QPen(Qt::gray, 0, Qt::DotLine));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(ScaledViewLeft - 1, ScaledViewTop - 1, ScaledViewWidth + 2, ScaledViewHeight + 2));
    }
    DrawHeader(canvas);
    DrawFooter(canvas);
}

void TFormPrintPreView::DrawHeader(QPainter &canvas)
{
    if (Counting || !HeaderOn)
        return;
    canvas.save();
    const int h = ScaledHeaderHeight;
    QFont f = canvas.font();
    const QString date = DateToStr(QDate::currentDate());
    f.setPixelSize(qMax(1, roundHalf(h * 0.4)));
    canvas.setFont(f);
    canvas.setPen(Qt::black);
    const int dateWidth = canvas.fontMetrics().horizontalAdvance(date);
    TextOut(canvas, ScaledViewLeft + ScaledViewWidth - dateWidth, roundHalf(h * 0.8) + ScaledViewTop - canvas.fontMetrics().height(), date);
    f.setPixelSize(qMax(1, roundHalf(h * 0.8)));
    canvas.setFont(f);
    int titleWidth = canvas.fontMetrics().horizontalAdvance(Title);
    if (titleWidth * 1.1 > BodyWidth - dateWidth && titleWidth > 0) {
        f.setPixelSize(qMax(1, roundHalf(f.pixelSize() * double(BodyWidth - dateWidth) / titleWidth * 0.9)));
        canvas.setFont(f);
        titleWidth = canvas.fontMetrics().horizontalAdvance(Title);
    }
    TextOut(canvas, roundHalf((BodyWidth - titleWidth) / 2.0) + ScaledViewLeft,
            roundHalf(ScaledViewTop + h * 0.8 - canvas.fontMetrics().height()), Title);
    const int y = ScaledViewTop + roundHalf(h * 0.8);
    canvas.setPen(QPen(Qt::black, qMax(1, roundHalf(h / 24.0))));
    canvas.drawLine(ScaledViewLeft, y, ScaledViewLeft + ScaledViewWidth, y);
    canvas.restore();
}

void TFormPrintPreView::DrawFooter(QPainter &canvas)
{
    if (Counting || !FooterOn)
        return;
    canvas.save();
    const int f = ScaledFooterHeight;
    const int y0 = BodyTop + BodyHeight;
    const QDate today = QDate::currentDate();
    const QString text = QString::asprintf("%d年%d月%d日 作成     %d/%d Page", today.year(), today.month(),
                                           today.day(), DrawingPage, PageCount);
    QFont font = canvas.font();
    font.setPixelSize(qMax(1, roundHalf(f * 0.8)));
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    const QFontMetrics fm = canvas.fontMetrics();
    TextOut(canvas, ScaledViewLeft + ScaledViewWidth - fm.horizontalAdvance(text), y0 + f - fm.height(), text);
    canvas.setPen(QPen(Qt::black, qMax(1, roundHalf(f / 36.0))));
    canvas.drawLine(ScaledViewLeft, y0, ScaledViewLeft + ScaledViewWidth, y0);
    canvas.restore();
}

void TFormPrintPreView::CountPages()
{
    Counting = true;
    PageCount = StartPage = EndPage = CurrentPage = DrawingPage = 1;
    ActPeriorPage->setEnabled(false);
    ActNextPage->setEnabled(false);
    {
        // The counting pass draws nowhere visible; the descendant only counts.
        QImage scratch(qMax(1, PnlPaperImage->width()), qMax(1, PnlPaperImage->height()), QImage::Format_RGB32);
        QPainter painter(&scratch);
        CalcScale(qMax(1, PnlPaperImage->height() - ShadowWidth));
        try {
            DrawPage(painter);
        } catch (...) {
            Counting = false;
            throw;
        }
    }
    Counting = false;
    ShowPageCaption(Title, CurrentPage, PageCount);
    SetPageCount(PageCount);
}

void TFormPrintPreView::Redraw()
{
    if (NeedPageCount)
        CountPages();
    DrawPreview();
}

void TFormPrintPreView::ActPeriorPageExecute(bool next)
{
    if (!next && CurrentPage > 1)
        --CurrentPage;
    else if (next && CurrentPage < PageCount)
        ++CurrentPage;
    DrawingPage = CurrentPage;
    DrawPreview();
    ShowPageCaption(Title, CurrentPage, PageCount);
}

bool TFormPrintPreView::PrintPages()
{
    TNkPrinter &printer = NkPrinter();
    WaitCursor wait;
    Printing = true;
    try {
        SyncWithPrinter();
        PaperChanged();
        LoadPageSettings();
        CalcScale(PaperHeight);
        QString why;
        if (!printer.BeginDoc(Title, &why)) {
            Printing = false;
            MessageDlg(why, MsgDlgType::Error, mbOK);
            return false;
        }
        DrawPage(*printer.GetCanvas());
        printer.EndDoc();
    } catch (...) {
        // The job is ended whatever the drawing did, so the next print can start.
        if (printer.IsPrinting())
            printer.AbortDoc();
        Printing = false;
        DrawPreview();
        throw;
    }
    Printing = false;
    DrawPreview();
    return true;
}

void TFormPrintPreView::PrintGoClick()
{
    if (PageCount == 0) {
        MessageDlg(u"印刷するものがありません。"_s, MsgDlgType::Warning, mbOK);
        return;
    }
    TNkPrintDialog dialog(this);
    dialog.setPageRange(1, PageCount);
    if (!dialog.Execute())
        return;
    StartPage = dialog.fromPage();
    EndPage = dialog.toPage();
    TNkPrinter &printer = NkPrinter();
    if (printer.GetCapabilities() & nkCapColor) {
        printer.SetColor(!Monochrome);
        printer.ApplyDevMode();
    }
    if (PrintPages())
        accept();
}

void TFormPrintPreView::PrineterSetClick()
{
    TNkPrinterSetupDialog dialog(this);
    if (!dialog.Execute())
        return;
    SyncWithPrinter();
    PaperChanged();
    Redraw();
}

void TFormPrintPreView::PageSeteiClick()
{
    TPageSetDlg dialog(this);
    dialog.SetPreview(this);
    dialog.exec();
}

void TFormPrintPreView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    prepareShow();
    LoadPageSettings();
    CurrentPage = 1;
    DrawingPage = 1;
    FitPaperImage();
    LayoutPaperBoxes();
    if (NeedPageCount) {
        CountPages();
        NeedPageCount = false;
    }
    DrawPreview();
}

void TFormPrintPreView::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_shown && ZoomLevel == 0)
        FitPaperImage();
}

void TFormPrintPreView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormPrintPreView::FitPaperImage()
{
    if (PaperWidth <= 0 || PaperHeight <= 0)
        return;
    const QSize client = m_scroll->maximumViewportSize();
    int w, h;
    if (ActualSize) {
        // Real size: the sheet as many screen pixels as its millimetres take.
        const double dpi = logicalDpiY();
        h = roundHalf(PaperHeight * dpi / NkPrinter().GetPixelsPerInch().y());
        w = roundHalf(PaperWidth * dpi / NkPrinter().GetPixelsPerInch().x());
    } else {
        const double f = 0.9 * std::pow(2.0, ZoomLevel);
        if (PaperHeight >= PaperWidth) {
            h = roundHalf(client.height() * f);
            w = roundHalf(double(h) * PaperWidth / PaperHeight);
        } else {
            w = roundHalf(client.width() * f);
            h = roundHalf(double(w) * PaperHeight / PaperWidth);
        }
    }
    const int c = qMax(1, roundHalf(h / 100.0));
    ShadowWidth = c;
    PnlPaperImage->resize(qMax(1, w + c), qMax(1, h + c));
    LayoutPaperBoxes();
}

void TFormPrintPreView::LayoutPaperBoxes()
{
    CalcScale(qMax(1, PnlPaperImage->height() - ShadowWidth));
    PnlPaperImage->update();
}

void TFormPrintPreView::HyouJyunClick()
{
    ZoomLevel = 0;
    ActualSize = false;
    FitPaperImage();
}

void TFormPrintPreView::ToubaiClick()
{
    ActualSize = true;
    FitPaperImage();
}

void TFormPrintPreView::ZoomAt(bool zoomIn, QPoint click)
{
    ActualSize = false;
    const QPoint underPointer = PnlPaperImage->mapTo(m_scroll->viewport(), click);
    const int level = qBound(-2, ZoomLevel + (zoomIn ? 1 : -1), 2);
    if (level == ZoomLevel)
        return;
    const double grow = std::pow(2.0, level - ZoomLevel);
    ZoomLevel = level;
    FitPaperImage();
    // The clicked point stays under the pointer.
    const QPoint target = QPoint(roundHalf(click.x() * grow), roundHalf(click.y() * grow)) - underPointer;
    m_scroll->horizontalScrollBar()->setValue(target.x());
    m_scroll->verticalScrollBar()->setValue(target.y());
}

void TFormPrintPreView::paintSheet(QPainter &painter)
{
    const QRect panel = PnlPaperImage->rect();
    painter.fillRect(panel, kFormColor);
    painter.fillRect(QRect(QPoint(ShadowWidth, ShadowWidth), panel.bottomRight()), kShadowColor);
    const QRect sheet(0, 0, panel.width() - ShadowWidth, panel.height() - ShadowWidth);
    painter.fillRect(sheet, Qt::white);
    CalcScale(sheet.height());
    const QRect page(ScaledPageLeft, ScaledPageTop, ScaledPageWidth, ScaledPageHeight);
    if (ShowPrintArea->isChecked()) {
        painter.setPen(QPen(Qt::gray, 0, Qt::DotLine));
        painter.drawRect(page.adjusted(-1, -1, 0, 0));
    }
    painter.save();
    painter.translate(page.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), page.size()));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    DrawingPage = CurrentPage;
    DrawPage(painter);
    painter.restore();
}

// ---------------------------------------------------------------------------

TPrintPaperImage::TPrintPaperImage(TFormPrintPreView *preview)
    : QWidget(nullptr)
    , m_preview(preview)
{
    setObjectName(u"PnlPaperImage"_s);
    setCursor(Qt::SizeAllCursor);
}

void TPrintPaperImage::paintEvent(QPaintEvent *)
{
    if (m_preview->Printing)
        return;
    QPainter painter(this);
    m_preview->paintSheet(painter);
}

void TPrintPaperImage::mousePressEvent(QMouseEvent *event)
{
    const bool in = event->button() == Qt::LeftButton && !(event->modifiers() & Qt::AltModifier);
    m_preview->ZoomAt(in, event->position().toPoint());
}
