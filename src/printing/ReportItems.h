#pragma once

#include <functional>
#include <memory>

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "printing/ReportEngine.h"

class QAbstractItemModel;

// A leaf of a report band: a rectangle that prints one text.
class TCustomLRItem : public TLRLines
{
public:
    explicit TCustomLRItem(const QString &name = QString()) : Name(name) {}
    virtual ~TCustomLRItem() = default;
    QString Name;
    bool Enabled = true;
    QRect bounds() const { return m_bounds; }
    void setBounds(const QRect &r) { m_bounds = r; }
    void setLeft(int x) { m_bounds.moveLeft(x); }
    void setTop(int y) { m_bounds.moveTop(y); }
    void setWidth(int w) { m_bounds.setWidth(w); }
    void setHeight(int h) { m_bounds.setHeight(h); }
    int left() const { return m_bounds.left(); }
    int width() const { return m_bounds.width(); }
    int height() const { return m_bounds.height(); }
    virtual void PrintTo(QPainter &painter, const QRect &rect, TPrintStatus status, double scale) {}

protected:
    QRect m_bounds{0, 0, 65, 17};
};

// An item printing a text that the report sets, or that OnGetText supplies,
// with alignment, margins, a frame, word wrap, shrinking to fit and a display
// mask for numbers.
class TLRItem : public TCustomLRItem
{
public:
    using GetTextEvent = std::function<void(TLRItem *sender, QString &text)>;
    using TCustomLRItem::TCustomLRItem;

    Qt::Alignment Alignment = Qt::AlignLeft;   // AlignLeft, AlignRight or AlignHCenter
    TTextLayout Layout = tlTop;
    QColor Color = Qt::white;
    bool Transparent = true;
    QString DisplayMask;
    bool WordWrap = false;
    bool AutoFit = true;
    QFont Font = ReportFont(12);
    QColor FontColor = Qt::black;
    GetTextEvent OnGetText;

    int HMargin() const { return m_hMargin; }
    int VMargin() const { return m_vMargin; }
    // Values outside -255..255 are ignored.
    void SetHMargin(int v);
    void SetVMargin(int v);

    QString Text() const { return m_text; }
    void SetText(const QString &text) { m_text = text; }
    // The text, then OnGetText.
    virtual QString GetText();
    // GetText through the display mask.
    QString GetDisplayText();

    void PrintTo(QPainter &painter, const QRect &rect, TPrintStatus status, double scale) override;

protected:
    QString m_text;
    int m_hMargin = 2;
    int m_vMargin = 2;

private:
    struct TextCache;
    // A grid prints the same item once per record: the scaled font, its
    // metrics and each text's fitted size are kept while the font, the scale,
    // the device and the width stay the same.
    std::shared_ptr<TextCache> m_textCache;
    void printLine(QPainter &painter, const QRect &s, const QString &text, double scale);
    void printLaidOut(QPainter &painter, const QRect &s, const QString &text, double scale);
    QRect textBox(const QRect &s, int th, int margin, double scale) const;
};

// Where a field-bound item reads its record: a table model and the row the
// report stands on. eof is the row past the last.
struct TReportCursor
{
    const QAbstractItemModel *model = nullptr;
    int row = 0;
    bool active() const { return model != nullptr; }
    int recordCount() const;
    bool eof() const { return !model || row >= recordCount(); }
    bool bof() const { return row <= 0; }
    void next() { if (!eof()) ++row; }
    QString displayText(int column) const;
    QVariant value(int column) const;
};

// An item printing a column of the cursor's current record.
class TLRDBItem : public TLRItem
{
public:
    using TLRItem::TLRItem;
    TReportCursor *DataSource = nullptr;
    int Column = -1;
    QString FieldName;

    // The column's display text when the cursor has a model, else FieldName;
    // without FieldName the item's name. Then OnGetText.
    QString GetText() override;
};

// Formats a text with a numeric display mask (0, #, grouping comma, decimals,
// literal prefix and suffix, an optional negative section after ';'). A text
// that is not a number, or a mask the engine does not know, passes through
// unchanged: a mask never stops a print.
QString FormatDisplayMask(const QString &text, const QString &mask);
