#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;
class TFrameSelecter;

// The second level of one item or shop choice: a small floating window over
// the main window listing the choices registered under a first-level item or
// shop of a category, where a click picks (through the selector that opened
// it, like any other choice) and the bottom row registers or deletes one.
// Made once, on first use, and kept for the program's run; its placement is
// read when it is made and written by the main window when it closes.
class TFormFukuHinmei : public QWidget
{
    Q_OBJECT
public:
    explicit TFormFukuHinmei(QWidget *parent = nullptr);
    ~TFormFukuHinmei() override;

    // Fills the window for a first-level choice: kind 9 items, 10 or 11 shops.
    void Reload(int kind, int category, int parent);
    void SetQuantityVisible(bool visible);
    // 登録 of the typed name under the shown choice; true when a row was added.
    bool SpBtnPostClick();
    // 削除 of the current row, after the question.
    void SpBtnDeleteClick();
    // A pick of the current row (a left click on it).
    void Pick();
    int currentCode() const;
    QString currentName() const;
    int rowCount() const;
    bool LocateName(const QString &name);
    void SavePlacement() const;

    int SubKind = 0;
    int SubCategory = -1;
    int SubParent = -1;
    int SubRowHeight = 20;
    bool QuantityShown = true;
    QPointer<TFrameSelecter> OwnerSelecter;

    QListWidget *DBClGridFukuHinmei = nullptr;
    QLineEdit *EditTuika = nullptr;
    QLabel *LbQuantity = nullptr;
    QLineEdit *EditQuantity = nullptr;
    QLabel *LbGaku = nullptr;
    QLineEdit *EditGaku = nullptr;
    QToolButton *SpBtnPost = nullptr;
    QToolButton *SpBtnDelete = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyTileSize();
    int m_tileWidth = 150;
};

// The one sub-list window, made over the main window on first use.
TFormFukuHinmei *FormFukuHinmei();
// The window when it was made, else nullptr (nothing is made).
TFormFukuHinmei *ExistingFormFukuHinmei();
void HideFormFukuHinmei();
