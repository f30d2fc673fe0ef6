#include "main/Startup.h"

#include <QApplication>

#include "data/FormatSettings.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/system/SingleInstance.h"

QString Startup::mutexName()
{
    return QStringLiteral("PomuNurokun2_EX_Mutex");
}

QString Startup::applicationTitle()
{
    return QStringLiteral("ぽむぬろ君v3");
}

Startup::Startup(QObject *parent)
    : QObject(parent)
{
}

Startup::~Startup()
{
    if (MainForm == m_mainForm.get())
        MainForm = nullptr;
}

bool Startup::claimInstance()
{
    m_instance = std::make_unique<SingleInstance>(mutexName());
    if (!m_instance->acquire()) {
        m_instance.reset();
        return false;
    }
    connect(m_instance.get(), &SingleInstance::activationRequested, this, &Startup::raiseMainWindow);
    return true;
}

void Startup::prepareApplication()
{
    // Fixed for the whole run: nothing below follows the desktop's regional settings.
    FixProgramFormats();
    ResetProgramValues();
    QCoreApplication::setOrganizationName(QStringLiteral("Kirafu"));
    QCoreApplication::setApplicationName(QStringLiteral("PomuZenit"));
    QGuiApplication::setApplicationDisplayName(applicationTitle());
}

void Startup::createModules()
{
    // The data module and the query module come first once they exist; the
    // main window last, as it reads both when it is first shown.
    m_mainForm = std::make_unique<TMainForm>();
    MainForm = m_mainForm.get();
}

TMainForm *Startup::mainForm() const
{
    return m_mainForm.get();
}

void Startup::raiseMainWindow()
{
    // A copy still starting up has no window yet; the request is simply dropped.
    TMainForm *window = m_mainForm.get();
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    emit mainWindowRaised();
}

int Startup::run()
{
    int code = 0;
    if (m_mainForm) {
        m_mainForm->show();
        code = QApplication::exec();
    }
    if (m_instance)
        m_instance->release();
    return code;
}

int Startup::execute()
{
    if (!claimInstance())
        return 0;
    prepareApplication();
    createModules();
    return run();
}
