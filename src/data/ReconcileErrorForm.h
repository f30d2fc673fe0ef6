#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "platform/db/ClientDataSet.h"

class Field;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QTableWidget;

// "更新エラー": what to do with one journal row the apply could not write. Shows
// the values the user wanted, the values now in the table (on a conflict) and
// the old values, and lets the user pick a reconcile action; for "修正" the
// wanted values can be edited first.
class TReconcileErrorForm : public QDialog
{
    Q_OBJECT
public:
    struct Entry
    {
        Field *field = nullptr;
        QString newText;      // the value the user wanted ("<変更なし>" for none)
        QString curText;      // the value now in the table
        QString oldText;      // the value before the user's change
        QString editedText;
        bool edited = false;
    };

    TReconcileErrorForm(ClientDataSet &dataSet, UpdateKind kind, const ReconcileError &error,
                        QWidget *parent = nullptr);

    QLabel *UpdateType = nullptr;
    QPlainTextEdit *ErrorMsg = nullptr;
    QTableWidget *UpdateData = nullptr;
    QGroupBox *ActionGroup = nullptr;
    QCheckBox *ConflictsOnly = nullptr;
    QCheckBox *ChangedOnly = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

    QList<Entry> &entries() { return m_entries; }
    // The offered actions in order, and the selected one.
    QList<ReconcileAction> actions() const { return m_actions; }
    ReconcileAction selectedAction() const;
    void selectAction(ReconcileAction action);
    // Refills the grid from the entries, the action and the check boxes.
    void fillGrid();

private:
    void cellEdited(int row, int column);

    ClientDataSet &m_dataSet;
    UpdateKind m_kind;
    QList<Entry> m_entries;
    QList<ReconcileAction> m_actions;
    QList<QRadioButton *> m_buttons;
    QList<int> m_rowEntries;   // entry index of each grid row
    int m_newColumn = -1, m_curColumn = -1, m_oldColumn = -1;
    bool m_filling = false;
};

// The text of a value in the dialog: "<変更なし>" when there is none.
QString ReconcileValueText(const Field &field, const QVariant &value, bool assigned);
// Asks the user about one failed row; Cancel gives Abort. For "修正" the
// edited texts become the fields' new values first.
ReconcileAction HandleReconcileError(ClientDataSet &dataSet, UpdateKind kind, const ReconcileError &error);
