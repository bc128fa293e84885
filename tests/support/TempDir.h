#pragma once

#include <QDir>
#include <QTemporaryDir>

// A temporary directory that is also the current directory while it lives, as the program expects
// Device.db and Device.ini in the current directory.
class TempWorkDir {
public:
    TempWorkDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
