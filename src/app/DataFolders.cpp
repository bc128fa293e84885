#include "app/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef INSTREL_DATA_FROM_BIN
#define INSTREL_DATA_FROM_BIN "../share/instrel"
#endif

namespace {
QString installedOverride;
}

namespace DataFolders {

QString installed()
{
    if (!installedOverride.isEmpty())
        return installedOverride;
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (program.isEmpty())
        return {};
    return QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(INSTREL_DATA_FROM_BIN));
}

void setInstalledForTests(const QString& folder) { installedOverride = folder; }

QStringList candidates(const QString& relativePath)
{
    QStringList places{QDir::current().absoluteFilePath(relativePath)};
    const QString data = installed();
    if (!data.isEmpty()) {
        const QString there = QDir(data).absoluteFilePath(relativePath);
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
