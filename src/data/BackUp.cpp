#include "data/BackUp.h"

#include <cerrno>
#include <cstring>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

#include "data/ArchiveWriter.h"
#include "platform/system/DriveInfo.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/Dialogs.h"

namespace {

const char Magic[] = "KirBackUpData";
constexpr qsizetype MagicSize = 13;
constexpr qsizetype PrefixSize = MagicSize + 8;
// Room left free on a medium so that the file system itself never runs dry.
constexpr qint64 MediaReserve = 51200;
constexpr int InflateBlock = 4096;

QByteArray int64Bytes(qint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<qint64>(value, bytes.data());
    return bytes;
}

qint64 readInt64(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<qint64>(bytes.constData() + at);
}

QString overwriteArchiveText() { return QStringLiteral("上書きしてよろしいですか？"); }

QString mediaPrompt(int diskNo)
{
    return QString::number(diskNo) + QStringLiteral("つ目のメディアを入れてください。");
}

// Header lines are NAME=VALUE; the value is everything after the first '='.
QHash<QString, QString> parseHeader(const QString &text)
{
    QHash<QString, QString> values;
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && !values.contains(line.left(eq)))
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

// A restored name is joined to the restore folder, so anything that could climb out
// of it or point elsewhere (separators, "..", a drive or an absolute path) is refused.
bool isBareFileName(const QString &name)
{
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.contains(u':')
        || name.contains(QStringLiteral("..")) || name == QStringLiteral("."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20)
            return false;
    }
    return true;
}

} // namespace

const QString TBackUp::WrongDiskMessage = QStringLiteral("ディスク、もしくは、指定されたファイルが違います！");

TBackUp::TBackUp(QObject *parent)
    : QObject(parent)
    // The home folder stands in for a fixed restore folder on the system drive;
    // callers always set their own.
    , RestoreDir(QDir::homePath() + QStringLiteral("/Restore"))
    , onMessage(&TBackUp::showMessage)
    , isRemovableDrive(&DriveInfo::isRemovable)
    , freeBytes(&DriveInfo::freeBytes)
{
}

bool TBackUp::showMessage(MessageKind kind, Buttons buttons, const QString &text)
{
    const MsgDlgType type = kind == MessageKind::Confirmation ? MsgDlgType::Confirmation
        : kind == MessageKind::Error                          ? MsgDlgType::Error
                                                              : MsgDlgType::Information;
    const int answer = MessageDlg(text, type, buttons == Buttons::YesNo ? mbYesNo : mbOKCancel);
    return answer == mrYes || answer == mrOk;
}

void TBackUp::setCompressMode(TCompressMode mode)
{
    m_compressMode = mode;
    if (mode == cmZlib) {
        if (m_compressLevel > 3)
            m_compressLevel = 3;
    } else if (mode == cmNone || mode == cmSimple) {
        m_compressLevel = 0;
    }
}

void TBackUp::setCompressLevel(int level)
{
    switch (m_compressMode) {
    case cmZlib:
        m_compressLevel = qBound(0, level, 3);
        break;
    case cmNone:
    case cmSimple:
        if (level != 0)
            throw EBackUpError(QStringLiteral("FCompressLevel not 0"));
        m_compressLevel = 0;
        break;
    default:
        throw EBackUpError(QStringLiteral("範囲外 FCompressMode"));
    }
}

bool TBackUp::ask(MessageKind kind, Buttons buttons, const QString &text)
{
    // Without anyone to ask, nothing is overwritten or created.
    return onMessage ? onMessage(kind, buttons, text) : false;
}

void TBackUp::progress(qint64 done, qint64 total)
{
    if (onProgress)
        onProgress(done, total);
}

void TBackUp::clear()
{
    m_listText.clear();
    m_packList.clear();
    m_spool.reset();
    m_dataSize = 0;
    m_data.clear();
    m_written = 0;
    m_compressHeader.clear();
    m_firstId.clear();
    m_firstName.clear();
    m_entries.clear();
    m_filesStart = 0;
}

// ---------------------------------------------------------------- compression

QByteArray TBackUp::RleEncode(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size());
    const qsizetype n = data.size();
    qsizetype i = 0;
    while (i < n) {
        const char b = data[i];
        qsizetype run = 1;
        while (i + run < n && data[i + run] == b)
            ++run;
        i += run;
        // Runs are cut into pieces of at most 256; a piece of one byte can only be
        // the tail of a run, so it is never followed by an equal byte.
        while (run > 0) {
            const qsizetype piece = qMin<qsizetype>(run, 256);
            if (piece == 1) {
                out.append(b);
            } else {
                out.append(b);
                out.append(b);
                out.append(char(piece - 1));
            }
            run -= piece;
        }
    }
    return out;
}

std::optional<QByteArray> TBackUp::RleDecode(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() * 2);
    const qsizetype n = data.size();
    qsizetype i = 0;
    while (i < n) {
        const char b = data[i];
        if (i + 1 < n && data[i + 1] == b) {
            if (i + 2 >= n)
                return std::nullopt;
            out.append(qsizetype(quint8(data[i + 2])) + 1, b);
            i += 3;
        } else {
            out.append(b);
            ++i;
        }
    }
    return out;
}

int TBackUp::zlibLevel(int compressLevel)
{
    switch (compressLevel) {
    case 0:
        return Z_NO_COMPRESSION;
    case 1:
        return Z_BEST_SPEED;
    case 3:
        return Z_BEST_COMPRESSION;
    default:
        return Z_DEFAULT_COMPRESSION;
    }
}

QByteArray TBackUp::zlibCompress(const QByteArray &data, int compressLevel)
{
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (deflateInit(&zs, zlibLevel(compressLevel)) != Z_OK)
        throw EBackUpError(QStringLiteral("zlib: deflateInit"));
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const qsizetype produced = qsizetype(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw EBackUpError(QStringLiteral("zlib: deflate"));
    out.truncate(produced);
    return out;
}

std::optional<QByteArray> TBackUp::zlibDecompress(const QByteArray &data)
{
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    QByteArray out;
    char block[InflateBlock];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef *>(block);
        zs.avail_out = InflateBlock;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(block, InflateBlock - qsizetype(zs.avail_out));
        // Z_BUF_ERROR with input left over cannot happen while output has room;
        // with no input left it means the stream was cut short.
    }
    const bool complete = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!complete)
        return std::nullopt;
    return out;
}

// ---------------------------------------------------------------- backing up

void TBackUp::PackFiles()
{
    // Only the list is made here: the bytes are read while the archive is
    // written, a chunk at a time, so a large book never sits in memory.
    qint64 done = 0;
    for (const QString &path : std::as_const(m_fileList)) {
        progress(done++, m_fileList.size());
        QFileInfo info(path);
        if (!info.exists() || !info.isFile())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EBackUpError(file.errorString() + QStringLiteral(": ") + path);
        const qint64 size = file.size();
        if (size == 0)
            continue;
        m_packList.append({path, size});
        const QString name = IncludePath ? QDir::toNativeSeparators(info.absoluteFilePath()) : info.fileName();
        m_listText.append(toShiftJis(name + u'=' + QString::number(size) + QStringLiteral("\r\n")));
    }
    progress(done, m_fileList.size());
}

QByteArray TBackUp::headerText(int diskNo, bool more) const
{
    const QString text = QStringLiteral("DATAKIND=") + DataKind + QStringLiteral("\r\n")
        + QStringLiteral("DATANAME=") + DataName + QStringLiteral("\r\n")
        + QStringLiteral("ID=") + BackUpId + QStringLiteral("\r\n")
        + QStringLiteral("DISKNO=") + QString::number(diskNo) + QStringLiteral("\r\n")
        + (more ? QStringLiteral("CONTINUE=TRUE\r\n") : QStringLiteral("CONTINUE=FALSE\r\n"))
        + QStringLiteral("COMPRESS=") + QString::number(int(m_compressMode)) + QStringLiteral("\r\n");
    return toShiftJis(text);
}

bool TBackUp::BackUp()
{
    clear();
    const QString folder = QFileInfo(BackUpFileName).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!ask(MessageKind::Confirmation, Buttons::YesNo, QStringLiteral("バックアップ先のフォルダを作成しますか？")))
            return false;
        if (!QDir().mkpath(folder))
            return false;
    }

    PackFiles();
    if (AutoBackUpId)
        BackUpId = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz"));

    const bool network = BackUpFileName.startsWith(QStringLiteral("\\\\")) || BackUpFileName.startsWith(QStringLiteral("//"));
    if (network)
        return writeSingleFile(false);
    // A removable medium may take the archive in slices, so the data is made
    // first (into a temporary file, not memory) and cut into volumes; on a
    // fixed drive it goes straight into the one volume.
    if (isRemovableDrive(folder))
        return writeVolumes();
    return writeSingleFile(true);
}

qint64 TBackUp::streamData(QIODevice &out, const QString &outName)
{
    QList<ArchiveWriter::Source> sources;
    for (const auto &[path, size] : std::as_const(m_packList))
        sources.append({path, size});
    ArchiveWriter writer(m_compressMode, m_compressLevel);
    writer.onBytes = onDataProgress;
    return writer.write(m_listText, sources, out, outName);
}

// The volume goes in place only when every byte is on the disk, so a failed
// write never costs the archive that was there before.
void TBackUp::commitArchiveFile(QSaveFile &file)
{
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int systemError = errno;
        const QString error = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(systemError);
        file.cancelWriting();
        throw EBackUpError(error + QStringLiteral(": ") + BackUpFileName);
    }
    if (RenameOldFile && QFileInfo::exists(BackUpFileName)) {
        const QFileInfo info(BackUpFileName);
        const QString kept = info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".~") + info.suffix();
        QFile::remove(kept);
        if (!QFile::rename(BackUpFileName, kept))
            throw EBackUpError(QStringLiteral("Cannot rename ") + BackUpFileName + QStringLiteral(" to ") + kept);
    }
    if (!file.commit())
        throw EBackUpError(file.errorString() + QStringLiteral(": ") + BackUpFileName);
}

static void writePrefix(QSaveFile &file, const QByteArray &header, const QString &name)
{
    if (file.write(Magic, MagicSize) != MagicSize || file.write(int64Bytes(header.size())) != 8
        || file.write(header) != header.size()) {
        const int systemError = errno;
        const QString error = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(systemError);
        throw EBackUpError(error + QStringLiteral(": ") + name);
    }
}

// One volume holding all the data, written while the data is made. On a fixed
// drive the data must fit with room to spare; its size is known only once it
// is made, so a volume that turns out too large is dropped, the user is told
// the medium is full, and OK makes it again.
bool TBackUp::writeSingleFile(bool checkRoom)
{
    if (QFileInfo::exists(BackUpFileName) && CheckOverWrite
        && !ask(MessageKind::Confirmation, Buttons::YesNo, overwriteArchiveText()))
        return false;
    const QString folder = QFileInfo(BackUpFileName).absolutePath();
    const QByteArray header = headerText(1, false);
    for (;;) {
        // When the system cannot tell, the write itself finds out, and a failed
        // write keeps the old archive.
        const qint64 free = checkRoom ? freeBytes(folder) : -1;
        QSaveFile file(BackUpFileName);
        if (!file.open(QIODevice::WriteOnly))
            throw EBackUpError(file.errorString() + QStringLiteral(": ") + BackUpFileName);
        writePrefix(file, header, BackUpFileName);
        const qint64 size = streamData(file, BackUpFileName);
        const qint64 overhead = MediaReserve + header.size() + m_listText.size() + 4;
        if (free < 0 || free - overhead >= size) {
            commitArchiveFile(file);
            m_dataSize = m_written = size;
            return true;
        }
        file.cancelWriting();
        if (!ask(MessageKind::Error, Buttons::OkCancel,
                 QStringLiteral("メディアがいっぱいです。\r他のメディアを入れて OK を押してください。")))
            return false;
    }
}

bool TBackUp::writeVolumes()
{
    m_spool = std::make_unique<QTemporaryFile>();
    if (!m_spool->open())
        throw EBackUpError(m_spool->errorString() + QStringLiteral(": ") + m_spool->fileTemplate());
    m_dataSize = streamData(*m_spool, BackUpFileName);
    if (!m_spool->flush())
        throw EBackUpError(m_spool->errorString() + QStringLiteral(": ") + m_spool->fileName());
    m_written = 0;
    int diskNo = 1;
    bool written = true;
    do {
        if (!writeVolume(diskNo)) {
            written = false;
            break;
        }
        ++diskNo;
    } while (m_written < m_dataSize);
    m_spool.reset();
    return written;
}

bool TBackUp::writeVolume(int diskNo)
{
    const QString folder = QFileInfo(BackUpFileName).absolutePath();
    // Every volume has the same name, so splitting is only sound where the user swaps
    // the medium between volumes (this is only reached for removable media).
    if (!NoMessage && !ask(MessageKind::Information, Buttons::OkCancel, mediaPrompt(diskNo)))
        return false;
    if (QFileInfo::exists(BackUpFileName) && CheckOverWrite
        && !ask(MessageKind::Confirmation, Buttons::YesNo, overwriteArchiveText()))
        return false;

    const qint64 remaining = m_dataSize - m_written;
    const qint64 overhead = MediaReserve + headerText(diskNo, false).size() + m_listText.size() + 4;
    qint64 room = 0;
    for (;;) {
        const qint64 free = freeBytes(folder);
        if (free < 0) {
            room = remaining;
            break;
        }
        room = free - overhead;
        if (room >= 1)
            break;
        if (!ask(MessageKind::Error, Buttons::OkCancel,
                 QStringLiteral("メディアがいっぱいです。\r他のメディアを入れて OK を押してください。")))
            return false;
    }
    const qint64 take = qMin(room, remaining);
    writeArchiveFile(diskNo, m_written + take < m_dataSize, take);
    m_written += take;
    return true;
}

// Writes one volume with the next take bytes of the spooled data.
void TBackUp::writeArchiveFile(int diskNo, bool more, qint64 take)
{
    QSaveFile file(BackUpFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EBackUpError(file.errorString() + QStringLiteral(": ") + BackUpFileName);
    writePrefix(file, headerText(diskNo, more), BackUpFileName);
    if (!m_spool->seek(m_written))
        throw EBackUpError(m_spool->errorString() + QStringLiteral(": ") + m_spool->fileName());
    QByteArray block;
    for (qint64 left = take; left > 0; left -= block.size()) {
        block = m_spool->read(qMin<qint64>(left, ArchiveWriter::ChunkSize));
        if (block.isEmpty())
            throw EBackUpError(m_spool->errorString() + QStringLiteral(": ") + m_spool->fileName());
        if (file.write(block) != block.size()) {
            const int systemError = errno;
            const QString error =
                file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(systemError);
            file.cancelWriting();
            throw EBackUpError(error + QStringLiteral(": ") + BackUpFileName);
        }
    }
    commitArchiveFile(file);
}

// ---------------------------------------------------------------- restoring

TBackUp::ReadResult TBackUp::readVolume(int diskNo, bool &last)
{
    const QString folder = QFileInfo(BackUpFileName).absolutePath();
    if (!NoMessage && isRemovableDrive(folder)
        && !ask(MessageKind::Information, Buttons::OkCancel, mediaPrompt(diskNo)))
        return ReadResult::Stop;
    auto refuse = [this](const QString &text) {
        return ask(MessageKind::Error, Buttons::OkCancel, text) ? ReadResult::Retry : ReadResult::Stop;
    };

    QFile file(BackUpFileName);
    if (!file.exists())
        return refuse(WrongDiskMessage);
    if (!file.open(QIODevice::ReadOnly))
        throw EBackUpError(file.errorString() + QStringLiteral(": ") + BackUpFileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EBackUpError(file.errorString() + QStringLiteral(": ") + BackUpFileName);
    if (bytes.size() < PrefixSize || std::memcmp(bytes.constData(), Magic, MagicSize) != 0)
        return refuse(WrongDiskMessage);
    const qint64 headerSize = readInt64(bytes, MagicSize);
    if (headerSize <= 0 || headerSize > bytes.size() - PrefixSize)
        return refuse(WrongDiskMessage);
    const QHash<QString, QString> header = parseHeader(fromShiftJis(bytes.mid(PrefixSize, headerSize)));
    if (!header.contains(QStringLiteral("DATAKIND")) || header.value(QStringLiteral("DATAKIND")) != DataKind)
        return refuse(WrongDiskMessage);
    const QString diskText = header.value(QStringLiteral("DISKNO"));
    if (diskText != QString::number(diskNo))
        return refuse(WrongDiskMessage + QStringLiteral("\rこれは ") + diskText + QStringLiteral("枚目です"));

    const QString name = header.value(QStringLiteral("DATANAME"));
    const QString id = header.value(QStringLiteral("ID"));
    if (diskNo == 1) {
        m_firstName = name;
        m_firstId = id;
        DataName = name;
    } else if (name != m_firstName || id != m_firstId) {
        return refuse(WrongDiskMessage);
    }
    m_data.append(bytes.constData() + PrefixSize + headerSize, bytes.size() - PrefixSize - headerSize);
    m_compressHeader = header.value(QStringLiteral("COMPRESS"));
    last = header.value(QStringLiteral("CONTINUE")) == QStringLiteral("FALSE");
    return ReadResult::Accepted;
}

bool TBackUp::readVolumes()
{
    int diskNo = 1;
    bool last = false;
    while (!last) {
        switch (readVolume(diskNo, last)) {
        case ReadResult::Stop:
            return false;
        case ReadResult::Retry:
            break;
        case ReadResult::Accepted:
            ++diskNo;
            break;
        }
    }
    return true;
}

// Decompresses the data and checks that every length in it fits, before anything is
// written: a damaged or hostile archive must not write past its own bytes or outside
// the restore folder.
bool TBackUp::unpackPayload()
{
    if (m_compressHeader == QStringLiteral("1")) {
        std::optional<QByteArray> decoded = RleDecode(m_data);
        if (!decoded)
            return false;
        m_data = std::move(*decoded);
    } else if (m_compressHeader == QStringLiteral("2")) {
        std::optional<QByteArray> inflated = zlibDecompress(m_data);
        if (!inflated)
            return false;
        m_data = std::move(*inflated);
    }
    if (m_data.size() < 8)
        return false;
    const qint64 listSize = readInt64(m_data, 0);
    if (listSize < 0 || listSize > m_data.size() - 8)
        return false;
    m_listText = m_data.mid(8, listSize);
    m_filesStart = 8 + listSize;

    QStringList lines = fromShiftJis(m_listText).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    qint64 total = 0;
    const qint64 available = m_data.size() - m_filesStart;
    for (const QString &line : std::as_const(lines)) {
        // A name may itself hold '=', the size never does.
        const qsizetype eq = line.lastIndexOf(u'=');
        if (eq < 0)
            return false;
        const QString name = line.left(eq);
        const QString sizeText = line.mid(eq + 1);
        bool ok = !sizeText.isEmpty();
        for (const QChar c : sizeText)
            ok = ok && c.isDigit() && c.unicode() < 0x80;
        const qint64 size = ok ? sizeText.toLongLong(&ok) : 0;
        if (!ok || !isBareFileName(name) || size > available - total)
            return false;
        total += size;
        m_entries.append(Entry{name, size});
    }
    return total == available;
}

bool TBackUp::Restore()
{
    for (;;) {
        clear();
        if (!readVolumes())
            return false;
        if (unpackPayload())
            break;
        if (!ask(MessageKind::Error, Buttons::OkCancel, WrongDiskMessage))
            return false;
    }
    if (OnBeforeWriteRestore) {
        bool mayContinue = true;
        OnBeforeWriteRestore(m_firstId, DataName, mayContinue);
        if (!mayContinue)
            return false;
    }
    return WriteRestoredFiles();
}

bool TBackUp::WriteRestoredFiles()
{
    if (!QFileInfo(RestoreDir).isDir()) {
        if (!ask(MessageKind::Confirmation, Buttons::YesNo, QStringLiteral("復元先のフォルダを作成しますか？")))
            return false;
        if (!QDir().mkpath(RestoreDir))
            return false;
    }
    QString dir = RestoreDir;
    if (!dir.endsWith(u'/'))
        dir += u'/';

    // Asked once, before the first file is written, so that No leaves the folder as
    // it was instead of half restored.
    if (CheckOverWrite) {
        for (const Entry &entry : std::as_const(m_entries)) {
            if (QFileInfo::exists(dir + entry.name)) {
                if (!ask(MessageKind::Information, Buttons::YesNo, QStringLiteral("上書きしますか？")))
                    return false;
                break;
            }
        }
    }

    qsizetype at = m_filesStart;
    qint64 done = 0;
    for (const Entry &entry : std::as_const(m_entries)) {
        progress(done++, m_entries.size());
        const QString target = dir + entry.name;
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly))
            throw EBackUpError(file.errorString() + QStringLiteral(": ") + target);
        if (file.write(m_data.constData() + at, entry.size) != entry.size || !file.flush()) {
            const int systemError = errno;
            throw EBackUpError(qt_error_string(systemError) + QStringLiteral(": ") + target);
        }
        if (!file.commit())
            throw EBackUpError(file.errorString() + QStringLiteral(": ") + target);
        at += entry.size;
    }
    progress(done, m_entries.size());
    return true;
}
