#include "tables/export/ExportFileName.h"

#include "text/StrList.h"

#include <QFileInfo>

namespace ExportFileName {

QStringList filters()
{
    return {Text(Str::SaveFilterText), Text(Str::SaveFilterCsv), Text(Str::SaveFilterHtml), Text(Str::SaveFilterRtf),
            Text(Str::SaveFilterExcel)};
}

QString extension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Text: return QStringLiteral("txt");
    case ExportFormat::Csv: return QStringLiteral("csv");
    case ExportFormat::Html: return QStringLiteral("htm");
    case ExportFormat::Rtf: return QStringLiteral("rtf");
    case ExportFormat::Excel: return QStringLiteral("xlsx");
    }
    return {};
}

ExportFormat formatAt(int index)
{
    return index >= 0 && index <= int(ExportFormat::Excel) ? ExportFormat(index) : ExportFormat::Text;
}

QString withExtension(const QString& fileName, ExportFormat format)
{
    const QString wanted = extension(format);
    const QString own = QFileInfo(fileName).fileName();
    const int dot = own.lastIndexOf(QLatin1Char('.'));
    const QString present = dot < 0 ? QString() : own.mid(dot + 1);
    if (present.compare(wanted, Qt::CaseInsensitive) == 0 ||
        (format == ExportFormat::Html && present.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0))
        return fileName;
    return fileName.endsWith(QLatin1Char('.')) ? fileName + wanted : fileName + QLatin1Char('.') + wanted;
}

} // namespace ExportFileName
