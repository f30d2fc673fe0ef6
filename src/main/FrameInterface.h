#pragma once

// What the main window asks of every page frame. A frame is created on first
// use and kept; the window calls these in place of knowing the page's class, so
// pages of every folder plug in the same way.
class IFrameInterface
{
public:
    virtual ~IFrameInterface() = default;

    // Each time an existing frame is shown again: re-read shared switches, reload.
    virtual void RefreshPage() = 0;
    // Once, right after the frame was created, named, hidden and parented.
    virtual void InitPage() = 0;
    // How the frame enters the freeable list: 0 never, 1 at the head, 2 at the tail.
    virtual int ReleaseOrder() = 0;
    // Before the window leaves the page: commit or check pending edits; false keeps it.
    virtual bool LeavePage() = 0;
    // The page number, 0 to 10.
    virtual int PageNo() = 0;
};
