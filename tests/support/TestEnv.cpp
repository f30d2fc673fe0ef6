#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

void TestEnv::applyDefaults()
{
    // CTest sets these; a test started by hand (a debugger, a single run) gets
    // the same, so it finds the template and needs no display instead of
    // failing on a dialog it never meant to show.
    static const bool applied = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("POMU_TEMPLATE"))
            qputenv("POMU_TEMPLATE", POMU_TEST_TEMPLATE);
        if (qEnvironmentVariableIsEmpty("POMU_SOURCE_DIR"))
            qputenv("POMU_SOURCE_DIR", POMU_TEST_SOURCE_DIR);
        if (!QFileInfo::exists(qEnvironmentVariable("POMU_TEMPLATE")))
            qWarning("the new-book template %s is missing: build the project first",
                     qPrintable(qEnvironmentVariable("POMU_TEMPLATE")));
        return true;
    }();
    Q_UNUSED(applied);
}

TestEnv::TestEnv()
    : m_oldHome(qgetenv("HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME")), m_oldTmp(qgetenv("TMPDIR"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("TMPDIR", m_dir.filePath(QStringLiteral("tmp")).toUtf8());
    QStandardPaths::setTestModeEnabled(false);
}

TestEnv::~TestEnv()
{
    qputenv("HOME", m_oldHome);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
    qputenv("TMPDIR", m_oldTmp);
}

bool TestEnv::writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}
