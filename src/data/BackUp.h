#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

class QIODevice;
class QSaveFile;

#include "platform/system/Exception.h"

// A file the archive code could not create, read or write, with the system's text.
class EBackUpError : public Exception
{
public:
    using Exception::Exception;
};

enum TCompressMode { cmNone = 0, cmSimple = 1, cmZlib = 2 };

// Called once per restore, before any file is written, with the archive's ID and its
// DATANAME; the handler may change the name, and clears mayContinue to stop.
using TRestoreEvent = std::function<void(const QString &backUpId, QString &dataName, bool &mayContinue)>;

// Packs a list of files into one archive and unpacks it again; knows nothing of books.
//
// Every volume file: "KirBackUpData", the header length H (int64 little-endian), the
// header text (six CR LF lines, Shift-JIS), then the next slice of the data. The data
// is the payload, stored plain, run-length coded or deflated: the list length L
// (int64 little-endian), the list text ("name=size" CR LF per file) and the file bytes
// in list order.
//
// Backing up:
//     TBackUp b;
//     b.BackUpFileName = folder + "/Book.pbk";
//     b.DataKind = ...; b.DataName = ...;
//     b.FileList() << fullPath1 << fullPath2;
//     b.setCompressMode(cmZlib); b.setCompressLevel(2);
//     b.onMessage = ...;           // the questions below
//     bool written = b.BackUp();
// Restoring:
//     b.BackUpFileName = archive; b.RestoreDir = folder; b.DataKind = ...;
//     bool restored = b.Restore(); // DataName is the archive's afterwards
class TBackUp : public QObject
{
    Q_OBJECT
public:
    enum class MessageKind { Confirmation, Information, Error };
    enum class Buttons { YesNo, OkCancel, Ok };
    // Shows a message and answers true for Yes or OK, false for No or Cancel.
    using MessageEvent = std::function<bool(MessageKind kind, Buttons buttons, const QString &text)>;
    // Files done out of the files to do, while packing and while writing restored files.
    using ProgressEvent = std::function<void(qint64 done, qint64 total)>;

    explicit TBackUp(QObject *parent = nullptr);

    bool AutoBackUpId = true;
    QString BackUpId = QStringLiteral("BackUp");
    QString DataKind = QStringLiteral("BackUpData");
    QString DataName = QStringLiteral("DataBase");
    QString BackUpFileName = QStringLiteral("BackUp.Dat");
    bool IncludePath = false;
    QString RestoreDir;
    TRestoreEvent OnBeforeWriteRestore;
    // Whether a restore may write an entry of this name; an archive holding
    // any other is refused whole. Default: every bare file name.
    std::function<bool(const QString &name)> AcceptEntryName;
    bool CheckOverWrite = true;
    bool NoMessage = false;
    bool RenameOldFile = false;

    // Every question and refusal goes through here; by default the message dialogs.
    MessageEvent onMessage;
    ProgressEvent onProgress;
    // Payload bytes packed out of the payload's size while a backup writes.
    ProgressEvent onDataProgress;
    // Drive facts of the folder holding the archive; default to DriveInfo. Tests set
    // them to stand in for a small or removable medium.
    std::function<bool(const QString &path)> isRemovableDrive;
    std::function<qint64(const QString &path)> freeBytes;

    TCompressMode CompressMode() const { return m_compressMode; }
    void setCompressMode(TCompressMode mode);
    int CompressLevel() const { return m_compressLevel; }
    void setCompressLevel(int level);

    QStringList &FileList() { return m_fileList; }
    const QStringList &FileList() const { return m_fileList; }
    int FileCount() const { return int(m_fileList.size()); }

    virtual void PackFiles();
    virtual bool WriteRestoredFiles();
    virtual bool BackUp();
    virtual bool Restore();

    static QByteArray RleEncode(const QByteArray &data);
    // Empty when a pair of equal bytes lacks its count byte.
    static std::optional<QByteArray> RleDecode(const QByteArray &data);
    // Level choice 0..3 to zlib's level.
    static int zlibLevel(int compressLevel);
    static QByteArray zlibCompress(const QByteArray &data, int compressLevel);
    // Empty when the stream is damaged, cut short or followed by other bytes.
    static std::optional<QByteArray> zlibDecompress(const QByteArray &data);

    static const QString WrongDiskMessage;
    // The default of onMessage: a message dialog of the kind, Yes/No or OK/Cancel.
    static bool showMessage(MessageKind kind, Buttons buttons, const QString &text);

private:
    struct Entry
    {
        QString name;
        qint64 size = 0;
    };
    enum class ReadResult { Stop, Retry, Accepted };

    void clear();
    bool ask(MessageKind kind, Buttons buttons, const QString &text);
    void progress(qint64 done, qint64 total);
    QByteArray headerText(int diskNo, bool more) const;
    qint64 streamData(QIODevice &out, const QString &outName);
    void commitArchiveFile(QSaveFile &file);
    bool writeSingleFile(bool checkRoom);
    bool writeVolumes();
    bool writeVolume(int diskNo);
    void writeArchiveFile(int diskNo, bool more, qint64 take);
    ReadResult readVolume(int diskNo, bool &last);
    bool readVolumes();
    // A refused archive: on removable media OK reads again (another medium
    // may be in the drive now), Cancel stops; on a fixed drive the same file
    // would only be refused again, so the message ends the restore.
    ReadResult refuseArchive(const QString &text);
    // Empty when the payload unpacked and every length and name in it fits;
    // otherwise the message that refuses the archive.
    QString unpackPayload();
    // The message when the unpacked files do not fit the restore folder's
    // drive; empty when they do.
    QString roomMessage(const QString &folder) const;

    TCompressMode m_compressMode = cmNone;
    int m_compressLevel = 0;
    QStringList m_fileList;

    QByteArray m_listText;
    QList<std::pair<QString, qint64>> m_packList; // path and size of each listed file
    std::unique_ptr<QTemporaryFile> m_spool;      // the data of volumes still to write
    qint64 m_dataSize = 0;
    QByteArray m_data;
    qsizetype m_written = 0;
    QString m_compressHeader;
    QString m_firstId;
    QString m_firstName;
    QList<Entry> m_entries;
    qsizetype m_filesStart = 0;
    qint64 m_entriesTotal = 0;
};
