#include "data/Clock.h"
#include "support/MessageRecorder.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "data/WaitCursor.h"
#include "tables/print/GridPrinter.h"
#include "tables/print/GridPreviewDialog.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString& pdf)
{
    const QRegularExpressionMatch match =
        QRegularExpression("Pages:\\s+(\\d+)").match(run("/usr/bin/pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// No word of any page stands closer than 10 mm to an edge of its sheet; the number of words.
int expectWordsInsideMargins(const QString& pdf)
{
    const QString boxes = run("/usr/bin/pdftotext", {"-bbox", pdf, "-"});
    const QRegularExpression pageSize("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"");
    const QRegularExpression word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">");
    const QRegularExpressionMatch size = pageSize.match(boxes);
    EXPECT_TRUE(size.hasMatch());
    const double width = size.captured(1).toDouble(), height = size.captured(2).toDouble();
    const double tenMm = 10 / 25.4 * 72 - 0.5;
    int words = 0;
    for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
        const QRegularExpressionMatch m = it.next();
        EXPECT_GE(m.captured(1).toDouble(), tenMm);
        EXPECT_GE(m.captured(2).toDouble(), tenMm);
        EXPECT_LE(m.captured(3).toDouble(), width - tenMm);
        EXPECT_LE(m.captured(4).toDouble(), height - tenMm);
    }
    return words;
}

// A big plant's list without the cost of storing it: each cell is computed when asked for.
class ComputedRows : public QAbstractTableModel {
public:
    explicit ComputedRows(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex& = {}) const override { return m_rows; }
    int columnCount(const QModelIndex& = {}) const override { return 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        ++asked;
        return QString("ИН-%1/%2").arg(index.row() + 1).arg(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return orientation == Qt::Horizontal && role == Qt::DisplayRole ? QVariant(QString("Колонка %1").arg(section))
                                                                         : QVariant();
    }
    mutable int asked = 0;

private:
    int m_rows;
};

// A grid of `rows` devices: number, type (Cyrillic), a hidden internal column, price.
class GridPrinterTest : public ::testing::Test {
protected:
    void build(int rows)
    {
        model.setHorizontalHeaderLabels({"Номер", "Тип прибора", "ID_Device", "Цена"});
        for (int r = 0; r < rows; ++r) {
            QList<QStandardItem*> items = {new QStandardItem(QString("N-%1").arg(r + 1)),
                                           new QStandardItem(r == 0 ? "Манометр" : "Термометр"),
                                           new QStandardItem("secret"), new QStandardItem(QString::number(r))};
            model.appendRow(items);
        }
        view.setModel(&model);
        view.setColumnHidden(2, true);
        view.horizontalHeader()->moveSection(3, 0); // Цена first
    }
    void TearDown() override
    {
        GridPrinter::setPreviewOutputFile({});
        Clock::fix({});
    }

    TempWorkDir dir;
    QStandardItemModel model;
    QTableView view;
};

TEST_F(GridPrinterTest, EveryPageCarriesTitleDatePageNumberAndColumnTitles)
{
    build(300);
    view.setWindowTitle("Паспорта");
    Clock::fix(QDateTime(QDate(2004, 3, 5), QTime(10, 0)));
    GridPrinter printer(&view);
    printer.setPageFooter("Подпись %[Today]");
    const QString pdf = dir.file("grid.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    MessageRecorder messages;
    printer.preview(nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());

    QPrinter reference(QPrinter::HighResolution);
    printer.preparePrinterForGrid(&reference);
    const int pages = pdfPages(pdf);
    EXPECT_GT(pages, 2) << "300 rows do not fit on one or two pages";
    EXPECT_EQ(pages, printer.pageCount(&reference));

    const QString text = run("/usr/bin/pdftotext", {"-layout", pdf, "-"});
    const QStringList pageTexts = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), pages);
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        const QStringList lines = pageTexts[page - 1].split('\n', Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[0].simplified(), "Паспорта Напечатано 05.03.2004");
        EXPECT_EQ(lines[1].simplified(), "Цена Номер Тип прибора") << "titles in visual order on every page";
        EXPECT_EQ(lines.last().simplified(), QString("Подпись 05.03.2004 Лист %1 из %2").arg(page).arg(pages));
    }
    EXPECT_TRUE(text.contains("Манометр"));
    EXPECT_TRUE(text.contains("N-1 "));
    EXPECT_TRUE(text.contains("N-300"));
    EXPECT_FALSE(text.contains("ID_Device"));
    EXPECT_FALSE(text.contains("secret"));
}

TEST_F(GridPrinterTest, EmptyGridPrintsOnePageWithItsTitles)
{
    build(0);
    Clock::fix(QDateTime(QDate(2025, 1, 31), QTime(0, 0)));
    GridPrinter printer(&view);
    printer.setTitle("Пустой список");
    const QString pdf = dir.file("empty.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    printer.preview(nullptr);
    EXPECT_EQ(pdfPages(pdf), 1);
    const QString text = run("/usr/bin/pdftotext", {"-layout", pdf, "-"}).simplified();
    EXPECT_EQ(text, "Пустой список Напечатано 31.01.2025 Цена Номер Тип прибора Лист 1 из 1");
}

// Most printers cannot print the outer few millimetres: nothing may stand closer than 10 mm to an edge.
TEST_F(GridPrinterTest, NothingIsPrintedWithinTenMillimetresOfTheEdge)
{
    Clock::fix(QDateTime(QDate(2025, 1, 31), QTime(0, 0)));
    EXPECT_EQ(GridPrinter::substitute("Отчёт на %[Today]."), "Отчёт на 31.01.2025.");
    QPrinter margins;
    GridPrinter::preparePrinter(&margins);
    EXPECT_EQ(margins.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));

    build(120);
    view.setWindowTitle("Очень длинное название окна, которое не уместится на листе целиком, как бы широк он ни был "
                        "и какой бы мелкий шрифт ни выбрал пользователь для своей таблицы приборов");
    for (int c = 0; c < 4; ++c)
        view.setColumnWidth(c, 2000); // far wider than the page together
    const QString pdf = dir.file("edges.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    GridPrinter(&view).preview(nullptr);
    const int words = expectWordsInsideMargins(pdf);
    EXPECT_GT(words, 100);
    const QString text = run("/usr/bin/pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.contains("Очень длинное название")) << "the title is shortened, not dropped";
}

// A list as wide as the device list: its columns neither squeezed below readable type nor cut. They
// continue on pages to the right, the key column repeated on each, the titles wrapped whole.
TEST_F(GridPrinterTest, WideGridContinuesOnPagesAcrossWithItsKeyColumnRepeated)
{
    QStandardItemModel wide(40, 26);
    wide.setHorizontalHeaderItem(0, new QStandardItem("Номер"));
    for (int c = 1; c < 26; ++c)
        wide.setHorizontalHeaderItem(c, new QStandardItem(QString("Столбец-%1 дата следующего обслуживания").arg(c)));
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 26; ++c)
            wide.setItem(r, c, new QStandardItem(c == 0 ? QString("N-%1").arg(r + 1) : QString("%1/%2").arg(r + 1).arg(c)));
    QTableView grid;
    grid.setModel(&wide);
    grid.setWindowTitle("Паспорта");
    for (int c = 0; c < 26; ++c)
        grid.setColumnWidth(c, c == 0 ? 70 : 110);
    grid.setColumnHidden(5, true);
    GridPrinter printer(&grid);
    QPrinter reference(QPrinter::HighResolution);
    printer.preparePrinterForGrid(&reference);
    const int across = printer.pagesAcross(&reference);
    EXPECT_GT(across, 1);
    EXPECT_EQ(printer.pageCount(&reference) % across, 0);

    const QString pdf = dir.file("wide.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    printer.preview(nullptr);
    const QStringList pages = PdfText::pages(pdf);
    ASSERT_EQ(pages.size(), printer.pageCount(&reference));
    for (int p = 0; p < int(pages.size()); ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_TRUE(pages[p].contains("Паспорта"));
        EXPECT_TRUE(pages[p].contains("Номер")) << "the key column's title on every page";
        EXPECT_TRUE(pages[p].contains("N-")) << "and its cells";
    }
    const QString all = pages.join('\n');
    for (int c = 1; c < 26; ++c) {
        const QString title = QString("Столбец-%1").arg(c);
        EXPECT_EQ(all.contains(title + " ") || all.contains(title + "\n"), c != 5) << title.toStdString();
        EXPECT_EQ(all.contains(QString("40/%1").arg(c)), c != 5) << c;
    }
    EXPECT_GE(all.count("обслуживания"), 24) << "titles wrap onto further lines instead of being cut";
    EXPECT_GT(expectWordsInsideMargins(pdf), 500);

    // The preview's command lets the columns keep their window widths.
    GridPreviewDialog dialog(printer, reference);
    const int fitted = dialog.pageCount();
    dialog.findChild<QAction*>("PreviewFitColumns")->trigger();
    EXPECT_FALSE(printer.fitsToWidth());
    EXPECT_GE(dialog.pageCount(), fitted);
    EXPECT_EQ(dialog.pageCount(), printer.pageCount(&reference));
}

// Shrinking to the page's width happens only while the type stays readable.
TEST_F(GridPrinterTest, GridIsFittedToThePageWidthOnlyWhileItsTypeStaysReadable)
{
    build(5);
    QPrinter reference(QPrinter::HighResolution);
    GridPrinter::preparePrinter(&reference);
    reference.setPageOrientation(QPageLayout::Landscape);
    const double pagePixels = reference.pageLayout().paintRectPixels(reference.resolution()).width() *
                              view.logicalDpiX() / reference.resolution();
    const double minimumScale = GridPrinter::MinimumPoints / view.font().pointSizeF();
    ASSERT_LT(minimumScale, 0.95) << "the test needs a font larger than the minimum";
    struct Case {
        double widthInPages;
        bool fit;
        bool oneAcross;
    };
    const double justFitting = (1 + 1 / minimumScale) / 2; // shrinks to a scale above the minimum
    for (const Case& c : {Case{0.9, false, true}, Case{justFitting, true, true}, Case{justFitting, false, false},
                          Case{3.0, true, false}}) {
        SCOPED_TRACE(c.widthInPages);
        for (int column : {0, 1, 3})
            view.setColumnWidth(column, int(pagePixels * c.widthInPages / 3));
        GridPrinter printer(&view);
        printer.setFitToWidth(c.fit);
        EXPECT_EQ(printer.pagesAcross(&reference) == 1, c.oneAcross);
    }
}

TEST_F(GridPrinterTest, WideGridIsScaledIntoThePage)
{
    build(3);
    for (int c = 0; c < 4; ++c)
        view.setColumnWidth(c, 2000); // far wider than A4 together
    const QString pdf = dir.file("wide.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    GridPrinter(&view).preview(nullptr);
    const QString text = run("/usr/bin/pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.contains("Тип прибора")) << "the last column is still on the page";
    EXPECT_TRUE(text.contains("N-3"));
}

// 100,000 rows make thousands of pages; the preview opens on the first ones, draws only what comes
// into sight, and reads only their rows.
TEST_F(GridPrinterTest, PreviewDrawsOnlyThePagesInSight)
{
    ComputedRows rows(100000);
    QTableView big;
    big.setModel(&rows);
    big.setWindowTitle("Паспорта");
    GridPrinter grid(&big);
    QPrinter printer(QPrinter::HighResolution);
    grid.preparePrinterForGrid(&printer);
    GridPreviewDialog dialog(grid, printer);
    dialog.show();
    QCoreApplication::processEvents();
    const int pages = grid.pageCount(&printer);
    EXPECT_GT(pages, 1000);
    EXPECT_EQ(dialog.pageCount(), pages);
    EXPECT_EQ(dialog.currentPage(), 1);
    EXPECT_EQ(dialog.findChild<QLabel*>("PreviewPageCount")->text(), QString("из %1").arg(pages));
    EXPECT_GE(dialog.pagesDrawn(), 1);
    EXPECT_LE(dialog.pagesDrawn(), 3);
    const int perPage = 100000 / pages + 1;
    EXPECT_LE(rows.asked, 3 * perPage * 3) << "only the rows of the pages drawn are read";

    dialog.setCurrentPage(pages);
    QCoreApplication::processEvents();
    dialog.repaint();
    EXPECT_EQ(dialog.currentPage(), pages);
    EXPECT_LE(dialog.pagesDrawn(), 6);
    dialog.findChild<QAction*>("PreviewFirst")->trigger();
    EXPECT_EQ(dialog.currentPage(), 1);
    dialog.findChild<QAction*>("PreviewNext")->trigger();
    EXPECT_EQ(dialog.currentPage(), 2);

    // Turning the paper lays the rows out anew.
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    dialog.findChild<QAction*>(landscape ? "PreviewPortrait" : "PreviewLandscape")->trigger();
    EXPECT_NE(dialog.pageCount(), pages);
    EXPECT_EQ(dialog.pageCount(), grid.pageCount(&printer));
}

// The wait cursor covers counting the pages, never the time the user spends reading them.
TEST_F(GridPrinterTest, WaitCursorIsGoneWhileThePreviewIsShown)
{
    build(50);
    int waiting = 0, shown = 0, duringPreview = -1;
    WaitCursor::hooks().show = [&] { ++waiting, ++shown; };
    WaitCursor::hooks().restore = [&] { --waiting; };
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<GridPreviewDialog*>(QApplication::activeModalWidget());
        duringPreview = dialog ? waiting : -2;
        if (dialog)
            dialog->reject();
    });
    GridPrinter(&view).preview(nullptr);
    WaitCursor::hooks() = {};
    EXPECT_EQ(duringPreview, 0);
    EXPECT_GE(shown, 1) << "the pages were counted under the wait cursor";
    EXPECT_EQ(waiting, 0);
}

} // namespace
