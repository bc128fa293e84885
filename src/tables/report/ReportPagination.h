#pragma once

#include "tables/report/ReportDocument.h"

#include <vector>

// Where each band of a report stands on each page: a pure function of the document, tested
// without painting.
namespace ReportPagination {

enum class BandKind { Title, PageHeader, ColumnHeader, Detail, Summary, PageFooter };

struct PlacedBand {
    BandKind kind;
    int detail = -1; // the detail's index, for BandKind::Detail
    double top = 0;  // mm from the top of the printable area
};

struct Page {
    std::vector<PlacedBand> bands;
    int firstDetail = -1; // -1 when the page holds no detail
    int detailCount = 0;
};

// The pages of `document`: at least one, even without details. A detail that does not fit under
// the details before it goes whole to the next page; one taller than a page's free space stands
// alone on its page (its foot is cut). The page footer sits at the foot of every page.
std::vector<Page> paginate(const ReportDocument& document);

// The band a placed band stands for.
const ReportBand& bandOf(const ReportDocument& document, const PlacedBand& placed);

} // namespace ReportPagination
