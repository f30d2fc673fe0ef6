#pragma once

#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The text of an INI file held in memory: sections of key=value lines, in the
// order they were first seen, with section and key names matched without regard
// to case (the first spelling is kept).
//
// Parsing never fails: a damaged file is read as far as it goes. Lines outside a
// section, lines without "=", comment lines (";" or "#") are passed over; bytes that
// are not UTF-8 become U+FFFD; of a key given twice the first wins; a section given
// twice is one section.
//
// Names and values are written with backslash escapes (\\ \n \r, and \= \[ \] \; \#
// \s where a name needs them), so any text read back is the text written, including
// keys made of a user's book name. An unknown escape stays as it stands, so a
// hand-written Windows path keeps its backslashes.
class IniDocument
{
public:
    void parse(const QByteArray &bytes);
    QByteArray serialize() const;

    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;
    std::optional<QString> value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);

    QStringList sections() const;
    // Keys of the section in file order; empty for a missing section.
    QStringList keys(const QString &section) const;
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);
    void clear();

private:
    struct Entry
    {
        QString key;
        QString value;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
        QHash<QString, qsizetype> index; // folded key -> position in entries
    };

    static QString fold(const QString &name) { return name.toCaseFolded(); }
    const Section *find(const QString &section) const;
    Section *find(const QString &section);
    Section &findOrAdd(const QString &section);
    void reindex();

    QList<Section> m_sections;
    QHash<QString, qsizetype> m_index; // folded section name -> position
};
