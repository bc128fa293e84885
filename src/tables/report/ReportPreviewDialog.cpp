#include "tables/report/ReportPreviewDialog.h"

#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/print/GridPrinter.h"
#include "tables/report/ReportPainter.h"
#include "tables/report/ReportPreview.h"
#include "text/StrList.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr double MmPerInch = 25.4;
constexpr int PaperGap = 12; // pixels of grey around the sheet
constexpr double MinZoom = 0.25, MaxZoom = 4, ZoomStep = 1.25;
} // namespace

// One sheet of the report at a zoom, painted from the document each time it is shown.
class ReportPageView : public QWidget {
public:
    ReportPageView(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, QWidget* parent)
        : QWidget(parent), m_document(document), m_pages(pages)
    {
        setObjectName(QStringLiteral("ReportPage"));
        resizeToPaper();
    }

    void show(int page)
    {
        m_page = page;
        update();
    }
    double zoom() const { return m_zoom; }
    void setZoom(double zoom)
    {
        m_zoom = std::clamp(zoom, MinZoom, MaxZoom);
        resizeToPaper();
        update();
    }
    // Pixels a millimetre at zoom 1.
    double pixelsPerMm() const { return logicalDpiX() / MmPerInch; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Mid));
        const double px = pixelsPerMm() * m_zoom;
        const ReportPageSetup& setup = m_document.page;
        const QRectF paper(PaperGap, PaperGap, setup.paperWidth * px, setup.paperHeight * px);
        painter.fillRect(paper.translated(3, 3), palette().color(QPalette::Shadow));
        painter.fillRect(paper, Qt::white);
        painter.translate(paper.topLeft() + QPointF(setup.margin * px, setup.margin * px));
        painter.scale(m_zoom, m_zoom);
        ReportPainter::paintPage(painter, m_document, m_pages, m_page);
    }

private:
    void resizeToPaper()
    {
        const double px = pixelsPerMm() * m_zoom;
        setFixedSize(int(std::ceil(m_document.page.paperWidth * px)) + 2 * PaperGap + 3,
                     int(std::ceil(m_document.page.paperHeight * px)) + 2 * PaperGap + 3);
    }

    const ReportDocument& m_document;
    const std::vector<ReportPagination::Page>& m_pages;
    int m_page = 0;
    double m_zoom = 1;
};

ReportPreviewDialog::ReportPreviewDialog(const ReportDocument& document, QWidget* parent)
    : QDialog(parent), m_document(document), m_pages(ReportPagination::paginate(document))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(document.name);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(true);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ReportPreviewBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addCommand("ReportPrint", Text(Str::BtnPrint), QKeySequence::Print, &ReportPreviewDialog::printReport)
        ->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    addCommand("ReportSavePdf", Text(Str::ReportSavePdf), QKeySequence::Save, &ReportPreviewDialog::saveAsPdf)
        ->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    bar->addActions(actions());
    bar->addSeparator();
    const int turning = int(actions().size());
    addCommand("ReportFirstPage", Text(Str::PreviewFirst), Qt::Key_Home, &ReportPreviewDialog::firstPage)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    addCommand("ReportPriorPage", Text(Str::PreviewPrior), Qt::Key_PageUp, &ReportPreviewDialog::previousPage)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("ReportPageLabel"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    addCommand("ReportNextPage", Text(Str::PreviewNext), Qt::Key_PageDown, &ReportPreviewDialog::nextPage)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    addCommand("ReportLastPage", Text(Str::PreviewLast), Qt::Key_End, &ReportPreviewDialog::lastPage)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    bar->addAction(actions()[turning]);
    bar->addAction(actions()[turning + 1]);
    bar->addWidget(m_pageLabel);
    bar->addAction(actions()[turning + 2]);
    bar->addAction(actions()[turning + 3]);
    bar->addSeparator();
    for (QAction* zoom : {addCommand("ReportZoomOut", Text(Str::PreviewZoomOut), QKeySequence::ZoomOut, &ReportPreviewDialog::zoomOut),
                          addCommand("ReportZoomIn", Text(Str::PreviewZoomIn), QKeySequence::ZoomIn, &ReportPreviewDialog::zoomIn),
                          addCommand("ReportFitWidth", Text(Str::PreviewFitWidth), QKeySequence(), &ReportPreviewDialog::fitWidth)})
        bar->addAction(zoom);

    m_view = new ReportPageView(document, m_pages, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ReportScroll"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Mid);
    m_scroll->setWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);
    resize(1100, 760);
    setCurrentPage(0);
}

QAction* ReportPreviewDialog::addCommand(const char* name, const QString& text, const QKeySequence& key,
                                         void (ReportPreviewDialog::*slot)())
{
    auto* action = new QAction(withoutAccelerator(text), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
}

void ReportPreviewDialog::setCurrentPage(int index)
{
    m_page = std::clamp(index, 0, pageCount() - 1);
    m_view->show(m_page);
    m_scroll->verticalScrollBar()->setValue(0);
    m_pageLabel->setText(FormatText(Str::PrintPageOf, m_page + 1, pageCount()));
    updateCommands();
}

double ReportPreviewDialog::zoom() const { return m_view->zoom(); }

void ReportPreviewDialog::setZoom(double zoom)
{
    m_view->setZoom(zoom);
    updateCommands();
}

void ReportPreviewDialog::zoomIn() { setZoom(zoom() * ZoomStep); }
void ReportPreviewDialog::zoomOut() { setZoom(zoom() / ZoomStep); }

void ReportPreviewDialog::fitWidth()
{
    const double available = m_scroll->viewport()->width() - 2 * PaperGap - 3;
    setZoom(available / (m_document.page.paperWidth * m_view->pixelsPerMm()));
}

void ReportPreviewDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        fitWidth();
    }
}

void ReportPreviewDialog::updateCommands()
{
    auto enable = [this](const char* name, bool on) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name)))
            a->setEnabled(on);
    };
    enable("ReportFirstPage", m_page > 0);
    enable("ReportPriorPage", m_page > 0);
    enable("ReportNextPage", m_page < pageCount() - 1);
    enable("ReportLastPage", m_page < pageCount() - 1);
    enable("ReportZoomIn", zoom() < MaxZoom);
    enable("ReportZoomOut", zoom() > MinZoom);
}

void ReportPreviewDialog::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_document.name);
    ReportPainter::preparePage(printer, m_document.page);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int printed = 0;
    {
        WaitCursor wait;
        printed = ReportPainter::print(m_document, m_pages, printer, printer.fromPage(), printer.toPage());
    }
    if (printed < 0)
        Messages::error(GridPrinter::cannotPrintText(printer.printerName()));
}

void ReportPreviewDialog::saveAsPdf() { ReportPreview::saveAsPdf(m_document, this); }
