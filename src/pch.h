// Precompiled for every library and test: the Qt headers nearly every file includes.
#pragma once
#ifdef __cplusplus
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#endif
