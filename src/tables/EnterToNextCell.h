#pragma once

#include <QObject>

class QAbstractItemView;

// Enter in `grid` moves to the next visible cell of the row, and from the last one to the first
// cell of the next row, as a planner filling in a table of figures expects. A cell being edited is
// stored first; Enter in the last cell of the last row stays there rather than adding a row.
class EnterToNextCell : public QObject {
    Q_OBJECT
public:
    static void install(QAbstractItemView* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit EnterToNextCell(QAbstractItemView* grid);
    void moveOn();

    QAbstractItemView* m_grid;
};
