#pragma once

#include <QPageLayout>
#include <QString>

class QPainter;
class QPrinter;
class QWidget;

// What the print preview shows and prints: a grid, a report or a chart page. A job lays its pages
// out for the printer it is given (paper, orientation, margins, resolution), so that turning the
// paper in the preview lays them out anew, and draws any page on its own, so that the preview draws
// only the pages in sight.
class PrintJob {
public:
    virtual ~PrintJob() = default;

    // The caption of the preview and the start of the proposed PDF name.
    virtual QString title() const = 0;
    // Paper, orientation and margins the job prints on unless the user changes them.
    virtual void choosePaper(QPrinter* printer) const = 0;
    virtual int pageCount(QPrinter* printer) const = 0;
    // Draws page `page` (1-based) onto `painter`, whose device has the printer's resolution and whose
    // origin is the printable area's top-left corner.
    virtual void paintPage(QPainter& painter, QPrinter* printer, int page) const = 0;

    // Grids may be shrunk to the page's width instead of split across pages.
    virtual bool canFitToWidth() const { return false; }
    virtual bool fitsToWidth() const { return false; }
    virtual void setFitToWidth(bool) {}

    // Every page within the printer's print range; the number of pages printed, or -1 when the
    // printer could not be started.
    int print(QPrinter* printer) const;
};

namespace PrintOutput {

// The name proposed for the PDF of `title`: the title and today's date, without the characters a
// file name cannot hold, in the folder a PDF was last saved in (kept in Device.ini).
QString proposedPdfName(const QString& title);
// Remembers the folder of `file` for the next proposal.
void rememberPdfFolder(const QString& file);
// Writes every page of `job`, laid out on the page and at the resolution of `like`, into `file`;
// false when it cannot be written, and then no half-written file is left in its place.
bool writePdf(const PrintJob& job, const QPrinter& like, const QString& file);
// The message when a printer or file cannot take the pages.
QString cannotPrintText(const QString& target);

// Tests: previews write their pages to this PDF file instead of opening; empty restores the preview.
void setTestOutputFile(const QString& pdfFile);
QString testOutputFile();

// With the test file set: `job` on `printer`'s layout written there (a failure reported with
// Messages::error) and true; false when the preview is to open.
bool writeTestOutput(const PrintJob& job, const QPrinter& printer);

} // namespace PrintOutput
