#pragma once

#include <QHash>
#include <QTableWidget>

#include "management/HimokuSetteiRows.h"

// 一覧表示 of the settings dialog: every row of the page, one line each, with
// its columns as text. It is for reading until edit mode is switched on; then
// a typed cell is announced with cellTyped() and the dialog turns the text
// back into the column's value (valueOf) or refuses it.
class THimokuListView : public QTableWidget
{
    Q_OBJECT
public:
    explicit THimokuListView(QWidget *parent = nullptr);

    // The columns in their order (row columns, and the class columns worked
    // out from BUNRUI: Karigata, Bu1Name, Bu2Name) and their titles.
    static const QStringList &fields();
    static const QStringList &titles();
    // Columns that are never typed: the code (the journal's lines refer to
    // it), the order (the order list decides it), the system mark and the
    // class columns.
    static bool readOnly(const QString &field);
    // Items of a column's pick list; empty for a column without one.
    static QStringList pickList(const QString &field);
    // CYCLE's names, indexed with the value + 1: なし, 当月, 翌月 ... 一年後.
    static const QStringList &cycleNames();

    // The text a column shows; `names` gives the names of codes (AITECODE).
    static QString displayText(const THimokuRow &row, const QString &field, const QHash<int, QString> &names);
    // The value a typed text stands for. False when the text leaves the value
    // as it is (no rule reads it). NAME, AITECODE and SYOKIZAN are read by the
    // dialog, which knows the names in use, the accounts and the amount rules.
    static bool valueOf(const QString &field, const QString &text, QVariant *value);

    // Shows `rows`; keeps the current line.
    void fill(const QList<THimokuRow> &rows, const QHash<int, QString> &names);
    // Shows one row again from its values.
    void showRow(int line, const THimokuRow &row, const QHash<int, QString> &names);
    void setEditMode(bool on);
    bool editMode() const { return m_edit; }

signals:
    void cellTyped(int line, const QString &field, const QString &text);

private:
    bool m_edit = false;
    bool m_filling = false;
};
