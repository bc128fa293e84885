#pragma once

#include <QColor>
#include <QStyledItemDelegate>

class QAbstractItemView;

// Paints the current row of a grid that has the focus in a light green with black text, every cell
// but the focused one, so the row stays readable over the selection colours of a multi-row selection.
class CurrentRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static QColor rowColor() { return QColor(0xC0, 0xDC, 0xC0); }

    explicit CurrentRowDelegate(QAbstractItemView* view);

    // Whether `index` is painted in the row colour right now.
    bool highlights(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QAbstractItemView* m_view;
};
