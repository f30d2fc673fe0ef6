#pragma once

#include <QString>

#include "main/RegularExpression.h"

enum TMatchCORE_LineSeparator { mcls_CRLF, mcls_LF };

// Runs the current automaton over texts: leftmost, then longest match, with
// line anchors. Texts and results are in UTF-16 code units.
class TMatchCORE : public TRegularExpression
{
    Q_OBJECT
public:
    explicit TMatchCORE(QObject *parent = nullptr);

    TMatchCORE_LineSeparator LineSeparator = mcls_CRLF;

protected:
    // The leftmost-longest match from position from on (0-based); with
    // nonEmpty, a position whose longest match is empty does not count. False
    // when there is none.
    bool find(const QString &text, int from, bool nonEmpty, int &start, int &length) const;

private:
    int run(const char16_t *text, int len, int pos, int state) const;
};
