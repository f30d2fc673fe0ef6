#include "printing/NkPrinters.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

struct PaperEntry
{
    int number;
    QPageSize::PageSizeId id;
};

// The paper numbers the page settings store, as the printers of the old
// platform numbered them; B4 and B5 are the Japanese sizes.
const PaperEntry kPapers[] = {
    {9, QPageSize::A4},     {8, QPageSize::A3},     {11, QPageSize::A5},    {13, QPageSize::JisB5},
    {12, QPageSize::JisB4}, {1, QPageSize::Letter}, {5, QPageSize::Legal},
};

QPageLayout::Orientation qtOrientation(TNkPaperOrientation o)
{
    return o == nkOrPortrait ? QPageLayout::Portrait : QPageLayout::Landscape;
}

} // namespace

TNkPrinter::TNkPrinter()
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    m_printerName = def.isNull() ? QString() : def.printerName();
    configure();
}

TNkPrinter::~TNkPrinter()
{
    if (IsPrinting())
        AbortDoc();
}

QString TNkPrinter::PdfTargetName()
{
    return u"PDFファイルへ出力"_s;
}

QStringList TNkPrinter::PrinterNames() const
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names << PdfTargetName();
    return names;
}

QString TNkPrinter::CurrentPrinterName() const
{
    return m_printerName.isEmpty() ? PdfTargetName() : m_printerName;
}

bool TNkPrinter::IsPdfTarget() const
{
    return m_printerName.isEmpty();
}

void TNkPrinter::SelectPrinter(const QString &name)
{
    loadPending();
    const QString wanted = name == PdfTargetName() ? QString() : name;
    if (!wanted.isEmpty() && QPrinterInfo::printerInfo(wanted).isNull())
        throw ENkPrinter(u"プリンタ「%1」が見つかりません。"_s.arg(name));
    m_printerName = wanted;
    configure();
    RefreshPrinter();
}

void TNkPrinter::SetPdfFile(const QString &path)
{
    m_pdfFile = path;
}

QString TNkPrinter::PdfFile() const
{
    return m_pdfFile;
}

// Writes the settings to the QPrinter. The PDF target has no unprintable strips.
void TNkPrinter::configure()
{
    if (m_printerName.isEmpty()) {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
    } else {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setPrinterName(m_printerName);
    }
    m_printer->setFullPage(false);
    const QPageSize::PageSizeId id = PaperId(m_pending.paper);
    m_printer->setPageSize(QPageSize(id == QPageSize::Custom ? QPageSize::A4 : id));
    m_printer->setPageOrientation(qtOrientation(m_pending.orientation));
    m_printer->setColorMode(m_pending.color ? QPrinter::Color : QPrinter::GrayScale);
    if (m_printerName.isEmpty())
        m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void TNkPrinter::loadPending()
{
    if (m_loaded)
        return;
    m_pending.paper = PaperNumber(m_printer->pageLayout().pageSize());
    m_pending.orientation =
        m_printer->pageLayout().orientation() == QPageLayout::Portrait ? nkOrPortrait : nkOrLandScape;
    m_pending.color = m_printer->colorMode() == QPrinter::Color;
    m_loaded = true;
    m_changed = false;
}

unsigned TNkPrinter::GetCapabilities() const
{
    unsigned caps = nkCapOrientation | nkCapPaperSize;
    if (m_printerName.isEmpty()) {
        caps |= nkCapColor;
    } else {
        const QList<QPrinter::ColorMode> modes = QPrinterInfo::printerInfo(m_printerName).supportedColorModes();
        if (modes.contains(QPrinter::Color))
            caps |= nkCapColor;
    }
    return caps;
}

int TNkPrinter::GetPaperSizeNumber()
{
    loadPending();
    return m_pending.paper;
}

void TNkPrinter::SetPaperSizeNumber(int number)
{
    loadPending();
    if (number != m_pending.paper) {
        m_pending.paper = number;
        m_changed = true;
    }
}

bool TNkPrinter::HasPaperSizeNumber(int number) const
{
    const QPageSize::PageSizeId id = PaperId(number);
    if (id == QPageSize::Custom)
        return false;
    if (m_printerName.isEmpty())
        return true;
    const QList<QPageSize> sizes = QPrinterInfo::printerInfo(m_printerName).supportedPageSizes();
    for (const QPageSize &s : sizes)
        if (s.id() == id)
            return true;
    return false;
}

QStringList TNkPrinter::GetPaperSizeNames() const
{
    QStringList names;
    for (const PaperEntry &p : kPapers)
        if (HasPaperSizeNumber(p.number))
            names << QPageSize::name(p.id);
    return names;
}

TNkPaperOrientation TNkPrinter::GetOrientation()
{
    loadPending();
    return m_pending.orientation;
}

void TNkPrinter::SetOrientation(TNkPaperOrientation orientation)
{
    loadPending();
    if (orientation != m_pending.orientation) {
        m_pending.orientation = orientation;
        m_changed = true;
    }
}

bool TNkPrinter::GetColor()
{
    loadPending();
    return m_pending.color;
}

void TNkPrinter::SetColor(bool color)
{
    if (!(GetCapabilities() & nkCapColor))
        throw ENkPrinterNotSupported(u"TNkPrinter.SetColor: Color is not Supported"_s);
    loadPending();
    if (color != m_pending.color) {
        m_pending.color = color;
        m_changed = true;
    }
}

void TNkPrinter::ApplyDevMode()
{
    if (!m_changed)
        return;
    configure();
    m_loaded = false;
    m_changed = false;
}

void TNkPrinter::RefreshPrinter()
{
    m_loaded = false;
    m_changed = false;
}

QPoint TNkPrinter::GetPageExtent() const
{
    const QRect r = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    return QPoint(r.width(), r.height());
}

QPoint TNkPrinter::GetPixelsPerInch() const
{
    return QPoint(m_printer->resolution(), m_printer->resolution());
}

QPoint TNkPrinter::GetPaperExtent() const
{
    const QRect r = m_printer->pageLayout().fullRectPixels(m_printer->resolution());
    return QPoint(r.width(), r.height());
}

QPoint TNkPrinter::GetPageOffset() const
{
    const QRect r = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    return r.topLeft();
}

QPoint TNkPrinter::GetPaperSizeMM() const
{
    // 64-bit: a large sheet at a high resolution overflows 32 bits.
    const QPoint paper = GetPaperExtent();
    const QPoint dpi = GetPixelsPerInch();
    const qint64 scale = GetScale();
    return QPoint(int(qint64(paper.x()) * 254 * scale / dpi.x() / 100),
                  int(qint64(paper.y()) * 254 * scale / dpi.y() / 100));
}

bool TNkPrinter::BeginDoc(const QString &title, QString *why)
{
    if (IsPrinting()) {
        *why = u"前の印刷が終わっていません。"_s;
        return false;
    }
    if (IsPdfTarget()) {
        if (m_pdfFile.isEmpty()) {
            *why = u"PDFファイルが指定されていません。"_s;
            return false;
        }
        // Drawn under a name of its own and renamed when complete: a failed
        // job leaves the old file as it was.
        const QFileInfo fi(m_pdfFile);
        m_printer->setOutputFileName(fi.absolutePath() + u"/."_s + fi.fileName() + u".part"_s);
    }
    m_printer->setDocName(title);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        *why = IsPdfTarget() ? u"PDFファイル「%1」を書けません。"_s.arg(QDir::toNativeSeparators(m_pdfFile))
                             : u"プリンタ「%1」で印刷を始められません。"_s.arg(m_printerName);
        return false;
    }
    return true;
}

bool TNkPrinter::IsPrinting() const
{
    return m_painter && m_painter->isActive();
}

void TNkPrinter::NewPage()
{
    m_printer->newPage();
}

void TNkPrinter::EndDoc()
{
    if (!m_painter)
        return;
    const bool ok = m_painter->end();
    m_painter.reset();
    if (!IsPdfTarget())
        return;
    const QString part = m_printer->outputFileName();
    if (ok && QFile::exists(part)) {
        QFile::remove(m_pdfFile);
        if (QFile::rename(part, m_pdfFile))
            return;
    }
    QFile::remove(part);
    throw ENkPrinter(u"PDFファイル「%1」を書けませんでした。"_s.arg(QDir::toNativeSeparators(m_pdfFile)));
}

void TNkPrinter::AbortDoc()
{
    m_printer->abort();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    if (IsPdfTarget() && !m_printer->outputFileName().isEmpty())
        QFile::remove(m_printer->outputFileName());
}

QPageSize::PageSizeId TNkPrinter::PaperId(int number)
{
    for (const PaperEntry &p : kPapers)
        if (p.number == number)
            return p.id;
    return QPageSize::Custom;
}

int TNkPrinter::PaperNumber(const QPageSize &size)
{
    for (const PaperEntry &p : kPapers)
        if (p.id == size.id())
            return p.number;
    return 0;
}

TNkPrinter &NkPrinter()
{
    static TNkPrinter printer;
    return printer;
}

// ---------------------------------------------------------------------------

namespace {

// The printer box both dialogs start with: every printer, the one in use chosen.
QComboBox *makePrinterBox(QDialog *dialog)
{
    auto *box = new QComboBox(dialog);
    box->setObjectName(u"PrinterBox"_s);
    box->addItems(NkPrinter().PrinterNames());
    box->setCurrentText(NkPrinter().CurrentPrinterName());
    return box;
}

// OK and キャンセル at the foot of a dialog, accepting and rejecting it.
void addOkCancel(QDialog *dialog, QVBoxLayout *layout)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(u"OK"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"キャンセル"_s);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
}

} // namespace

TNkPrintDialog::TNkPrintDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"印刷"_s);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_printer = makePrinterBox(this);
    form->addRow(u"プリンタ名"_s, m_printer);
    layout->addLayout(form);
    auto *range = new QGroupBox(u"印刷範囲"_s, this);
    auto *rl = new QHBoxLayout(range);
    m_all = new QRadioButton(u"すべて"_s, range);
    m_range = new QRadioButton(u"ページ指定"_s, range);
    m_from = new QSpinBox(range);
    m_to = new QSpinBox(range);
    m_all->setChecked(true);
    rl->addWidget(m_all);
    rl->addWidget(m_range);
    rl->addWidget(m_from);
    rl->addWidget(new QLabel(u"～"_s, range));
    rl->addWidget(m_to);
    layout->addWidget(range);
    addOkCancel(this, layout);
    connect(m_from, &QSpinBox::valueChanged, this, [this] { m_range->setChecked(true); });
    connect(m_to, &QSpinBox::valueChanged, this, [this] { m_range->setChecked(true); });
    setPageRange(1, 1);
}

void TNkPrintDialog::setPageRange(int minPage, int maxPage)
{
    for (QSpinBox *b : {m_from, m_to}) {
        QSignalBlocker block(b);
        b->setRange(minPage, maxPage);
    }
    {
        QSignalBlocker a(m_from), b(m_to);
        m_from->setValue(minPage);
        m_to->setValue(maxPage);
    }
    m_range->setEnabled(maxPage > minPage);
    m_from->setEnabled(maxPage > minPage);
    m_to->setEnabled(maxPage > minPage);
    m_all->setChecked(true);
}

int TNkPrintDialog::fromPage() const
{
    return m_all->isChecked() ? m_from->minimum() : qMin(m_from->value(), m_to->value());
}

int TNkPrintDialog::toPage() const
{
    return m_all->isChecked() ? m_to->maximum() : qMax(m_from->value(), m_to->value());
}

bool TNkPrintDialog::Execute()
{
    if (exec() != QDialog::Accepted)
        return false;
    TNkPrinter &printer = NkPrinter();
    printer.SelectPrinter(m_printer->currentText());
    if (printer.IsPdfTarget()) {
        const QString start = printer.PdfFile().isEmpty() ? QDir::homePath() : printer.PdfFile();
        const QString path = SaveFileDialog(parentWidget(), u"PDFファイルへ出力"_s, start,
                                            u"PDFファイル (*.pdf);;すべてのファイル (*)"_s, u"pdf"_s);
        if (path.isEmpty())
            return false;
        printer.SetPdfFile(path);
    }
    return true;
}

// ---------------------------------------------------------------------------

TNkPrinterSetupDialog::TNkPrinterSetupDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"プリンタの設定"_s);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_printer = makePrinterBox(this);
    form->addRow(u"プリンタ名"_s, m_printer);
    m_paper = new QComboBox(this);
    m_paper->setObjectName(u"PaperBox"_s);
    form->addRow(u"用紙サイズ"_s, m_paper);
    layout->addLayout(form);
    auto *orient = new QGroupBox(u"印刷の向き"_s, this);
    auto *ol = new QHBoxLayout(orient);
    m_portrait = new QRadioButton(u"縦"_s, orient);
    m_landscape = new QRadioButton(u"横"_s, orient);
    ol->addWidget(m_portrait);
    ol->addWidget(m_landscape);
    (NkPrinter().GetOrientation() == nkOrPortrait ? m_portrait : m_landscape)->setChecked(true);
    layout->addWidget(orient);
    addOkCancel(this, layout);
    connect(m_printer, &QComboBox::currentTextChanged, this, [this] { fillPapers(); });
    fillPapers();
}

void TNkPrinterSetupDialog::fillPapers()
{
    const int current = NkPrinter().GetPaperSizeNumber();
    const QString name = m_printer->currentText();
    m_paper->clear();
    for (const PaperEntry &p : kPapers) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        bool offered = name == TNkPrinter::PdfTargetName();
        if (!offered)
            for (const QPageSize &s : info.supportedPageSizes())
                offered = offered || s.id() == p.id;
        if (offered)
            m_paper->addItem(QPageSize::name(p.id), p.number);
    }
    const int at = m_paper->findData(current);
    m_paper->setCurrentIndex(at >= 0 ? at : 0);
}

bool TNkPrinterSetupDialog::Execute()
{
    if (exec() != QDialog::Accepted)
        return false;
    TNkPrinter &printer = NkPrinter();
    printer.SelectPrinter(m_printer->currentText());
    if (m_paper->currentIndex() >= 0)
        printer.SetPaperSizeNumber(m_paper->currentData().toInt());
    printer.SetOrientation(m_portrait->isChecked() ? nkOrPortrait : nkOrLandScape);
    printer.ApplyDevMode();
    return true;
}
