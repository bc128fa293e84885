#pragma once

#include <QDialog>
#include <QKeySequence>

class PreviewPages;
class PrintJob;
class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QSpinBox;

// The names a preview gives itself and its commands. The grid's and the report's previews are the
// same frame; each keeps the names it has always had, so that what finds them still finds them.
struct PreviewNames {
    const char* dialog;
    const char* toolBar;
    const char* pages;
    const char* pageNumber;
    const char* pageCount;
    const char* first;
    const char* prior;
    const char* next;
    const char* last;
    const char* zoomOut;
    const char* zoom;
    const char* zoomIn;
    const char* fitWidth; // zoom to the width of the window
    const char* portrait;
    const char* landscape;
    const char* fitColumns; // grids: columns shrunk to the page's width
    const char* pageSetup;
    const char* print;
    const char* savePdf;
    const char* close;

    static const PreviewNames grid;
    static const PreviewNames report;
    static const PreviewNames chart;
};

// The print preview of every printout: its pages one under another, as they will be printed, each
// drawn only when it comes into sight, so that a list of thousands of pages opens at once. Its tool
// bar turns pages, zooms, turns the paper, shrinks a grid's columns to the page's width, sets the
// page up, prints (through the print dialog) and saves a PDF named after the printout and the day,
// in the folder last saved in.
class PrintPreviewDialog : public QDialog {
    Q_OBJECT
public:
    PrintPreviewDialog(PrintJob& job, QPrinter& printer, const PreviewNames& names, QWidget* parent = nullptr);
    ~PrintPreviewDialog() override;

    int pageCount() const;
    // The page at the top of the view, 1-based.
    int currentPage() const;
    void setCurrentPage(int page);
    // How many pages have been drawn since the dialog opened; a page in sight is drawn once.
    int pagesDrawn() const;
    // 1 is the size of the paper on screen.
    double zoom() const;
    void setZoom(double zoom);
    void fitWidth();

    // The print dialog, then the chosen pages to the chosen printer; true when printed.
    bool printPages();
    // Asks for the file (the proposed name: the title and the date), then writes every page to it;
    // true when written.
    bool saveAsPdf();

private:
    QAction* addTool(const char* name, const char* icon, const QString& hint, const QKeySequence& key = {});
    void buildToolBar();
    void pagesChanged();
    void showPageNumber(int page);
    void zoomChosen(int index);
    void stepZoom(int direction);
    void setOrientation(bool landscape);
    void setFitColumns(bool fit);
    void pageSetup();
    void updateCommands();

    PrintJob& m_job;
    QPrinter& m_printer;
    const PreviewNames& m_names;
    PreviewPages* m_pages = nullptr;
    QSpinBox* m_pageNumber = nullptr;
    QLabel* m_pageCount = nullptr;
    QComboBox* m_zoom = nullptr;
    QAction* m_portrait = nullptr;
    QAction* m_landscape = nullptr;
};
