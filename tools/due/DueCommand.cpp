#include "DueCommand.h"

#include "data/DatabaseError.h"
#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "devices/rules/DueList.h"
#include "devices/rules/DueRule.h"
#include "tables/GridSnapshot.h"
#include "tables/SaveSelectedRows.h"
#include "tables/export/TextExporter.h"
#include "text/StrList.h"

#include <QBuffer>
#include <numeric>
#include <sqlite3.h>

namespace {

constexpr int kMaxDays = 3650;
constexpr int kParsed = -1;

bool isHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

GridSnapshot snapshotOf(const DatasetModel& model)
{
    std::vector<int> columns(size_t(model.columnCount()));
    std::iota(columns.begin(), columns.end(), 0);
    std::vector<int> rows(size_t(model.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return GridSnapshot(&model, std::move(columns), std::move(rows));
}

} // namespace

int DueCommand::run(const QStringList& arguments)
{
    if (arguments.size() == 1 && isHelp(arguments[0])) {
        m_out << messageText(Text(Str::DueUsage)) << Qt::endl;
        return NothingDue;
    }
    Options options;
    const int parsed = parse(arguments, options);
    if (parsed != kParsed)
        return parsed;
    try {
        return list(options);
    } catch (const DatabaseError& e) {
        return fail(e.message());
    }
}

int DueCommand::parse(const QStringList& arguments, Options& options)
{
    bool databaseGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")) && !databaseGiven) {
            options.database = argument;
            databaseGiven = true;
            continue;
        }
        const bool takesValue = argument == QLatin1String("--within") || argument == QLatin1String("--csv") ||
                                argument == QLatin1String("--xlsx");
        if (!takesValue)
            return usage(FormatText(Str::DueUnknownOption, argument));
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
            return usage(FormatText(Str::DueMissingValue, argument));
        const QString value = arguments[++i];
        if (argument == QLatin1String("--within")) {
            bool ok = false;
            options.days = value.toInt(&ok);
            if (!ok || options.days < 0 || options.days > kMaxDays)
                return usage(FormatText(Str::DueBadDays, value));
        } else if (argument == QLatin1String("--csv")) {
            options.csvFile = value;
        } else {
            options.xlsxFile = value;
        }
    }
    return kParsed;
}

int DueCommand::list(const Options& options)
{
    SqlConnection connection;
    connection.setDatabaseFile(options.database);
    connection.open();
    // Nothing this tool runs may change the file, whatever a statement turns out to do.
    sqlite3_exec(connection.handle(), "pragma query_only = 1", nullptr, nullptr, nullptr);

    const QDate today = Clock::today();
    const DueList due(connection, today, options.days);
    const auto dataset = due.open();
    DatasetModel model(dataset.get());
    const GridSnapshot grid = snapshotOf(model);

    QString error;
    if (!options.csvFile.isEmpty() && !exportGridToFile(grid, options.csvFile, ExportFormat::Csv, &error))
        return fail(FormatText(Str::DueNotWritten, options.csvFile, error));
    if (!options.xlsxFile.isEmpty() && !exportGridToFile(grid, options.xlsxFile, ExportFormat::Excel, &error))
        return fail(FormatText(Str::DueNotWritten, options.xlsxFile, error));

    if (grid.rowCount() > 0) {
        QByteArray table;
        QBuffer buffer(&table);
        buffer.open(QIODevice::WriteOnly);
        TextExporter().write(grid, buffer);
        m_out << QString::fromUtf8(table);
    }
    qint64 overdue = 0;
    for (int row = 0; row < dataset->recordCount(); ++row)
        if (DueRule::stateOf(dataset->valueAt(row, dataset->fieldIndex(QStringLiteral("NextRep"))).toDateTime(),
                             today, options.days) == DueRule::State::Overdue)
            ++overdue;
    const qint64 dueSoon = dataset->recordCount() - overdue;
    m_out << (options.days == DueRule::Off ? FormatText(Str::DueSummaryOverdue, overdue)
                                           : FormatText(Str::DueSummary, overdue, options.days, dueSoon))
          << Qt::endl;
    return dataset->isEmpty() ? NothingDue : SomethingDue;
}

int DueCommand::usage(const QString& problem)
{
    m_err << FormatText(Str::DueError, problem) << Qt::endl << messageText(Text(Str::DueUsage)) << Qt::endl;
    return Usage;
}

int DueCommand::fail(const QString& problem)
{
    m_err << FormatText(Str::DueError, problem) << Qt::endl;
    return Failure;
}
