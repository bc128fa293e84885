#include "tables/GridColumns.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"

#include <QHeaderView>
#include <QTableView>

namespace GridColumns {

void show(QTableView& grid, Dataset& dataset, const QList<Column>& columns)
{
    const int modelColumns = grid.model() ? grid.model()->columnCount() : 0;
    for (int c = 0; c < modelColumns; ++c)
        grid.setColumnHidden(c, true);
    QHeaderView* header = grid.horizontalHeader();
    int visual = 0;
    for (const Column& column : columns) {
        Field* field = dataset.field(column.field);
        const int index = dataset.fieldIndex(column.field);
        if (!field || index >= modelColumns)
            continue;
        field->setLabel(column.title);
        field->setVisible(true);
        grid.setColumnHidden(index, false);
        header->moveSection(header->visualIndex(index), visual++);
    }
    for (int c = 0; c < dataset.fieldCount(); ++c)
        if (grid.isColumnHidden(c))
            dataset.fields()[size_t(c)]->setVisible(false);
    if (auto* model = qobject_cast<DatasetModel*>(grid.model()))
        model->refreshHeaders();
}

void widenToTitles(QTableView& grid)
{
    QHeaderView* header = grid.horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        if (!header->isSectionHidden(c))
            header->resizeSection(c, std::max(header->sectionSize(c), header->sectionSizeHint(c)));
}

} // namespace GridColumns
