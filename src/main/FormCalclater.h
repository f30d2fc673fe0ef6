#pragma once

#include <functional>
#include <memory>

#include <QDate>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "main/CalcRegister.h"

class DataSet;
class DataSource;
class Field;
class QAction;
class QLabel;
class QMenu;
class TDataSetCopy;
class TDataSetPaste;
class TFrameBtn;
class TMySpeedButton;
class TShapeBtn;

// The tax rate (percent) of a date: the last row of the book's tax list that
// starts on or before it; 0 without one.
double GetTaxRate(const QDate &date);

// The desk calculator floating beside the main window: two display lines, a
// memory, a tax key at today's rate and a round key, and 読込 and 貼付 bound to
// the amount field of the page in front.
class TFormCalclater : public QWidget
{
    Q_OBJECT
public:
    explicit TFormCalclater(QWidget *owner = nullptr);
    ~TFormCalclater() override;

    // Binds 読込 and 貼付 to a field (nullptr unbinds: both then do nothing).
    void SetTargetField(Field *field);
    // The same by data set and field name (the field need not exist yet).
    void SetTarget(DataSet *dataSet, const QString &fieldName);
    // The calculator of the main window, when there is one, bound to a field.
    static void Bind(QWidget *calculator, DataSet *dataSet, const QString &fieldName);
    DataSet *targetDataSet() const;

    // A key: digits, ".", the operators + - * /, "=" (or '\r'), 'B' backspace,
    // 'M' memory recall.
    void KeyInput(QChar key);
    void Execute();
    void AllClear();
    void MemoryAdd(bool subtract);
    void MemoryRecall() { KeyInput(u'M'); }
    void MemoryClear();
    void TaxKey();
    void RoundKey();
    // 読込 and 貼付.
    void ReadTarget();
    void PasteTarget();
    // The display context menu's two entries on register A (true) or B.
    void CopyRegister(bool a);
    void PasteRegister(bool a);
    void RestorePosition();
    void SavePosition();

    TCalcRegister &registerA() { return *m_a; }
    TCalcRegister &registerB() { return *m_b; }
    QChar pending() const { return m_pending; }
    double memory() const { return m_memory; }

    QLabel *A = nullptr;
    QLabel *B = nullptr;
    QLabel *LbEenZan = nullptr;
    QLabel *LbEqual = nullptr;
    QLabel *LBMem = nullptr;
    QWidget *Panel3 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    TDataSetCopy *DataSetCopy1 = nullptr;
    TDataSetPaste *DataSetPaste1 = nullptr;
    TMySpeedButton *SpBtnColor = nullptr;
    TFrameBtn *FrBtnOff = nullptr;
    DataSource *TargetSrc = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<TCalcRegister> m_a, m_b;
    QChar m_pending = u'=';
    double m_memory = 0.0;
    QString m_targetName;
    bool m_menuOnA = true;
    QPoint m_dragStart;
    bool m_dragging = false;
    int m_dragStripHeight = 22;
    QHash<int, TShapeBtn *> m_keyButtons; // Qt key (with keypad flag) -> its button
    QHash<QObject *, std::function<void()>> m_keyRuns; // key button -> what it enters
    QColor m_formColor;
    void buildUi();
    void setFormColor(const QColor &color);
    void setActiveColors(bool active);
    void showError(TCalcRegister &reg);
    Field *targetField() const;
    TShapeBtn *buttonForKey(const QKeyEvent *event) const;
};
