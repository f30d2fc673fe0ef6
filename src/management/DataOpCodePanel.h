#pragma once

#include <functional>

#include <QStringList>
#include <QWidget>

class QBoxLayout;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The row of target buttons over a data-operation page's conversion panels:
// one checkable button a text, ids in order, the first checked.
QButtonGroup *BuildConvertTargets(QWidget *box, QBoxLayout *row, const QStringList &texts, QObject *owner);

// The panel of a bulk code conversion in the data operations (journal lines
// and choice lists alike): whether one code or all are converted, the from
// and to codes each with its name, and 実行. Choosing all greys the from code.
class TCodeConvertPanel : public QWidget
{
public:
    explicit TCodeConvertPanel(QWidget *parent = nullptr);

    QRadioButton *ByCode = nullptr; // コード指定
    QRadioButton *All = nullptr;    // すべて
    QLabel *MotoLabel = nullptr;
    QLabel *AtoLabel = nullptr;
    QLineEdit *MotoCode = nullptr;
    QLineEdit *MotoName = nullptr;
    QLineEdit *AtoCode = nullptr;
    QLineEdit *AtoName = nullptr;
    QPushButton *Execute = nullptr;

    // Both codes back to 0, their names cleared.
    void ClearCodes();
    // The labels name the converted code (`what`); both codes are cleared.
    void ShowKind(const QString &what);
    // Codes 1 to 100 are the system's own rows: a typed one counts as none
    // (0). Each code is written back so settled and shown with `nameOf` it.
    void SettleCodes(const std::function<QString(int)> &nameOf);
};
