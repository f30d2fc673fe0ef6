#pragma once

#include <QFrame>

#include "main/FrameInterface.h"

class QLabel;

// Stands for a page whose own frame class is not there yet: shows the page's
// caption, has nothing to commit and may always be left.
class TFramePlaceholder : public QFrame, public IFrameInterface
{
    Q_OBJECT
public:
    TFramePlaceholder(int pageNo, const QString &caption, QWidget *parent = nullptr);

    void RefreshPage() override { ++refreshCount; }
    void InitPage() override { ++initCount; }
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override { return true; }
    int PageNo() override { return m_pageNo; }

    QString caption() const;
    int initCount = 0;
    int refreshCount = 0;

private:
    int m_pageNo;
    QLabel *m_label;
};
