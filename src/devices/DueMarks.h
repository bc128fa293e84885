#pragma once

#include "devices/rules/DueRule.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPointer>

class DatasetModel;
class DueLegend;
class QAbstractItemView;

// Marks the overdue and due-soon rows of a grid over services: the row in the skin's colour for its
// state, and the next-date cell in bold with a shape of its own, so that the mark does not rest on
// colour alone. The state is decided while a row is painted, from the next date the row already
// holds, so opening a list of any length costs nothing more. Rows without a next date are not marked.
class DueMarks : public QObject {
    Q_OBJECT
public:
    // Marks `view`'s rows by the field `nextDateField` with `legend`'s colours, for the horizon the
    // user chose (followed when it changes). The marks live as long as the view.
    static DueMarks* attach(QAbstractItemView* view, const QString& nextDateField, DueLegend* legend);

    // The shape that stands for a state in the next-date cell and in the legend.
    static QString symbol(DueRule::State state);

    DueRule::State stateOfRow(int row) const;
    int horizon() const { return m_horizon; }
    void setHorizon(int days);
    // Paints the marks or leaves the grid plain.
    void setShown(bool shown);

private:
    DueMarks(QAbstractItemView* view, DatasetModel* model, const QString& nextDateField, DueLegend* legend);
    QVariant style(int row, int column, int role) const;
    QIcon icon(DueRule::State state, const QColor& color) const;
    int nextDateColumn() const;

    QAbstractItemView* m_view;
    DatasetModel* m_model;
    QString m_field;
    QPointer<DueLegend> m_legend;
    int m_horizon;
    mutable QHash<QString, QIcon> m_icons; // by state and colour
};
