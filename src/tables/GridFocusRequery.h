#pragma once

#include <QObject>
#include <functional>

class QAbstractItemView;

// A grid whose list is read again each time the grid gets the focus (its rows may have changed on
// another page's behalf). The re-read leaves the grid as the user sees it: the scroll position is
// kept, so a click that brought the focus lands on the row under the pointer and makes that row
// current, rather than on whatever row the re-read scrolled there (it shows the row that was current
// before, which may be far from the one clicked).
class GridFocusRequery : public QObject {
    Q_OBJECT
public:
    // `requery` re-reads the grid's dataset; an error in it reaches the error box, the focus still moves.
    static GridFocusRequery* install(QAbstractItemView* grid, std::function<void()> requery);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridFocusRequery(QAbstractItemView* grid, std::function<void()> requery);

    QAbstractItemView* m_grid;
    std::function<void()> m_requery;
};
