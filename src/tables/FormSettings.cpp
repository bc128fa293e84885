#include "tables/FormSettings.h"

#include <QDir>

FormSettings::FormSettings(const QString& section, const QString& fileName)
    : m_section(section), m_settings(QDir::current().absoluteFilePath(fileName), QSettings::IniFormat)
{
    m_settings.beginGroup(section);
}

FormSettings::~FormSettings()
{
    m_settings.endGroup();
}

bool FormSettings::contains(const QString& key) const { return m_settings.contains(key); }

QVariant FormSettings::value(const QString& key, const QVariant& defaultValue) const
{
    return m_settings.value(key, defaultValue);
}

void FormSettings::setValue(const QString& key, const QVariant& value) { m_settings.setValue(key, value); }

void FormSettings::remove(const QString& key) { m_settings.remove(key); }

void FormSettings::removePrefix(const QString& prefix)
{
    for (const QString& key : m_settings.allKeys())
        if (key.startsWith(prefix))
            m_settings.remove(key);
}

void FormSettings::sync() { m_settings.sync(); }
