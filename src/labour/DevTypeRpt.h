#pragma once

#include "labour/rules/TypeAllowanceContent.h"
#include "tables/report/ReportDocument.h"

#include <QVariant>

class Dataset;
class QWidget;
class SqlConnection;

// The device type time allowance report of one crew: a line of figures per device type of the
// crew, with the rate time, repetition and category hours of up to four services. When the crew
// has more than four services, or the plant more than six categories, the dual list dialog asks
// which to show.
//
// Everything is read and built before the preview opens: the chosen services and categories, the
// types as the types grid lists them, and the crew's service rows and shares (read once each,
// without moving the window's current rows). The preview then only paints.
class TDevTypeReport {
public:
    struct Source {
        SqlConnection* connection = nullptr;
        QVariant crewId;
        const Dataset* types = nullptr;      // the crew's device types, in print order, with RecN
        const Dataset* categories = nullptr; // every category, in grade order
    };

    // Asks for the services and categories where needed, then reads the rows and builds the
    // report's content.
    static TypeAllowanceContent gather(const Source& source, QWidget* dialogParent);
    // The whole report: its content, laid out under the crew's and department's names.
    static ReportDocument build(const Source& source, QWidget* dialogParent);
    // The report's pages for a built content.
    static ReportDocument layout(const TypeAllowanceContent& content, const QString& department, const QString& crew);
    // Builds the report and shows it in the preview; returns when the preview is closed.
    static void preview(const Source& source, QWidget* parent);

    static QString name();
};
