#include "tables/TablePropFrm.h"

#include "data/WaitCursor.h"
#include "tables/BaseFrm.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString ascText() { return Text(Str::PropsAsc); }
QString descText() { return Text(Str::PropsDesc); }

// The "Sorting" column offers its two values in a pick list; the column's title stays read-only.
class SortKindDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* box = new QComboBox(parent);
        box->addItems({ascText(), descText()});
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setCurrentText(index.data().toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

void swapItems(QListWidget* list, int row, int other)
{
    QListWidgetItem* a = list->item(row);
    QListWidgetItem* b = list->item(other);
    const QString text = a->text();
    const QVariant data = a->data(Qt::UserRole);
    const Qt::CheckState check = a->checkState();
    a->setText(b->text());
    a->setData(Qt::UserRole, b->data(Qt::UserRole));
    if (a->flags() & Qt::ItemIsUserCheckable)
        a->setCheckState(b->checkState());
    b->setText(text);
    b->setData(Qt::UserRole, data);
    if (b->flags() & Qt::ItemIsUserCheckable)
        b->setCheckState(check);
}

} // namespace

TTablePropForm::TTablePropForm(TBaseForm* window) : QDialog(window), m_window(window)
{
    setObjectName(QStringLiteral("TablePropForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildLayout();
    fillLists();
}

QPushButton* TTablePropForm::button(const QString& name, const QString& text)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setMaximumWidth(name.startsWith(QLatin1String("btn")) && text.size() <= 2 ? 36 : 16777215);
    return b;
}

void TTablePropForm::buildLayout()
{
    const QString caption = withoutAccelerator(m_window->windowTitle());
    setWindowTitle(Text(Str::TitleTable) + QStringLiteral(" <") + caption + QStringLiteral("> ") +
                   Text(Str::PropsCaptionSuffix));

    m_columnList = new QListWidget(this);
    m_columnList->setObjectName(QStringLiteral("ColumnList"));
    m_columnList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fieldList = new QListWidget(this);
    m_fieldList->setObjectName(QStringLiteral("FieldList"));
    m_sortList = new QTableWidget(0, 2, this);
    m_sortList->setObjectName(QStringLiteral("SortList"));
    m_sortList->setHorizontalHeaderLabels({Text(Str::PropsColumn), Text(Str::PropsSorting)});
    m_sortList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_sortList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_sortList->verticalHeader()->hide();
    m_sortList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sortList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sortList->setItemDelegateForColumn(1, new SortKindDelegate(m_sortList));
    m_sortList->setEditTriggers(QAbstractItemView::AllEditTriggers);

    auto* columnsTitle = new QLabel(Text(Str::PropsVisibleColumns), this);
    auto* groupTitle = new QLabel(Text(Str::PropsGroupColumns), this);
    auto* sortTitle = new QLabel(Text(Str::PropsSortColumns), this);

    auto column = [this](std::initializer_list<QPushButton*> buttons) {
        auto* box = new QVBoxLayout;
        box->addStretch();
        for (QPushButton* b : buttons)
            box->addWidget(b);
        box->addStretch();
        return box;
    };
    QPushButton* colUp = button(QStringLiteral("btnColumnUp"), QStringLiteral("↑"));
    QPushButton* colDown = button(QStringLiteral("btnColumnDown"), QStringLiteral("↓"));
    QPushButton* groupAdd = button(QStringLiteral("btnGroupAdd"), QStringLiteral(">"));
    QPushButton* groupRemove = button(QStringLiteral("btnGroupRemove"), QStringLiteral("<"));
    QPushButton* groupAll = button(QStringLiteral("btnGroupAddAll"), QStringLiteral(">>"));
    QPushButton* groupClear = button(QStringLiteral("btnGroupClear"), QStringLiteral("<<"));
    QPushButton* groupUp = button(QStringLiteral("btnGroupUp"), QStringLiteral("↑"));
    QPushButton* groupDown = button(QStringLiteral("btnGroupDown"), QStringLiteral("↓"));
    QPushButton* sortAdd = button(QStringLiteral("btnSortAdd"), QStringLiteral(">"));
    QPushButton* sortRemove = button(QStringLiteral("btnSortRemove"), QStringLiteral("<"));
    QPushButton* sortAll = button(QStringLiteral("btnSortAddAll"), QStringLiteral(">>"));
    QPushButton* sortClear = button(QStringLiteral("btnSortClear"), QStringLiteral("<<"));
    QPushButton* sortUp = button(QStringLiteral("btnSortUp"), QStringLiteral("↑"));
    QPushButton* sortDown = button(QStringLiteral("btnSortDown"), QStringLiteral("↓"));
    QPushButton* ok = button(QStringLiteral("btnApply"), Text(Str::DlgOk));
    QPushButton* cancel = button(QStringLiteral("btnClose"), Text(Str::DlgCancel));

    connect(colUp, &QPushButton::clicked, this, [this] { moveColumn(-1); });
    connect(colDown, &QPushButton::clicked, this, [this] { moveColumn(1); });
    connect(groupAdd, &QPushButton::clicked, this, &TTablePropForm::groupAddSelected);
    connect(groupRemove, &QPushButton::clicked, this, &TTablePropForm::groupRemove);
    connect(groupAll, &QPushButton::clicked, this, &TTablePropForm::groupAddAll);
    connect(groupClear, &QPushButton::clicked, m_fieldList, &QListWidget::clear);
    connect(groupUp, &QPushButton::clicked, this, [this] { moveGroup(-1); });
    connect(groupDown, &QPushButton::clicked, this, [this] { moveGroup(1); });
    connect(sortAdd, &QPushButton::clicked, this, &TTablePropForm::sortAddSelected);
    connect(sortRemove, &QPushButton::clicked, this, &TTablePropForm::sortRemove);
    connect(sortAll, &QPushButton::clicked, this, &TTablePropForm::sortAddAll);
    connect(sortClear, &QPushButton::clicked, this, [this] {
        m_sortList->setRowCount(0);
        updateSortListEnabled();
    });
    connect(sortUp, &QPushButton::clicked, this, [this] { moveSort(-1); });
    connect(sortDown, &QPushButton::clicked, this, [this] { moveSort(1); });
    connect(ok, &QPushButton::clicked, this, &TTablePropForm::apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);

    auto* grid = new QGridLayout;
    grid->addWidget(columnsTitle, 0, 0, 1, 2);
    grid->addWidget(m_columnList, 1, 0, 3, 1);
    grid->addLayout(column({colUp, colDown}), 1, 1, 3, 1);
    grid->addLayout(column({groupAdd, groupRemove, groupAll, groupClear}), 1, 2);
    grid->addWidget(groupTitle, 0, 3);
    grid->addWidget(m_fieldList, 1, 3);
    grid->addLayout(column({groupUp, groupDown}), 1, 4);
    grid->addWidget(sortTitle, 2, 3);
    grid->addLayout(column({sortAdd, sortRemove, sortAll, sortClear}), 3, 2);
    grid->addWidget(m_sortList, 3, 3);
    grid->addLayout(column({sortUp, sortDown}), 3, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(640, 420);
}

QList<TTablePropForm::Column> TTablePropForm::gridColumns() const
{
    QList<Column> columns;
    if (!m_window || !m_window->dsMain())
        return columns;
    const QHeaderView* header = m_window->grid()->horizontalHeader();
    const auto& fields = m_window->dsMain()->fields();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < int(fields.size()))
            columns.append({logical, fields[size_t(logical)]->name(), fields[size_t(logical)]->label()});
    }
    return columns;
}

QString TTablePropForm::fieldOfLabel(const QString& label) const
{
    for (const Column& c : gridColumns())
        if (c.label == label)
            return c.field;
    return {};
}

void TTablePropForm::fillLists()
{
    if (!m_window)
        return;
    const QHeaderView* header = m_window->grid()->horizontalHeader();
    m_columnList->clear();
    for (const Column& c : gridColumns()) {
        auto* item = new QListWidgetItem(c.label, m_columnList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(header->isSectionHidden(c.logical) ? Qt::Unchecked : Qt::Checked);
        item->setData(Qt::UserRole, c.field);
    }
    m_fieldList->clear();
    for (const QString& name : m_window->GroupFields()) {
        const Field* field = m_window->dsMain() ? m_window->dsMain()->field(name) : nullptr;
        auto* item = new QListWidgetItem(field ? field->label() : name, m_fieldList);
        item->setData(Qt::UserRole, name);
    }
    m_sortList->setRowCount(0);
    const SortMarkers& markers = m_window->sortMarkers();
    for (const QString& name : markers.fields()) {
        for (const Column& c : gridColumns()) {
            if (c.field.compare(name, Qt::CaseInsensitive) != 0 || header->isSectionHidden(c.logical))
                continue;
            const int row = m_sortList->rowCount();
            addSortRow(row, c.label);
            m_sortList->item(row, 1)->setText(markers.marker(name) == SortMarkers::Marker::Descending ? descText()
                                                                                                   : ascText());
        }
    }
    updateSortListEnabled();
}

void TTablePropForm::addSortRow(int at, const QString& label)
{
    m_sortList->insertRow(at);
    auto* key = new QTableWidgetItem(label);
    key->setFlags(key->flags() & ~Qt::ItemIsEditable);
    m_sortList->setItem(at, 0, key);
    m_sortList->setItem(at, 1, new QTableWidgetItem(ascText()));
    updateSortListEnabled();
}

bool TTablePropForm::listed(const QListWidget* list, const QString& text) const
{
    return !list->findItems(text, Qt::MatchExactly).isEmpty();
}

bool TTablePropForm::sortListed(const QString& label) const
{
    for (int r = 0; r < m_sortList->rowCount(); ++r)
        if (m_sortList->item(r, 0)->text() == label)
            return true;
    return false;
}

void TTablePropForm::updateSortListEnabled() { m_sortList->setEnabled(m_sortList->rowCount() > 0); }

void TTablePropForm::moveColumn(int delta)
{
    const int row = m_columnList->currentRow();
    const int other = row + delta;
    if (row < 0 || other < 0 || other >= m_columnList->count())
        return;
    swapItems(m_columnList, row, other);
    m_columnList->clearSelection();
    m_columnList->setCurrentRow(other);
}

void TTablePropForm::groupAddSelected()
{
    for (int i = 0; i < m_columnList->count(); ++i) {
        QListWidgetItem* item = m_columnList->item(i);
        if (item->isSelected() && !listed(m_fieldList, item->text())) {
            auto* added = new QListWidgetItem(item->text(), m_fieldList);
            added->setData(Qt::UserRole, item->data(Qt::UserRole));
        }
    }
}

void TTablePropForm::groupRemove()
{
    const int row = m_fieldList->currentRow();
    if (row < 0)
        return;
    delete m_fieldList->takeItem(row);
    if (m_fieldList->count() > 0)
        m_fieldList->setCurrentRow(std::min(row, m_fieldList->count() - 1));
}

void TTablePropForm::groupAddAll()
{
    for (int i = 0; i < m_columnList->count(); ++i) {
        QListWidgetItem* item = m_columnList->item(i);
        if (!listed(m_fieldList, item->text())) {
            auto* added = new QListWidgetItem(item->text(), m_fieldList);
            added->setData(Qt::UserRole, item->data(Qt::UserRole));
        }
    }
}

void TTablePropForm::moveGroup(int delta)
{
    const int row = m_fieldList->currentRow();
    const int other = row + delta;
    if (row < 0 || other < 0 || other >= m_fieldList->count())
        return;
    swapItems(m_fieldList, row, other);
    m_fieldList->setCurrentRow(other);
}

void TTablePropForm::sortAddSelected()
{
    for (int i = 0; i < m_columnList->count(); ++i) {
        QListWidgetItem* item = m_columnList->item(i);
        if (item->isSelected() && item->checkState() == Qt::Checked && !sortListed(item->text()))
            addSortRow(0, item->text()); // each one becomes the new first row
    }
}

void TTablePropForm::sortRemove()
{
    const int row = m_sortList->currentRow();
    if (m_sortList->rowCount() == 1)
        m_sortList->setRowCount(0);
    else if (row >= 0)
        m_sortList->removeRow(row);
    updateSortListEnabled();
}

void TTablePropForm::sortAddAll()
{
    for (int i = 0; i < m_columnList->count(); ++i) {
        const QString label = m_columnList->item(i)->text();
        if (!sortListed(label))
            addSortRow(m_sortList->rowCount(), label);
    }
}

void TTablePropForm::moveSort(int delta)
{
    const int row = m_sortList->currentRow();
    const int other = row + delta;
    if (row < 0 || other < 0 || other >= m_sortList->rowCount())
        return;
    for (int c = 0; c < 2; ++c) {
        const QString text = m_sortList->item(row, c)->text();
        m_sortList->item(row, c)->setText(m_sortList->item(other, c)->text());
        m_sortList->item(other, c)->setText(text);
    }
    m_sortList->setCurrentCell(other, m_sortList->currentColumn() < 0 ? 0 : m_sortList->currentColumn());
}

void TTablePropForm::apply()
{
    if (!m_window || !m_window->dsMain())
        return;
    WaitCursor wait;
    // Grouping.
    QStringList groupFields;
    for (int i = 0; i < m_fieldList->count(); ++i)
        groupFields.append(m_fieldList->item(i)->data(Qt::UserRole).toString());
    m_window->setGroupFields(groupFields);

    // Sorting: columns are matched by their titles, in the order of the sort list.
    SortMarkers markers;
    const QList<Column> columns = gridColumns();
    for (int r = 0; r < m_sortList->rowCount(); ++r) {
        const QString label = m_sortList->item(r, 0)->text();
        const bool ascending = m_sortList->item(r, 1)->text() == ascText();
        for (const Column& c : columns)
            if (c.label == label)
                markers.setMarker(c.field, ascending ? SortMarkers::Marker::Ascending : SortMarkers::Marker::Descending);
    }
    m_window->setSortMarkers(markers);

    // Visibility and order: each column takes the first entry with its title.
    QHeaderView* header = m_window->grid()->horizontalHeader();
    auto firstEntry = [this](const QString& label) {
        for (int i = 0; i < m_columnList->count(); ++i)
            if (m_columnList->item(i)->text() == label)
                return i;
        return m_columnList->count();
    };
    QList<Column> ordered = columns;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const Column& a, const Column& b) { return firstEntry(a.label) < firstEntry(b.label); });
    for (int target = 0; target < ordered.size(); ++target) {
        const Column& c = ordered[target];
        const int entry = firstEntry(c.label);
        const bool visible = entry < m_columnList->count() && m_columnList->item(entry)->checkState() == Qt::Checked;
        m_window->setColumnVisible(c.logical, visible);
        header->moveSection(header->visualIndex(c.logical), target);
    }
    m_window->grid()->viewport()->update();
}

bool TTablePropForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        fillLists();
    return QDialog::event(event);
}
