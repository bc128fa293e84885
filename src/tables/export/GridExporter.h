#pragma once

#include <QString>
#include <memory>

class GridSnapshot;
class QIODevice;

enum class ExportFormat { Text, Csv, Html, Rtf, Excel };

// Writes a grid's titles and rows in one file format. Exporters have no widgets: the save command
// hands them a device opened for writing (a file, or a buffer in a test).
class GridExporter {
public:
    virtual ~GridExporter() = default;
    // False when the device refused the data or the format could not be written; errorString() says why.
    virtual bool write(const GridSnapshot& grid, QIODevice& device) = 0;
    const QString& errorString() const { return m_error; }

    static std::unique_ptr<GridExporter> create(ExportFormat format);

protected:
    bool fail(const QString& error)
    {
        m_error = error;
        return false;
    }

private:
    QString m_error;
};
