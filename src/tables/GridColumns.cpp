#include "tables/GridColumns.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>

namespace {
const char* const kUserWidths = "UserWidths";
const char* const kWatchName = "UserWidthWatch";

// A header section resized while a mouse button is down on the header is the user's doing; every
// other resize (restored, fitted, laid out) is the program's.
class UserWidthWatch : public QObject {
public:
    UserWidthWatch(QTableView& grid) : QObject(&grid), m_grid(&grid)
    {
        setObjectName(QString::fromLatin1(kWatchName));
        QHeaderView* header = grid.horizontalHeader();
        header->viewport()->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, [this] {
            if (m_pressed && m_grid)
                m_grid->setProperty(kUserWidths, true);
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            m_pressed = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_pressed = false;
        return false;
    }

private:
    QPointer<QTableView> m_grid;
    bool m_pressed = false;
};
} // namespace

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

bool userSetWidths(const QTableView& grid) { return grid.property(kUserWidths).toBool(); }

void trackUserWidths(QTableView& grid)
{
    if (!grid.findChild<QObject*>(QString::fromLatin1(kWatchName), Qt::FindDirectChildrenOnly))
        new UserWidthWatch(grid);
}

int fitLimit(const QTableView& grid)
{
    const int characters = grid.fontMetrics().averageCharWidth() * 50;
    const int half = grid.viewport()->width() / 2;
    return half > 0 ? std::min(characters, std::max(half, grid.fontMetrics().averageCharWidth() * 16)) : characters;
}

void fitToContents(QTableView& grid, int limit)
{
    QHeaderView* header = grid.horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        // The rows in sight, as the view measures them, plus room for the cell's margins.
        const int values = static_cast<const QAbstractItemView&>(grid).sizeHintForColumn(c) + 8;
        header->resizeSection(c, std::min(std::max(values, header->sectionSizeHint(c)), limit));
    }
}

} // namespace GridColumns
