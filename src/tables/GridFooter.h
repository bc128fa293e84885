#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class Dataset;
class QTableView;

// One footer row under a data grid holding the sum of some columns over the rows the grid shows
// (after the filter row and the grouping tree), each sum under its column; it follows the columns
// as they are resized, moved, hidden and scrolled. A counted column shows the number of rows shown
// instead of a sum.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    GridFooter(QTableView* grid, Dataset* dataset, const QStringList& summedFields, QWidget* parent = nullptr);

    // The sum of `field` over the rows shown, as the footer writes it; empty for a field not summed.
    QString sumText(const QString& field) const;
    double sum(const QString& field) const;
    // The cells of `fields` show how many rows the grid lists.
    void setCountedFields(const QStringList& fields);
    // What the footer writes under `field`: its sum, its row count, or nothing.
    QString cellText(const QString& field) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void recount();

    QPointer<QTableView> m_grid;
    QPointer<Dataset> m_dataset;
    QStringList m_fields;
    QStringList m_counted;
    QList<double> m_sums;
};
