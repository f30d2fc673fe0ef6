#include "management/Ver1Table.h"

#include <memory>

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <paradox.h>
}

#include "data/Utils.h"
#include "platform/system/ShiftJis.h"

namespace {

// Paradox counts dates in days from 1 January of the year 1; the library's
// day numbers count from the Julian epoch.
constexpr long ParadoxDateOffset = 1721425;

struct PxErrors
{
    QString last;
};

void pxError(pxdoc_t *, int, const char *msg, void *data)
{
    static_cast<PxErrors *>(data)->last = QString::fromLocal8Bit(msg);
}

struct PxDocCloser
{
    bool opened = false;
    void operator()(pxdoc_t *doc) const
    {
        if (!doc)
            return;
        if (opened)
            PX_close(doc);
        PX_delete(doc);
    }
};

QString damagedText(const QString &fileName)
{
    return fileName + QStringLiteral(" が壊れているため読み込めません。");
}

QVariant fieldValue(pxdoc_t *doc, const pxfield_t &field, char *data)
{
    switch (field.px_ftype) {
    case pxfAlpha: {
        char *s = nullptr;
        if (PX_get_data_alpha(doc, data, field.px_flen, &s) <= 0 || !s)
            return QVariant();
        // The library copies the bytes as stored (no target encoding is set):
        // Shift-JIS, which is decoded here.
        const QByteArray bytes(s);
        doc->free(doc, s);
        return fromShiftJis(bytes);
    }
    case pxfDate: {
        long v = 0;
        if (PX_get_data_long(doc, data, field.px_flen, &v) <= 0 || v == 0)
            return QVariant();
        int y = 0, m = 0, d = 0;
        PX_SdnToGregorian(v + ParadoxDateOffset, &y, &m, &d);
        return QDate(y, m, d);
    }
    case pxfShort: {
        short v = 0;
        if (PX_get_data_short(doc, data, field.px_flen, &v) <= 0)
            return QVariant();
        return int(v);
    }
    case pxfLong:
    case pxfAutoInc: {
        long v = 0;
        if (PX_get_data_long(doc, data, field.px_flen, &v) <= 0)
            return QVariant();
        return int(v);
    }
    case pxfCurrency:
    case pxfNumber: {
        double v = 0;
        if (PX_get_data_double(doc, data, field.px_flen, &v) <= 0)
            return QVariant();
        return v;
    }
    case pxfLogical: {
        char v = 0;
        if (PX_get_data_byte(doc, data, field.px_flen, &v) <= 0)
            return QVariant();
        return v != 0;
    }
    default:
        // Memos, pictures and the like: the conversion reads none of them.
        return QVariant();
    }
}

} // namespace

Ver1Table Ver1Table::read(const QString &folder, const QString &fileName, const QStringList &required)
{
    const QString path = JoinPath(folder, fileName);
    const QFileInfo info(path);
    if (!info.isFile())
        throw EVer1DataError(fileName + QStringLiteral(" がありません。"));
    if (!info.isReadable())
        throw EVer1DataError(fileName + QStringLiteral(" を読み込めません。"));

    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);

    PxErrors errors;
    PxDocCloser closer;
    std::unique_ptr<pxdoc_t, PxDocCloser &> doc(PX_new3(pxError, nullptr, nullptr, nullptr, &errors), closer);
    if (!doc)
        throw EVer1DataError(damagedText(fileName));
    if (PX_open_file(doc.get(), QFile::encodeName(path).constData()) < 0)
        throw EVer1DataError(damagedText(fileName));
    closer.opened = true;

    const pxhead_t *head = doc->px_head;
    // A table cut short still opens (the header is whole) but misses blocks
    // the header counts: such a table is refused before any row is read.
    const qint64 expected = qint64(head->px_headersize)
                            + qint64(head->px_fileblocks) * qint64(head->px_maxtablesize) * 1024;
    if (head->px_numrecords < 0 || head->px_numfields <= 0 || info.size() < expected)
        throw EVer1DataError(damagedText(fileName));

    Ver1Table table;
    table.m_fileName = fileName;
    const int fieldCount = PX_get_num_fields(doc.get());
    QList<int> offsets;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const pxfield_t *f = PX_get_field(doc.get(), i);
        table.m_fields << fromShiftJis(QByteArray(f->px_fname));
        offsets << offset;
        offset += f->px_flen;
    }
    for (const QString &name : required) {
        if (!table.hasField(name))
            throw EVer1DataError(fileName + QStringLiteral(" に項目「") + name + QStringLiteral("」がありません。"));
    }

    const int recordSize = PX_get_recordsize(doc.get());
    QByteArray buffer(recordSize, '\0');
    const int count = PX_get_num_records(doc.get());
    table.m_rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        int deleted = 0;
        pxdatablockinfo_t block;
        if (!PX_get_record2(doc.get(), r, buffer.data(), &deleted, &block))
            throw EVer1DataError(damagedText(fileName));
        if (deleted)
            continue;
        QVariantList row;
        row.reserve(fieldCount);
        for (int i = 0; i < fieldCount; ++i) {
            const pxfield_t *f = PX_get_field(doc.get(), i);
            row << fieldValue(doc.get(), *f, buffer.data() + offsets.at(i));
        }
        table.m_rows << row;
    }
    return table;
}

QVariant Ver1Table::value(int row, const QString &field) const
{
    const int column = m_fields.indexOf(field);
    if (column < 0 || row < 0 || row >= m_rows.size())
        return QVariant();
    return m_rows.at(row).at(column);
}
