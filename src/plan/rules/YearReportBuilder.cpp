#include "plan/rules/YearReportBuilder.h"

#include "data/Clock.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "plan/rules/YearPlanRule.h"
#include "text/StrList.h"

namespace {

const QString kDeletePlan = QStringLiteral("Delete from YearReport;");

// Columns read from the view, in this order.
enum Column { IDevice, IRep, LastRep, NextRep, RtMon, ANumber };

QString recordName(const ResultSet& rows, int r)
{
    return rows.isNull(r, ANumber) ? Text(Str::TableNull) : rows.text(r, ANumber);
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

    const std::unique_ptr<ResultSet> rows = m_connection.select(
        QStringLiteral("select IDevice, IRep, LastRep, NextRep, RT_Mon, ANumber from nextrepview;"));
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
        if (YearPlan::lastServiceAfterToday(today, rows->value(r, LastRep).toDateTime())) {
            m_connection.execute(kDeletePlan);
            transaction.commit();
            m_outcome = Outcome::LastDateRefused;
            Messages::error(lastDateRefusedText() + QLatin1Char('\n') +
                            FormatText(Str::PlanLastDateRecord, recordName(*rows, r), rows->text(r, LastRep)));
            return false;
        }
        const QDate next = rows->value(r, NextRep).toDateTime().date();
        const QList<QDate> dates =
            YearPlan::occurrences(today, year, next, YearPlan::stepMonths(rows->value(r, RtMon)));
        if (dates.isEmpty())
            continue;
        if (rows->isNull(r, IDevice) || rows->isNull(r, IRep)) {
            if (m_skippedCount++ < kNamedSkipped)
                m_skippedNames.append(recordName(*rows, r));
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
