#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QPainter;
class QRect;
class QStyleOptionHeader;

// The sort markers on a grid's column titles, kept by field name in the order in which they were
// set: that order is the order of the sort keys.
//
// "Sort Ascending" sorts ascending and "Sort Descending" descending, so the markers are named for
// what they do. A title click cycles none -> ascending -> descending -> none. Field names are
// compared without regard to letter case (names come back in different case from different engines).
class SortMarkers {
public:
    enum class Marker { None, Ascending, Descending };

    Marker marker(const QString& field) const;
    // Setting a marker on an unmarked column puts it last in the sort order; switching between
    // ascending and descending keeps its place; None removes it.
    void setMarker(const QString& field, Marker marker);
    // The title click: the next marker in the cycle; returns it.
    Marker cycle(const QString& field);
    void clear() { m_marked.clear(); }
    bool isEmpty() const { return m_marked.empty(); }
    // The marked fields in sort order.
    QStringList fields() const;
    // 1 for the first key, 0 when the field is unmarked.
    int position(const QString& field) const;

    // The client-side sort of the dataset: "Name_DevType, Name_Location DESC"; empty when nothing is
    // marked. Field names are kept as they are, digits included.
    QString sortText() const;

    // Enabling of the context-menu commands for the current column's marker.
    static bool canSortAscending(Marker current) { return current != Marker::Ascending; }
    static bool canSortDescending(Marker current) { return current != Marker::Descending; }
    static bool canClearSort(Marker current) { return current != Marker::None; }

private:
    struct Entry {
        QString field;
        Marker marker;
    };
    std::vector<Entry>::iterator find(const QString& field);
    std::vector<Entry>::const_iterator find(const QString& field) const;

    std::vector<Entry> m_marked;
};

// Draws a marker in a header section, for a header's paintSection after the section itself is
// painted: a small triangle at the right edge (pointing up for ascending, down for descending) and,
// when more than one column is marked, the column's place in the sort order beside it.
// `position` and `markedCount` come from SortMarkers::position and fields().size().
void paintSortMarker(QPainter* painter, const QRect& section, SortMarkers::Marker marker, int position = 1,
                     int markedCount = 1);
// The width a marker takes at the right of a section, so a header can keep the title clear of it.
int sortMarkerWidth(const QPainter* painter, int markedCount = 1);
