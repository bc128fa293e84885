#include "tables/export/GridExporter.h"

#include "tables/export/CsvExporter.h"
#include "tables/export/HtmlExporter.h"
#include "tables/export/RtfExporter.h"
#include "tables/export/TextExporter.h"
#include "tables/export/XlsxExporter.h"

std::unique_ptr<GridExporter> GridExporter::create(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Text: return std::make_unique<TextExporter>();
    case ExportFormat::Csv: return std::make_unique<CsvExporter>();
    case ExportFormat::Html: return std::make_unique<HtmlExporter>();
    case ExportFormat::Rtf: return std::make_unique<RtfExporter>();
    case ExportFormat::Excel: return std::make_unique<XlsxExporter>();
    }
    return nullptr;
}
