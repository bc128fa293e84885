#pragma once

#include "tables/LookupEditor.h"

#include <QHash>
#include <QStyledItemDelegate>
#include <functional>

class Dataset;
class QLineEdit;

// The cell editors of a grid over an EditableDatasetModel:
// - texts up to the column's declared length;
// - numbers through a validator, so that nothing the column cannot hold gets typed, starting from
//   the stored value (a decimal shown "1,26" is edited as "1,256") and read with "," or ".";
// - dates as dd.MM.yyyy behind a mask; a day that does not exist, or a date typed in part, is
//   refused with a message and the editor stays (or opens again) on the cell with the text as typed;
// - lookup columns through a LookupEditor over the lookup's list, with the titled columns given by
//   setLookupColumns (by default the looked-up name alone).
// A field given an ellipsis handler gets its editor in an EllipsisBox; the button calls the handler
// with the cell's index. Only what the user changed is written: opening and leaving a cell leaves
// the row unmodified.
class CellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using EllipsisHandler = std::function<void(const QModelIndex&)>;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The pop-up columns of the lookup field `field` (by name, ignoring case).
    void setLookupColumns(const QString& field, const QList<LookupEditor::Column>& columns);
    void setEllipsis(const QString& field, EllipsisHandler handler);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QWidget* createInnerEditor(QWidget* parent, const Dataset* ds, int column) const;
    bool refusesToLeave(QWidget* top, QEvent* event);
    // `closing`: the editor is about to close, and opens again on the cell with the text.
    void refuseDate(QWidget* top, QLineEdit* edit, const QModelIndex& index, bool closing);

    QHash<QString, QList<LookupEditor::Column>> m_lookupColumns; // lower-case field name
    QHash<QString, EllipsisHandler> m_ellipsis;
    bool m_refusing = false; // a refusal is being shown
};
