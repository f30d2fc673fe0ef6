#pragma once

#include <memory>

#include <QObject>
#include <QString>

class SingleInstance;
class TDatMod;
class TDatModSql;
class TMainForm;

// The program's start-up, step by step, so that main() and the tests run the
// same code: refuse a second copy (it raises the first copy's window and ends),
// fix the formats for the whole run, name the application, make the modules and
// the main window in order, run the event loop, let go of the instance lock.
class Startup : public QObject
{
    Q_OBJECT
public:
    // The single-instance name ("mutex") and the application title.
    static QString mutexName();
    static QString applicationTitle();

    explicit Startup(QObject *parent = nullptr);
    ~Startup() override;

    // True for the first copy, which now holds the instance lock. False when
    // another copy runs: it has been asked to come to the front, and this copy
    // must end (exit code 0) without making any window.
    bool claimInstance();
    // Formats of the whole run ("yy/MM/dd", two-digit-year window 50, no currency
    // symbol, 0 currency decimals) and the application title.
    void prepareApplication();
    // Loads Qt's Japanese translation for its standard dialogs; false when it
    // is not installed (the dialogs then stay in Qt's own language).
    static bool installQtTranslation();
    // The data module, the query module and the main window, in that order.
    void createModules();
    // Shows the main window, runs the event loop until it closes, lets go of the
    // lock; the exit code.
    int run();
    // All of the above; what main() calls.
    int execute();

    TMainForm *mainForm() const;

signals:
    // Another start asked this copy to come to the front, and its window did.
    void mainWindowRaised();

private:
    void raiseMainWindow();

    std::unique_ptr<SingleInstance> m_instance;
    // Freed in reverse order of creation: main window, query module, data module.
    std::unique_ptr<TDatMod> m_datMod;
    std::unique_ptr<TDatModSql> m_datModSql;
    std::unique_ptr<TMainForm> m_mainForm;
};
