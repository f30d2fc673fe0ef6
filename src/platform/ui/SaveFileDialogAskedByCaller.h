#pragma once

#include <QString>

class QWidget;

// The save dialog of SaveFileDialog (Dialogs.h) for callers that ask about
// overwriting an existing file themselves, in their own words: the dialog
// does not ask as well, so the user answers one question, not two.
QString SaveFileDialogAskedByCaller(QWidget *parent, const QString &title, const QString &startPath,
                                    const QString &filter, const QString &defaultSuffix = QString());
