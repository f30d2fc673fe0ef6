#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

#include "printing/NkPrinters.h"

class QAction;
class QMenu;
class QMenuBar;
class QPainter;
class QScrollArea;
class TPrintPaperImage;

// The print face of the program's tables and titles: a serif Japanese face.
QString PrintMinchoFamily();


// The base of every print preview: one sheet of paper on screen as it will come
// out of the current printer, with zoom, page navigation, page set-up and the
// print run. Geometry is kept in printer pixels; CalcScale maps it onto the
// device being drawn on (the screen sheet or the printer). Descendants draw their
// content in DrawPage inside the body rectangle.
//
// The page settings of each kind of document live in the per-user store under
// SaveSection. The caller owns the preview: it is shown modally and deleted by
// whoever made it.
class TFormPrintPreView : public QDialog
{
    Q_OBJECT
public:
    explicit TFormPrintPreView(QWidget *parent = nullptr);
    ~TFormPrintPreView() override;

    QString SaveSection = QStringLiteral("FormPrintPreView");
    int PageCount = 0;
    int StartPage = 0;
    int EndPage = 0;
    int CurrentPage = 0;
    int PaperHeight = 0, PaperWidth = 0;
    int PageTop = 0, PageLeft = 0, PageHeight = 0, PageWidth = 0;
    int ViewTop = 0, ViewLeft = 0, ViewWidth = 0, ViewHeight = 0;
    int HeaderHeight = 0;
    bool HeaderOn = true;
    int FooterHeight = 0;
    bool FooterOn = true;
    TNkPaperOrientation PaperOrientation = nkOrLandScape;
    QString Title;
    int PrintFontSize = 9;
    QFont PrintFont;
    int PaperSize = 9;
    bool NeedPageCount = true;

    void SetPageCount(int n);
    void SetPaperSize(int n);
    void SetPaperOrientation(TNkPaperOrientation o);
    void SetTitle(const QString &title) { Title = title; }
    void ShowPageCaption(const QString &title, int current, int count);

    void ReadMargins(double &left, double &top, double &right, double &bottom, double &header, double &footer);
    void ApplyPageSettings(bool headerOn, bool footerOn, double left, double top, double right, double bottom,
                           double header, double footer, bool portrait);
    void ReadPaperMetrics();
    void SyncWithPrinter();
    void CountPages();
    void Redraw();
    int ScaledFontHeight(const QFont &font) const;

    int MmToPixelsX(double mm) const;
    int MmToPixelsY(double mm) const;
    double PixelsToMmX(qint64 px) const;
    double PixelsToMmY(qint64 px) const;

    virtual void DrawPreview();
    virtual void DrawPage(QPainter &canvas);
    virtual void DrawHeader(QPainter &canvas);
    virtual void DrawFooter(QPainter &canvas);
    virtual void CalcScale(int targetHeight);
    // The print run over StartPage..EndPage; true when the job was completed.
    // A failed drawing ends the job and is reported; nothing stays half printed.
    virtual bool PrintPages();
    virtual void PaperChanged();
    virtual void OrientationChanged(TNkPaperOrientation newOrientation);
    virtual void SavePageSettings(int paperSize, bool headerOn, double left, double top, double right, double bottom,
                                  double header, double footer, bool footerOn, bool portrait);
    virtual void LoadPageSettings();

    // Menu handlers (each forwards to the logic above).
    void PrintGoClick();
    virtual void PageSeteiClick();
    void PrineterSetClick();
    void ActPeriorPageExecute(bool next);
    void HyouJyunClick();
    void ToubaiClick();
    void ZoomAt(bool zoomIn, QPoint clickInPanel);

    void FitPaperImage();
    void LayoutPaperBoxes();

    // The sheet as drawn on screen (tests and the zoom read it).
    TPrintPaperImage *paperImage() const { return PnlPaperImage; }
    QAction *ActPeriorPage = nullptr;
    QAction *ActNextPage = nullptr;
    QAction *FontEdit1 = nullptr;
    QAction *ShowPrintArea = nullptr;
    QMenuBar *MainMenu = nullptr;

    int ZoomLevel = 0;
    bool ActualSize = false;
    int ShadowWidth = 0;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // Runs once before the first showing loads the page settings: a descendant
    // seeds its section's defaults here.
    virtual void prepareShow() {}
    void ClearPage(QPainter &canvas);
    // Text drawn with its top-left corner at (x, y), as the layout measures it.
    static void TextOut(QPainter &canvas, int x, int y, const QString &text);

    double Scale = 1.0;
    int ScaledPageTop = 0, ScaledPageLeft = 0, ScaledPageHeight = 0, ScaledPageWidth = 0;
    int ScaledViewTop = 0, ScaledViewLeft = 0, ScaledViewHeight = 0, ScaledViewWidth = 0;
    int ScaledHeaderHeight = 0, ScaledFooterHeight = 0;
    int BodyTop = 0, BodyLeft = 0, BodyWidth = 0, BodyHeight = 0;
    bool Counting = false;
    int DrawingPage = 0;
    bool Printing = false;
    bool Monochrome = false;
    bool m_shown = false;

    friend class TPrintPaperImage;

private:
    void buildUi();
    void paintSheet(QPainter &painter);
    QScrollArea *m_scroll = nullptr;
    TPrintPaperImage *PnlPaperImage = nullptr;
};

// The paper image of a preview: background, shadow, sheet and page, drawn by the
// preview; a click on the page zooms (left in, right or Alt+left out).
class TPrintPaperImage : public QWidget
{
    Q_OBJECT
public:
    explicit TPrintPaperImage(TFormPrintPreView *preview);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    TFormPrintPreView *m_preview;
};
