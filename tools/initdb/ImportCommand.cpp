#include "ImportCommand.h"

#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "data/SqlConnection.h"
#include "devices/import/DeviceImport.h"
#include "devices/import/TableSource.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

bool namesServer(const QString& target)
{
    return target.startsWith(QLatin1String("postgres://")) || target.startsWith(QLatin1String("postgresql://")) ||
           target.contains(QLatin1Char('='));
}

} // namespace

int ImportCommand::usage(const QString& problem)
{
    m_err << QStringLiteral("Ошибка: ") << problem << Qt::endl
          << QStringLiteral("Использование: instrel-initdb --import-devices ФАЙЛ БАЗА [--create-missing] "
                            "[--update-existing] [--check] [--sheet N] [--header-row N] [--separator ;|,|tab] "
                            "[--report ОТЧЁТ.csv]")
          << Qt::endl;
    return Usage;
}

int ImportCommand::fail(const QString& text)
{
    m_err << QStringLiteral("Ошибка: ") << text << Qt::endl;
    return Failure;
}

int ImportCommand::run(const QStringList& arguments)
{
    QStringList positional;
    ImportOptions options;
    TableSourceOptions source;
    QString reportFile;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const auto valueOf = [&](QString& value) {
            if (i + 1 >= arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };
        QString value;
        if (a == QLatin1String("--create-missing")) {
            options.createMissing = true;
        } else if (a == QLatin1String("--update-existing")) {
            options.updateExisting = true;
        } else if (a == QLatin1String("--check")) {
            options.dryRun = true;
        } else if (a == QLatin1String("--report")) {
            if (!valueOf(reportFile))
                return usage(QStringLiteral("после --report нужен файл"));
        } else if (a == QLatin1String("--sheet") || a == QLatin1String("--header-row")) {
            bool ok = false;
            const int n = valueOf(value) ? value.toInt(&ok) : 0;
            if (!ok || n < 1)
                return usage(QStringLiteral("после %1 нужно число от 1").arg(a));
            (a == QLatin1String("--sheet") ? source.sheet : source.headerRow) = a == QLatin1String("--sheet") ? n - 1 : n;
        } else if (a == QLatin1String("--separator")) {
            if (!valueOf(value) || (value != QLatin1String(";") && value != QLatin1String(",") &&
                                    value != QLatin1String("tab")))
                return usage(QStringLiteral("разделитель: «;», «,» или tab"));
            source.separator = value == QLatin1String("tab") ? QLatin1Char('\t') : value.at(0);
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("неизвестный параметр «%1»").arg(a));
        } else {
            positional.append(a);
        }
    }
    if (positional.size() != 2)
        return usage(QStringLiteral("ожидаются файл с устройствами и база данных"));
    const QString& file = positional[0];
    const QString& target = positional[1];
    if (!namesServer(target) && !QFileInfo::exists(target))
        return fail(QStringLiteral("базы данных «%1» нет.").arg(target));

    QString error;
    auto rows = openTableSource(file, source, error);
    QStringList header;
    if (!rows || !DeviceImport::readHeader(*rows, source.headerRow, header, error))
        return fail(error);
    ImportMapping mapping(header);
    QSettings settings(QStringLiteral("Device.ini"), QSettings::IniFormat);
    mapping.restore(settings);
    if (!mapping.unmappedColumns().isEmpty())
        m_out << QStringLiteral("Не импортируются столбцы: ") << mapping.unmappedColumns().join(QStringLiteral(", "))
              << Qt::endl;

    SqlConnection connection;
    if (namesServer(target))
        connection.setServer(target);
    else
        connection.setDatabaseFile(QFileInfo(target).absoluteFilePath());
    ImportResult result;
    try {
        result = DeviceImport(connection, mapping, options).run(*rows);
        connection.close();
    } catch (const DatabaseError& e) {
        return fail(e.message());
    }
    for (const ImportIssue& issue : result.issues)
        m_out << QStringLiteral("Строка %1, «%2»: %3%4")
                     .arg(issue.row)
                     .arg(issue.column, issue.reason, issue.refused ? QString() : QStringLiteral(" — пропущено"))
              << Qt::endl;
    for (const QString& created : result.created)
        m_out << QStringLiteral("Добавлено в список: ") << created << Qt::endl;
    if (!reportFile.isEmpty()) {
        QFile report(reportFile);
        if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(QStringLiteral("отчёт «%1» не записан: %2").arg(reportFile, report.errorString()));
        DeviceImport::writeReport(result.issues, report);
    }
    if (!result.error.isEmpty())
        return fail(DeviceImport::summary(result));
    m_out << DeviceImport::summary(result) << Qt::endl;
    return result.refused > 0 ? RowsRefused : Success;
}
