#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

// The settings file of the program, Device.ini in the current directory (QSettings, INI format), seen
// through one section: every window keeps its properties in the section named after its class.
//
// A file that cannot be read or parsed is the caller's business: isReadable() and status() say so,
// and values then read as their defaults.
class FormSettings {
public:
    static QString defaultFileName() { return QStringLiteral("Device.ini"); }

    explicit FormSettings(const QString& section, const QString& fileName = defaultFileName());
    ~FormSettings();
    FormSettings(const FormSettings&) = delete;
    FormSettings& operator=(const FormSettings&) = delete;

    const QString& section() const { return m_section; }
    QString fileName() const { return m_settings.fileName(); }

    bool isReadable() const { return m_settings.status() == QSettings::NoError; }
    QSettings::Status status() const { return m_settings.status(); }

    bool contains(const QString& key) const;
    QVariant value(const QString& key, const QVariant& defaultValue = {}) const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Every key of the section starting with `prefix`.
    void removePrefix(const QString& prefix);
    // Writes pending values to the file now (also done on destruction).
    void sync();

    // The underlying settings, positioned in the section (for helpers written against QSettings).
    QSettings& settings() { return m_settings; }

private:
    QString m_section;
    QSettings m_settings;
};
