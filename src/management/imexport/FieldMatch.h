#pragma once

#include <array>

#include <QString>
#include <QStringList>

#include "management/imexport/CodeConvert.h"

class TImportRun;

// The field matching of a delimited file: which column feeds which journal
// field, the file's options, and the saved matching file (".pfm").

// The targets a column may be given, in the order of the pick list.
inline const QStringList kMatchTargets{
    QStringLiteral("未使用"),   QStringLiteral("日付"),     QStringLiteral("伝票番号"),     QStringLiteral("行番号"),
    QStringLiteral("費目"),     QStringLiteral("入金先(借方)"), QStringLiteral("出金元(貸方)"), QStringLiteral("金額"),
    QStringLiteral("借方金額"), QStringLiteral("貸方金額"), QStringLiteral("数量"),         QStringLiteral("品名"),
    QStringLiteral("店名"),     QStringLiteral("使用者"),   QStringLiteral("税扱い"),       QStringLiteral("借方税扱"),
    QStringLiteral("貸方税扱")};
// The ImportColumnMap slot of a target (by its name); -1 for 未使用 or another text.
int TargetSlot(const QString &target);

// Option lists and the characters they stand for.
inline const QStringList kKugiriItems{QStringLiteral("カンマ"), QStringLiteral("タブ"), QStringLiteral("ピリオド"),
                                      QStringLiteral("スペース")};
inline const QStringList kKakoiItems{QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("なし")};
inline const QStringList kThousandItems{QStringLiteral("なし"), QStringLiteral(","), QStringLiteral(".")};
inline const QStringList kCurrencyItems{QStringLiteral("なし"), QStringLiteral("\\ (円)"), QStringLiteral("$ (ドル)"),
                                        QStringLiteral("* (その他)")};
QChar KugiriChar(int index);
QChar KakoiChar(int index);
QChar ThousandChar(int index);
QChar CurrencyChar(int index);

// Everything a matching holds; what a .pfm file keeps.
struct TFieldMatching
{
    int RGrpFieldName = 0; // 0 なし, 1 あり
    int RGrpKugiri = 0;
    int RGrpKakoi = 0;
    int CmbBoxDate = 0;
    int CmbBoxThousand = 0;
    int CmbBoxCurrencyString = 0;
    QStringList Keys;    // one per column
    QStringList Targets; // the chosen target of each column
    TConvertPearArray MatchList; // the conversion list (the category converter's entries)
    QStringList ZeiKeyWord;
    QString AiteName;

    // Slots from the targets: the first column given each target.
    std::array<int, 23> Slots() const;
    // The check before reading: empty when the targets may be read, else the
    // message that refuses them.
    QString Check() const;
    // Hands options and slots to the run; the expected count is the number of columns.
    void ApplyTo(TImportRun &run) const;
    // Rows of the matching file: key, "=" and target, cut to 40 characters.
    QStringList RowData() const;
};

// Saves and loads a matching file. Save gives an empty text or the reason it
// failed; Load gives false (and leaves matching as it was) for any file it
// cannot read.
QString SaveMatchingFile(const QString &fileName, const TFieldMatching &matching);
bool LoadMatchingFile(const QString &fileName, TFieldMatching &matching);

// The conversion list into the category converter: every entry with code -1
// (found again by its converted name at save), 諸口 with 99, entry 0 blank.
void LoadMatchList(THimokuConvert &convert, const TConvertPearArray &list);
