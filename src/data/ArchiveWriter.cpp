#include "data/ArchiveWriter.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <thread>

#include <QFile>
#include <QFileDevice>
#include <QFuture>
#include <QIODevice>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QtEndian>

#include <fcntl.h>
#include <zlib.h>

namespace {

constexpr qsizetype DictionarySize = 32768;

// The payload as one sequence of bytes read in chunks: the list length, the
// list text, then each source's bytes.
class PayloadReader
{
public:
    PayloadReader(const QByteArray &listText, const QList<ArchiveWriter::Source> &sources)
        : m_sources(sources)
    {
        m_head = QByteArray(8, '\0');
        qToLittleEndian<qint64>(listText.size(), m_head.data());
        m_head.append(listText);
        m_total = m_head.size();
        for (const ArchiveWriter::Source &s : sources)
            m_total += s.size;
    }

    qint64 total() const { return m_total; }
    qint64 done() const { return m_done; }
    bool atEnd() const { return m_done >= m_total; }

    QByteArray next(qint64 size)
    {
        const qint64 want = qMin(size, m_total - m_done);
        QByteArray chunk(qsizetype(want), Qt::Uninitialized);
        qint64 filled = 0;
        while (filled < want) {
            if (m_headAt < m_head.size()) {
                const qint64 n = qMin<qint64>(want - filled, m_head.size() - m_headAt);
                std::memcpy(chunk.data() + filled, m_head.constData() + m_headAt, size_t(n));
                m_headAt += n;
                filled += n;
                continue;
            }
            if (!m_file.isOpen() || m_left == 0)
                openNext();
            const qint64 n = m_file.read(chunk.data() + filled, qMin(want - filled, m_left));
            if (n <= 0)
                throw EBackUpError((n < 0 ? m_file.errorString() : QStringLiteral("ファイルが途中で短くなりました"))
                                   + QStringLiteral(": ") + m_file.fileName());
            filled += n;
            m_left -= n;
        }
        m_done += want;
        if (atEnd())
            m_file.close();
        return chunk;
    }

private:
    void openNext()
    {
        m_file.close();
        // Sources of no bytes are never listed, but a caller may pass them.
        while (m_next < m_sources.size() && m_sources.at(m_next).size == 0)
            ++m_next;
        if (m_next >= m_sources.size())
            throw EBackUpError(QStringLiteral("ファイルの大きさが一覧と違います"));
        const ArchiveWriter::Source &s = m_sources.at(m_next++);
        m_file.setFileName(s.path);
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw EBackUpError(m_file.errorString() + QStringLiteral(": ") + s.path);
        // The file is read once from start to end: let the system read ahead.
        posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
        m_left = s.size;
    }

    const QList<ArchiveWriter::Source> &m_sources;
    QByteArray m_head;
    qint64 m_headAt = 0;
    qint64 m_total = 0;
    qint64 m_done = 0;
    qsizetype m_next = 0;
    QFile m_file;
    qint64 m_left = 0;
};

// The run-length code of TBackUp::RleEncode, fed in pieces: a run that goes on
// from one piece into the next is coded as if the data came in one.
class RleStream
{
public:
    void feed(const char *data, qsizetype n, QByteArray &out)
    {
        for (qsizetype i = 0; i < n; ++i) {
            const char c = data[i];
            if (m_run > 0 && c == m_byte) {
                if (++m_run == 256)
                    flush(out);
                continue;
            }
            flush(out);
            m_byte = c;
            m_run = 1;
        }
    }
    void flush(QByteArray &out)
    {
        if (m_run == 1) {
            out.append(m_byte);
        } else if (m_run > 1) {
            out.append(m_byte);
            out.append(m_byte);
            out.append(char(m_run - 1));
        }
        m_run = 0;
    }

private:
    char m_byte = 0;
    int m_run = 0;
};

struct Deflated
{
    QByteArray bytes;
    uLong adler = 0;
    bool ok = false;
};

// One chunk as raw deflate data, primed with the end of the chunk before it;
// a sync flush ends every chunk but the last, which ends the stream.
Deflated deflateChunk(const QByteArray &dictionary, const QByteArray &input, int level, bool last)
{
    Deflated d;
    d.adler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(input.constData()), uInt(input.size()));
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return d;
    if (!dictionary.isEmpty()
        && deflateSetDictionary(&zs, reinterpret_cast<const Bytef *>(dictionary.constData()), uInt(dictionary.size()))
            != Z_OK) {
        deflateEnd(&zs);
        return d;
    }
    d.bytes.resize(qsizetype(deflateBound(&zs, uLong(input.size())) + 64));
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    zs.avail_in = uInt(input.size());
    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    int rc = Z_OK;
    for (;;) {
        zs.next_out = reinterpret_cast<Bytef *>(d.bytes.data()) + zs.total_out;
        zs.avail_out = uInt(d.bytes.size() - qsizetype(zs.total_out));
        rc = deflate(&zs, flush);
        if (rc == Z_STREAM_ERROR)
            break;
        const bool finished = last ? rc == Z_STREAM_END : (zs.avail_in == 0 && zs.avail_out > 0);
        if (finished)
            break;
        d.bytes.resize(d.bytes.size() * 2);
    }
    const qsizetype produced = qsizetype(zs.total_out);
    deflateEnd(&zs);
    if (rc == Z_STREAM_ERROR)
        return d;
    d.bytes.truncate(produced);
    d.ok = true;
    return d;
}

// The two bytes zlib puts before a stream deflated at the given level.
QByteArray zlibHeader(int level)
{
    if (level == Z_DEFAULT_COMPRESSION)
        level = 6;
    const int flags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned header = (unsigned(Z_DEFLATED + ((MAX_WBITS - 8) << 4)) << 8) | unsigned(flags << 6);
    header += 31 - (header % 31);
    QByteArray bytes(2, '\0');
    bytes[0] = char(header >> 8);
    bytes[1] = char(header & 0xff);
    return bytes;
}

class Sink
{
public:
    Sink(QIODevice &out, const QString &name) : m_out(out), m_name(name) {}
    void put(const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        // A short write (disk full, file size limit) is not always flagged as an
        // error, so every count is checked.
        if (m_out.write(bytes) != bytes.size()) {
            const int systemError = errno;
            auto *file = qobject_cast<QFileDevice *>(&m_out);
            const QString why = file && file->error() != QFileDevice::NoError ? file->errorString()
                                                                               : qt_error_string(systemError);
            throw EBackUpError(why + QStringLiteral(": ") + m_name);
        }
        m_written += bytes.size();
    }
    qint64 written() const { return m_written; }

private:
    QIODevice &m_out;
    const QString &m_name;
    qint64 m_written = 0;
};

} // namespace

ArchiveWriter::ArchiveWriter(TCompressMode mode, int compressLevel) : m_mode(mode), m_level(compressLevel) {}

qint64 ArchiveWriter::write(const QByteArray &listText, const QList<Source> &sources, QIODevice &out,
                            const QString &outName)
{
    PayloadReader reader(listText, sources);
    Sink sink(out, outName);
    auto readChunk = [&]() {
        QByteArray chunk = reader.next(ChunkSize);
        if (onBytes)
            onBytes(reader.done(), reader.total());
        return chunk;
    };

    if (m_mode == cmNone) {
        while (!reader.atEnd())
            sink.put(readChunk());
        return sink.written();
    }
    if (m_mode == cmSimple) {
        RleStream rle;
        QByteArray coded;
        while (!reader.atEnd()) {
            const QByteArray chunk = readChunk();
            coded.clear();
            rle.feed(chunk.constData(), chunk.size(), coded);
            sink.put(coded);
        }
        coded.clear();
        rle.flush(coded);
        sink.put(coded);
        return sink.written();
    }

    const int level = TBackUp::zlibLevel(m_level);
    const int workers = threads > 0 ? threads : int(qMax(1u, std::thread::hardware_concurrency()));
    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    // Chunks in flight are bounded, so memory stays a few chunks per worker.
    const size_t inFlight = size_t(2 * workers);
    std::deque<QFuture<Deflated>> pending;
    uLong adler = adler32(0, nullptr, 0);
    qint64 deflatedIn = 0;
    QList<qint64> sizes; // input size of each pending chunk, in order
    auto takeFirst = [&]() {
        const Deflated d = pending.front().result();
        pending.pop_front();
        const qint64 size = sizes.takeFirst();
        if (!d.ok)
            throw EBackUpError(QStringLiteral("zlib: deflate"));
        sink.put(d.bytes);
        adler = adler32_combine(adler, d.adler, z_off_t(size));
        deflatedIn += size;
    };

    try {
        sink.put(zlibHeader(level));
        QByteArray dictionary;
        do {
            const QByteArray chunk = readChunk();
            const bool last = reader.atEnd();
            pending.push_back(QtConcurrent::run(&pool, deflateChunk, dictionary, chunk, level, last));
            sizes.append(chunk.size());
            dictionary = chunk.right(DictionarySize);
            while (pending.size() >= inFlight || (last && !pending.empty()))
                takeFirst();
        } while (!reader.atEnd());
    } catch (...) {
        // The workers hold only their own copies; let them finish before the pool goes.
        pool.waitForDone();
        throw;
    }
    QByteArray trailer(4, '\0');
    qToBigEndian<quint32>(quint32(adler), trailer.data());
    sink.put(trailer);
    Q_ASSERT(deflatedIn == reader.total());
    return sink.written();
}
