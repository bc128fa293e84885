#include "tables/CellEditorDelegate.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/MessageService.h"
#include "tables/DateText.h"
#include "tables/EditValue.h"
#include "tables/EllipsisBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QDateTime>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

namespace {

// The cell an editor was opened on, for refusing what was typed into it.
constexpr const char* kCellProperty = "instrelCell";

const Dataset* datasetOf(const QModelIndex& index)
{
    auto* model = qobject_cast<const DatasetModel*>(index.model());
    return model ? model->dataset() : nullptr;
}

const Field* fieldAt(const Dataset* ds, int column)
{
    if (!ds || column < 0 || column >= ds->fieldCount())
        return nullptr;
    return ds->fields()[size_t(column)].get();
}

ResultSet::ColumnInfo columnInfo(const Dataset* ds, const Field* f)
{
    if (!ds || !ds->rows() || !f || f->kind() != Field::Kind::Data || f->column() < 0)
        return {};
    return ds->rows()->column(f->column());
}

bool sameKey(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toLongLong() == b.toLongLong();
}

QVariant lookupKeyAt(const Dataset* ds, const Field& f, int row)
{
    return ds->valueAt(row, ds->fieldIndex(f.lookup().keyField));
}

// The grid closes a cell's editor whichever way the user leaves it (Enter, Tab, a click elsewhere,
// another row): a date refused there is given back in a new editor on the same cell, as typed, so
// that the user corrects it instead of typing it again.
void reopenWithText(QWidget* editor, const QModelIndex& index, const QString& text)
{
    QWidget* viewport = editor->parentWidget();
    QPointer<QAbstractItemView> view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
    if (!view)
        return;
    const QPersistentModelIndex cell(index);
    QTimer::singleShot(0, view, [view, cell, text] {
        if (!view || !cell.isValid())
            return;
        view->setCurrentIndex(cell);
        view->edit(cell);
        if (auto* edit = qobject_cast<QLineEdit*>(EllipsisBox::editorOf(view->indexWidget(cell)))) {
            edit->setText(text);
            edit->setModified(true);
        }
    });
}

} // namespace

void CellEditorDelegate::setLookupColumns(const QString& field, const QList<LookupEditor::Column>& columns)
{
    m_lookupColumns.insert(field.toLower(), columns);
}

void CellEditorDelegate::setEllipsis(const QString& field, EllipsisHandler handler)
{
    m_ellipsis.insert(field.toLower(), std::move(handler));
}

QWidget* CellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const Dataset* ds = datasetOf(index);
    const Field* f = fieldAt(ds, index.column());
    QWidget* inner = createInnerEditor(parent, ds, index.column());
    QWidget* top = inner;
    top->setProperty(kCellProperty, QVariant::fromValue(QPersistentModelIndex(index)));
    if (f) {
        inner->setObjectName(f->name());
        const EllipsisHandler handler = m_ellipsis.value(f->name().toLower());
        if (handler) {
            auto* box = new EllipsisBox(inner, parent);
            const QPersistentModelIndex cell(index);
            connect(box, &EllipsisBox::ellipsisClicked, box, [handler, cell] {
                if (cell.isValid())
                    handler(cell);
            });
            // The box's editor gets the keys and the focus: its events go where the box's would.
            inner->installEventFilter(const_cast<CellEditorDelegate*>(this));
            top = box;
            top->setProperty(kCellProperty, QVariant::fromValue(QPersistentModelIndex(index)));
        }
    }
    if (auto* lookup = qobject_cast<LookupEditor*>(inner)) {
        // A row chosen in the list is the cell's new value at once, as when typed and confirmed.
        auto* self = const_cast<CellEditorDelegate*>(this);
        connect(lookup, &LookupEditor::keyChosen, self, [self, top] { emit self->commitData(top); });
    }
    return top;
}

QWidget* CellEditorDelegate::createInnerEditor(QWidget* parent, const Dataset* ds, int column) const
{
    const Field* f = fieldAt(ds, column);
    if (f && f->kind() == Field::Kind::Lookup) {
        auto* combo = new LookupEditor(parent);
        const Field::Lookup& lookup = f->lookup();
        combo->setList(lookup.dataset, lookup.lookupKeyField, lookup.resultField,
                       m_lookupColumns.value(f->name().toLower()));
        return combo;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    const ResultSet::ColumnInfo info = columnInfo(ds, f);
    if (info.type == ResultSet::ColumnType::Text && f->maxLength() > 0)
        edit->setMaxLength(f->maxLength());
    else if (info.type == ResultSet::ColumnType::DateTime)
        edit->setInputMask(EditValue::dateMask());
    else if (QValidator* validator = EditValue::validatorFor(info, edit))
        edit->setValidator(validator);
    return edit;
}

void CellEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    QWidget* inner = EllipsisBox::editorOf(editor);
    const Dataset* ds = datasetOf(index);
    const Field* f = fieldAt(ds, index.column());
    if (!ds || !f)
        return;
    if (auto* combo = qobject_cast<LookupEditor*>(inner)) {
        combo->setKeyValue(lookupKeyAt(ds, *f, index.row()));
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(inner);
    if (!edit || edit->isModified()) // the grid re-reads the row while the user types: keep the typing
        return;
    const QVariant value = index.data(Qt::EditRole);
    if (columnInfo(ds, f).type == ResultSet::ColumnType::DateTime)
        edit->setText(value.isNull() ? QString() : value.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy")));
    else
        edit->setText(EditValue::editText(value));
}

void CellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    QWidget* inner = EllipsisBox::editorOf(editor);
    const Dataset* ds = datasetOf(index);
    const Field* f = fieldAt(ds, index.column());
    if (!ds || !f)
        return;
    if (auto* combo = qobject_cast<LookupEditor*>(inner)) {
        const QVariant key = combo->keyValue();
        if (!sameKey(lookupKeyAt(ds, *f, index.row()), key))
            model->setData(index, key, Qt::EditRole);
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(inner);
    if (!edit || !edit->isModified())
        return;
    // A number left half-typed ("-", ",") is no value: the cell keeps its own.
    if (edit->validator() && !edit->hasAcceptableInput() && !edit->text().trimmed().isEmpty())
        return;
    if (columnInfo(ds, f).type == ResultSet::ColumnType::DateTime && DateText::read(edit->text()).refused()) {
        // Reached when the grid moves to another cell with the editor open.
        if (!m_refusing)
            const_cast<CellEditorDelegate*>(this)->refuseDate(editor, edit, index, true);
        return;
    }
    const std::optional<QVariant> value =
        EditValue::parse(edit->text(), columnInfo(ds, f).type, index.data(Qt::EditRole));
    if (value)
        model->setData(index, *value, Qt::EditRole);
    edit->setModified(false);
}

bool CellEditorDelegate::eventFilter(QObject* object, QEvent* event)
{
    QObject* top = object;
    if (auto* box = qobject_cast<EllipsisBox*>(object->parent()); box && box->editor() == object)
        top = box;
    if (refusesToLeave(qobject_cast<QWidget*>(top), event))
        return true;
    return QStyledItemDelegate::eventFilter(top, event);
}

// Qt's own handling would keep a date typed in part silently on Enter and drop it silently when the
// focus leaves; both are refused here with the reason, the text kept for correction.
bool CellEditorDelegate::refusesToLeave(QWidget* top, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(EllipsisBox::editorOf(top));
    if (!edit || !edit->inputMask().startsWith(EditValue::dateMask().left(10)))
        return false;
    const bool leavingKey = event->type() == QEvent::KeyPress &&
                            QList<int>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab}.contains(
                                static_cast<QKeyEvent*>(event)->key());
    if (!leavingKey && event->type() != QEvent::FocusOut)
        return false;
    if (m_refusing) // the message box took the focus: the editor stays as it is
        return true;
    const DateText::Reading reading = DateText::read(edit->text());
    if (!reading.refused())
        return false;
    if (event->type() == QEvent::FocusOut) {
        const QWidget* now = QApplication::focusWidget();
        if (now && (now == top || top->isAncestorOf(now)))
            return false;
    }
    const QPersistentModelIndex cell = top->property(kCellProperty).value<QPersistentModelIndex>();
    const bool closing = event->type() == QEvent::FocusOut;
    refuseDate(top, edit, cell, closing);
    if (closing)
        emit closeEditor(top, QAbstractItemDelegate::NoHint);
    return true;
}

void CellEditorDelegate::refuseDate(QWidget* top, QLineEdit* edit, const QModelIndex& index, bool closing)
{
    const Dataset* ds = datasetOf(index);
    const Field* f = fieldAt(ds, index.column());
    const QString text = edit->text();
    {
        const QScopedValueRollback<bool> refusing(m_refusing, true);
        Messages::error(DateText::refusal(DateText::read(text), text, f ? f->label() : QString()));
    }
    if (closing && index.isValid())
        reopenWithText(top, index, text);
}
