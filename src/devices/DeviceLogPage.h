#pragma once

#include "devices/rules/DeviceLogs.h"

#include <QWidget>

class Dataset;
class DatasetGrid;
class FieldBinder;
class FormSettings;
class QCheckBox;
class QSplitter;
class QToolButton;

// One log page of the device window: the log's grid with "Show all" and "Clear" above it and, for
// the move and service logs, the current entry in a panel below a splitter. The log follows the
// device shown in the window's list, or lists every device while "Show all" is ticked; it is open
// only while its page is shown. In the move log's panel the sign and the notes of an entry can be
// typed in.
class DeviceLogPage : public QWidget {
    Q_OBJECT
public:
    DeviceLogPage(DeviceLogs::Log log, Dataset* mainView, QWidget* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    DatasetGrid* grid() const { return m_grid; }
    QCheckBox* showAll() const { return m_showAll; }

    // The page's handlers: the log is read when the page is shown and closed when it is hidden.
    void openLog();
    void closeLog();

    void ShowAllClick(bool all);
    void ClearClick();

    void saveSettings(FormSettings& settings) const;
    void loadSettings(const FormSettings& settings);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createTop();
    QWidget* createServicePanel();
    QWidget* createMovePanel();
    void setColumns();
    QString name(const char* prefix) const;

    DeviceLogs::Log m_log;
    Dataset* m_mainView;
    Dataset* m_dataset;
    DatasetGrid* m_grid = nullptr;
    QCheckBox* m_showAll = nullptr;
    QToolButton* m_clear = nullptr;
    QSplitter* m_splitter = nullptr;
    FieldBinder* m_binder = nullptr;
    int m_storedTop = 0; // the stored height of the upper part, applied when the page is first shown
};
