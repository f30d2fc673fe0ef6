#pragma once

#include <cstdint>
#include <functional>

#include <QDate>
#include <QFrame>
#include <QList>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;
class TMyCalendar;
class Query;
class TSelecterModel;
class TChoicePanel;
class TSelecterHeader;

// The kinds that choose a date in a month calendar rather than from a list.
inline bool isCalendarKind(int kind)
{
    return (kind >= 3 && kind <= 6) || kind == 20;
}

// The choices of the column being edited on a journal page, as tiles beside
// the detail grid: categories, accounts, items, shops, persons, tax
// treatments or the scheduled flag. A click (or Enter) hands the choice to
// the owner, which writes it by the write mode (閲覧 writes nothing, 自動,
// 追加, 変更, 改行) and 一括 (every line).
//
// Each list is an SQL text in the book's local dialect, run in the data
// module's shared SelecterSql; the query is reopened only when the text
// changes, so moving between lines of one column costs nothing. Typing into
// the filter box narrows the list to the choices whose name contains the
// text (or, with ShowCodes and a number, whose code starts with it).
class TFrameSelecter : public QFrame
{
    Q_OBJECT
public:
    using ChooseHandler = std::function<void(TFrameSelecter *sender, int code, Qt::KeyboardModifiers shift, int key,
                                             bool allLines, int writeMode, const QDate &date, const QString &name)>;

    explicit TFrameSelecter(QWidget *parent = nullptr);
    ~TFrameSelecter() override;

    // The SQL lines of a list kind; empty for a kind without a list. filter
    // is the typed text (empty: the plain list).
    static QStringList BuildListSql(int kind, int code, int pageKind, const QString &filter, bool showCodes);
    static bool KindHasList(int kind);

    // Shows the list of a kind for a category (or the account to leave out).
    void ShowList(int kind, int code, int pageKind, bool force);
    void CloseList();
    void SetWriteMode(int mode);
    // The filter box's text; the list is rebuilt at once.
    void SetAssistText(const QString &text);
    // Switches the typed filter off (clears it, the whole list comes back)
    // or on with the text the owner put into AssistText.
    void SetAssist(bool on);
    // Alt in a line list: a narrowed list comes back whole, otherwise the list
    // narrows to the text of the line's cell. Nothing over the calendar, and
    // an empty cell has nothing to narrow by.
    void ToggleAssist(const QString &cellText);
    // Reports a code typed into a slip field as if it had been chosen.
    void ChooseCode(int code, const QString &name, const QDate &date);
    // A choice from the item or shop sub-list window of this selector.
    void ChooseFromSubList(int code, const QString &name, Qt::KeyboardModifiers shift, int key);
    // The month calendar of a date kind in place of the list. A year or
    // month of 0 does not open it.
    void ShowCalendar(int kind, int year, int month, int closingMonth, int yearShift, int closingDay, int monthShift,
                      const QDate &periodStart, const QDate &periodEnd, const QDate &date);
    // Moves the calendar to a date, unless a choice is being written.
    void ShowDate(const QDate &date);
    // The sub-list window for the current item or shop choice; hidden when
    // the list is empty or the row has no code.
    void ShowSubList();
    // The choice menu: 1 delete, 2 copy, 3 move the listed choices of the
    // category. True when something was changed.
    bool RunChoiceOperation(int operation);
    // The choice menu may be offered: an unfiltered item or shop list of a category.
    bool MenuAllowed() const;
    // Reports the current tile (or row) as a choice.
    void Choose(Qt::KeyboardModifiers shift, int key);
    // The mode a choice passes: a filtered list never appends, so 自動 and 追加 act as 改行.
    int EffectiveWriteMode() const;
    bool AllLinesDown() const;
    void SetAllLines(bool down);
    // Positions the list on a row; false when the list has no such row.
    bool LocateCode(int code);
    bool LocateName(const QString &name);
    int GetChoiceCode() const;
    QString GetChoiceName() const;
    int choiceCount() const;
    // Code (-1 when the row has none) and name of a row of the list.
    int choiceCodeAt(int row) const;
    QString choiceNameAt(int row) const;
    // The tile size: at least 2 pixels wide; rows and columns at least 1.
    void SetPanelWidth(int width);
    int GetPanelWidth() const { return m_tileWidth; }
    void SetRowHeight(int height);
    // A press on the header: -1 one tile row fewer, +1 one more (refused
    // when the tiles would be lower than 10 pixels), 0 neither. False when
    // the row could not be added.
    bool ChangeRowCount(int zone);
    int tileColumns() const;
    int tileRows() const;
    // The text a tile shows for a row (the code first with ShowCodes).
    QString tileText(int code, const QString &name) const;
    // How often the list query was (re)opened.
    int listOpenCount() const { return m_openCount; }

    uint8_t SelectorKind = 7;
    uint8_t WriteMode = 0;
    int ListCode = -1;
    uint8_t PageKind = 2;
    QString AssistText;
    bool FilteredList = false;
    bool CalendarShown = false;
    bool ShowCodes = false;
    int RowHeight = 25;
    bool Choosing = false;
    ChooseHandler OnChoose;
    std::function<void()> OnWriteModeChange;
    // The calendar's period of a (year, month) and the month of a date, by the owner's closing rules.
    std::function<void(int year, int month, int &simeBi, QDate &start, QDate &end)> OnCalcDateRange;
    std::function<void(const QDate &date, int &year, int &month, int &simeBi, QDate &start, QDate &end)>
        OnCalcDateGetudo;
    // The tile sizes changed by the user (the owner stores them).
    std::function<void()> OnPanelSizeChange;

    QLabel *BvlLbTitle = nullptr;
    QButtonGroup *RGKakiKata = nullptr;
    QToolButton *SpBtnAll = nullptr;
    QLineEdit *EditAssist = nullptr;
    QToolButton *FrBtnFuku = nullptr;
    QToolButton *FrBtnMenu = nullptr;
    QMenu *PopMenuList = nullptr;
    TSelecterHeader *HeadCtlSelecter = nullptr;
    QListView *DBCtlGridSelecter = nullptr;
    QWidget *PnlCalender = nullptr;
    TMyCalendar *MyCalendar = nullptr;
    TChoicePanel *PnlTuika = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyTileSize();
    void reload(bool force);
    void reportChoice(int code, const QString &name, const QDate &date, Qt::KeyboardModifiers shift, int key);
    void hideCalendar();
    void updateButtons();
    Query *query() const;

    TSelecterModel *m_model = nullptr;
    int m_tileWidth = 150;
    int m_openCount = 0;
    bool m_settingText = false;
};
