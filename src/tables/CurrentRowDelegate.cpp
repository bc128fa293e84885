#include "tables/CurrentRowDelegate.h"

#include <QAbstractItemView>

CurrentRowDelegate::CurrentRowDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), m_view(view) {}

bool CurrentRowDelegate::highlights(const QModelIndex& index) const
{
    const QModelIndex current = m_view->currentIndex();
    return m_view->hasFocus() && current.isValid() && index.row() == current.row() && index != current;
}

void CurrentRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!highlights(index))
        return;
    option->state &= ~QStyle::State_Selected;
    option->backgroundBrush = rowColor();
    option->palette.setColor(QPalette::Text, Qt::black);
    option->palette.setColor(QPalette::HighlightedText, Qt::black);
}
