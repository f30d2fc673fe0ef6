#include "platform/settings/MemIniFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "platform/system/Exception.h"

namespace {
// A settings file is small; a huge one is damaged, and only its start is read.
constexpr qint64 MaxReadBytes = 16 * 1024 * 1024;

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}
}

bool parseIniInteger(const QString &text, int *value)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("-$")))
        v = -t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    // Hexadecimal colours such as $FFFFFFFF are stored as unsigned 32-bit text.
    if (!ok || v < INT_MIN || v > qlonglong(UINT_MAX))
        return false;
    *value = int(quint32(v));
    return true;
}

MemIniFile::MemIniFile(const QString &fileName)
    : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return;
    if (QFileInfo(fileName).isDir()) {
        m_loadError = QStringLiteral("%1 はフォルダです。").arg(fileName);
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadError = file.errorString();
        return;
    }
    const QByteArray bytes = file.read(MaxReadBytes);
    if (file.error() != QFileDevice::NoError)
        m_loadError = file.errorString();
    m_doc.parse(bytes);
}

MemIniFile::~MemIniFile() = default;

QString MemIniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    return m_doc.value(section, key).value_or(def);
}

int MemIniFile::readInteger(const QString &section, const QString &key, int def) const
{
    const auto text = m_doc.value(section, key);
    int v = 0;
    return text && parseIniInteger(*text, &v) ? v : def;
}

bool MemIniFile::readBool(const QString &section, const QString &key, bool def) const
{
    const auto text = m_doc.value(section, key);
    if (!text)
        return def;
    int v = 0;
    if (parseIniInteger(*text, &v))
        return v != 0;
    const QString t = text->trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}

double MemIniFile::readFloat(const QString &section, const QString &key, double def) const
{
    const auto text = m_doc.value(section, key);
    if (!text)
        return def;
    bool ok = false;
    const double v = QLocale::c().toDouble(text->trimmed(), &ok);
    return ok ? v : def;
}

void MemIniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    m_doc.setValue(section, key, value);
    changed();
}

void MemIniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void MemIniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void MemIniFile::writeFloat(const QString &section, const QString &key, double value)
{
    // 17 significant digits bring the same double back.
    writeString(section, key, QLocale::c().toString(value, 'g', 17));
}

void MemIniFile::eraseSection(const QString &section)
{
    m_doc.eraseSection(section);
    changed();
}

void MemIniFile::deleteKey(const QString &section, const QString &key)
{
    m_doc.deleteKey(section, key);
    changed();
}

void MemIniFile::updateFile()
{
    saveNow();
}

void MemIniFile::saveNow()
{
    const auto fail = [this](const QString &reason) {
        throw Exception(QStringLiteral("設定ファイル %1 に書き込めません。\n%2").arg(m_fileName, reason));
    };
    const QFileInfo target(m_fileName);
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder))
        fail(QStringLiteral("フォルダ %1 を作れません。").arg(folder));
    if (target.isDir())
        fail(QStringLiteral("%1 はフォルダです。").arg(m_fileName));

    // Written to a temporary file in the same folder, synced, then renamed over
    // the target: the rename is atomic, so the old text stays whole until the new
    // one is complete on disk. Every write is checked by hand, since a short
    // write (a full disk, a size limit) must never count as done.
    QByteArray tempName = QFile::encodeName(folder + QStringLiteral("/.") + target.fileName()
                                            + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(tempName.constData());
        fail(QString::fromLocal8Bit(std::strerror(error)));
    };
    const QByteArray bytes = m_doc.serialize();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            abandon(n < 0 ? errno : ENOSPC);
        done += n;
    }
    struct stat old;
    if (::stat(QFile::encodeName(m_fileName).constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else
        ::fchmod(fd, 0644 & ~currentUmask());
    if (::fsync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        fail(QString::fromLocal8Bit(std::strerror(error)));
    }
    if (::rename(tempName.constData(), QFile::encodeName(m_fileName).constData()) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        fail(QString::fromLocal8Bit(std::strerror(error)));
    }
}
