#pragma once

#include "devices/import/DeviceImport.h"
#include "devices/import/TableSource.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class SqlConnection;

// "Импорт устройств": a file, how to read it (separator and encoding, or sheet, and the header row),
// which field each column fills, a preview of the first rows with what would become of each, a
// check of the whole file, and the import itself with a progress bar that can be cancelled. The
// rules are DeviceImport's; this window only binds them to widgets.
class TDeviceImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeviceImportForm(SqlConnection& connection, QWidget* parent = nullptr);

    // Reads `fileName` and shows its mapping and preview (what choosing the file does).
    void setFileName(const QString& fileName);
    // The last check or import.
    const ImportResult& lastResult() const { return m_result; }
    // Checks the whole file without storing (the "Проверить" button) or imports it.
    void check();
    void runImport();
    // Writes the last report of refused and skipped rows as CSV.
    bool saveReport(const QString& fileName);

private:
    void buildLayout();
    void reload();
    void fillMapping();
    void mappingChanged(int column, int comboIndex);
    void showUnmapped();
    void preview();
    void runWhole(bool dryRun);
    void showResult();
    void setBusy(bool busy);
    ImportOptions options() const;
    TableSourceOptions sourceOptions() const;
    std::unique_ptr<TableSource> openRows(QString& error);

    SqlConnection& m_connection;
    QLineEdit* m_file;
    QComboBox* m_separator;
    QComboBox* m_encoding;
    QComboBox* m_sheet;
    QSpinBox* m_headerRow;
    QTableWidget* m_mappingGrid;
    QLabel* m_unmapped;
    QCheckBox* m_createMissing;
    QCheckBox* m_updateExisting;
    QTableWidget* m_previewGrid;
    QTableWidget* m_reportGrid;
    QLabel* m_summary;
    QProgressBar* m_progress;
    QPushButton* m_check;
    QPushButton* m_import;
    QPushButton* m_cancel;
    QPushButton* m_saveReport;
    ImportMapping m_mapping;
    ImportResult m_result;
    bool m_loading = false;
    bool m_busy = false;
    bool m_cancelRequested = false;
};
