#pragma once

#include <QString>
#include <vector>

// What the dual list dialog does with its two lists, without widgets: entries (a text with a key)
// move from the source list, kept in Russian alphabetical order, to the destination list, kept in
// the order they arrive, and back.
//
// The destination never holds more than maxCount() entries: a move stops at the limit, and the
// selected entries it could not take stay where they were, still selected, without a word. Entries
// going back to the source are not limited, so that an entry chosen by mistake can always be put
// back, however long the source is.
class DualListMoves {
public:
    enum Side { Source, Destination };

    struct Entry {
        QString text;
        qint64 key = 0;
        bool selected = false;
    };

    static constexpr int DefaultMaxCount = 255;

    // Empties both lists (the limit stays).
    void clear();
    int maxCount() const { return m_maxCount; }
    void setMaxCount(int count) { m_maxCount = count; }

    // Adds an entry to the source in its alphabetical place.
    void addSource(const QString& text, qint64 key);

    const std::vector<Entry>& entries(Side side) const { return side == Source ? m_source : m_destination; }
    void setSelected(Side side, int index, bool selected);
    // Selects exactly the entries at `indexes`.
    void select(Side side, const std::vector<int>& indexes);
    // The first selected entry's index; -1 when none is selected.
    int firstSelected(Side side) const;

    // The four commands: ">", ">>", "<", "<<".
    void include();
    void includeAll();
    void exclude();
    void excludeAll();

    // Which commands can run: ">" and ">>" while the source has entries, "<" and "<<" while the
    // destination has.
    bool canInclude() const { return !m_source.empty(); }
    bool canExclude() const { return !m_destination.empty(); }
    // The list a command left the focus in.
    Side focus() const { return m_focus; }

private:
    std::vector<Entry>& list(Side side) { return side == Source ? m_source : m_destination; }
    void put(Side side, const Entry& entry);
    int moveSelected(Side from, Side to, int limit);
    void selectAfterMove(Side side, int index);

    std::vector<Entry> m_source;
    std::vector<Entry> m_destination;
    int m_maxCount = DefaultMaxCount;
    Side m_focus = Source;
};
