#include "app/PlantFiles.h"

#include "text/StrList.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <optional>

namespace {
const QString kKey = QStringLiteral("Database/Recent");
std::optional<QString> scriptedChoice;

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
} // namespace

namespace PlantFiles {

QStringList recent(const QString& settingsFile)
{
    const QSettings settings(settingsFile, QSettings::IniFormat);
    QStringList paths;
    for (const QString& path : settings.value(kKey).toStringList())
        if (!path.trimmed().isEmpty() && !paths.contains(absolute(path)) && paths.size() < kRecentCount)
            paths.append(absolute(path));
    return paths;
}

void remember(const QString& settingsFile, const QString& path)
{
    QStringList paths = recent(settingsFile);
    paths.removeAll(absolute(path));
    paths.prepend(absolute(path));
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.setValue(kKey, paths.mid(0, kRecentCount));
}

void forget(const QString& settingsFile, const QString& path)
{
    QStringList paths = recent(settingsFile);
    if (paths.removeAll(absolute(path)) == 0)
        return;
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.setValue(kKey, paths);
}

QString choose(QWidget* parent, const QString& folder)
{
    if (scriptedChoice) {
        const QString path = *scriptedChoice;
        scriptedChoice.reset();
        return path;
    }
    return QFileDialog::getOpenFileName(parent, withoutAccelerator(Text(Str::OpenDatabaseCaption)), folder,
                                        Text(Str::OpenDatabaseFilter));
}

void setNextChoice(const QString& path) { scriptedChoice = path; }

} // namespace PlantFiles
