#include "tables/LookupEditor.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

// The list dataset as the pop-up shows it: the editor's own titles over the columns.
class LookupEditor::ListModel : public QIdentityProxyModel {
public:
    ListModel(Dataset* list, QObject* parent) : QIdentityProxyModel(parent), m_source(new DatasetModel(list, this))
    {
        setSourceModel(m_source);
    }

    void setTitles(const QHash<int, QString>& titles)
    {
        m_titles = titles;
        if (columnCount() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && m_titles.contains(section))
            return m_titles.value(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return QIdentityProxyModel::flags(index) & ~Qt::ItemIsEditable;
    }

private:
    DatasetModel* m_source;
    QHash<int, QString> m_titles;
};

LookupEditor::LookupEditor(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(6);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("LookupTable"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setWordWrap(false);
    setView(m_table);
    connect(this, &QComboBox::activated, this, &LookupEditor::userActivated);
}

void LookupEditor::setList(Dataset* list, const QString& keyField, const QString& displayField,
                           const QList<Column>& columns)
{
    m_list = list;
    m_keyField = keyField;
    m_displayField = displayField;
    m_columns = columns;
    // The box frees the model it had when it is its parent, as here.
    m_model = new ListModel(list, this);
    setModel(m_model);
    // Re-shown after the box has reacted to the change itself (it picks a row of its own).
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, &LookupEditor::showKey);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &LookupEditor::showKey);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        rebuildColumns();
        showKey();
    });
    rebuildColumns();
    showKey();
}

void LookupEditor::rebuildColumns()
{
    if (!m_list)
        return;
    const int display = m_list->fieldIndex(m_displayField);
    if (display >= 0 && display != modelColumn())
        setModelColumn(display);
    QList<Column> shown = m_columns;
    if (shown.isEmpty() && display >= 0)
        shown.append({m_displayField, m_list->fields()[size_t(display)]->label()});
    QHash<int, QString> titles;
    QHeaderView* header = m_table->horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_table->setColumnHidden(c, true);
    int visual = 0;
    bool titled = false;
    for (const Column& column : std::as_const(shown)) {
        const int index = m_list->fieldIndex(column.field);
        if (index < 0)
            continue;
        // A field's own name ("Name_State") is no title for the user: such a column goes untitled.
        const bool named = !column.title.isEmpty() && column.title.compare(column.field, Qt::CaseInsensitive) != 0;
        titled = titled || named;
        titles.insert(index, named ? column.title : QString());
        m_table->setColumnHidden(index, false);
        header->moveSection(header->visualIndex(index), visual++);
    }
    m_model->setTitles(titles);
    header->setVisible(titled);
}

bool LookupEditor::sameKey(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    bool okA = false, okB = false;
    const qlonglong na = a.toLongLong(&okA), nb = b.toLongLong(&okB);
    return okA && okB ? na == nb : a.toString() == b.toString();
}

void LookupEditor::setKeyValue(const QVariant& key)
{
    m_key = key;
    showKey();
}

void LookupEditor::showKey()
{
    int row = -1;
    if (m_list && !m_key.isNull()) { // rows may arrive before the list reports itself open
        const int keyIndex = m_list->fieldIndex(m_keyField);
        for (int r = 0; keyIndex >= 0 && r < m_list->recordCount() && row < 0; ++r)
            if (sameKey(m_list->valueAt(r, keyIndex), m_key))
                row = r;
    }
    if (row == currentIndex())
        return;
    m_showing = true;
    setCurrentIndex(row);
    m_showing = false;
}

void LookupEditor::userActivated(int row)
{
    if (m_showing || !m_list)
        return;
    const QVariant key = m_list->valueAt(row, m_list->fieldIndex(m_keyField));
    m_key = key;
    emit keyChosen(key);
    finishCloseUp(true);
}

void LookupEditor::finishCloseUp(bool chosen)
{
    if (!m_closeUpPending)
        return;
    m_closeUpPending = false;
    emit closedUp(chosen);
}

void LookupEditor::setSortableByTitles()
{
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this, &LookupEditor::sortBy);
}

void LookupEditor::sortBy(int column, Qt::SortOrder order)
{
    if (!m_list || !m_list->isActive() || column < 0 || column >= m_list->fieldCount() ||
        m_list->fields()[size_t(column)]->kind() != Field::Kind::Data)
        return;
    const QString field = m_list->fields()[size_t(column)]->name();
    m_list->setSort(order == Qt::DescendingOrder ? field + QStringLiteral(" DESC") : field);
}

void LookupEditor::showPopupWhereVisible()
{
    if (isVisible() && isEnabled() && isActiveWindow())
        showPopup();
}

void LookupEditor::showPopup()
{
    m_table->resizeColumnsToContents();
    if (m_popupWidth) {
        m_table->setMinimumWidth(std::max(m_popupWidth(), 0));
    } else {
        // As wide as its columns, so that no title or name is cut; never narrower than the box.
        int width = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
        for (int c = 0; c < m_table->model()->columnCount(); ++c)
            if (!m_table->isColumnHidden(c))
                width += std::max(m_table->columnWidth(c), m_table->horizontalHeader()->sectionSizeHint(c));
        m_table->setMinimumWidth(std::max(width, this->width()));
    }
    QComboBox::showPopup();
    m_popupOpen = view()->isVisible();
}

// The box closes its pop-up before it reports the row chosen in it (activated): the close-up waits
// for that row, or, when none was chosen (Escape, a click outside), for the return to the event loop.
// A box also closes its pop-up whenever it is hidden; only a pop-up that was open closes up.
void LookupEditor::hidePopup()
{
    const bool wasOpen = m_popupOpen && view()->isVisible();
    m_popupOpen = false;
    QComboBox::hidePopup();
    if (!wasOpen || m_closeUpPending)
        return;
    m_closeUpPending = true;
    QTimer::singleShot(0, this, [this] { finishCloseUp(false); });
}

void LookupEditor::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && isEnabled()) {
        m_key = QVariant();
        showKey();
        emit keyChosen(QVariant());
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}
