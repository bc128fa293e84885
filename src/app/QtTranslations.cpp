#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
// Qt's Russian catalogue leaves a few words of its dialogs in English: the OK button of every dialog
// and message box, and the type of a folder in the save dialog.
class MissingRussianTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char*, const char* sourceText, const char*, int) const override
    {
        static const QHash<QByteArray, QString> texts = {{"OK", QStringLiteral("ОК")}, {"Folder", QStringLiteral("Папка")}};
        return texts.value(QByteArray(sourceText));
    }
    bool isEmpty() const override { return false; }
};

QPointer<QTranslator> installedQt;
QPointer<QTranslator> installedMissing;

void removeInstalled()
{
    for (QPointer<QTranslator>* translator : {&installedQt, &installedMissing})
        if (*translator) {
            QCoreApplication::removeTranslator(*translator);
            delete translator->data();
        }
}
} // namespace

bool installQtTranslations(int language)
{
    removeInstalled();
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
    installedQt = translator;
    // Asked before Qt's own catalogue, as the one installed last.
    installedMissing = new MissingRussianTexts(QCoreApplication::instance());
    QCoreApplication::installTranslator(installedMissing);
    return true;
}
