#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool installQtTranslations(int language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
    if (language == 0 || !QCoreApplication::instance())
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // qtbase holds the texts of the widgets, dialogs and print support the program uses.
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        qWarning("Qt's Russian translations are not installed (qt6-translations-l10n): Qt's dialogs speak English.");
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
