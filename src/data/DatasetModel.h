#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>

class Dataset;

// The one Qt model over a dataset, for every grid of the program: one column per field (hidden
// fields are hidden by the view), display texts as the field formats them, labels as titles.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(Dataset* dataset, QObject* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Field labels or visibility changed: views re-read the titles.
    void refreshHeaders();

    // How a cell looks beyond its text (background, foreground, font, decoration, tip): asked for
    // those roles while the view paints, so it must decide from values the dataset already holds.
    // An invalid QVariant leaves the view's own look. Empty: no styling.
    using CellStyle = std::function<QVariant(int row, int column, int role)>;
    void setCellStyle(CellStyle style);
    // The style's outcome changed for every row (a new colour, a new day): views repaint.
    void restyle();

private:
    void resetRows();
    void resetAll();

    QPointer<Dataset> m_dataset;
    CellStyle m_cellStyle;
    int m_rows = 0;
    int m_columns = 0;
};
