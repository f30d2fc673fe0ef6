#pragma once

#include <memory>

#include <QDialog>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPoint>
#include <QString>
#include <QStringList>

#include "platform/system/Exception.h"

class QPrinter;
class QPainter;
class QComboBox;
class QRadioButton;
class QSpinBox;

enum TNkPaperOrientation { nkOrPortrait = 0, nkOrLandScape = 1 };

// Capability bits as the previews test them.
constexpr unsigned nkCapOrientation = 1u << 0;
constexpr unsigned nkCapPaperSize = 1u << 1;
constexpr unsigned nkCapScale = 1u << 4;
constexpr unsigned nkCapColor = 1u << 8;

class ENkPrinter : public Exception
{
public:
    using Exception::Exception;
};
class ENkPrinterNotSupported : public ENkPrinter
{
public:
    using ENkPrinter::ENkPrinter;
};

// The printer every print preview draws for. It wraps one QPrinter whose target
// is either an installed printer or a PDF file; the PDF target always exists, so
// previews and printing work on a machine without printers.
//
// Setters change a pending copy of the printer's settings; ApplyDevMode writes
// them to the printer in one step and only when something really changed.
class TNkPrinter
{
public:
    TNkPrinter();
    ~TNkPrinter();

    // The name under which the PDF target is listed.
    static QString PdfTargetName();

    // Installed printers first, then the PDF target.
    QStringList PrinterNames() const;
    QString CurrentPrinterName() const;
    // Makes the named printer (or the PDF target) current; the paper and
    // orientation already chosen are carried over where the printer offers them.
    void SelectPrinter(const QString &name);
    bool IsPdfTarget() const;
    // The file a PDF print goes to.
    void SetPdfFile(const QString &path);
    QString PdfFile() const;

    unsigned GetCapabilities() const;
    int GetPaperSizeNumber();
    void SetPaperSizeNumber(int number);
    bool HasPaperSizeNumber(int number) const;
    QStringList GetPaperSizeNames() const;
    TNkPaperOrientation GetOrientation();
    void SetOrientation(TNkPaperOrientation orientation);
    bool GetColor();
    void SetColor(bool color);
    int GetScale() const { return 100; }
    bool changed() const { return m_changed; }

    // Device pixels: the printable area, the resolution, the whole sheet, the
    // unprintable left and top strips.
    QPoint GetPageExtent() const;
    QPoint GetPixelsPerInch() const;
    QPoint GetPaperExtent() const;
    QPoint GetPageOffset() const;
    // The sheet in tenths of a millimetre.
    QPoint GetPaperSizeMM() const;

    void ApplyDevMode();
    void RefreshPrinter();

    // The print job. BeginDoc opens the printer for drawing and gives the
    // painter; false with the reason (Japanese) when it cannot be opened.
    bool BeginDoc(const QString &title, QString *why);
    QPainter *GetCanvas() const { return m_painter.get(); }
    bool IsPrinting() const;
    void NewPage();
    void EndDoc();
    // Ends a job whose drawing failed: nothing half drawn is left behind and the
    // printer is ready for the next job.
    void AbortDoc();

    QPrinter *printer() const { return m_printer.get(); }

    // Windows paper numbers (9 = A4) and Qt's page sizes; 0 when no number fits.
    static QPageSize::PageSizeId PaperId(int number);
    static int PaperNumber(const QPageSize &size);

private:
    struct Pending
    {
        int paper = 9;
        TNkPaperOrientation orientation = nkOrLandScape;
        bool color = true;
    };
    void loadPending();
    void configure();

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_printerName;   // empty: the PDF target
    QString m_pdfFile;
    Pending m_pending;
    bool m_loaded = false;
    bool m_changed = false;
};

// The program's one printer object, made on first use.
TNkPrinter &NkPrinter();

// The standard print dialog: the printer and the pages to print.
class TNkPrintDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TNkPrintDialog(QWidget *parent = nullptr);
    void setPageRange(int minPage, int maxPage);
    int fromPage() const;
    int toPage() const;
    QComboBox *printerBox() const { return m_printer; }
    // Runs the dialog; on OK the chosen printer becomes current.
    bool Execute();

private:
    QComboBox *m_printer;
    QRadioButton *m_all;
    QRadioButton *m_range;
    QSpinBox *m_from;
    QSpinBox *m_to;
};

// The printer set-up dialog: printer, paper and orientation.
class TNkPrinterSetupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TNkPrinterSetupDialog(QWidget *parent = nullptr);
    QComboBox *printerBox() const { return m_printer; }
    QComboBox *paperBox() const { return m_paper; }
    // On OK the choices go to the printer object.
    bool Execute();

private:
    void fillPapers();
    QComboBox *m_printer;
    QComboBox *m_paper;
    QRadioButton *m_portrait;
    QRadioButton *m_landscape;
};
