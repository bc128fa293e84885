#include "plan/rules/YearReportBuilder.h"

#include "data/Clock.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SessionTables.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "plan/rules/YearPlanRule.h"
#include "text/StrList.h"

namespace {

const QString kDeletePlan = QStringLiteral("Delete from YearReport;");

// Columns read from the view, in this order. The inventory numbers are read only for the few records
// a message names: 300,000 texts would cost a good part of the generation.
enum Column { IDevice, IRep, LastRep, NextRep, RtMon, IdNextRep };

QString recordName(SqlConnection& connection, const ResultSet& rows, int r)
{
    const QVariant name = connection.scalar(QStringLiteral("select ANumber from nextrepview where ID_NextRep = ") +
                                            rows.text(r, IdNextRep) + QLatin1Char(';'));
    return name.isNull() ? Text(Str::TableNull) : name.toString();
}

} // namespace

QString YearReportBuilder::yearRefusedText()
{
    return QStringLiteral("Parameter should be more or is equal to the current year");
}

QString YearReportBuilder::lastDateRefusedText() { return QStringLiteral("Last service date > now. Report failed."); }

YearReportBuilder::YearReportBuilder(SqlConnection& connection) : m_connection(connection) {}

void YearReportBuilder::setProgress(Progress progress, int progressStep)
{
    m_progress = std::move(progress);
    m_progressStep = std::max(1, progressStep);
}

bool YearReportBuilder::reportProgress(int done, int total) const { return !m_progress || m_progress(done, total); }

bool YearReportBuilder::BuildYearReport(int year)
{
    m_rowsWritten = 0;
    m_skippedCount = 0;
    m_skippedNames.clear();
    const QDate today = Clock::today();
    if (year < today.year()) {
        m_outcome = Outcome::YearRefused;
        Messages::warning(yearRefusedText());
        return false;
    }

    SessionTables::prepareYearPlan(m_connection);
    const std::unique_ptr<ResultSet> rows = m_connection.select(
        QStringLiteral("select IDevice, IRep, LastRep, NextRep, RT_Mon, ID_NextRep from nextrepview;"));
    Transaction transaction(m_connection);
    m_connection.execute(kDeletePlan);
    SqlCommand insert(m_connection,
                      QStringLiteral("insert into YearReport (idevice,repdate,irep) values (:IDevice,:repdate,:IRep);"));

    const int total = rows->rowCount();
    QVariantList values{QVariant(), QVariant(), QVariant()};
    for (int r = 0; r < total; ++r) {
        if (r % m_progressStep == 0 && !reportProgress(r, total)) {
            m_outcome = Outcome::Cancelled;
            return false; // the transaction rolls back
        }
        if (YearPlan::lastServiceAfterToday(today, rows->date(r, LastRep))) {
            m_connection.execute(kDeletePlan);
            transaction.commit();
            m_outcome = Outcome::LastDateRefused;
            Messages::error(lastDateRefusedText() + QLatin1Char('\n') +
                            FormatText(Str::PlanLastDateRecord, recordName(m_connection, *rows, r),
                                       rows->text(r, LastRep)));
            return false;
        }
        const QDate next = rows->date(r, NextRep);
        const QList<QDate> dates =
            YearPlan::occurrences(today, year, next, YearPlan::stepMonths(rows->value(r, RtMon)));
        if (dates.isEmpty())
            continue;
        if (rows->isNull(r, IDevice) || rows->isNull(r, IRep)) {
            if (m_skippedCount++ < kNamedSkipped)
                m_skippedNames.append(recordName(m_connection, *rows, r));
            continue;
        }
        values[0] = rows->value(r, IDevice);
        values[2] = rows->value(r, IRep);
        for (const QDate& day : dates) {
            values[1] = day;
            insert.run(values);
            ++m_rowsWritten;
        }
    }
    if (!reportProgress(total, total)) {
        m_outcome = Outcome::Cancelled;
        return false;
    }
    transaction.commit();
    m_outcome = Outcome::Built;
    if (m_skippedCount > 0)
        Messages::warning(FormatText(Str::PlanSkippedRecords, m_skippedCount, m_skippedNames.join(QStringLiteral(", "))));
    return true;
}
