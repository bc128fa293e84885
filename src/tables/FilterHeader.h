#pragma once

#include <QHeaderView>
#include <QList>
#include <QMap>
#include <QVariant>
#include <QSet>
#include <functional>

class QComboBox;
class QTimer;

// A grid's column titles with a filter row under them: one editable drop-down per column, laid over
// the sections and kept in step when columns move, resize, hide or scroll. Typing is debounced;
// picking a value from a drop-down applies at once. The header knows nothing of SQL: it emits
// filterChanged(column, text) for what was typed and valuePicked(column, value) for a value taken
// from the list (a value, not an expression), and the window turns them into its query. The window
// also fills a column's drop-down with the column's values when the user is about to use it: the
// header asks with valuesWanted(column) when the cell takes the focus or its list is opened, so that
// moving about a large list never pays for reading a column's values. It marks a cell whose text it
// cannot use (setCellError) instead of interrupting the typing.
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

    // The drop-down's entries: `texts` as shown, `values` (when given, one per text) as valuePicked
    // reports them; the typed text stays as it is.
    void setValues(int column, const QStringList& texts, const QVariantList& values = {});
    void clearValues(int column);

    // Marks the cell as holding a text that cannot be used, with `error` as its tooltip; an empty
    // error clears the mark. Typing into the cell keeps the mark until the window decides again.
    void setCellError(int column, const QString& error);
    QString cellError(int column) const { return m_errors.value(column); }
    // The error of the marked cell with the lowest column index; empty when no cell is marked.
    QString firstError() const;

    // Emits at once what the debounce timer still holds back.
    void flush();

    // Drawn over each title after the header painted it (the window's sort markers).
    using Decoration = std::function<void(QPainter*, const QRect&, int logicalIndex)>;
    void setDecoration(Decoration decoration) { m_decoration = std::move(decoration); }

    // Titles wrap onto as many lines as their column's width needs (and break where they hold a line
    // break); the title row grows to the tallest of them.
    void setWrappedTitles(bool wrap);
    bool wrappedTitles() const { return m_wrapTitles; }

    QSize sizeHint() const override;
    void setModel(QAbstractItemModel* model) override;
    // Lays the editors over their sections (also after a horizontal scroll of the grid).
    void adjustPositions();

signals:
    void filterChanged(int column, const QString& text);
    void valuePicked(int column, const QVariant& value);
    // The cell of `column` is about to be used: the window answers with setValues (or leaves it).
    void valuesWanted(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateGeometries() override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void textEdited(int column);
    int titleHeight() const;
    void titleHeightMayChange();
    void emitPending();

    QList<QComboBox*> m_editors;
    QSet<int> m_pending;
    QMap<int, QString> m_errors;
    QTimer* m_debounce;
    Decoration m_decoration;
    bool m_wrapTitles = false;
    int m_lastTitleHeight = 0;
};
