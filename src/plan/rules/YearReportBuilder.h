#pragma once

#include <QStringList>
#include <functional>

class SqlConnection;

// Generates the yearly service plan into YearReport from the next-service records.
//
// The whole generation is one transaction: the plan that was there before stays until the new one
// is complete, and an error, a cancel or a killed process leaves it as it was. The inserts go through
// one prepared statement. Records that would give plan rows but lack a device or a service cannot be
// written; they are left out and named afterwards instead of breaking the generation half-way.
class YearReportBuilder {
public:
    enum class Outcome {
        Built,
        YearRefused,     // before the current year; the plan is untouched
        LastDateRefused, // a last service after today; the plan is emptied
        Cancelled,       // the progress callback said stop; the plan is untouched
    };
    // Records done and all records; returns false to cancel. Called every `progressStep` records and
    // once at the end.
    using Progress = std::function<bool(int done, int total)>;

    // The fixed texts of the two refusals.
    static QString yearRefusedText();
    static QString lastDateRefusedText();
    // At most this many records are named in the message about the ones left out.
    static constexpr int kNamedSkipped = 10;

    explicit YearReportBuilder(SqlConnection& connection);

    void setProgress(Progress progress, int progressStep = 1024);

    // Builds the plan for `year`: true when it was built, false when it was refused or cancelled.
    // Messages go through the message service. Database errors are thrown after the rollback.
    bool BuildYearReport(int year);

    Outcome outcome() const { return m_outcome; }
    qint64 rowsWritten() const { return m_rowsWritten; }
    int skippedCount() const { return m_skippedCount; }
    // Inventory numbers of the first records left out.
    const QStringList& skippedNames() const { return m_skippedNames; }

private:
    bool reportProgress(int done, int total) const;

    SqlConnection& m_connection;
    Progress m_progress;
    int m_progressStep = 1024;
    Outcome m_outcome = Outcome::Built;
    qint64 m_rowsWritten = 0;
    int m_skippedCount = 0;
    QStringList m_skippedNames;
};
