#include "data/Clock.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "tables/report/ReportPagination.h"
#include "tables/report/ReportPainter.h"
#include "tables/report/ReportPreviewDialog.h"
#include "tables/FileDialogs.h"
#include "support/MessageRecorder.h"
#include "text/StrList.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace ReportPagination;

// A document of `rows` details of `detailHeight` mm under a 20 mm title and a 30 mm column header,
// with a footer numbering the pages. Page 190 mm high, footer 6 mm: bands end at most at 184 mm.
ReportDocument document(int rows, double detailHeight = 30, double summaryHeight = 0)
{
    ReportDocument doc;
    doc.name = "Опись";
    doc.title.height = 20;
    doc.title.add(QRectF(0, 0, 277, 10), "Опись приборов", Qt::AlignHCenter | Qt::AlignVCenter).font = {12, true};
    doc.columnHeader.height = 30;
    doc.columnHeader.addBox(0, 0, 60, 30, "Прибор");
    ReportCell& rotated = doc.columnHeader.addBox(60, 0, 10, 30, "Разряды сотру");
    rotated.rotation = 90;
    for (int r = 0; r < rows; ++r) {
        ReportBand band;
        band.height = detailHeight;
        band.addBox(0, 0, 60, detailHeight, QStringLiteral("Строка %1").arg(r + 1));
        doc.details.push_back(band);
    }
    doc.summary.height = summaryHeight;
    if (summaryHeight > 0)
        doc.summary.add(QRectF(0, 0, 60, summaryHeight), "Итого строк");
    doc.pageFooter.height = 6;
    doc.pageFooter.add(QRectF(0, 0, 277, 6), QStringLiteral("Лист %[Page] из %[Pages]"), Qt::AlignRight);
    return doc;
}

std::vector<BandKind> kinds(const Page& page)
{
    std::vector<BandKind> list;
    for (const PlacedBand& band : page.bands)
        list.push_back(band.kind);
    return list;
}

int count(const Page& page, BandKind kind)
{
    return int(std::count_if(page.bands.begin(), page.bands.end(), [kind](const PlacedBand& b) { return b.kind == kind; }));
}

} // namespace

TEST(ReportPagination, DetailsAreNeverSplitAndEveryPageHasItsHeaderAndFooter)
{
    const ReportDocument doc = document(12);
    const std::vector<Page> pages = paginate(doc);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].detailCount, 4) << "title 20 + header 30 + 4 × 30 = 170; a fifth would end at 200";
    EXPECT_EQ(pages[1].detailCount, 5) << "header 30 + 5 × 30 = 180 ≤ 184";
    EXPECT_EQ(pages[2].firstDetail, 9);
    EXPECT_EQ(pages[2].detailCount, 3);
    int next = 0;
    for (const Page& page : pages) {
        EXPECT_EQ(count(page, BandKind::ColumnHeader), 1);
        EXPECT_EQ(count(page, BandKind::PageFooter), 1);
        for (const PlacedBand& band : page.bands) {
            if (band.kind != BandKind::Detail)
                continue;
            EXPECT_EQ(band.detail, next++) << "details keep their order";
            EXPECT_LE(band.top + doc.details[size_t(band.detail)].height, 184 + 1e-9) << "no detail runs into the footer";
        }
    }
    EXPECT_EQ(next, 12);
    EXPECT_EQ(count(pages[0], BandKind::Title), 1);
    EXPECT_EQ(count(pages[1], BandKind::Title), 0) << "the title prints once";
    EXPECT_EQ(pages[1].bands.front().kind, BandKind::ColumnHeader);
    EXPECT_DOUBLE_EQ(pages[1].bands.front().top, 0);
}

TEST(ReportPagination, EmptyReportsTallDetailsAndTheSummary)
{
    struct Case {
        const char* name;
        int rows;
        double detailHeight, summaryHeight;
        std::vector<std::vector<BandKind>> pages;
    };
    using K = BandKind;
    const Case cases[] = {
        {"no rows still prints a page", 0, 30, 0, {{K::Title, K::ColumnHeader, K::PageFooter}}},
        {"no rows, summary under the header", 0, 30, 8, {{K::Title, K::ColumnHeader, K::PageFooter, K::Summary}}},
        {"a summary that does not fit goes to a page of its own, under the header", 4, 33, 8,
         {{K::Title, K::ColumnHeader, K::PageFooter, K::Detail, K::Detail, K::Detail, K::Detail},
          {K::ColumnHeader, K::PageFooter, K::Summary}}},
        {"a detail taller than a page stands alone", 2, 200, 0,
         {{K::Title, K::ColumnHeader, K::PageFooter, K::Detail}, {K::ColumnHeader, K::PageFooter, K::Detail}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Page> pages = paginate(document(c.rows, c.detailHeight, c.summaryHeight));
        ASSERT_EQ(pages.size(), c.pages.size());
        for (size_t p = 0; p < pages.size(); ++p)
            EXPECT_EQ(kinds(pages[p]), c.pages[p]) << "page " << p + 1;
    }
}

TEST(ReportPainter, PdfReadsBackWithPageNumbersAndRotatedCaptionsOnEveryPage)
{
    TempWorkDir dir;
    const ReportDocument doc = document(12, 30, 8);
    const std::vector<Page> pages = paginate(doc);
    const QString pdf = dir.file("report.pdf");
    ASSERT_TRUE(ReportPainter::writePdf(doc, pages, pdf));
    EXPECT_EQ(PdfText::pageCount(pdf), 3);
    EXPECT_EQ(PdfText::info(pdf, "Title"), "Опись");
    EXPECT_TRUE(PdfText::info(pdf, "Page size").contains("842 x 595")) << "A4 landscape";
    const QStringList text = PdfText::pages(pdf);
    ASSERT_EQ(text.size(), 3);
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_TRUE(text[p].contains(QStringLiteral("Лист %1 из 3").arg(p + 1)));
        EXPECT_TRUE(text[p].contains("Прибор"));
        EXPECT_TRUE(text[p].contains("Разряды сотру")) << "rotated text is text";
    }
    EXPECT_TRUE(text[0].contains("Опись приборов"));
    EXPECT_FALSE(text[1].contains("Опись приборов"));
    EXPECT_TRUE(text[2].contains("Строка 12"));
    EXPECT_TRUE(text[2].contains("Итого строк"));
}

TEST(ReportPainter, PaintingTwiceGivesTheSamePage)
{
    const ReportDocument doc = document(12);
    const std::vector<Page> pages = paginate(doc);
    auto render = [&](int page) {
        QImage image(1170, 800, QImage::Format_RGB32); // 277 × 190 mm at 107 dpi
        image.setDotsPerMeterX(4200);
        image.setDotsPerMeterY(4200);
        image.fill(Qt::white);
        QPainter painter(&image);
        ReportPainter::paintPage(painter, doc, pages, page);
        return image;
    };
    const QImage first = render(1);
    render(2);
    EXPECT_EQ(render(1), first);
    EXPECT_NE(render(0), first);
}

TEST(ReportPainter, AFileThatCannotBeWrittenIsRefused)
{
    TempWorkDir dir;
    const ReportDocument doc = document(3);
    const QString pdf = dir.file("missing/folder/report.pdf");
    EXPECT_FALSE(ReportPainter::writePdf(doc, paginate(doc), pdf));
    EXPECT_FALSE(QFile::exists(pdf));

}

// The report's preview is the program's one preview frame: page turning, zoom, the paper turned
// (the landscape report shrunk onto a portrait sheet, not cut) and the PDF saved under the report's
// name and the day, in the folder used last time.
TEST(ReportPreviewDialog, TurnsPagesZoomsTurnsThePaperAndSavesThePdf)
{
    TempWorkDir dir;
    setLanguageIndex(1);
    Clock::fix(QDateTime(QDate(2004, 3, 5), QTime(10, 0)));
    const ReportDocument doc = document(12);
    ReportPreviewDialog dialog(doc);
    dialog.show();
    QTest::qWait(10);
    EXPECT_TRUE(dialog.windowTitle().endsWith("Опись"));
    EXPECT_TRUE(dialog.isModal());
    auto trigger = [&dialog](const char* name) {
        QAction* action = dialog.findChild<QAction*>(name);
        ASSERT_TRUE(action) << name;
        action->trigger();
    };
    auto enabled = [&dialog](const char* name) { return dialog.findChild<QAction*>(name)->isEnabled(); };
    EXPECT_EQ(dialog.findChild<QLabel*>("ReportPageLabel")->text(), "из 3");
    EXPECT_EQ(dialog.pageCount(), 3);
    EXPECT_FALSE(enabled("ReportPriorPage"));
    trigger("ReportNextPage");
    EXPECT_EQ(dialog.currentPage(), 2);
    trigger("ReportLastPage");
    EXPECT_EQ(dialog.currentPage(), 3);
    EXPECT_FALSE(enabled("ReportNextPage"));
    QTest::keyClick(&dialog, Qt::Key_Home);
    EXPECT_EQ(dialog.currentPage(), 1);

    const double fitted = dialog.zoom();
    trigger("ReportZoomIn");
    EXPECT_GT(dialog.zoom(), fitted);
    trigger("ReportFitWidth");
    EXPECT_DOUBLE_EQ(dialog.zoom(), fitted);

    MessageRecorder messages;
    FileDialogs::setNextSaveFileName(dir.file("sub/опись"));
    QDir(dir.path()).mkdir("sub");
    trigger("ReportSavePdf");
    EXPECT_EQ(FileDialogs::lastProposedFileName(), "Опись 05.03.2004.pdf");
    EXPECT_EQ(PdfText::pageCount(dir.file("sub/опись.pdf")), 3);
    EXPECT_FALSE(QFile::exists(dir.file("sub/опись.pdf.part")));

    trigger("ReportPortrait");
    EXPECT_EQ(dialog.pageCount(), 3) << "the report keeps its pages on the other paper";
    FileDialogs::setNextSaveFileName(dir.file("sub/книжная.pdf"));
    trigger("ReportSavePdf");
    EXPECT_EQ(FileDialogs::lastProposedFileName(), QDir(dir.file("sub")).filePath("Опись 05.03.2004.pdf"))
        << "the folder saved in last";
    EXPECT_TRUE(PdfText::info(dir.file("sub/книжная.pdf"), "Page size").contains("595 x 842"));
    const QStringList portrait = PdfText::pages(dir.file("sub/книжная.pdf"));
    ASSERT_EQ(portrait.size(), 3);
    EXPECT_TRUE(portrait[2].contains("Лист 3 из 3")) << "the foot of the page is shrunk onto the sheet";
    EXPECT_TRUE(messages.shown().isEmpty());

    FileDialogs::setNextSaveFileName(dir.file("missing/опись.pdf"));
    trigger("ReportSavePdf");
    EXPECT_EQ(messages.shown().size(), 1) << "a file that cannot be written is reported";
    EXPECT_FALSE(QFile::exists(dir.file("missing/опись.pdf")));
    Clock::fix({});
    setLanguageIndex(INSTREL_LANGUAGE);
}
