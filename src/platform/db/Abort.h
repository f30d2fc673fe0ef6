#pragma once

#include <exception>

// A silent abort: thrown by a handler that has already told the user what went
// wrong (or needs to tell nothing) to end the operation in progress. Data sets
// treat it as a refusal: a refused post stays in edit, a refused scroll does not
// move, a refused field value keeps the old one. The application's event filter
// swallows it without showing anything.
class EAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Ends the current handler silently.
[[noreturn]] inline void Abort()
{
    throw EAbort();
}
