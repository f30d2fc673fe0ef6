#include "platform/ui/HintSwitch.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QToolTip>

namespace {

class HintFilter : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

QPointer<HintFilter> g_filter;

} // namespace

void SetHintsShown(bool shown)
{
    if (shown) {
        delete g_filter.data();
        return;
    }
    if (g_filter || !qApp)
        return;
    g_filter = new HintFilter(qApp);
    qApp->installEventFilter(g_filter);
    QToolTip::hideText();
}

bool HintsShown()
{
    return g_filter.isNull();
}
