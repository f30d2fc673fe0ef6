#pragma once

#include <array>

#include <QDialog>

#include "controls/MyDBNavigator.h"
#include "management/imexport/CodeConvert.h"

class QTableWidget;

// "マッチリスト": the conversion list of the category names met in an import,
// for correcting what a name stands for. Its navigator moves through the
// entries, deletes one, and posts or takes back the changes of the entry
// being edited; moving to another entry or closing posts them.
class TFormMatchList : public QDialog, public TNavigatorRows
{
    Q_OBJECT
public:
    TFormMatchList(TConvertPearArray &list, bool accountSide, bool taxColumn, QWidget *parent = nullptr);
    // Shows the list (the blank entry hidden); true when anything was changed.
    static bool Edit(TConvertPearArray &list, bool accountSide, bool taxColumn);

    QTableWidget *DBGrid1 = nullptr;
    TMyDBNavigator *DBNavigator1 = nullptr;
    // Removes the entry of the grid's current row (nothing without one).
    void DeleteCurrent();
    // Writes the grid back into the list, without the deleted entries; true
    // when something differs.
    bool Post();

    bool rowsActive() const override { return true; }
    int rowsCount() const override;
    int rowsCurrent() const override;
    void rowsSetCurrent(int row) override;
    bool rowsCanModify() const override { return true; }
    bool rowsEditing() const override { return m_editRow >= 0; }
    void rowsDelete() override { DeleteCurrent(); }
    void rowsEdit() override;
    void rowsPost() override;
    void rowsCancel() override;

private:
    // What a row shows: 変換名称, 種類, 口座の目的, 税扱い.
    using RowTexts = std::array<QString, 4>;
    RowTexts rowTexts(int row) const;
    void showTexts(int row, const RowTexts &texts);
    void rowTouched(int row);

    TConvertPearArray &m_list;
    QList<int> m_rows; // the list entry of each grid row
    QList<RowTexts> m_posted; // each row as last posted
    int m_editRow = -1; // the row with changes not yet posted
    bool m_filling = false;
};
