#include "data/DatabaseChoice.h"

#include <QRegularExpression>
#include <QSettings>

namespace DatabaseChoice {

namespace {
const QString kOption = QStringLiteral("--database=");
}

QString serverOfArguments(const QStringList& arguments)
{
    QString chosen;
    // The last one given wins, as with most programs' options.
    for (const QString& argument : arguments.mid(1))
        if (argument.startsWith(kOption))
            chosen = argument.mid(kOption.size()).trimmed();
    return chosen;
}

QString serverOfSettings(const QString& settingsFile)
{
    const QSettings settings(settingsFile, QSettings::IniFormat);
    return settings.value(QStringLiteral("Database/Connection")).toString().trimmed();
}

QString serverOf(const QStringList& arguments, const QString& settingsFile)
{
    const QString given = serverOfArguments(arguments);
    return given.isEmpty() ? serverOfSettings(settingsFile) : given;
}

QString shownName(const QString& connectionString)
{
    static const QRegularExpression keyword(
        QStringLiteral(R"((^|\s)password\s*=\s*('(?:[^'\\]|\\.)*'?|\S*)\s*)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uriUser(QStringLiteral(R"(^(postgres(?:ql)?://[^:/@?]*):[^@/?]*@)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uriParameter(QStringLiteral(R"(([?&])password=[^&]*&?)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QString shown = connectionString.trimmed();
    if (uriUser.match(shown).hasMatch() || shown.startsWith(QStringLiteral("postgres"), Qt::CaseInsensitive)) {
        shown.replace(uriUser, QStringLiteral("\\1@"));
        shown.replace(uriParameter, QStringLiteral("\\1"));
        if (shown.endsWith(QLatin1Char('?')) || shown.endsWith(QLatin1Char('&')))
            shown.chop(1);
        return shown;
    }
    shown.replace(keyword, QStringLiteral("\\1"));
    return shown.trimmed();
}

} // namespace DatabaseChoice
