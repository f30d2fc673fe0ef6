#pragma once

#include <QDialog>

#include "management/imexport/CodeConvert.h"

class QPushButton;
class QTableWidget;

// "マッチリスト": the conversion list of the category names met in an import,
// for correcting what a name stands for.
class TFormMatchList : public QDialog
{
    Q_OBJECT
public:
    TFormMatchList(TConvertPearArray &list, bool accountSide, bool taxColumn, QWidget *parent = nullptr);
    // Shows the list (the blank entry hidden); true when anything was changed.
    static bool Edit(TConvertPearArray &list, bool accountSide, bool taxColumn);

    QTableWidget *DBGrid1 = nullptr;
    QPushButton *BtnDelete = nullptr; // 削除: the current row's entry
    // Removes the entry of the grid's current row (nothing without one).
    void DeleteCurrent();
    // Writes the grid back into the list, without the deleted entries; true
    // when something differs.
    bool Post();

private:
    TConvertPearArray &m_list;
    QList<int> m_rows; // the list entry of each grid row
};
