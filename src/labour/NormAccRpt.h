#pragma once

#include "tables/report/ReportDocument.h"

class Dataset;
class NormAccContent;
class QWidget;

// The norm report: the calculation of staff norms of one crew, one line per norm-state row, with
// the totals of hours and staff. Its texts are fixed, as on the printed form it reproduces.
class TNormAccReport {
public:
    struct Source {
        const Dataset* normState = nullptr; // the crew's norm-state rows
        QString departmentName;
        QString crewName;
    };

    static ReportDocument build(const Source& source);
    static ReportDocument layout(const NormAccContent& content, const QString& department, const QString& crew);
    static void preview(const Source& source, QWidget* parent);

    static QString name();
};
