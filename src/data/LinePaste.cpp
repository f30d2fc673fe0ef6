#include "data/LinePaste.h"

#include "platform/db/Currency.h"

namespace {

// The code that comes with a name column.
QString codeOfName(const QString &field)
{
    if (field == u"HinmeiName")
        return QStringLiteral("HINMEICODE");
    if (field == u"ShopName")
        return QStringLiteral("SHOPCODE");
    if (field == u"PersonName")
        return QStringLiteral("PERSONCODE");
    return QString();
}

bool isTwoColumnField(const QString &field)
{
    return field == u"AiteCode" || field == u"SelfCode" || field == u"KariGaku" || field == u"KasiGaku";
}

int codeKind(const QVariant &code, const THimokuKindOf &kindOf)
{
    if (code.isNull() || !code.isValid())
        return 0;
    bool ok = false;
    const int c = code.toInt(&ok);
    return ok && kindOf ? kindOf(c) : 0;
}

// An amount column holds a Currency, or nothing; a Currency has no text of
// its own to test.
bool isEmptyAmount(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.metaType() == QMetaType::fromType<Currency>())
        return false;
    return v.toString().isEmpty();
}

} // namespace

QVariant TPastePlan::valueOf(const QString &field, bool *has) const
{
    for (const TPasteAssignment &a : values)
        if (a.field == field) {
            if (has)
                *has = true;
            return a.value;
        }
    if (has)
        *has = false;
    return QVariant();
}

TPastePlan PlanPastedLine(const TPasteTarget &target, const TPasteSource &source, const QVariantHash &line,
                          const THimokuKindOf &kindOf)
{
    TPastePlan plan;
    auto take = [&](const QString &field, const QVariant &value) {
        for (TPasteAssignment &a : plan.values)
            if (a.field == field) {
                a.value = value;
                return;
            }
        plan.values << TPasteAssignment{field, value};
    };
    bool taxTaken = false;
    for (const TPasteColumn &c : target.columns) {
        if (!c.pastable)
            continue;
        const QString &f = c.field;
        if (target.layoutKind == 2 && isTwoColumnField(f))
            continue; // the receipt and payment columns follow below
        bool takeIt = true;
        // The page's own category comes only from a line of the same kind; the
        // counterpart only when it can stand there: an account, or any other
        // category where the book lets categories be counterparts. An expense
        // category never becomes the account an income came into.
        auto counterpart = [&](int kind) {
            return kind == 3 || (target.categoryCounterpart && kind != target.pageKind);
        };
        if (target.pageKind == 1) {
            if (f == u"KARICODE")
                takeIt = counterpart(codeKind(line.value(f), kindOf));
            else if (f == u"KASICODE")
                takeIt = codeKind(line.value(f), kindOf) == 1;
        } else if (target.pageKind == 2) {
            if (f == u"KARICODE")
                takeIt = codeKind(line.value(f), kindOf) == 2;
            else if (f == u"KASICODE")
                takeIt = counterpart(codeKind(line.value(f), kindOf));
        } else if (isTwoColumnField(f)) {
            takeIt = false;
        }
        if (!takeIt)
            continue;
        take(f, line.value(f));
        if (f == u"ZEIATUKAI")
            taxTaken = true;
        const QString code = codeOfName(f);
        if (!code.isEmpty())
            take(code, line.value(code));
    }
    // A tax line made by the program keeps its treatment on the expense page
    // even where the column cannot be edited.
    if (target.pageKind == 2 && !taxTaken && line.value(QStringLiteral("ORIGIN")).toInt() == 2)
        take(QStringLiteral("ZEIATUKAI"), line.value(QStringLiteral("ZEIATUKAI")));

    if (target.layoutKind != 2)
        return plan;
    if (source.layoutKind == 2) {
        take(QStringLiteral("AiteCode"), line.value(QStringLiteral("AiteCode")));
        if (target.moveMode)
            take(QStringLiteral("SelfCode"), line.value(QStringLiteral("SelfCode")));
        take(QStringLiteral("KariGaku"), line.value(QStringLiteral("KariGaku")));
        take(QStringLiteral("KasiGaku"), line.value(QStringLiteral("KasiGaku")));
        plan.amountRuleField = isEmptyAmount(line.value(QStringLiteral("KasiGaku"))) ? QStringLiteral("KariGaku")
                                                                                       : QStringLiteral("KasiGaku");
        return plan;
    }
    // A one-column line: what came in on the income page was received, what
    // went out on the other pages was paid.
    const bool income = source.pageKind == 1;
    take(QStringLiteral("AiteCode"), line.value(income ? QStringLiteral("KASICODE") : QStringLiteral("KARICODE")));
    if (target.moveMode)
        take(QStringLiteral("SelfCode"), line.value(income ? QStringLiteral("KARICODE") : QStringLiteral("KASICODE")));
    const QString amount = income ? QStringLiteral("KariGaku") : QStringLiteral("KasiGaku");
    take(amount, line.value(QStringLiteral("KINGAKU")));
    plan.amountRuleField = amount;
    return plan;
}
