#pragma once

#include "plan/rules/ServicePivot.h"

#include <QAbstractTableModel>

// The service pivot for a grid: the first column holds the short names, then one column per month
// with its number as the title; blank cells stay empty.
class PivotModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PivotModel(QObject* parent = nullptr);

    void setPivot(ServicePivot pivot);
    const ServicePivot& pivot() const { return m_pivot; }
    // Titles of the two dimensions, shown together over the names' column.
    void setDimensionTitles(const QString& rows, const QString& columns);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    ServicePivot m_pivot;
    QString m_rowsTitle;
    QString m_columnsTitle;
};
