#pragma once

#include <QString>
#include <QStringList>

#include "management/Ver1Table.h"

// The first version's data folder read whole: its eleven tables and the
// settings the conversion takes from "PomuNuro.ini". Reading everything before
// a new book is made means a damaged table stops the conversion with nothing
// made yet.
class Ver1Data
{
public:
    // The eleven tables every first-version folder holds, in the order the
    // folder check looks for them.
    static const QStringList RequiredFiles;
    static const QString SettingsFileName; // "PomuNuro.ini"

    // The first required file missing from folder, or an empty text.
    static QString MissingFile(const QString &folder);

    // Reads every table and the settings; throws EVer1DataError naming the
    // first file that is missing or cannot be read.
    static Ver1Data read(const QString &folder);

    QString folder;
    Ver1Table zei;        // "消費税率.db"
    Ver1Table deruBunrui; // "支出分類名.db"
    Ver1Table iriBunrui;  // "収入分類名.db"
    Ver1Table hinmei;     // "品名.db"
    Ver1Table person;     // "購入者.db"
    Ver1Table shop;       // "店名.db"
    Ver1Table kondate;    // "献立.db"
    Ver1Table deruData;   // "支出データ.db"
    Ver1Table iriData;    // "収入データ.db"
    Ver1Table deruYosan;  // "支出予算.db"
    Ver1Table iriYosan;   // "収入予算.db"
    // Section "設定" of the settings file; empty when the file or key is missing.
    QString taxCalc;      // "消費税計算"
    QString iriSimebi;    // "収入締め日"
    QString deruSimebi;   // "支出締め日"

    // The category table of a kind (1 income, 2 expense) and its data table.
    const Ver1Table &bunrui(int kind) const { return kind == 1 ? iriBunrui : deruBunrui; }
    const Ver1Table &data(int kind) const { return kind == 1 ? iriData : deruData; }
};
