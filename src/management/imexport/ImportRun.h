#pragma once

#include <array>
#include <memory>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "management/imexport/CodeConvert.h"
#include "management/imexport/ExchangeText.h"

class Database;

// Fields of the rows an import reads (ImportClt) and converts (InterClt). The
// category, item, shop, person, slip and tax fields hold converter entries.
enum ImportField {
    fImportNo, fDATANO, fRECEIPTNO, fLOOKUPNO, fGYONO, fRECDATE, fHimokuCode, fKARICODE, fKASICODE, fKINGAKU,
    fKariGaku, fKasiGaku, fQUANTITY, fZEIATUKAI, fKARIZEIATU, fKASIZEIATU, fHINMEICODE, fSHOPCODE, fPERSONCODE,
    fKARISIDE, fRECKIND, fSTYLE, fORIGIN, fRESERVED, fSucsses, ImportFieldCount
};
QString ImportFieldName(int field);
QString ImportFieldCaption(int field);

struct TImportRow
{
    std::array<QVariant, ImportFieldCount> v;
    QVariant &operator[](int f) { return v[size_t(f)]; }
    const QVariant &operator[](int f) const { return v[size_t(f)]; }
    bool good() const { return v[fSucsses].toBool(); }
    // A converter entry; -1 for null.
    int entry(int f) const { return v[size_t(f)].isNull() ? -1 : v[size_t(f)].toInt(); }
};

// A line of a problem list: the row's ImportNo and the text shown.
struct TImportProblem
{
    int importNo;
    QString text;
};

// The 23 slots of ImportColumnMap in order, each the field it feeds.
inline constexpr int kSlotCount = 23;
inline constexpr std::array<int, kSlotCount> kSlotFields{
    fDATANO,   fRECEIPTNO, fLOOKUPNO,   fGYONO,      fRECDATE,    fHimokuCode, fKARICODE,  fKASICODE,
    fKariGaku, fKasiGaku,  fKINGAKU,    fQUANTITY,   fZEIATUKAI,  fKARIZEIATU, fKASIZEIATU, fHINMEICODE,
    fSHOPCODE, fPERSONCODE, fKARISIDE,  fRECKIND,    fSTYLE,      fORIGIN,     fRESERVED};

// Progress of a long step, with a cancel the user may press.
class IImportProgress
{
public:
    virtual ~IImportProgress() = default;
    virtual void Start(const QString &caption, int maximum) = 0;
    // Shows step i; true once the user has asked to stop.
    virtual bool Step(int i) = 0;
    virtual void Finish() = 0;
};

// One import run: the file, its settings, the converters, the rows read and
// converted and their problem lists. Nothing here writes to the book before
// SaveRows, which writes everything in one transaction.
class TImportRun
{
public:
    explicit TImportRun(Database &db);

    // ---- settings -------------------------------------------------------
    QString FileName;
    bool OwnFormat = true;
    QChar Delimiter = u',';
    QChar QuoteChar = u'"';
    bool CaptionLine = false;
    QString DateFormat = QStringLiteral("yyyy/mm/dd");
    AmountFormat Amounts;
    bool AmountColumnMode = true;
    bool SingleCategoryMode = false;
    bool TaxColumnsAssigned = false;
    bool ErrorsPresent = false;
    QString AiteName;
    QStringList ZeiKeyWords;
    int AiteIndex = 0;
    int SyokutiIndex = 0;
    std::array<int, kSlotCount> ImportColumnMap;
    int ExpectedCount = 18;
    bool SlipSplit = false; // set by the last save

    // ---- converters -----------------------------------------------------
    THimokuConvert HimokuConvert;
    TCodeConvert HinmeiConvert;
    TCodeConvert ShopConvert;
    TCodeConvert PersonConvert;
    TCodeConvert ReceiptConvert;
    TZeiConvert ZeiConvert;

    // ---- rows -----------------------------------------------------------
    ExchangeFile File;
    QList<TImportRow> ImportClt;
    QList<TImportRow> InterClt;
    QList<TImportProblem> ReadingList;
    QList<TImportProblem> ConversionList;

    // Reads the file; false with the message shown when it is empty or unreadable.
    bool LoadFile(const QString &fileName, TextEncoding encoding = TextEncoding::Auto);
    // The own format's set-up: the version line, the own map. False (message shown) for another version.
    bool PrepareOwnFormat();
    void ResetSlots();
    bool SlotAssigned(int slot) const { return ImportColumnMap[size_t(slot)] >= 0; }

    // Reads every line into ImportClt; throws ECanceledError when progress is cancelled.
    void ReadRows(IImportProgress *progress = nullptr);
    // The own format: lines running the wrong way are turned round.
    void CheckDirections();
    // Delimited text: the date and category checks.
    void ValidateRows(IImportProgress *progress = nullptr);
    int FailedCount(const QList<TImportRow> &rows) const;

    // ---- conversion into journal lines (delimited text) ------------------
    // Both false when the user refused a step (the counterpart dialog).
    bool ConvertRows(bool askSkip = true);
    bool ConvertAmountRows();
    void ConvertDebitCreditRows();
    void CompleteLines();

    // ---- save -----------------------------------------------------------
    // Writes the good rows of the rows shown (ImportClt for the own format,
    // InterClt otherwise) after the question to skip failed rows; the number of
    // lines written, or -1 when the user declined. Book errors propagate, and
    // then nothing at all has been written.
    int SaveRows();
    const QList<TImportRow> &ShownRows() const { return OwnFormat ? ImportClt : InterClt; }

    // The text a grid shows for a field of a row.
    QString DisplayText(const TImportRow &row, int field, bool converted) const;
    static QString ProblemText(int importNo, const QString &message);

    Database &db() { return m_db; }

private:
    void fillRow(TImportRow &row, const QStringList &fields);
    void addProblem(QList<TImportProblem> &list, const TImportRow &row, const QString &message);
    void failRow(QList<TImportProblem> &list, TImportRow &row, const QString &message);
    // Conversion helpers.
    void convertAmountRow(const TImportRow &source);
    struct MotoRecord;
    void decomposeSlip(const QList<MotoRecord> &group, bool unbalanced, int &lineCounter);
    void postDecomposedLine(const MotoRecord &record, int debit, int credit, const QVariant &amount,
                            bool unbalanced, const QString &note, int &lineCounter);
    void setLineTax(TImportRow &line);
    Database &m_db;
};

// Message texts shared by the run and its window.
inline constexpr char16_t kSkipRowsQuestion[] = u"行　読み飛ばします。\rよろしいですか？";
