#pragma once

// The frame classes of the pages that exist, entered into the main window's
// frame registry, and the other parts the window shows (the welcome note, the
// management page's rescue layout). A page registered earlier (a test's own
// page) is kept. Each page's engineer adds one line here.
void RegisterStandardPages();
