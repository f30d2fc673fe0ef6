#pragma once

#include <QAbstractTableModel>

#include "management/imexport/ImportRun.h"

// The review grid's model: the chosen fields of the rows read or converted,
// shown as the run names them (names, not entry numbers; "×" for a failed row).
class TImportRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    TImportRowsModel(TImportRun &run, QObject *parent = nullptr);
    // Shows rows (ImportClt or InterClt) with the fields given.
    void Show(const QList<TImportRow> *rows, const QList<int> &fields, bool converted);
    // The row shown for an ImportNo, -1 when none.
    int RowOfImportNo(int importNo) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TImportRun &m_run;
    const QList<TImportRow> *m_rows = nullptr;
    QList<int> m_fields;
    bool m_converted = false;
};
