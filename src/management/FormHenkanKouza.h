#pragma once

#include <QDialog>
#include <QStringList>

#include "management/Henkan.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class Ver1Data;

// "口座設定": for every old income and expense category the account its
// entries use (all "現金" at first). OK fills the mapping: the income rows
// (kind 1) first, then the expense rows (kind 2).
class TFormHenkanKouza : public QDialog
{
    Q_OBJECT
public:
    TFormHenkanKouza(const Ver1Data &old, TKouzaHenkanList &mapping, QWidget *parent = nullptr);

    QTableWidget *ValListEditIri = nullptr;
    QTableWidget *ValListEditDeru = nullptr;
    QLabel *LbHideHimoku = nullptr;
    QPushButton *FrBtnExec = nullptr;
    QPushButton *FrBtnCancel = nullptr;

    // A category name too long for the book's category name field.
    bool LongNameFound() const { return m_longName; }
    // Every non-empty account name typed in either editor, sorted, each once:
    // the pick list of every row.
    QStringList AccountNames() const;
    // Sets the account of a row as the user types it; an emptied name brings
    // the previous one back.
    void SetAccount(QTableWidget *editor, int row, const QString &name);
    // The first activation: the note about long names, once.
    void FormActivate();
    void FrBtnExecClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fill(QTableWidget *editor, const QStringList &names);
    void itemChanged(QTableWidgetItem *item);

    TKouzaHenkanList &m_mapping;
    bool m_longName = false;
    bool m_activated = false;
};
