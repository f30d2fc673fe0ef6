#pragma once

// Books, archives and settings hold a household's money: every file and folder
// the program makes is readable and writable by its user only (folders 0700,
// files 0600), whatever file-creation mask the desktop session has.
void UsePrivateFileModes();
