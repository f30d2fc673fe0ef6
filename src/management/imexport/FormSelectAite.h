#pragma once

#include <QDialog>

class QComboBox;
class THimokuConvert;

// "相手口座の設定": the account on the other side of every line of a statement
// that has one category column.
class TFormSelectAite : public QDialog
{
    Q_OBJECT
public:
    TFormSelectAite(THimokuConvert &convert, const QString &defaultName, QWidget *parent = nullptr);
    // True with the name in the box on OK.
    static bool Ask(THimokuConvert &convert, QString &name);

    QComboBox *CmbBoxAite = nullptr;
    bool BtnOKClick();

private:
    THimokuConvert &m_convert;
};
