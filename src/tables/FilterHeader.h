#pragma once

#include <QHeaderView>
#include <QList>
#include <QSet>
#include <functional>

class QComboBox;
class QTimer;

// A grid's column titles with a filter row under them: one editable drop-down per column, laid over
// the sections and kept in step when columns move, resize, hide or scroll. Typing is debounced;
// picking a value from a drop-down applies at once. The header knows nothing of SQL: it emits
// filterChanged(column, text) and the window turns that into its query. The window also fills a
// column's drop-down with the column's values when the column is entered (setValues).
class FilterHeader : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int DebounceMs = 400;

    explicit FilterHeader(QWidget* parent = nullptr);

    // One editor per model column; call after the model's columns change.
    void generateFilters(int count);
    int filterCount() const { return int(m_editors.size()); }
    QComboBox* editor(int column) const;

    QString filterText(int column) const;
    // Sets a cell's text without emitting filterChanged (the date dialog; restoring a state).
    void setFilterText(int column, const QString& text);
    void clearFilters();

    // The drop-down's values; the typed text stays as it is.
    void setValues(int column, const QStringList& values);
    void clearValues(int column);

    // Emits at once what the debounce timer still holds back.
    void flush();

    // Drawn over each title after the header painted it (the window's sort markers).
    using Decoration = std::function<void(QPainter*, const QRect&, int logicalIndex)>;
    void setDecoration(Decoration decoration) { m_decoration = std::move(decoration); }

    QSize sizeHint() const override;
    // Lays the editors over their sections (also after a horizontal scroll of the grid).
    void adjustPositions();

signals:
    void filterChanged(int column, const QString& text);

protected:
    void updateGeometries() override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void textEdited(int column);
    void emitPending();

    QList<QComboBox*> m_editors;
    QSet<int> m_pending;
    QTimer* m_debounce;
    Decoration m_decoration;
};
