#pragma once

#include <exception>

// Ends the current handler without a word: the user has already seen why (a
// message dialog before the throw), so the application's event filter swallows it.
class EAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Throws EAbort; reads like the statement it stands for.
[[noreturn]] inline void Abort() { throw EAbort(); }
