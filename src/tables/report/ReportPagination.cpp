#include "tables/report/ReportPagination.h"

namespace ReportPagination {

namespace {

// Builds the pages one after another; `y` is where the next band goes on the page being filled.
class Paginator {
public:
    explicit Paginator(const ReportDocument& document)
        : m_doc(document), m_footerTop(document.page.height() - document.pageFooter.height)
    {
    }

    std::vector<Page> run()
    {
        startPage();
        for (int i = 0; i < int(m_doc.details.size()); ++i) {
            const double height = m_doc.details[size_t(i)].height;
            if (!fits(height) && m_pages.back().detailCount > 0)
                startPage();
            place(BandKind::Detail, height, i);
            Page& page = m_pages.back();
            if (page.firstDetail < 0)
                page.firstDetail = i;
            ++page.detailCount;
        }
        if (m_doc.summary.height > 0) {
            if (!fits(m_doc.summary.height) && m_pages.back().detailCount > 0)
                startPage();
            place(BandKind::Summary, m_doc.summary.height);
        }
        return std::move(m_pages);
    }

private:
    bool fits(double height) const { return m_y + height <= m_footerTop + 1e-9; }

    void place(BandKind kind, double height, int detail = -1)
    {
        if (height <= 0)
            return;
        m_pages.back().bands.push_back({kind, detail, m_y});
        m_y += height;
    }

    void startPage()
    {
        m_pages.emplace_back();
        m_y = 0;
        if (m_pages.size() == 1)
            place(BandKind::Title, m_doc.title.height);
        place(BandKind::PageHeader, m_doc.pageHeader.height);
        place(BandKind::ColumnHeader, m_doc.columnHeader.height);
        if (m_doc.pageFooter.height > 0)
            m_pages.back().bands.push_back({BandKind::PageFooter, -1, m_footerTop});
    }

    const ReportDocument& m_doc;
    const double m_footerTop;
    std::vector<Page> m_pages;
    double m_y = 0;
};

} // namespace

std::vector<Page> paginate(const ReportDocument& document) { return Paginator(document).run(); }

const ReportBand& bandOf(const ReportDocument& document, const PlacedBand& placed)
{
    switch (placed.kind) {
    case BandKind::Title:
        return document.title;
    case BandKind::PageHeader:
        return document.pageHeader;
    case BandKind::ColumnHeader:
        return document.columnHeader;
    case BandKind::Detail:
        return document.details[size_t(placed.detail)];
    case BandKind::Summary:
        return document.summary;
    case BandKind::PageFooter:
        break;
    }
    return document.pageFooter;
}

} // namespace ReportPagination
