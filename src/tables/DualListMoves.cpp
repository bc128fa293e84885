#include "tables/DualListMoves.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <climits>

namespace {

const QCollator& russianOrder()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    return collator;
}

} // namespace

void DualListMoves::clear()
{
    m_source.clear();
    m_destination.clear();
    m_focus = Source;
}

void DualListMoves::addSource(const QString& text, qint64 key) { put(Source, {text, key, false}); }

void DualListMoves::put(Side side, const Entry& entry)
{
    Entry arriving = entry;
    arriving.selected = false;
    if (side == Destination) {
        m_destination.push_back(arriving);
        return;
    }
    // After the entries of equal text, so that equal texts keep the order they came in.
    const auto place = std::upper_bound(m_source.begin(), m_source.end(), arriving, [](const Entry& a, const Entry& b) {
        return russianOrder().compare(a.text, b.text) < 0;
    });
    m_source.insert(place, arriving);
}

void DualListMoves::setSelected(Side side, int index, bool selected)
{
    std::vector<Entry>& entries = list(side);
    if (index >= 0 && index < int(entries.size()))
        entries[size_t(index)].selected = selected;
}

void DualListMoves::select(Side side, const std::vector<int>& indexes)
{
    for (Entry& e : list(side))
        e.selected = false;
    for (int index : indexes)
        setSelected(side, index, true);
}

int DualListMoves::firstSelected(Side side) const
{
    const std::vector<Entry>& entries = side == Source ? m_source : m_destination;
    for (int i = 0; i < int(entries.size()); ++i)
        if (entries[size_t(i)].selected)
            return i;
    return -1;
}

int DualListMoves::moveSelected(Side from, Side to, int limit)
{
    std::vector<Entry>& source = list(from);
    std::vector<Entry> staying;
    int moved = 0;
    for (const Entry& entry : source) {
        if (entry.selected && int(list(to).size()) < limit) {
            put(to, entry);
            ++moved;
        } else {
            staying.push_back(entry);
        }
    }
    source = std::move(staying);
    return moved;
}

void DualListMoves::selectAfterMove(Side side, int index)
{
    m_focus = side;
    const std::vector<Entry>& entries = list(side);
    if (entries.empty())
        return;
    if (index < 0)
        index = 0;
    index = std::min(index, int(entries.size()) - 1);
    setSelected(side, index, true);
}

void DualListMoves::include()
{
    const int first = firstSelected(Source);
    moveSelected(Source, Destination, m_maxCount);
    selectAfterMove(Source, first);
}

void DualListMoves::exclude()
{
    const int first = firstSelected(Destination);
    moveSelected(Destination, Source, INT_MAX);
    selectAfterMove(Destination, first);
}

void DualListMoves::includeAll()
{
    std::vector<Entry> staying;
    for (const Entry& entry : m_source) {
        if (int(m_destination.size()) < m_maxCount)
            put(Destination, entry);
        else
            staying.push_back(entry);
    }
    m_source = std::move(staying);
    selectAfterMove(Source, 0);
}

void DualListMoves::excludeAll()
{
    for (const Entry& e : m_destination)
        put(Source, e);
    m_destination.clear();
    selectAfterMove(Destination, 0);
}
