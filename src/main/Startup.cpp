#include "main/Startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "data/BookStartup.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/FormCalender.h"
#include "data/FormatSettings.h"
#include "data/SchemaUpgrade.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/system/FileModes.h"
#include "management/ImportVer1Data.h"
#include "management/PasswordDlg.h"
#include "platform/system/SingleInstance.h"
#include "platform/ui/Dialogs.h"

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
    m_mainForm.reset();
    if (DatModSql == m_datModSql.get())
        DatModSql = nullptr;
    m_datModSql.reset();
    m_datMod.reset();
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
    // Message boxes carry the program's name; windows carry their own titles
    // (an application display name would be appended to each of them).
    SetMessageCaption(applicationTitle());
    UsePrivateFileModes();
    installQtTranslation();
}

bool Startup::installQtTranslation()
{
    // Qt's own dialogs (files, colours, fonts, printing) speak Japanese like
    // the rest of the program, whatever the desktop's language.
    static QTranslator *installed = nullptr;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

void Startup::createModules()
{
    // Each fully made before the next: the data module opens the per-user
    // store, the query module works on its database, and the main window reads
    // both when it is first shown.
    m_datMod = std::make_unique<TDatMod>();
    // The new-book wizard and the chooser of several books answer the data
    // module's start-up opening.
    InstallBookStartup(*m_datMod);
    InstallVer1Import();
    // The data password is asked in its own masked dialog, and a book of an
    // older schema level is brought up to date when it is opened.
    m_datMod->OnAskPassword = &TPasswordDlg::Ask;
    m_datMod->OnUpgradeSchema = &UpgradeBookSchema;
    // A calendar save marks the book changed and flushes the module's tables.
    TFormCalender::InstallDataModuleSave();
    m_datModSql = std::make_unique<TDatModSql>(m_datMod->MainDatabase);
    DatModSql = m_datModSql.get();
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
