#include "data/Clock.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "tables/GridPrinter.h"

#include <QHeaderView>
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

TEST_F(GridPrinterTest, PreviewSeamWritesAllRowsOfVisibleColumnsOnSeveralPages)
{
    build(300);
    Clock::fix(QDateTime(QDate(2004, 3, 5), QTime(10, 0)));
    GridPrinter printer(&view);
    printer.setPageFooter("Печать %[Today]");
    const QString pdf = dir.file("grid.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    MessageRecorder messages;
    printer.preview(nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());

    QPrinter reference(QPrinter::HighResolution);
    GridPrinter::preparePrinter(&reference);
    const int pages = pdfPages(pdf);
    EXPECT_GT(pages, 2) << "300 rows do not fit on one or two pages";
    EXPECT_EQ(pages, printer.pageCount(&reference));

    const QString text = run("/usr/bin/pdftotext", {"-layout", pdf, "-"});
    EXPECT_EQ(text.count("Тип прибора"), pages) << "titles repeat on every page";
    EXPECT_EQ(text.count("Печать 05.03.2004"), pages) << "the footer with today's date";
    EXPECT_TRUE(text.contains("Манометр"));
    EXPECT_TRUE(text.contains("N-1 "));
    EXPECT_TRUE(text.contains("N-300"));
    EXPECT_FALSE(text.contains("ID_Device"));
    EXPECT_FALSE(text.contains("secret"));
    const QString firstLine = text.section('\n', 0, 0).simplified();
    EXPECT_EQ(firstLine, "Цена Номер Тип прибора") << "visual order";
}

TEST_F(GridPrinterTest, NoHeaderOrFooterByDefaultAndEmptyGridStillPrintsItsTitles)
{
    build(0);
    GridPrinter printer(&view);
    const QString pdf = dir.file("empty.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    printer.preview(nullptr);
    EXPECT_EQ(pdfPages(pdf), 1);
    const QString text = run("/usr/bin/pdftotext", {pdf, "-"}).simplified();
    EXPECT_EQ(text, "Цена Номер Тип прибора");
}

TEST_F(GridPrinterTest, TodaySubstitutionAndMargins)
{
    Clock::fix(QDateTime(QDate(2025, 1, 31), QTime(0, 0)));
    EXPECT_EQ(GridPrinter::substitute("Отчёт на %[Today]."), "Отчёт на 31.01.2025.");
    EXPECT_EQ(GridPrinter::substitute("%[Today] %[Today]"), "31.01.2025 31.01.2025");
    EXPECT_EQ(GridPrinter::substitute("нет"), "нет");
    QPrinter printer;
    GridPrinter::preparePrinter(&printer);
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    EXPECT_NEAR(margins.left(), 2.0, 0.01);
    EXPECT_NEAR(margins.top(), 2.0, 0.01);
    EXPECT_NEAR(margins.right(), 2.0, 0.01);
    EXPECT_NEAR(margins.bottom(), 2.0, 0.01);
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

} // namespace
