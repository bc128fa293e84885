#include "tables/SaveSelectedRows.h"

#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/FileDialogs.h"
#include "tables/print/GridSnapshot.h"
#include "tables/export/ExportFileName.h"
#include "text/StrList.h"

#include <QDir>
#include <QSaveFile>
#include <QTableView>

namespace {
QString cannotSave(const QString& fileName, const QString& reason)
{
    return FormatText(Str::SaveFailed, QDir::toNativeSeparators(fileName), reason);
}
} // namespace

bool exportGridToFile(const GridSnapshot& grid, const QString& fileName, ExportFormat format, QString* error)
{
    QSaveFile file(fileName);
    auto failed = [&](const QString& reason) {
        file.cancelWriting();
        if (error)
            *error = reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const std::unique_ptr<GridExporter> exporter = GridExporter::create(format);
    if (!exporter->write(grid, file))
        return failed(exporter->errorString());
    if (!file.commit())
        return failed(file.errorString());
    return true;
}

bool saveSelectedRows(QTableView* view, QWidget* parent)
{
    int filterIndex = 0;
    const GridSnapshot rows = selectedRowsSnapshot(view);
    // A user who selected nothing but the current row learns it before the file is written.
    const QString caption = FormatText(Str::SaveCaptionRows, withoutAccelerator(Text(Str::ActionSaveAs)), rows.rowCount());
    const QString fileName = FileDialogs::getSaveFileName(
        parent, caption, QStringLiteral("file1"), ExportFileName::filters(),
        &filterIndex, [](const QString& chosen, int filter) {
            return ExportFileName::withExtension(chosen, ExportFileName::formatAt(filter));
        });
    if (fileName.isEmpty())
        return false;
    const ExportFormat format = ExportFileName::formatAt(filterIndex);
    QString error;
    bool saved = false;
    {
        WaitCursor wait;
        saved = exportGridToFile(rows, fileName, format, &error);
    }
    if (!saved)
        Messages::error(cannotSave(fileName, error));
    return saved;
}
