#include "tables/EnterToNextCell.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

void EnterToNextCell::install(QAbstractItemView* grid)
{
    new EnterToNextCell(grid);
}

EnterToNextCell::EnterToNextCell(QAbstractItemView* grid) : QObject(grid), m_grid(grid)
{
    grid->installEventFilter(this);
    // The delegate closes an editor confirmed with Enter with this hint (Escape reverts, leaving
    // the cell by a click or Tab gives other hints), after the view has stored the value.
    connect(grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    moveOn();
            });
}

bool EnterToNextCell::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys sent to the grid itself: an editor's Enter also reaches the grid, passed on by the
    // editor, and is handled when the editor closes.
    if (watched == m_grid && event->type() == QEvent::KeyPress && m_grid->hasFocus()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            moveOn();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void EnterToNextCell::moveOn()
{
    const QModelIndex current = m_grid->currentIndex();
    const QAbstractItemModel* model = m_grid->model();
    if (!current.isValid() || !model)
        return;
    auto* table = qobject_cast<QTableView*>(m_grid);
    const auto hidden = [table](int column) { return table && table->isColumnHidden(column); };
    // Columns in the order the user sees them, which a dragged title may have changed.
    const auto visualColumn = [table](int logical) { return table ? table->horizontalHeader()->visualIndex(logical) : logical; };
    const auto logicalColumn = [table](int visual) { return table ? table->horizontalHeader()->logicalIndex(visual) : visual; };

    const int columns = model->columnCount();
    int row = current.row();
    int visual = visualColumn(current.column());
    for (;;) {
        ++visual;
        if (visual >= columns) {
            if (row + 1 >= model->rowCount())
                return;
            ++row;
            visual = 0;
        }
        const int column = logicalColumn(visual);
        if (column >= 0 && !hidden(column)) {
            m_grid->setCurrentIndex(model->index(row, column));
            return;
        }
    }
}
