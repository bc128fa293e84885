#include "WindowsFixture.h"

#include "app/DueReminder.h"
#include "devices/DeviceFrm.h"
#include "devices/DueLegend.h"
#include "devices/DueMarks.h"
#include "tables/DatasetGrid.h"
#include "text/StrList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <cmath>

namespace {

// The services of device A-1 on 15 June 2025, in the order of their ids.
class DueMarksTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        DueReminder::setHorizon(30);
        run("insert into NextRep (ID_NextRep, IDevice, IDevRep, NextRep) values "
            "(3, 1, 3, '2025-06-15 18:00:00'), (4, 1, 1, '2025-07-15 00:00:00'), (5, 1, 2, '2025-07-16 00:00:00')");
        form = open<TDeviceForm>("TDeviceForm");
        EXPECT_TRUE(form->LocateDevice(1));
        form->Swap();
        child<QTabWidget>(form, "FormPanel")->setCurrentIndex(0);
        grid = child<DatasetGrid>(form, "gridService");
        legend = child<DueLegend>(form, "DueLegend");
    }
    void TearDown() override
    {
        qApp->setStyleSheet(QString());
        WindowsFixture::TearDown();
    }

    // Each service's id with what its row shows: "-" unmarked, "overdue" or "soon".
    QStringList marks()
    {
        Dataset* services = grid->dataset();
        const int next = services->fieldIndex("NextRep");
        const int other = services->fieldIndex("Short_Reps");
        QStringList shown;
        for (int row = 0; row < services->recordCount(); ++row) {
            const QModelIndex dateCell = grid->model()->index(row, next);
            const QVariant back = dateCell.data(Qt::BackgroundRole);
            QString mark = QStringLiteral("-");
            if (back == QVariant(legend->overdueColor()))
                mark = QStringLiteral("overdue");
            else if (back == QVariant(legend->dueSoonColor()))
                mark = QStringLiteral("soon");
            // Not by colour alone: a bold date with a shape beside it, the rest of the row plain.
            const bool marked = mark != QStringLiteral("-");
            EXPECT_EQ(dateCell.data(Qt::FontRole).value<QFont>().bold(), marked) << row;
            EXPECT_EQ(dateCell.data(Qt::DecorationRole).isValid(), marked) << row;
            EXPECT_FALSE(grid->model()->index(row, other).data(Qt::FontRole).isValid()) << row;
            EXPECT_EQ(grid->model()->index(row, other).data(Qt::BackgroundRole), back) << row;
            shown << QStringLiteral("%1 %2").arg(services->valueAt(row, services->fieldIndex("ID_NextRep")).toInt()).arg(mark);
        }
        shown.sort();
        return shown;
    }

    TDeviceForm* form = nullptr;
    DatasetGrid* grid = nullptr;
    DueLegend* legend = nullptr;
};

} // namespace

TEST_F(DueMarksTest, ServicesAreMarkedByTheirNextDateAndFollowTheHorizon)
{
    // 16 March overdue; no date unmarked; today at six in the evening, and the horizon's last day,
    // due soon; the day after it not yet.
    EXPECT_EQ(marks(), QStringList({"1 overdue", "2 -", "3 soon", "4 soon", "5 -"}));
    auto* soonKey = child<QLabel>(legend, "DueLegendDueSoon");
    EXPECT_FALSE(soonKey->isHidden());
    EXPECT_TRUE(soonKey->text().contains(FormatText(Str::DueLegendDueSoon, 30)));

    DueReminder::setHorizon(45); // chosen under Options while the window is open
    EXPECT_EQ(marks(), QStringList({"1 overdue", "2 -", "3 soon", "4 soon", "5 soon"}));
    DueReminder::setHorizon(DueRule::Off);
    EXPECT_EQ(marks(), QStringList({"1 overdue", "2 -", "3 -", "4 -", "5 -"}));
    EXPECT_TRUE(soonKey->isHidden());

    // A date typed into the grid is marked from the value the row now holds.
    Dataset* services = grid->dataset();
    ASSERT_TRUE(services->locate("ID_NextRep", 5));
    services->edit();
    services->setValue("NextRep", QDateTime(QDate(2025, 6, 1), QTime()));
    EXPECT_EQ(marks(), QStringList({"1 overdue", "2 -", "3 -", "4 -", "5 overdue"}));
}

// Every skin the program ships defines both marks, each readable: text and background far enough
// apart in brightness, and overdue told from due soon. A change of skin repaints the open grids.
TEST_F(DueMarksTest, EverySkinColoursTheMarksReadably)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const auto contrast = [&](const QColor& a, const QColor& b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    const QDir skins(QStringLiteral(INSTREL_TEST_SOURCE_DIR "/../skins"));
    const QStringList files = skins.entryList({"*.qss"}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    const int next = grid->dataset()->fieldIndex("NextRep");
    ASSERT_TRUE(grid->dataset()->locate("ID_NextRep", 1));
    const int overdueRow = grid->dataset()->currentRow();
    for (const QString& file : files) {
        QFile sheet(skins.filePath(file));
        ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(sheet.readAll());
        qApp->setStyleSheet(text);
        QCoreApplication::processEvents();
        for (const char* property : {"overdueColor", "overdueTextColor", "dueSoonColor", "dueSoonTextColor"}) {
            const QRegularExpression set(QStringLiteral("qproperty-%1:\\s*(#[0-9a-fA-F]{6})").arg(property));
            const QRegularExpressionMatch found = set.match(text);
            ASSERT_TRUE(found.hasMatch()) << file.toStdString() << " " << property;
            EXPECT_EQ(legend->property(property).value<QColor>(), QColor(found.captured(1))) << file.toStdString() << " " << property;
        }
        EXPECT_GE(contrast(legend->overdueColor(), legend->overdueTextColor()), 4.5) << file.toStdString();
        EXPECT_GE(contrast(legend->dueSoonColor(), legend->dueSoonTextColor()), 4.5) << file.toStdString();
        EXPECT_NE(legend->overdueColor(), legend->dueSoonColor()) << file.toStdString();
        EXPECT_EQ(grid->model()->index(overdueRow, next).data(Qt::BackgroundRole), QVariant(legend->overdueColor()))
            << file.toStdString();
    }
}
