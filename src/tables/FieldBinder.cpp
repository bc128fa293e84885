#include "tables/FieldBinder.h"

#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "tables/DateText.h"
#include "tables/EditValue.h"
#include "tables/LookupEditor.h"

#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextCursor>

namespace {

constexpr const char* kDateFormat = "dd.MM.yyyy";

// A moment: a date with its time of day.
bool isDateTimeLine(const QLineEdit* edit) { return edit->inputMask().startsWith(QLatin1String("99.99.9999 99:99:99")); }

bool isDateLine(const QLineEdit* edit)
{
    return edit->inputMask().startsWith(QLatin1String("99.99.9999")) && !isDateTimeLine(edit);
}

bool isNumber(ResultSet::ColumnType type)
{
    return type == ResultSet::ColumnType::Integer || type == ResultSet::ColumnType::Real;
}

QDate dateOf(const QVariant& value)
{
    return value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
}

} // namespace

FieldBinder::FieldBinder(Dataset* dataset, QObject* parent) : QObject(parent), m_dataset(dataset)
{
    connect(dataset, &Dataset::currentChanged, this, &FieldBinder::refresh);
    connect(dataset, &Dataset::rowsReplaced, this, &FieldBinder::refresh);
    connect(dataset, &Dataset::controlsEnabled, this, &FieldBinder::refresh);
    connect(dataset, &Dataset::fieldsChanged, this, &FieldBinder::refresh);
    connect(dataset, &Dataset::stateChanged, this, &FieldBinder::refresh);
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        if (row == m_dataset->currentRow())
            refresh();
    });
    dataset->beforePost.connect([binder = QPointer<FieldBinder>(this)](Dataset&) {
        if (binder)
            binder->refuseDatesTypedWrong();
    });
}

void FieldBinder::bind(QWidget* editor, const QString& field)
{
    unbind(editor);
    m_bindings.append(Binding{editor, field});
    connectEditor(editor, field);
    show(m_bindings.last());
}

void FieldBinder::unbind(QWidget* editor)
{
    for (int i = int(m_bindings.size()) - 1; i >= 0; --i)
        if (m_bindings[i].editor == editor) {
            disconnect(editor, nullptr, this, nullptr);
            m_bindings.removeAt(i);
        }
}

void FieldBinder::setCaption(const QString& field, const QString& caption)
{
    Field::Lookup names;
    for (const Binding& b : std::as_const(m_bindings))
        if (auto* lookup = qobject_cast<LookupEditor*>(b.editor.data());
            lookup && b.field.compare(field, Qt::CaseInsensitive) == 0)
            names = {lookup->list(), field, lookup->keyField(), lookup->displayField()};
    m_dataset->setColumnNaming(field, caption, names);
}

ResultSet::ColumnType FieldBinder::columnType(const QString& field) const
{
    const Field* f = m_dataset->field(field);
    if (!f || f->kind() != Field::Kind::Data || !m_dataset->rows() || f->column() < 0)
        return ResultSet::ColumnType::Variant;
    return m_dataset->rows()->column(f->column()).type;
}

void FieldBinder::connectEditor(QWidget* editor, const QString& field)
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
            if (isDateTimeLine(edit)) {
                // The day is judged as in a date editor: one that does not exist stops the save.
                markRefused(edit, DateText::read(edit->displayText().left(10)).refused());
                if (const std::optional<QVariant> moment = EditValue::parseDateTime(edit->displayText()))
                    write(edit, field, *moment);
                return;
            }
            if (isDateLine(edit))
                return dateEdited(edit, field, text);
            const ResultSet::ColumnType type = columnType(field);
            if (!isNumber(type))
                return write(edit, field, text);
            // Half a number ("-", ",") is not written; the field keeps its value until there is one.
            if (const std::optional<QVariant> value = EditValue::parse(text, type))
                write(edit, field, *value);
        });
    } else if (auto* lookup = qobject_cast<LookupEditor*>(editor)) {
        connect(lookup, &LookupEditor::keyChosen, this,
                [this, lookup, field](const QVariant& key) { write(lookup, field, key); });
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        connect(combo, &QComboBox::activated, this, [this, combo, field](int index) {
            const QVariant data = combo->itemData(index);
            write(combo, field, data.isValid() ? data : QVariant(combo->itemText(index)));
        });
        // A pick-list that also takes typed text (the numbers of a device).
        if (combo->isEditable())
            connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                    [this, combo, field](const QString& text) { write(combo, field, text); });
    } else if (auto* date = qobject_cast<QDateEdit*>(editor)) {
        connect(date, &QDateEdit::dateChanged, this,
                [this, date, field](const QDate& d) { write(date, field, QDateTime(d, QTime(0, 0))); });
    } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
        connect(spin, &QSpinBox::valueChanged, this, [this, spin, field](int v) { write(spin, field, v); });
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor)) {
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, spin, field](double v) { write(spin, field, v); });
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(editor)) {
        connect(text, &QPlainTextEdit::textChanged, this, [this, text, field] {
            if (m_showing)
                return;
            keepWithin(text, maxLength(field));
            write(text, field, text->toPlainText());
        });
    } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
        connect(check, &QCheckBox::toggled, this, [this, check, field](bool on) { write(check, field, on ? 1 : 0); });
    }
}

// Only a day that exists is written. A text that is none (31.02, half typed) is kept in the editor as
// typed and the row counts as changed: saving it or leaving it then stops at the text, instead of
// storing the last date the editor happened to hold on the way (or dropping the edit unsaid).
void FieldBinder::dateEdited(QLineEdit* edit, const QString& field, const QString& text)
{
    const DateText::Reading reading = DateText::read(text);
    markRefused(edit, reading.refused());
    if (reading.verdict == DateText::Verdict::Date)
        return write(edit, field, QDateTime(reading.date, QTime(0, 0)));
    if (reading.verdict == DateText::Verdict::Blank)
        return write(edit, field, QVariant());
    if (m_showing || !m_dataset->isActive() || m_dataset->isEmpty())
        return;
    m_writing = edit;
    struct Done {
        QPointer<QWidget>& writing;
        ~Done() { writing = nullptr; }
    } done{m_writing};
    m_dataset->setValue(field, m_dataset->value(field));
}

void FieldBinder::markRefused(QWidget* editor, bool refused)
{
    for (Binding& b : m_bindings)
        if (b.editor == editor)
            b.refused = refused;
}

void FieldBinder::refuseDatesTypedWrong()
{
    for (const Binding& b : std::as_const(m_bindings)) {
        auto* edit = qobject_cast<QLineEdit*>(b.editor.data());
        if (!b.refused || !edit)
            continue;
        // A moment's editor is judged by its day, as it was while typed.
        const QString day = isDateTimeLine(edit) ? edit->displayText().left(10) : edit->text();
        const DateText::Reading reading = DateText::read(day);
        if (!reading.refused())
            continue;
        const Field* f = m_dataset->field(b.field);
        Messages::error(DateText::refusal(reading, day, f ? f->label() : b.field));
        edit->setFocus();
        abortOperation();
    }
}

int FieldBinder::maxLength(const QString& field) const
{
    const Field* f = m_dataset->field(field);
    return f ? f->maxLength() : 0;
}

// A plain text editor has no maximum length of its own: what was typed or pasted beyond the column's
// size is taken back at the cursor, where it arrived.
void FieldBinder::keepWithin(QPlainTextEdit* editor, int maxChars)
{
    if (maxChars <= 0 || Field::characterCount(editor->toPlainText()) <= maxChars)
        return;
    const QSignalBlocker block(editor);
    QTextCursor cursor = editor->textCursor();
    if (cursor.position() == 0)
        cursor.movePosition(QTextCursor::End);
    while (Field::characterCount(editor->toPlainText()) > maxChars && cursor.position() > 0)
        cursor.deletePreviousChar();
    editor->setTextCursor(cursor);
}

// The column's size, but never less than the text already shown: a longer text stored earlier is
// shown whole, and the dataset says why it cannot be stored again, instead of the editor cutting it.
void FieldBinder::limitLength(QLineEdit* edit, const QString& field, const QString& shown) const
{
    const int max = maxLength(field);
    edit->setMaxLength(max > 0 ? std::max(max, int(shown.size())) : 32767);
}

void FieldBinder::write(QWidget* editor, const QString& field, const QVariant& value)
{
    if (m_showing || !m_dataset->isActive())
        return;
    if (m_dataset->value(field) == value && !m_dataset->isEditing())
        return;
    // The editor being typed into is not re-shown from the value it wrote ("1," stays "1,").
    m_writing = editor;
    struct Done {
        QPointer<QWidget>& writing;
        ~Done() { writing = nullptr; }
    } done{m_writing};
    m_dataset->setValue(field, value);
}

QString FieldBinder::displayText(const QString& field, const QVariant& value) const
{
    if (value.isNull())
        return {};
    const Field* f = m_dataset->field(field);
    return f ? f->displayText(value) : value.toString();
}

void FieldBinder::refresh()
{
    for (Binding& binding : m_bindings) {
        // A date typed wrong stays for correction while its row is edited; Cancel or another row
        // shows the stored value again.
        if (binding.refused && !m_dataset->isEditing())
            binding.refused = false;
        show(binding);
    }
}

void FieldBinder::show(const Binding& binding)
{
    QWidget* editor = binding.editor;
    if (!editor || editor == m_writing)
        return;
    const bool active = m_dataset->isActive() && !m_dataset->isEmpty();
    editor->setEnabled(m_dataset->isActive());
    if (binding.refused)
        return;
    const QVariant value = active ? m_dataset->value(binding.field) : QVariant();
    m_showing = true;
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        const ResultSet::ColumnType type = columnType(binding.field);
        QString text;
        if (isDateTimeLine(edit)) {
            text = EditValue::dateTimeText(value);
        } else if (isDateLine(edit)) {
            text = dateOf(value).toString(QLatin1String(kDateFormat));
        } else if (isNumber(type)) {
            // Edited from the stored value, not from the display format.
            text = EditValue::editText(value);
            if (!edit->validator() && m_dataset->rows())
                edit->setValidator(EditValue::validatorFor(
                    m_dataset->rows()->column(m_dataset->field(binding.field)->column()), edit));
        } else {
            text = displayText(binding.field, value);
            limitLength(edit, binding.field, text);
        }
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* lookup = qobject_cast<LookupEditor*>(editor)) {
        lookup->setKeyValue(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        // Items without data match a null value: an empty field must not show the first item.
        int index = value.isNull() ? -1 : combo->findData(value);
        if (index < 0 && !value.isNull())
            index = combo->findText(value.toString());
        combo->setCurrentIndex(index);
        if (combo->isEditable())
            limitLength(combo->lineEdit(), binding.field, value.toString());
        if (index < 0 && combo->isEditable())
            combo->setEditText(value.toString());
    } else if (auto* date = qobject_cast<QDateEdit*>(editor)) {
        date->setDate(value.isNull() ? date->minimumDate() : dateOf(value));
    } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
        spin->setValue(value.toInt());
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor)) {
        spin->setValue(value.toDouble());
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(editor)) {
        if (text->toPlainText() != value.toString())
            text->setPlainText(value.toString());
    } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
        check->setChecked(value.toBool());
    }
    m_showing = false;
}
