#pragma once

// The hourglass while an object of this class lives; nests, and restores the
// previous cursor also when an exception leaves the scope.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_set = false;
};
