#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TFrameSelecter;

// "選択肢の追加": registers a name as a choice of the shown category (an item
// with its price, quantity and tax treatment, a shop) or as a person, and
// deletes the chosen choice from the category's list. Shown under the
// selector for the item, shop and person columns.
class TChoicePanel : public QWidget
{
    Q_OBJECT
public:
    explicit TChoicePanel(TFrameSelecter *selecter, QWidget *parent = nullptr);

    // Shows the panel for a selector kind; the price, quantity and tax boxes
    // are for items only. The boxes are cleared.
    void SetKind(int kind);
    // 登録: true when the choice was registered and the list stands on it.
    bool AppendChoice();
    // 削除 of the list's current choice.
    void DeleteChoice();

    QLineEdit *EditTuika = nullptr;
    QLineEdit *EditGaku = nullptr;
    QLineEdit *EditQuantity = nullptr;
    QComboBox *CmbZeiAtukai = nullptr;
    QToolButton *FrBtnAppendList = nullptr;
    QToolButton *FrBtnDeleteList = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TFrameSelecter *m_sel;
    int m_kind = 0;
    QList<QWidget *> m_itemOnly;
};
