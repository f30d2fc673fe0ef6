#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class THimokuConvert;

// "費目・口座の対応設定": what a category or account name read from a file stands
// for in the book: an existing category or account, or a new one.
class TFormSelectHimoku : public QDialog
{
    Q_OBJECT
public:
    TFormSelectHimoku(THimokuConvert &convert, const QString &text, bool accountSideMode, unsigned allowed,
                      bool silent, QWidget *parent = nullptr);

    // Shows the dialog; true with the chosen name, kind and side on OK.
    static bool Ask(THimokuConvert &convert, const QString &text, bool accountSideMode, unsigned allowed,
                    bool silent, QString &name, int &kind, int &side);

    QLabel *LbText = nullptr;
    QRadioButton *RdBtnKizon = nullptr;
    QComboBox *CmbBoxSelect = nullptr;
    QLabel *LbSyuSiIdo = nullptr;
    QRadioButton *RdBtnNew = nullptr;
    QLineEdit *LbdEditNew = nullptr;
    QWidget *RdGrpSyuSiIdo = nullptr;
    QButtonGroup *SyuSiIdo = nullptr;
    QWidget *RdGrpKizonKariKasi = nullptr;
    QButtonGroup *KizonKariKasi = nullptr;

    // The OK button's check; false (the dialog stays) after a message.
    bool BtnOKClick();

    QString Name;
    int Kind = 0;
    int Side = 0;

private:
    struct Choice
    {
        QString name;
        int kind;
        int side;
    };
    QList<Choice> m_choices;
    bool m_accountSideMode;
    bool m_silent;
    void selectionChanged();
};
