#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QString>

#include "data/BackUp.h"

class QIODevice;

// Writes the data of an archive (the payload: list length, list text, the
// file bytes in list order; then stored, run-length coded or deflated) to a
// device while reading the files, a chunk at a time, so that the memory it
// takes does not grow with the files.
//
// Deflating splits the payload into chunks that worker threads compress at
// once, each primed with the last 32 KiB of the chunk before it; every chunk
// but the last ends on a byte boundary (a sync flush), so the pieces joined
// behind one zlib header, with the Adler-32 of the whole payload after them,
// are a single standard zlib stream that any inflate reads. A payload of one
// chunk comes out byte for byte as a single deflate call makes it.
class ArchiveWriter
{
public:
    // Bytes of payload deflated by one worker at a time.
    static constexpr qint64 ChunkSize = qint64(1) << 20;

    struct Source
    {
        QString path;
        qint64 size = 0; // bytes taken from the file, as the list says
    };

    ArchiveWriter(TCompressMode mode, int compressLevel);

    // Payload bytes read so far out of the payload's size.
    std::function<void(qint64 done, qint64 total)> onBytes;

    // Streams the payload of listText and sources into out; returns the bytes
    // written. A source that cannot be read whole or a short write throws
    // EBackUpError naming outName (the file the data is for).
    qint64 write(const QByteArray &listText, const QList<Source> &sources, QIODevice &out,
                 const QString &outName);

    // Worker threads used for deflating; 0 (the default) is one per core.
    int threads = 0;

private:
    TCompressMode m_mode;
    int m_level;
};
