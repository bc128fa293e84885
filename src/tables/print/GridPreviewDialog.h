#pragma once

#include <QDialog>

class GridPrinter;
class PreviewPages;
class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QSpinBox;

// The print preview of a grid: its pages one under another, as they will be printed, each drawn only
// when it comes into sight, so that a list of thousands of pages opens at once. A tool bar moves
// between pages, zooms, turns the paper, sets the page up and prints (through the print dialog, with
// its choice of pages and printers, a PDF file among them).
class GridPreviewDialog : public QDialog {
    Q_OBJECT
public:
    GridPreviewDialog(const GridPrinter& grid, QPrinter& printer, QWidget* parent = nullptr);
    ~GridPreviewDialog() override;

    int pageCount() const;
    // The page at the top of the view, 1-based.
    int currentPage() const;
    void setCurrentPage(int page);
    // How many pages have been drawn since the dialog opened; a page in sight is drawn once.
    int pagesDrawn() const;

    // The print dialog, then the chosen pages to the chosen printer; true when printed.
    bool printPages();

private:
    QAction* addTool(const char* name, const char* icon, const QString& hint);
    void buildToolBar();
    void pagesChanged();
    void showPageNumber(int page);
    void zoomChosen(int index);
    void stepZoom(int direction);
    void setOrientation(bool landscape);
    void pageSetup();

    const GridPrinter& m_grid;
    QPrinter& m_printer;
    PreviewPages* m_pages = nullptr;
    QSpinBox* m_pageNumber = nullptr;
    QLabel* m_pageCount = nullptr;
    QComboBox* m_zoom = nullptr;
    QAction* m_portrait = nullptr;
    QAction* m_landscape = nullptr;
};
