#include "platform/ui/Application.h"

#include <exception>

#include "platform/db/Abort.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handleException(std::current_exception());
    }
    return false;
}

void Application::handleException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
        // Silent by design.
    } catch (const Exception &e) {
        ShowExceptionBox(e.message());
    } catch (const std::exception &e) {
        ShowExceptionBox(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowExceptionBox(QStringLiteral("不明なエラーが発生しました。"));
    }
}
