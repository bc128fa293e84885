#include "tables/print/PrintPreviewDialog.h"

#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/FileDialogs.h"
#include "tables/print/PrintJob.h"
#include "text/StrList.h"

#include <QAbstractScrollArea>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <vector>

namespace {
constexpr int Gap = 12;     // screen pixels around each page
constexpr int CacheSize = 8; // drawn pages kept for scrolling back
const int kZoomPercents[] = {25, 50, 75, 100, 125, 150, 200, 300};
enum ZoomItem { FitWidthItem = 0, FitPageItem = 1, FirstPercentItem = 2 };

// The caption and hint of the grid's "fit to width" command, in the language of the string table.
QString fitColumnsText(bool hint)
{
    const bool russian = languageIndex() == 1;
    if (hint)
        return russian ? QStringLiteral("Сжать столбцы до ширины листа, пока текст остаётся читаемым; "
                                        "более широкая таблица продолжается на листах справа")
                       : QStringLiteral("Shrink the columns to the page width while the text stays readable; "
                                        "a wider table continues on the pages to the right");
    return russian ? QStringLiteral("Столбцы по ширине листа") : QStringLiteral("Fit columns to page");
}

QString pdfName(const QString& chosen, int)
{
    return chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? chosen : chosen + QStringLiteral(".pdf");
}
} // namespace

const PreviewNames PreviewNames::grid = {
    "GridPreviewDialog", "PreviewToolBar",   "PreviewPages",    "PreviewPage",       "PreviewPageCount",
    "PreviewFirst",      "PreviewPrior",     "PreviewNext",     "PreviewLast",       "PreviewZoomOut",
    "PreviewZoom",       "PreviewZoomIn",    "PreviewFitWidth", "PreviewPortrait",   "PreviewLandscape",
    "PreviewFitColumns", "PreviewPageSetup", "PreviewPrint",    "PreviewSavePdf",    "PreviewClose"};
const PreviewNames PreviewNames::report = {
    "ReportPreview",    "ReportPreviewBar", "ReportScroll",   "ReportPage",      "ReportPageLabel",
    "ReportFirstPage",  "ReportPriorPage",  "ReportNextPage", "ReportLastPage",  "ReportZoomOut",
    "ReportZoom",       "ReportZoomIn",     "ReportFitWidth", "ReportPortrait",  "ReportLandscape",
    "ReportFitColumns", "ReportPageSetup",  "ReportPrint",    "ReportSavePdf",   "ReportClose"};
const PreviewNames PreviewNames::chart = {
    "ChartPreview",      "PreviewToolBar",   "PreviewPages",    "PreviewPage",       "PreviewPageCount",
    "PreviewFirst",      "PreviewPrior",     "PreviewNext",     "PreviewLast",       "PreviewZoomOut",
    "PreviewZoom",       "PreviewZoomIn",    "PreviewFitWidth", "PreviewPortrait",   "PreviewLandscape",
    "PreviewFitColumns", "PreviewPageSetup", "PreviewPrint",    "PreviewSavePdf",    "PreviewClose"};

// The pages on a grey ground in a scrolling area. Only the pages that reach the viewport are drawn,
// each into an image with the printer's resolution as its dots per inch (so that type is measured
// exactly as on paper) scaled to the zoom; the last few stay cached.
class PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Fit { None, Width, Page };

    PreviewPages(const PrintJob& job, QPrinter& printer, const char* name, QWidget* parent)
        : QAbstractScrollArea(parent), m_job(job), m_printer(printer)
    {
        setObjectName(QString::fromLatin1(name));
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        verticalScrollBar()->setSingleStep(24);
        horizontalScrollBar()->setSingleStep(24);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit currentPageChanged(currentPage()); });
        setFocusPolicy(Qt::StrongFocus);
        reset();
    }

    // The printer's page changed (orientation, paper): counts and sizes anew.
    void reset()
    {
        {
            WaitCursor wait; // counting the pages reads the row count; drawing waits for sight
            m_pageCount = std::max(1, m_job.pageCount(&m_printer));
        }
        const int dpi = m_printer.resolution();
        m_paper = m_printer.pageLayout().fullRectPixels(dpi).size();
        m_content = m_printer.pageLayout().paintRectPixels(dpi).topLeft();
        m_cache.clear();
        m_order.clear();
        applyFit();
        emit currentPageChanged(currentPage());
    }

    int pageCount() const { return m_pageCount; }
    int drawn() const { return m_drawn; }
    double percent() const { return m_scale * m_printer.resolution() / std::max(1, logicalDpiX()) * 100; }

    void setFit(Fit fit)
    {
        m_fit = fit;
        applyFit();
    }
    void setPercent(double percent)
    {
        m_fit = Fit::None;
        setScale(percent / 100 * std::max(1, logicalDpiX()) / m_printer.resolution());
    }

    // The page shown last stays current while the view has not moved: the last pages cannot all
    // scroll to the top of the view.
    int currentPage() const
    {
        if (m_shown > 0 && verticalScrollBar()->value() == m_shownAt)
            return m_shown;
        const double step = pageStep();
        return std::clamp(int((verticalScrollBar()->value() + step / 3) / step) + 1, 1, m_pageCount);
    }
    void showPage(int page)
    {
        page = std::clamp(page, 1, m_pageCount);
        m_shown = page;
        m_shownAt = std::min(verticalScrollBar()->maximum(), int(std::lround((page - 1) * pageStep())));
        if (verticalScrollBar()->value() == m_shownAt)
            emit currentPageChanged(page);
        verticalScrollBar()->setValue(m_shownAt);
    }

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(viewport());
        const QSize size = pageSize();
        const int left = std::max(Gap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
        const double step = pageStep();
        const int first = std::max(0, int(verticalScrollBar()->value() / step));
        for (int page = first; page < m_pageCount; ++page) {
            const int top = int(std::lround(Gap + page * step)) - verticalScrollBar()->value();
            if (top > viewport()->height())
                break;
            const QRect frame(QPoint(left, top), size);
            painter.fillRect(frame.translated(3, 3), QColor(0, 0, 0, 90));
            painter.drawImage(frame.topLeft(), pageImage(page + 1));
        }
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        applyFit();
    }

private:
    QSize pageSize() const
    {
        return QSize(std::max(1, int(std::lround(m_paper.width() * m_scale))),
                     std::max(1, int(std::lround(m_paper.height() * m_scale))));
    }
    double pageStep() const { return pageSize().height() + Gap; }

    void applyFit()
    {
        const QSize area = viewport()->size() - QSize(2 * Gap, 2 * Gap);
        if (m_fit == Fit::Width)
            setScale(area.width() / m_paper.width());
        else if (m_fit == Fit::Page)
            setScale(std::min(area.width() / m_paper.width(), area.height() / m_paper.height()));
        else
            setScale(m_scale);
    }

    void setScale(double scale)
    {
        const int page = currentPage();
        if (scale > 0 && std::abs(scale - m_scale) > 1e-9) {
            m_scale = scale;
            m_cache.clear();
            m_order.clear();
        }
        const QSize size = pageSize();
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setRange(0, std::max(0, int(m_pageCount * pageStep()) + Gap - viewport()->height()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        horizontalScrollBar()->setRange(0, std::max(0, size.width() + 2 * Gap - viewport()->width()));
        showPage(page);
        viewport()->update();
    }

    const QImage& pageImage(int page)
    {
        auto found = m_cache.find(page);
        if (found != m_cache.end()) {
            m_order.remove(page);
            m_order.push_back(page);
            return found->second;
        }
        const QSize size = pageSize();
        QImage image(size, QImage::Format_RGB32);
        const int dotsPerMeter = int(std::lround(m_printer.resolution() / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(double(size.width()) / m_paper.width(), double(size.height()) / m_paper.height());
            painter.translate(m_content);
            m_job.paintPage(painter, &m_printer, page);
        }
        ++m_drawn;
        if (int(m_order.size()) >= CacheSize) {
            m_cache.erase(m_order.front());
            m_order.pop_front();
        }
        m_order.push_back(page);
        return m_cache.emplace(page, std::move(image)).first->second;
    }

    const PrintJob& m_job;
    QPrinter& m_printer;
    int m_pageCount = 1;
    QSizeF m_paper;   // the whole sheet, printer pixels
    QPointF m_content; // where the printable area starts on it
    double m_scale = 0.1;
    Fit m_fit = Fit::Width;
    int m_drawn = 0;
    int m_shown = 0;   // the page showPage() showed last
    int m_shownAt = 0; // and the scroll position it left
    std::map<int, QImage> m_cache;
    std::list<int> m_order;
};

PrintPreviewDialog::PrintPreviewDialog(PrintJob& job, QPrinter& printer, const PreviewNames& names, QWidget* parent)
    : QDialog(parent), m_job(job), m_printer(printer), m_names(names)
{
    setObjectName(QString::fromLatin1(names.dialog));
    setWindowTitle(Text(Str::PreviewCaption) + QStringLiteral(" — ") + job.title());
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(true);
    m_pages = new PreviewPages(job, printer, names.pages, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(m_pages, 1);
    connect(m_pages, &PreviewPages::currentPageChanged, this, &PrintPreviewDialog::showPageNumber);
    pagesChanged();
    // As large as the window it previews, and wide enough for the whole tool bar.
    const QSize window = parent ? parent->window()->size() : QSize(1000, 720);
    const int toolBarWidth = findChild<QToolBar*>(QString::fromLatin1(names.toolBar))->sizeHint().width() + 16;
    resize(window.expandedTo(QSize(toolBarWidth, 600)));
    m_pages->setFocus();
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

QAction* PrintPreviewDialog::addTool(const char* name, const char* icon, const QString& hint, const QKeySequence& key)
{
    auto* action = new QAction(QIcon::fromTheme(QString::fromLatin1(icon)), withoutAccelerator(hint), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(withoutAccelerator(hint));
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    addAction(action);
    return action;
}

void PrintPreviewDialog::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QString::fromLatin1(m_names.toolBar));
    bar->setToolButtonStyle(Qt::ToolButtonFollowStyle);
    layout()->addWidget(bar);

    QAction* print = addTool(m_names.print, "document-print", Text(Str::PreviewPrint), QKeySequence::Print);
    connect(print, &QAction::triggered, this, &PrintPreviewDialog::printPages);
    QAction* save = addTool(m_names.savePdf, "document-save-as", Text(Str::ReportSavePdf), QKeySequence::Save);
    connect(save, &QAction::triggered, this, &PrintPreviewDialog::saveAsPdf);
    bar->addAction(print);
    bar->addAction(save);
    bar->addSeparator();

    QAction* first = addTool(m_names.first, "go-first", Text(Str::PreviewFirst), Qt::Key_Home);
    QAction* prior = addTool(m_names.prior, "go-previous", Text(Str::PreviewPrior), Qt::Key_PageUp);
    QAction* next = addTool(m_names.next, "go-next", Text(Str::PreviewNext), Qt::Key_PageDown);
    QAction* last = addTool(m_names.last, "go-last", Text(Str::PreviewLast), Qt::Key_End);
    connect(first, &QAction::triggered, this, [this] { setCurrentPage(1); });
    connect(prior, &QAction::triggered, this, [this] { setCurrentPage(currentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { setCurrentPage(currentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] { setCurrentPage(pageCount()); });
    m_pageNumber = new QSpinBox(bar);
    m_pageNumber->setObjectName(QString::fromLatin1(m_names.pageNumber));
    m_pageNumber->setKeyboardTracking(false);
    m_pageNumber->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pageNumber->setAlignment(Qt::AlignRight);
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int page) { m_pages->showPage(page); });
    m_pageCount = new QLabel(bar);
    m_pageCount->setObjectName(QString::fromLatin1(m_names.pageCount));
    m_pageCount->setContentsMargins(4, 0, 8, 0);
    bar->addAction(first);
    bar->addAction(prior);
    bar->addWidget(m_pageNumber);
    bar->addWidget(m_pageCount);
    bar->addAction(next);
    bar->addAction(last);
    bar->addSeparator();

    QAction* zoomOut = addTool(m_names.zoomOut, "zoom-out", Text(Str::PreviewZoomOut), QKeySequence::ZoomOut);
    QAction* zoomIn = addTool(m_names.zoomIn, "zoom-in", Text(Str::PreviewZoomIn), QKeySequence::ZoomIn);
    QAction* fit = addTool(m_names.fitWidth, "zoom-fit-width", Text(Str::PreviewFitWidth));
    connect(zoomOut, &QAction::triggered, this, [this] { stepZoom(-1); });
    connect(zoomIn, &QAction::triggered, this, [this] { stepZoom(+1); });
    connect(fit, &QAction::triggered, this, &PrintPreviewDialog::fitWidth);
    m_zoom = new QComboBox(bar);
    m_zoom->setObjectName(QString::fromLatin1(m_names.zoom));
    m_zoom->addItem(Text(Str::PreviewFitWidth));
    m_zoom->addItem(Text(Str::PreviewFitPage));
    for (int percent : kZoomPercents)
        m_zoom->addItem(QStringLiteral("%1 %").arg(percent), percent);
    m_zoom->setCurrentIndex(FitWidthItem);
    connect(m_zoom, &QComboBox::activated, this, &PrintPreviewDialog::zoomChosen);
    bar->addAction(zoomOut);
    bar->addWidget(m_zoom);
    bar->addAction(zoomIn);
    bar->addSeparator();

    auto* orientation = new QActionGroup(this);
    m_portrait = addTool(m_names.portrait, "", Text(Str::PreviewPortrait));
    m_landscape = addTool(m_names.landscape, "", Text(Str::PreviewLandscape));
    for (QAction* a : {m_portrait, m_landscape}) {
        a->setCheckable(true);
        orientation->addAction(a);
        bar->addAction(a);
    }
    const bool landscape = m_printer.pageLayout().orientation() == QPageLayout::Landscape;
    (landscape ? m_landscape : m_portrait)->setChecked(true);
    connect(m_portrait, &QAction::triggered, this, [this] { setOrientation(false); });
    connect(m_landscape, &QAction::triggered, this, [this] { setOrientation(true); });
    std::vector<QAction*> worded = {m_portrait, m_landscape};
    if (m_job.canFitToWidth()) {
        QAction* columns = addTool(m_names.fitColumns, "", fitColumnsText(false));
        columns->setCheckable(true);
        columns->setChecked(m_job.fitsToWidth());
        columns->setToolTip(fitColumnsText(true));
        connect(columns, &QAction::toggled, this, &PrintPreviewDialog::setFitColumns);
        bar->addAction(columns);
        worded.push_back(columns);
    }
    QAction* setup = addTool(m_names.pageSetup, "document-page-setup", Text(Str::PreviewPageSetup));
    connect(setup, &QAction::triggered, this, &PrintPreviewDialog::pageSetup);
    bar->addAction(setup);
    bar->addSeparator();
    QAction* close = addTool(m_names.close, "window-close", Text(Str::BtnClose));
    connect(close, &QAction::triggered, this, &QDialog::reject);
    bar->addAction(close);
    // Text beside the icons where the words say more than a picture.
    for (QAction* a : {print, save, setup, close})
        worded.push_back(a);
    for (QAction* a : worded)
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
            button->setToolButtonStyle(a->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
}

int PrintPreviewDialog::pageCount() const { return m_pages->pageCount(); }
int PrintPreviewDialog::currentPage() const { return m_pages->currentPage(); }
int PrintPreviewDialog::pagesDrawn() const { return m_pages->drawn(); }
double PrintPreviewDialog::zoom() const { return m_pages->percent() / 100; }

void PrintPreviewDialog::setCurrentPage(int page)
{
    m_pages->showPage(page);
    updateCommands();
}

void PrintPreviewDialog::setZoom(double zoom)
{
    m_pages->setPercent(std::clamp(zoom, 0.1, 4.0) * 100);
    updateCommands();
}

void PrintPreviewDialog::fitWidth()
{
    m_zoom->setCurrentIndex(FitWidthItem);
    zoomChosen(FitWidthItem);
}

void PrintPreviewDialog::pagesChanged()
{
    const QSignalBlocker block(m_pageNumber);
    m_pageNumber->setRange(1, pageCount());
    m_pageNumber->setFixedWidth(m_pageNumber->fontMetrics().horizontalAdvance(QString::number(pageCount())) + 16);
    m_pageCount->setText(FormatText(Str::PreviewPageOf, pageCount()));
    showPageNumber(currentPage());
}

void PrintPreviewDialog::showPageNumber(int page)
{
    {
        const QSignalBlocker block(m_pageNumber);
        m_pageNumber->setValue(page);
    }
    updateCommands();
}

void PrintPreviewDialog::updateCommands()
{
    auto enable = [this](const char* name, bool on) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name)))
            a->setEnabled(on);
    };
    const int page = currentPage();
    enable(m_names.first, page > 1);
    enable(m_names.prior, page > 1);
    enable(m_names.next, page < pageCount());
    enable(m_names.last, page < pageCount());
}

void PrintPreviewDialog::zoomChosen(int index)
{
    if (index == FitWidthItem)
        m_pages->setFit(PreviewPages::Fit::Width);
    else if (index == FitPageItem)
        m_pages->setFit(PreviewPages::Fit::Page);
    else
        m_pages->setPercent(m_zoom->itemData(index).toInt());
}

// To the next listed percentage above or below the zoom in use, whatever chose it.
void PrintPreviewDialog::stepZoom(int direction)
{
    const double now = m_pages->percent();
    int chosen = -1;
    for (int i = 0; i < int(std::size(kZoomPercents)); ++i) {
        const int percent = kZoomPercents[i];
        if (direction > 0 && percent > now + 0.5 && chosen < 0)
            chosen = i;
        if (direction < 0 && percent < now - 0.5)
            chosen = i;
    }
    if (chosen < 0)
        return;
    m_zoom->setCurrentIndex(FirstPercentItem + chosen);
    zoomChosen(FirstPercentItem + chosen);
}

void PrintPreviewDialog::setOrientation(bool landscape)
{
    m_printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_pages->reset();
    pagesChanged();
}

void PrintPreviewDialog::setFitColumns(bool fit)
{
    m_job.setFitToWidth(fit);
    m_pages->reset();
    pagesChanged();
}

void PrintPreviewDialog::pageSetup()
{
    QPageSetupDialog dialog(&m_printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool landscape = m_printer.pageLayout().orientation() == QPageLayout::Landscape;
    (landscape ? m_landscape : m_portrait)->setChecked(true);
    m_pages->reset();
    pagesChanged();
}

bool PrintPreviewDialog::printPages()
{
    QPrintDialog dialog(&m_printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int printed = 0;
    {
        WaitCursor wait;
        printed = m_job.print(&m_printer);
    }
    if (printed < 0) {
        Messages::error(PrintOutput::cannotPrintText(m_printer.outputFileName().isEmpty() ? m_printer.printerName()
                                                                                          : m_printer.outputFileName()));
        return false;
    }
    accept();
    return true;
}

bool PrintPreviewDialog::saveAsPdf()
{
    int filter = 0;
    const QString file = FileDialogs::getSaveFileName(this, withoutAccelerator(Text(Str::ReportSavePdf)),
                                                      PrintOutput::proposedPdfName(m_job.title()),
                                                      {Text(Str::ReportPdfFilter)}, &filter, pdfName);
    if (file.isEmpty())
        return false;
    bool written = false;
    {
        WaitCursor wait;
        written = PrintOutput::writePdf(m_job, m_printer, file);
    }
    if (!written) {
        Messages::error(PrintOutput::cannotPrintText(QDir::toNativeSeparators(file)));
        return false;
    }
    PrintOutput::rememberPdfFolder(file);
    return true;
}

#include "PrintPreviewDialog.moc"
