#pragma once

#include <QDialog>

#include "management/imexport/CodeConvert.h"

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
    // Writes the grid back into the list; true when something differs.
    bool Post();

private:
    TConvertPearArray &m_list;
};
