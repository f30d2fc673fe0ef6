#pragma once

#include <QString>
#include <QTemporaryDir>

// Gives a test its own world: HOME, the configuration folder and the temporary
// folder all point into one temporary directory that is removed afterwards, so no
// test reads or writes the developer's own settings or books.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();
    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    // Writes bytes to the file at path (replacing it), making its folder first;
    // false when the file cannot be written.
    static bool writeFile(const QString &path, const QByteArray &bytes);
    // Fills in what CTest gives every test (offscreen platform, the template,
    // the source folder) when it is missing; TestDefaults.cpp runs it before
    // main() in every test program.
    static void applyDefaults();

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome, m_oldConfig, m_oldTmp;
};
