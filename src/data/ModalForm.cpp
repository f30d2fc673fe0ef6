#include "data/ModalForm.h"

#include <QDialog>
#include <QGuiApplication>
#include <QList>

#include "platform/ui/DialogScript.h"

namespace {

QList<ModalForms::Handler> &queue()
{
    static QList<ModalForms::Handler> handlers;
    return handlers;
}

} // namespace

int ModalForms::exec(QDialog &form)
{
    if (!queue().isEmpty()) {
        const Handler handler = queue().takeFirst();
        const int result = handler(form);
        form.setResult(result);
        return result;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        throw EUnexpectedDialog(QStringLiteral("unexpected form: ") + form.windowTitle());
    return form.exec();
}

void ModalForms::push(const Handler &handler)
{
    queue().append(handler);
}

int ModalForms::pending()
{
    return int(queue().size());
}

void ModalForms::clear()
{
    queue().clear();
}
