#include "DueCommand.h"

#include "data/DatabaseError.h"
#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "devices/rules/DueList.h"
#include "devices/rules/DueRule.h"
#include "tables/print/GridSnapshot.h"
#include "tables/SaveSelectedRows.h"
#include "text/StrList.h"

#include <QIODevice>
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

    const DueList due(connection, Clock::today(), options.days);
    DueList::Listing listing;
    if (options.csvFile.isEmpty() && options.xlsxFile.isEmpty()) {
        listing = due.listing();
    } else {
        // The files and the text from one reading, so that they list the same services.
        const auto dataset = due.open();
        DatasetModel model(dataset.get());
        const GridSnapshot grid = snapshotOf(model);
        QString error;
        if (!options.csvFile.isEmpty() && !exportGridToFile(grid, options.csvFile, ExportFormat::Csv, &error))
            return fail(FormatText(Str::DueNotWritten, options.csvFile, error));
        if (!options.xlsxFile.isEmpty() && !exportGridToFile(grid, options.xlsxFile, ExportFormat::Excel, &error))
            return fail(FormatText(Str::DueNotWritten, options.xlsxFile, error));
        listing = due.listingOf(*dataset->rows());
    }
    if (listing.rows > 0)
        writeText(listing.text);
    const qint64 dueSoon = listing.rows - listing.overdue;
    m_out << (options.days == DueRule::Off ? FormatText(Str::DueSummaryOverdue, listing.overdue)
                                           : FormatText(Str::DueSummary, listing.overdue, options.days, dueSoon))
          << Qt::endl;
    return listing.rows == 0 ? NothingDue : SomethingDue;
}

void DueCommand::writeText(const QByteArray& utf8)
{
    // Straight to the device when there is one: the list is already the bytes the stream would write.
    m_out.flush();
    if (QIODevice* device = m_out.device())
        device->write(utf8);
    else
        m_out << QString::fromUtf8(utf8);
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
