#include "app/Skins.h"

#include "app/DataFolders.h"

#include "data/MessageService.h"
#include "text/StrList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString Skins::defaultDirectory() { return DataFolders::locate(QStringLiteral("skins")); }

Skins::Skins(const QString& directory) : m_directory(directory) {}

bool Skins::directoryExists() const { return QFileInfo(m_directory).isDir(); }

QStringList Skins::names() const
{
    if (!directoryExists())
        return {};
    const QFileInfoList files = QDir(m_directory).entryInfoList({QStringLiteral("*.qss")}, QDir::Files | QDir::Readable,
                                                                QDir::Name | QDir::IgnoreCase);
    QStringList result;
    for (const QFileInfo& file : files)
        result.append(file.completeBaseName());
    return result;
}

QString Skins::fileOf(const QString& name) const
{
    return QDir(m_directory).absoluteFilePath(name + QStringLiteral(".qss"));
}

bool Skins::apply(const QString& name)
{
    QString sheet;
    QFile file(fileOf(name));
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            Messages::error(FormatText(Str::SkinCannotRead, QDir::toNativeSeparators(file.fileName()), file.errorString()));
            return false;
        }
        sheet = QString::fromUtf8(file.readAll());
    } else if (name.compare(neutralName(), Qt::CaseInsensitive) != 0) {
        Messages::error(FormatText(Str::SkinNotFound, QDir::toNativeSeparators(file.fileName())));
        return false;
    }
    // Neutral without a sheet of its own is the platform's plain look.
    qApp->setStyleSheet(sheet);
    m_current = name;
    return true;
}
