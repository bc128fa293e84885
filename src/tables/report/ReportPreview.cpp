#include "tables/report/ReportPreview.h"

#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/FileDialogs.h"
#include "tables/print/GridPrinter.h"
#include "tables/report/ReportPainter.h"
#include "tables/report/ReportPreviewDialog.h"
#include "text/StrList.h"

namespace ReportPreview {

namespace {

QString pdfName(const QString& chosen, int)
{
    return chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? chosen : chosen + QStringLiteral(".pdf");
}

bool writePdf(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, const QString& file)
{
    bool written = false;
    {
        WaitCursor wait;
        written = ReportPainter::writePdf(document, pages, file);
    }
    if (!written)
        Messages::error(GridPrinter::cannotPrintText(file));
    return written;
}

bool saveAsPdf(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, QWidget* parent)
{
    int filter = 0;
    const QString file = FileDialogs::getSaveFileName(parent, withoutAccelerator(Text(Str::ReportSavePdf)),
                                                      document.name + QStringLiteral(".pdf"),
                                                      {Text(Str::ReportPdfFilter)}, &filter, pdfName);
    return !file.isEmpty() && writePdf(document, pages, file);
}

} // namespace

bool saveAsPdf(const ReportDocument& document, QWidget* parent)
{
    return saveAsPdf(document, ReportPagination::paginate(document), parent);
}

void show(const ReportDocument& document, QWidget* parent)
{
    const QString testFile = GridPrinter::previewOutputFile();
    if (!testFile.isEmpty()) {
        writePdf(document, ReportPagination::paginate(document), testFile);
        return;
    }
    ReportPreviewDialog dialog(document, parent);
    dialog.exec();
}

} // namespace ReportPreview
