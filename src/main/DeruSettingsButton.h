#pragma once

class QBoxLayout;
class TFrameDeru;

// The 設定 button of a journal page: the category settings dialog opened on
// the page's own kind (TFrameDeru::OpenCategorySettings).
void InstallDeruSettingsButton(TFrameDeru *page, QBoxLayout *bar);
