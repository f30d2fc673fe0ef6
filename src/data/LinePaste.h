#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantHash>

// Which values of a line from the line clipboard a journal page takes when the
// line is pasted. Pages differ: the income page keeps its own income category
// and the expense page its own expense category, the transfer page shows
// receipt and payment columns that a one-column line has to be turned into.

// A column of the target page's detail grid.
struct TPasteColumn
{
    QString field;
    bool pastable = true; // shown and editable
};

// The page a line is pasted into.
struct TPasteTarget
{
    int pageKind = 2;   // 1 income, 2 expense, 3 transfer
    int layoutKind = 1; // 1 one amount column, 2 receipt and payment columns
    bool moveMode = false;
    // The counterpart column offers income and expense categories besides the
    // accounts (the book's UseSyusiHimoku).
    bool categoryCounterpart = false;
    QList<TPasteColumn> columns;
};

// The page a line was copied on (as kept with the clipboard).
struct TPasteSource
{
    int pageKind = 2;
    int layoutKind = 1;
};

struct TPasteAssignment
{
    QString field;
    QVariant value;
};

struct TPastePlan
{
    // In the order they are to be written.
    QList<TPasteAssignment> values;
    // KariGaku or KasiGaku when the transfer page's amount-side rule has to run
    // on it after the values are written; empty otherwise.
    QString amountRuleField;

    QVariant valueOf(const QString &field, bool *has = nullptr) const;
};

// The category kind of a code: 1 income, 2 expense, 3 account, 0 unknown or hidden.
using THimokuKindOf = std::function<int(int code)>;

// The values a pasted line gets from a copied one (line: its fields by name).
TPastePlan PlanPastedLine(const TPasteTarget &target, const TPasteSource &source, const QVariantHash &line,
                          const THimokuKindOf &kindOf);
