#pragma once

#include <QList>
#include <QString>

class MemIniFile;

// The values one dialog stores, written to its settings file together: either
// every value reaches the disk or none stays changed. A write that fails puts
// the old values back in the store, tells the user why, and commit() gives
// false, so the program's own copies are set only after a commit that held.
class TSettingsBatch
{
public:
    explicit TSettingsBatch(MemIniFile &ini);

    void setString(const QString &section, const QString &key, const QString &value);
    void setInteger(const QString &section, const QString &key, int value);
    void setBool(const QString &section, const QString &key, bool value);
    void setFloat(const QString &section, const QString &key, double value);

    bool isEmpty() const { return m_values.isEmpty(); }
    // Writes the values and the file; false after a failure (already shown).
    bool commit();

private:
    struct Value
    {
        QString section, key, text;
    };
    MemIniFile &m_ini;
    QList<Value> m_values;
};
