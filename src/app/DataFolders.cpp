#include "app/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef INSTREL_DATA_FROM_BIN
#define INSTREL_DATA_FROM_BIN "../share/instrel"
#endif

namespace {
QString installedOverride;

QString programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

// The system's data folders in XDG order; its default when unset.
QStringList systemDataFolders()
{
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS").trimmed();
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders;
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            folders.append(QDir(dir).filePath(QStringLiteral("instrel")));
    folders.append(QStringLiteral("/usr/share/instrel"));
    return folders;
}
} // namespace

namespace DataFolders {

QString installed()
{
    if (!installedOverride.isEmpty())
        return installedOverride;
    const QString program = programFolder();
    if (program.isEmpty())
        return {};
    return QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(INSTREL_DATA_FROM_BIN));
}

void setInstalledForTests(const QString& folder) { installedOverride = folder; }

QStringList candidates(const QString& relativePath)
{
    QStringList folders{QDir::currentPath(), programFolder(), installed()};
    folders += systemDataFolders();
    QStringList places;
    for (const QString& folder : std::as_const(folders)) {
        if (folder.isEmpty())
            continue;
        const QString there = QDir::cleanPath(QDir(folder).absoluteFilePath(relativePath));
        if (!places.contains(there))
            places.append(there);
    }
    return places;
}

QString locate(const QString& relativePath)
{
    const QStringList places = candidates(relativePath);
    for (const QString& place : places)
        if (QFileInfo::exists(place))
            return place;
    return places.first();
}

} // namespace DataFolders
