#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include "data/ResultSet.h"
#include "tables/EditValue.h"

class Dataset;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Binds editors of a form view to fields of a dataset: each editor shows its field in the current row
// and writes what the user changes back with Dataset::setValue (which starts Edit by itself). Editors
// follow row moves, re-queries and changed rows, and are disabled while the dataset is closed.
//
// Text editors take no more characters than the column's declared size (Field::maxLength).
//
// Editors: QLineEdit (text; numbers from their stored value, typed with "," or "."; with the input
// mask "99.99.9999" it reads and writes dates as dd.MM.yyyy; a date that does not exist, or one typed
// in part, is not written: it stays in the editor while the row is edited, and saving the row stops
// with a message naming it; with EditValue::dateTimeMask() a date and its time as dd.MM.yyyy HH:mm:ss),
// LookupEditor (the key it shows and
// the one the user chooses), QComboBox (lists: the item data, or the text when items carry none; an
// editable one also writes what is typed), QDateEdit, QSpinBox / QDoubleSpinBox, QPlainTextEdit,
// QCheckBox.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    static QString dateMask() { return EditValue::dateMask(); }

    explicit FieldBinder(Dataset* dataset, QObject* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    // Binds `editor` to `field`; the editor shows the current value at once.
    void bind(QWidget* editor, const QString& field);
    void unbind(QWidget* editor);
    // The caption beside the editor of `field`, for messages about the row (another user changed
    // it): a lookup editor's key then reads as the name the editor shows for it.
    void setCaption(const QString& field, const QString& caption);
    // Re-reads every editor from the current row.
    void refresh();

private:
    struct Binding {
        QPointer<QWidget> editor;
        QString field;
        bool refused = false; // a date editor holding a text that is no date
    };

    void connectEditor(QWidget* editor, const QString& field);
    void show(const Binding& binding);
    void write(QWidget* editor, const QString& field, const QVariant& value);
    void dateEdited(QLineEdit* edit, const QString& field, const QString& text);
    void markRefused(QWidget* editor, bool refused);
    void refuseDatesTypedWrong();
    ResultSet::ColumnType columnType(const QString& field) const;
    int maxLength(const QString& field) const;
    void limitLength(QLineEdit* edit, const QString& field, const QString& shown) const;
    static void keepWithin(QPlainTextEdit* editor, int maxChars);
    QString displayText(const QString& field, const QVariant& value) const;
    void updateEnabled();

    Dataset* m_dataset;
    QList<Binding> m_bindings;
    bool m_showing = false;
    QPointer<QWidget> m_writing; // the editor whose change is being written
};
