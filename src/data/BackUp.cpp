#include "data/BackUp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

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

// Inflates a zlib stream a piece at a time, never past what the caller asks
// for: a small archive must not unpack into more than its list declares.
class Inflater
{
public:
    explicit Inflater(const QByteArray &in)
    {
        std::memset(&m_zs, 0, sizeof m_zs);
        m_ok = inflateInit(&m_zs) == Z_OK;
        m_zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        m_zs.avail_in = uInt(in.size());
    }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_zs);
    }
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;

    // Inflates into out until it holds want bytes or the stream ends; false
    // when the stream is damaged or cut short.
    bool fill(QByteArray &out, qint64 want)
    {
        if (!m_ok)
            return false;
        char block[InflateBlock];
        while (qint64(out.size()) < want && !m_ended) {
            const qint64 room = std::min<qint64>(InflateBlock, want - out.size());
            m_zs.next_out = reinterpret_cast<Bytef *>(block);
            m_zs.avail_out = uInt(room);
            const int rc = inflate(&m_zs, Z_NO_FLUSH);
            out.append(block, qsizetype(room - m_zs.avail_out));
            if (rc == Z_STREAM_END)
                m_ended = true;
            else if (rc != Z_OK)
                return false; // damaged, or Z_BUF_ERROR: no input left before the end
        }
        return true;
    }
    // The stream ended and nothing follows it.
    bool complete() const { return m_ended && m_zs.avail_in == 0; }

private:
    z_stream m_zs;
    bool m_ok = false;
    bool m_ended = false;
};

// The length RleDecode gives, counted without making it; empty when a pair of
// equal bytes lacks its count byte.
std::optional<qint64> rleDecodedSize(const QByteArray &data)
{
    qint64 size = 0;
    const qsizetype n = data.size();
    qsizetype i = 0;
    while (i < n) {
        if (i + 1 < n && data[i + 1] == data[i]) {
            if (i + 2 >= n)
                return std::nullopt;
            size += qint64(quint8(data[i + 2])) + 1;
            i += 3;
        } else {
            ++size;
            ++i;
        }
    }
    return size;
}

// The nearest folder of path that exists, for asking its drive's free room.
QString existingFolderOf(const QString &path)
{
    QFileInfo info(path.isEmpty() ? QDir::tempPath() : path);
    while (!info.exists() && info.absolutePath() != info.absoluteFilePath())
        info = QFileInfo(info.absolutePath());
    return info.absoluteFilePath();
}

// The longest list text a restore reads: names of a few files, never megabytes.
constexpr qint64 MaxListSize = 1 << 20;

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
    const int answer = MessageDlg(text, type,
                                  buttons == Buttons::YesNo ? mbYesNo : buttons == Buttons::Ok ? mbOK : mbOKCancel);
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
    m_entriesTotal = 0;
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
    Inflater inflater(data);
    QByteArray out;
    if (!inflater.fill(out, std::numeric_limits<qint64>::max()) || !inflater.complete())
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
    auto refuse = [this](const QString &text) { return refuseArchive(text); };

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

TBackUp::ReadResult TBackUp::refuseArchive(const QString &text)
{
    if (!isRemovableDrive(QFileInfo(BackUpFileName).absolutePath())) {
        ask(MessageKind::Error, Buttons::Ok, text);
        return ReadResult::Stop;
    }
    return ask(MessageKind::Error, Buttons::OkCancel, text) ? ReadResult::Retry : ReadResult::Stop;
}

QString TBackUp::roomMessage(const QString &folder) const
{
    const qint64 room = freeBytes(existingFolderOf(folder));
    if (room >= 0 && m_entriesTotal > room - MediaReserve)
        return QStringLiteral("復元先のディスクの空きが足りません。\r必要な空き: %1 バイト\r")
                   .arg(m_entriesTotal + MediaReserve)
            + folder;
    return QString();
}

// Decompresses the data and checks that every length in it fits, before anything is
// written: a damaged or hostile archive must not write past its own bytes or outside
// the restore folder, nor unpack into more than its list declares and the restore
// folder's drive can hold.
QString TBackUp::unpackPayload()
{
    std::unique_ptr<Inflater> inflater;
    QByteArray unpacked;
    // Unpacks at least want bytes (all there is when the data is shorter).
    auto unpackTo = [&](qint64 want) {
        if (!inflater)
            return true;
        return inflater->fill(unpacked, want);
    };
    if (m_compressHeader == QStringLiteral("1")) {
        const std::optional<qint64> size = rleDecodedSize(m_data);
        if (!size)
            return WrongDiskMessage;
        // Nothing but the list and the files is in the data, so what they
        // unpack to is known before anything is made.
        m_entriesTotal = std::max<qint64>(0, *size - 8 - MaxListSize);
        const QString room = roomMessage(RestoreDir);
        if (!room.isEmpty())
            return room;
        std::optional<QByteArray> decoded = RleDecode(m_data);
        if (!decoded)
            return WrongDiskMessage;
        unpacked = std::move(*decoded);
    } else if (m_compressHeader == QStringLiteral("2")) {
        inflater = std::make_unique<Inflater>(m_data);
    } else {
        unpacked = m_data;
    }
    // The inflater reads the packed bytes in place: they stay until the end.

    if (!unpackTo(8) || unpacked.size() < 8)
        return WrongDiskMessage;
    const qint64 listSize = readInt64(unpacked, 0);
    if (listSize < 0 || listSize > MaxListSize || !unpackTo(8 + listSize) || listSize > unpacked.size() - 8)
        return WrongDiskMessage;
    m_listText = unpacked.mid(8, listSize);
    m_filesStart = 8 + listSize;

    QStringList lines = fromShiftJis(m_listText).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    // An archive with nothing in it restores nothing: it is not what a backup makes.
    if (lines.isEmpty())
        return WrongDiskMessage;
    qint64 total = 0;
    for (const QString &line : std::as_const(lines)) {
        // A name may itself hold '=', the size never does.
        const qsizetype eq = line.lastIndexOf(u'=');
        if (eq < 0)
            return WrongDiskMessage;
        const QString name = line.left(eq);
        const QString sizeText = line.mid(eq + 1);
        bool ok = !sizeText.isEmpty() && sizeText.size() <= 15;
        for (const QChar c : sizeText)
            ok = ok && c.isDigit() && c.unicode() < 0x80;
        const qint64 size = ok ? sizeText.toLongLong(&ok) : 0;
        if (!ok || !isBareFileName(name) || (AcceptEntryName && !AcceptEntryName(name)))
            return WrongDiskMessage;
        total += size;
        if (total > (qint64(1) << 50))
            return WrongDiskMessage;
        m_entries.append(Entry{name, size});
    }
    m_entriesTotal = total;
    if (!inflater && total != unpacked.size() - m_filesStart)
        return WrongDiskMessage;
    // The files must fit the drive they go to (the temporary folder's while
    // the restore folder is still to be chosen) before they are unpacked.
    const QString room = roomMessage(RestoreDir);
    if (!room.isEmpty())
        return room;
    if (inflater) {
        // One byte more than declared tells an archive that holds more than its list.
        const qint64 expected = m_filesStart + total;
        if (!unpackTo(expected + 1) || unpacked.size() != expected || !inflater->complete())
            return WrongDiskMessage;
    }
    inflater.reset();
    m_data = std::move(unpacked);
    return QString();
}

bool TBackUp::Restore()
{
    for (;;) {
        clear();
        if (!readVolumes())
            return false;
        QString refusal;
        try {
            refusal = unpackPayload();
        } catch (const std::bad_alloc &) {
            m_data.clear();
            refusal = QStringLiteral("メモリが足りないため、バックアップファイルを展開できません。");
        }
        if (refusal.isEmpty())
            break;
        if (refuseArchive(refusal) != ReadResult::Retry)
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
    // The folder may have been chosen only now: the files must fit its drive
    // before the first one is written.
    const QString room = roomMessage(RestoreDir);
    if (!room.isEmpty()) {
        ask(MessageKind::Error, Buttons::Ok, room);
        return false;
    }

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
