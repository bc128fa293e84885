#include "tables/GridFocusRequery.h"

#include "app/Application.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QScrollBar>

GridFocusRequery* GridFocusRequery::install(QAbstractItemView* grid, std::function<void()> requery)
{
    auto* filter = new GridFocusRequery(grid, std::move(requery));
    grid->installEventFilter(filter);
    return filter;
}

GridFocusRequery::GridFocusRequery(QAbstractItemView* grid, std::function<void()> requery)
    : QObject(grid), m_grid(grid), m_requery(std::move(requery))
{
}

bool GridFocusRequery::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_grid || event->type() != QEvent::FocusIn)
        return false;
    const int top = m_grid->verticalScrollBar()->value();
    const int left = m_grid->horizontalScrollBar()->value();
    InstrelApplication::guarded(m_requery);
    // The rows are laid out now, not on the next idle step, so that the scroll range fits them before
    // the position goes back and before a pending click asks which row lies under the pointer.
    m_grid->doItemsLayout();
    m_grid->verticalScrollBar()->setValue(top);
    m_grid->horizontalScrollBar()->setValue(left);
    return false;
}
