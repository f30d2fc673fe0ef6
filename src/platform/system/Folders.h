#pragma once

#include <QString>

// The standard places the program keeps its files in. Every path comes from
// QStandardPaths, so HOME, XDG_CONFIG_HOME and TMPDIR decide (tests point them
// into a temporary folder).
namespace Folders {

// The user's configuration folder (XDG_CONFIG_HOME, usually ~/.config).
QString configFolder();
// The folder of the per-user settings file: "Kirafu" under the configuration folder.
QString userSettingsFolder();
// The per-user settings file "PomuZenit.ini".
QString userSettingsFile();
// The user's documents folder.
QString documentsFolder();
// The user's desktop folder.
QString desktopFolder();
// The folder of the running executable.
QString programFolder();
// The temporary location of this user (TMPDIR, else /tmp).
QString systemTempFolder();
// A work folder of this user only, under the temporary location, created on first
// use with owner-only rights. /tmp is shared between users, so a folder there that
// belongs to someone else (or is not a folder) is never used: a fresh private one
// is made instead. Empty when nothing can be created.
QString tempWorkFolder();

} // namespace Folders
