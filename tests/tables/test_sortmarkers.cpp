#include "tables/SortMarkers.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using Marker = SortMarkers::Marker;

TEST(SortMarkers, TitleClickCyclesAscendingDescendingNone)
{
    SortMarkers markers;
    EXPECT_EQ(markers.cycle("Name_DevType"), Marker::Ascending);
    EXPECT_EQ(markers.sortText(), "Name_DevType");
    EXPECT_EQ(markers.cycle("Name_DevType"), Marker::Descending);
    EXPECT_EQ(markers.sortText(), "Name_DevType DESC");
    EXPECT_EQ(markers.cycle("Name_DevType"), Marker::None); // third click: marker and its sort part gone
    EXPECT_EQ(markers.sortText(), "");
    EXPECT_TRUE(markers.isEmpty());
}

TEST(SortMarkers, SortListFollowsMarkingOrder)
{
    SortMarkers markers;
    markers.setMarker("Name_DevType", Marker::Ascending);
    markers.setMarker("Name_Location", Marker::Descending);
    EXPECT_EQ(markers.sortText(), "Name_DevType, Name_Location DESC");
    markers.setMarker("name_devtype", Marker::Descending); // switching keeps the place, case ignored
    EXPECT_EQ(markers.sortText(), "Name_DevType DESC, Name_Location DESC");
    markers.setMarker("Name_DevType", Marker::None);
    markers.setMarker("Name_DevType", Marker::Ascending); // re-marked: now last
    EXPECT_EQ(markers.sortText(), "Name_Location DESC, Name_DevType");
    EXPECT_EQ(markers.position("NAME_DEVTYPE"), 2);
    EXPECT_EQ(markers.position("ANumber"), 0);
    EXPECT_EQ(markers.fields(), QStringList({"Name_Location", "Name_DevType"}));
}

TEST(SortMarkers, FieldNamesKeepEveryCharacter)
{
    SortMarkers markers;
    markers.setMarker("Crew1", Marker::Ascending);
    markers.setMarker("Dep1Name", Marker::Descending);
    EXPECT_EQ(markers.sortText(), "Crew1, Dep1Name DESC");
}

TEST(SortMarkers, CommandsAreEnabledByTheCurrentMarker)
{
    const struct {
        Marker current;
        bool asc, desc, none;
    } cases[] = {
        {Marker::None, true, true, false},
        {Marker::Ascending, false, true, true},
        {Marker::Descending, true, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SortMarkers::canSortAscending(c.current), c.asc);
        EXPECT_EQ(SortMarkers::canSortDescending(c.current), c.desc);
        EXPECT_EQ(SortMarkers::canClearSort(c.current), c.none);
    }
}

// Ink above and below the section's middle: a triangle has its wide side where it has more ink.
struct Ink {
    int above = 0, below = 0, titleSide = 0;
};
Ink inkOf(const QImage& image)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int dark = 255 - qGray(image.pixel(x, y));
            if (x < 40)
                ink.titleSide += dark;
            else if (y < image.height() / 2)
                ink.above += dark;
            else
                ink.below += dark;
        }
    return ink;
}

TEST(SortMarkers, PaintsATriangleAtTheRightThatPointsTheSortWay)
{
    auto paint = [](Marker marker) {
        QImage image(60, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        paintSortMarker(&painter, image.rect(), marker);
        return image;
    };
    const Ink none = inkOf(paint(Marker::None));
    EXPECT_EQ(none.above + none.below + none.titleSide, 0);
    const Ink asc = inkOf(paint(Marker::Ascending));
    const Ink desc = inkOf(paint(Marker::Descending));
    EXPECT_EQ(asc.titleSide, 0) << "the title side stays clear";
    EXPECT_EQ(desc.titleSide, 0);
    EXPECT_GT(asc.below, asc.above * 2) << "ascending points up: wide side below";
    EXPECT_GT(desc.above, desc.below * 2) << "descending points down: wide side above";
}

} // namespace
