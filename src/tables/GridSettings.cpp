#include "tables/GridSettings.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "tables/FormSettings.h"
#include "tables/GridColumns.h"

#include <QHeaderView>
#include <QTableView>

namespace {

Dataset* datasetOf(const QTableView& grid)
{
    auto* model = qobject_cast<DatasetModel*>(grid.model());
    return model ? model->dataset() : nullptr;
}

QString key(const QString& prefix, int i, const char* name)
{
    return QStringLiteral("%1.Column%2.%3").arg(prefix).arg(i).arg(QLatin1String(name));
}

} // namespace

int GridSettings::frozenColumns(const QTableView& grid) { return grid.property("FrozenCols").toInt(); }

void GridSettings::save(FormSettings& settings, const QString& prefix, const QTableView& grid)
{
    Dataset* dataset = datasetOf(grid);
    if (!dataset || dataset->fieldCount() == 0)
        return; // nothing known about the columns: keep what the file holds
    settings.removePrefix(prefix + QLatin1Char('.'));
    const QHeaderView* header = grid.horizontalHeader();
    const int count = header->count();
    settings.setValue(prefix + QStringLiteral(".Columns"), count);
    for (int visual = 0; visual < count; ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= dataset->fieldCount())
            continue;
        settings.setValue(key(prefix, visual, "FieldName"), dataset->fields()[size_t(logical)]->name());
        settings.setValue(key(prefix, visual, "Visible"), !header->isSectionHidden(logical));
        settings.setValue(key(prefix, visual, "Width"), header->sectionSize(logical));
    }
    settings.setValue(prefix + QStringLiteral(".FrozenCols"), frozenColumns(grid));
    settings.setValue(prefix + QStringLiteral(".UserWidths"), GridColumns::userSetWidths(grid));
}

void GridSettings::restore(const FormSettings& settings, const QString& prefix, QTableView& grid)
{
    apply(read(settings, prefix), grid);
}

GridSettings::Layout GridSettings::read(const FormSettings& settings, const QString& prefix)
{
    Layout layout;
    layout.frozen = settings.value(prefix + QStringLiteral(".FrozenCols"), 0).toInt();
    layout.userWidths = settings.value(prefix + QStringLiteral(".UserWidths"), false).toBool();
    const int count = settings.value(prefix + QStringLiteral(".Columns"), 0).toInt();
    for (int i = 0; i < count; ++i)
        layout.columns.append({settings.value(key(prefix, i, "FieldName")).toString(),
                               settings.value(key(prefix, i, "Visible"), true).toBool(),
                               settings.value(key(prefix, i, "Width"), 0).toInt()});
    return layout;
}

void GridSettings::apply(const Layout& layout, QTableView& grid)
{
    grid.setProperty("FrozenCols", layout.frozen);
    grid.setProperty("UserWidths", layout.userWidths);
    Dataset* dataset = datasetOf(grid);
    if (!dataset)
        return;
    QHeaderView* header = grid.horizontalHeader();
    int place = 0;
    for (const Layout::Column& column : layout.columns) {
        const int logical = dataset->fieldIndex(column.field); // letter case ignored
        if (column.field.isEmpty() || logical < 0 || logical >= header->count())
            continue;
        header->moveSection(header->visualIndex(logical), place++);
        dataset->fields()[size_t(logical)]->setVisible(column.visible);
        header->setSectionHidden(logical, !column.visible);
        if (column.width > 0)
            header->resizeSection(logical, column.width);
    }
}
