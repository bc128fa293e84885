#include "app/LanguageChoice.h"

#include "app/QtTranslations.h"
#include "text/StrList.h"

#include <QSettings>

namespace {
const QString kKey = QStringLiteral("TMainForm/Language");
}

namespace LanguageChoice {

int stored(const QString& settingsFile)
{
    const QString code = QSettings(settingsFile, QSettings::IniFormat).value(kKey).toString().trimmed().toLower();
    if (code == QLatin1String("en"))
        return 0;
    if (code == QLatin1String("ru"))
        return 1;
    return -1;
}

void store(const QString& settingsFile, int language)
{
    QSettings(settingsFile, QSettings::IniFormat).setValue(kKey, language == 0 ? QStringLiteral("en") : QStringLiteral("ru"));
}

void apply(int language)
{
    setLanguageIndex(language);
    installQtTranslations(languageIndex());
}

void applyStored(const QString& settingsFile)
{
    if (const int language = stored(settingsFile); language >= 0)
        apply(language);
}

} // namespace LanguageChoice
