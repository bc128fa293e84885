#pragma once

#include "tables/BaseFrm.h"

#include <QElapsedTimer>

class PivotModel;
class QProgressDialog;
class ServicePivot;
class QChart;
class QChartView;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;
class YearUpDown;

// The yearly service plan window: the plan of a chosen year as a list (grouping, filter row, sort,
// find, print, export of the table window) with the year box that generates it, and in the form
// view the page "Chart": the planned services counted by month and short name as a pivot and a bar
// chart, counting the same rows the list shows.
//
// The plan is a working table: it is emptied when the window opens (a plan left by a program that
// was killed would otherwise show) and when it closes.
class TReportForm : public TBaseForm {
    Q_OBJECT
public:
    explicit TReportForm(QWidget* parent = nullptr);

    static QString mainQuery() { return QStringLiteral("select * from YearReportView;"); }
    // mainQuery(), once this session's own plan is ready to be read.
    static QString mainQueryOnOwnPlan();

    // GO: reads the year, generates the plan, re-reads the list and its grouping tree.
    void btnGoClick();
    void FormActivate() override;

    Dataset* c1() const { return m_c1; }
    const QString& SavedPivotSql() const { return m_savedPivotSql; }
    PivotModel* pivotModel() const { return m_pivotModel; }
    QChart* chart() const { return m_chart; }
    bool isGenerating() const { return m_generating; }
    // Asks a running generation to stop at its next progress step (closing the window does it too).
    void cancelGeneration() { m_cancelRequested = true; }
    // How long a generation runs before its progress dialog shows (0.5 s); tests shorten it.
    static void setProgressDelay(int ms);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildYearBox();
    void buildChartPage();
    void setLabels();
    void yearEdited(const QString& text);
    bool generationProgress(int done, int total);
    void TabSheet1Show();
    void TabSheet1Hide();
    void showPivot(const ServicePivot& pivot);
    void SwapClick();
    void PrintClick();
    void applyPivotMetrics();
    // Runs "Delete from YearReport;" through the data module's scratch query.
    static void emptyPlan();

    Dataset* m_c1 = nullptr;
    QString m_savedPivotSql;
    QGroupBox* m_yearBox = nullptr;
    QLineEdit* m_editYear = nullptr;
    YearUpDown* m_upDown = nullptr;
    QPushButton* m_btnGo = nullptr;
    QSplitter* m_splitter2 = nullptr;
    QTableView* m_pivotGrid = nullptr;
    PivotModel* m_pivotModel = nullptr;
    QChartView* m_chartView = nullptr;
    QChart* m_chart = nullptr;
    QProgressDialog* m_progress = nullptr;
    QElapsedTimer m_generationTimer;
    bool m_generating = false;
    bool m_cancelRequested = false;
    bool m_closeAfterGeneration = false;
};
