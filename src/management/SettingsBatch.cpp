#include "management/SettingsBatch.h"

#include "platform/settings/MemIniFile.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

TSettingsBatch::TSettingsBatch(MemIniFile &ini) : m_ini(ini) {}

void TSettingsBatch::setString(const QString &section, const QString &key, const QString &value)
{
    m_values.append({section, key, value});
}

void TSettingsBatch::setInteger(const QString &section, const QString &key, int value)
{
    setString(section, key, QString::number(value));
}

void TSettingsBatch::setBool(const QString &section, const QString &key, bool value)
{
    setString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TSettingsBatch::setFloat(const QString &section, const QString &key, double value)
{
    setString(section, key, QString::number(value, 'g', 15));
}

bool TSettingsBatch::commit()
{
    if (m_values.isEmpty())
        return true;
    struct Old
    {
        bool existed;
        QString text;
    };
    QList<Old> old;
    for (const Value &v : m_values)
        old.append({m_ini.valueExists(v.section, v.key), m_ini.readString(v.section, v.key, QString())});
    try {
        for (const Value &v : m_values)
            m_ini.writeString(v.section, v.key, v.text);
        m_ini.updateFile();
    } catch (const Exception &e) {
        // The store in memory goes back to what the file still holds.
        for (qsizetype i = m_values.size() - 1; i >= 0; --i) {
            try {
                if (old.at(i).existed)
                    m_ini.writeString(m_values.at(i).section, m_values.at(i).key, old.at(i).text);
                else
                    m_ini.deleteKey(m_values.at(i).section, m_values.at(i).key);
            } catch (const Exception &) {
                // The file could not be written a moment ago either; memory is
                // set back all the same.
            }
        }
        MessageDlg(QStringLiteral("設定を保存できませんでした。\r") + e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}
