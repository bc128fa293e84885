#pragma once

#include "devices/import/ImportMapping.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QIODevice;
class SqlConnection;
class TableSource;

struct ImportOptions {
    bool createMissing = false;  // names not found in a list are added to it; otherwise their rows are refused
    bool updateExisting = false; // a device already stored takes the row's values; otherwise it is skipped
    bool dryRun = false;         // everything checked and written, then undone
    int rowLimit = 0;            // only the first rows (a preview); 0 for all
};

// One refused or skipped row: the row number of the file, the title of the column and the reason.
struct ImportIssue {
    int row = 0;
    QString column;
    QString reason;
    bool refused = true; // false: a duplicate passed over, the rest goes on
};

// What became of one of the first rows, for the preview.
struct ImportRowVerdict {
    int row = 0;
    QStringList cells; // the row's cells by column of the header, as they are read
    QString verdict;
    bool refused = false;
};

struct ImportResult {
    int rows = 0;
    int devicesAdded = 0;
    int devicesUpdated = 0;
    int servicesAdded = 0;
    int crewsAdded = 0;
    int skipped = 0;
    int refused = 0;
    QStringList created; // the names added to lists, "Тип: Манометр"
    QList<ImportIssue> issues;
    QList<ImportRowVerdict> verdicts;
    bool stored = false;
    bool cancelled = false;
    QString error; // why nothing could be done at all
};

// Brings devices in from a table: each row one device and, optionally, one of its services (the
// service, its crew, the interval of the device's type and the last date done). A device listed on
// several rows with the same values gets each row's service.
//
// Every row is held to what the device window holds a device to: a type; texts within their
// columns' sizes; dates that exist; a service that is one of the type's intervals for a crew of the
// device (the crew becomes the device's crew), with a department behind the crew; no negative
// interval; the next date counted from the last one by the program's own rule. New devices get the
// edit log's "Added" entry under the user's name, updated ones "Edited" and, where they moved, the
// move log's entry.
//
// All of it is one transaction: a refused row, a failure of the database or a cancel leave the
// database as it was. Duplicates (the same serial number and type as a stored device, or as an
// earlier row of the file) are skipped and listed, or update the stored device when asked: then
// only the mapped columns that hold a value change.
class DeviceImport {
public:
    using Progress = std::function<bool(double fraction, int rows)>; // false stops the import
    static constexpr int kPreviewRows = 50;

    DeviceImport(SqlConnection& connection, const ImportMapping& mapping, const ImportOptions& options);
    ~DeviceImport();

    // Reads the rows of `source` that follow its header.
    ImportResult run(TableSource& source, const Progress& progress = {});

    // The header row: the row numbered `headerRow`, or the first with a value when it is 0.
    static bool readHeader(TableSource& source, int headerRow, QStringList& header, QString& error);
    // The issues as a CSV report (UTF-8 with a byte order mark, ';' between the fields).
    static void writeReport(const QList<ImportIssue>& issues, QIODevice& out);
    // The result as lines of text for the user.
    static QString summary(const ImportResult& result);

private:
    struct Run;
    SqlConnection& m_connection;
    ImportMapping m_mapping;
    ImportOptions m_options;
};
