#pragma once

#include <QList>
#include <QStringList>

// A dictionary of equivalent texts: each entry lists strings that count as the
// same text.
using TREDictionary = QList<QStringList>;

// The fuzzy-character dictionary: full-width and half-width forms, case, kanji
// and circled numerals, hiragana, katakana and half-width katakana, voiced
// marks written separately. Built on first use, shared and only read.
const TREDictionary &FuzzyCharDic();

// Splits a comma text: a comma separates items, an item in double quotes may
// hold commas and spaces (a doubled quote inside is one quote), a trailing comma
// adds an empty item.
QStringList SplitCommaText(const QString &text);
