#include "tables/SortMarkers.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

std::vector<SortMarkers::Entry>::iterator SortMarkers::find(const QString& field)
{
    return std::find_if(m_marked.begin(), m_marked.end(),
                        [&](const Entry& e) { return e.field.compare(field, Qt::CaseInsensitive) == 0; });
}

std::vector<SortMarkers::Entry>::const_iterator SortMarkers::find(const QString& field) const
{
    return std::find_if(m_marked.begin(), m_marked.end(),
                        [&](const Entry& e) { return e.field.compare(field, Qt::CaseInsensitive) == 0; });
}

SortMarkers::Marker SortMarkers::marker(const QString& field) const
{
    const auto it = find(field);
    return it == m_marked.end() ? Marker::None : it->marker;
}

void SortMarkers::setMarker(const QString& field, Marker marker)
{
    const auto it = find(field);
    if (marker == Marker::None) {
        if (it != m_marked.end())
            m_marked.erase(it);
    } else if (it != m_marked.end()) {
        it->marker = marker;
    } else {
        m_marked.push_back({field, marker});
    }
}

SortMarkers::Marker SortMarkers::cycle(const QString& field)
{
    const Marker next = [&] {
        switch (marker(field)) {
        case Marker::None: return Marker::Ascending;
        case Marker::Ascending: return Marker::Descending;
        case Marker::Descending: return Marker::None;
        }
        return Marker::None;
    }();
    setMarker(field, next);
    return next;
}

QStringList SortMarkers::fields() const
{
    QStringList names;
    for (const Entry& e : m_marked)
        names << e.field;
    return names;
}

int SortMarkers::position(const QString& field) const
{
    const auto it = find(field);
    return it == m_marked.end() ? 0 : int(it - m_marked.begin()) + 1;
}

QString SortMarkers::sortText() const
{
    QStringList keys;
    for (const Entry& e : m_marked)
        keys << (e.marker == Marker::Descending ? e.field + QStringLiteral(" DESC") : e.field);
    return keys.join(QStringLiteral(", "));
}

namespace {
constexpr int TriangleWidth = 8;
constexpr int Gap = 3;
} // namespace

int sortMarkerWidth(const QPainter* painter, int markedCount)
{
    int width = TriangleWidth + 2 * Gap;
    if (markedCount > 1)
        width += painter->fontMetrics().horizontalAdvance(QString::number(markedCount)) + Gap;
    return width;
}

void paintSortMarker(QPainter* painter, const QRect& section, SortMarkers::Marker marker, int position,
                     int markedCount)
{
    if (marker == SortMarkers::Marker::None || section.width() < TriangleWidth + 2 * Gap)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor color = painter->pen().color().isValid() ? painter->pen().color() : QColor(Qt::black);
    const double right = section.right() - Gap;
    const double left = right - TriangleWidth;
    const double middle = section.top() + section.height() / 2.0;
    const double half = TriangleWidth / 4.0 + 0.5; // half the height
    const double wide = marker == SortMarkers::Marker::Ascending ? middle + half : middle - half;
    const double tip = marker == SortMarkers::Marker::Ascending ? middle - half : middle + half;
    QPainterPath triangle;
    triangle.moveTo(left, wide);
    triangle.lineTo(right, wide);
    triangle.lineTo((left + right) / 2, tip);
    triangle.closeSubpath();
    painter->fillPath(triangle, color);
    if (markedCount > 1 && position > 0) {
        const QString number = QString::number(position);
        const int width = painter->fontMetrics().horizontalAdvance(number);
        const QRect box(int(left) - Gap - width, section.top(), width, section.height());
        painter->setPen(color);
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, number);
    }
    painter->restore();
}
