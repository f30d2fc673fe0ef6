#pragma once

#include <QApplication>

// The application object. Every event handler runs inside notify(): an EAbort
// ends the handler silently (the user has seen why already); any other exception
// is shown in the standard error box and the program goes on. No exception ever
// crosses the event loop.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows an exception that no handler caught (the standard error box).
    static void handleException(std::exception_ptr error);
};
