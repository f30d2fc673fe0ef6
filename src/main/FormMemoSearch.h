#pragma once

#include <QDate>
#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class TAWKStr;
class TFrameBtn;
class TFrameMemoList;

// The diary search (日記検索): a window beside the diary page that lists
// every day whose text holds the search text, newest first, either exactly or
// (あいまい検索) through the pattern engine with the fuzzy-character
// dictionary. Clicking a day shows it on the diary page with the first match
// selected.
class TFormMemoSearch : public QWidget
{
    Q_OBJECT
public:
    // The size of the list's text column: a preview is cut at this many
    // characters.
    static constexpr int MemoStringSize = 255;

    explicit TFormMemoSearch(TFrameMemoList *diary);
    ~TFormMemoSearch() override;

    QLineEdit *EditSearch = nullptr;
    TFrameBtn *FrBtnPrePayed = nullptr;
    QCheckBox *ChkBoxFuzzy = nullptr;
    QTableWidget *MyDbGridMeisai = nullptr;
    QLabel *LbHint = nullptr;
    TAWKStr *AWKStr1 = nullptr;

    struct Hit
    {
        int DATANO = 0;
        QDate RECDATE;
        QString MEMOString;
    };
    const QList<Hit> &hits() const { return m_hits; }

    // Runs the search with the text and mode as they stand.
    void Search();
    // Shows the day of a listed row on the diary page and selects the match.
    void Jump(int row);
    // Whether a day's text passes the filter of the current search.
    bool Accepts(const QString &memo) const;

    // The list's preview of a text: cut at MemoStringSize characters (never
    // inside a surrogate pair), trimmed of blanks and control characters.
    static QString PreviewText(const QString &memo);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillGrid();

    TFrameMemoList *m_diary;
    QList<Hit> m_hits;
    QString m_searchText;
    bool m_fuzzy = false;
    bool m_pending = false;
};
