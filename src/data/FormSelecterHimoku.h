#pragma once

#include <cstdint>

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// Asks for the category or account that journal lines are moved or copied to
// (or confirms a deletion). Offers the expense categories, the accounts and the
// input category 13 (not for list kind 9), hidden ones included, never 12.
//
//     TFormSelecterHimoku form;
//     form.SetOperation(3);
//     form.SetListKind(kind);
//     if (form.exec() == mrOk) code = form.GetSelectedCode();
class TFormSelecterHimoku : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSelecterHimoku(QWidget *parent = nullptr);

    QLabel *LbTitle = nullptr;
    QComboBox *CmbBoxHimoku = nullptr;
    QPushButton *ShapeBtnOK = nullptr;
    QPushButton *ShapeBtnCancel = nullptr;

    // 1 delete, 2 copy, 3 move: sets the title; any other value is only stored.
    void SetOperation(uint8_t operation);
    uint8_t operation() const { return m_operation; }
    // The calling selector's list kind (9 leaves out code 13).
    void SetListKind(uint8_t listKind);
    uint8_t listKind() const { return m_listKind; }
    // The chosen entry's code, -1 when none is chosen.
    int GetSelectedCode() const;
    // Fills the list (done when the dialog is shown).
    void FillList();

protected:
    void showEvent(QShowEvent *event) override;

private:
    uint8_t m_operation = 0;
    uint8_t m_listKind = 0;
};
