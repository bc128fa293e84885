#pragma once

#include "tables/report/ReportDocument.h"

class CrewListContent;
class Dataset;
class QWidget;

// The crew list report: the members of one crew with their working-time fund, as the crew-structure
// page lists them. Built whole from the page's list before the preview opens.
class TCrewListReport {
public:
    struct Source {
        const Dataset* members = nullptr; // the crew's members, in print order
        QString crewName;
        QString departmentName;
    };

    static ReportDocument build(const Source& source);
    static ReportDocument layout(const CrewListContent& content);
    static void preview(const Source& source, QWidget* parent);

    static QString name();
};
