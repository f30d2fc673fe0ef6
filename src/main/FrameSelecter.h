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
class QToolButton;
class Query;
class TSelecterModel;
class TChoicePanel;

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
    // Reports a code typed into a slip field as if it had been chosen.
    void ChooseCode(int code, const QString &name, const QDate &date);
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
    // The tile size: at least 2 pixels wide; rows and columns at least 1.
    void SetPanelWidth(int width);
    int GetPanelWidth() const { return m_tileWidth; }
    void SetRowHeight(int height);
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
    bool ShowCodes = false;
    int RowHeight = 25;
    bool Choosing = false;
    ChooseHandler OnChoose;
    std::function<void()> OnWriteModeChange;

    QLabel *BvlLbTitle = nullptr;
    QButtonGroup *RGKakiKata = nullptr;
    QToolButton *SpBtnAll = nullptr;
    QLineEdit *EditAssist = nullptr;
    QListView *DBCtlGridSelecter = nullptr;
    TChoicePanel *PnlTuika = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyTileSize();
    void reload(bool force);
    Query *query() const;

    TSelecterModel *m_model = nullptr;
    int m_tileWidth = 150;
    int m_openCount = 0;
    bool m_settingText = false;
};
