#pragma once

#include "data/Event.h"
#include "data/Field.h"
#include "data/RowConflict.h"
#include "data/SqlConnection.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ResultSet;

// A query over the one connection with a current row, states and events: what every window binds
// its grids and editors to.
//
// - Opened from a statement text; `:Name` parameters take, ignoring letter case, the value of the
//   master dataset's current-row column of that name (re-run whenever the master moves), or a value
//   set with setParam.
// - On a single-table query, Insert/Edit/Post/Cancel/Delete write through generated statements by
//   the table's key; the identity of a new row is read back.
// - A client filter (equality terms joined by "and", "= NULL" and "= ''" included) and a sort
//   ("A, B DESC") narrow and order the fetched rows without a new statement.
// - Rows are numbered from 1 (recNo) over the filtered, sorted rows.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum LocateOption { NoLocateOptions = 0, CaseInsensitive = 1, PartialKey = 2 };

    explicit Dataset(QObject* parent = nullptr);                      // on TDM's connection
    explicit Dataset(SqlConnection* connection, QObject* parent = nullptr);
    ~Dataset() override;

    SqlConnection* connection() const { return m_connection; }
    void setConnection(SqlConnection* connection) { m_connection = connection; }

    // --- statement and parameters
    const QString& sql() const { return m_sql; }
    void setSql(const QString& sql); // closes the dataset
    Dataset* master() const { return m_master; }
    // The detail follows the master's current row. Before the master moves, re-reads or closes, the
    // detail's pending edit (and its own details') is stored, so that it is written while the row it
    // was made on is still the master's current one.
    void setMaster(Dataset* master);
    void setParam(const QString& name, const QVariant& value);
    QStringList paramNames() const; // as spelled in the text, in order of appearance

    // --- table written by Insert/Edit/Delete (read from "from <table>" unless set)
    QString updateTable() const;
    void setUpdateTable(const QString& table, const QString& keyField = {});
    QString keyField() const;

    // --- open and close
    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    void setActive(bool active) { active ? open() : close(); }
    // Re-runs the statement; the first row becomes current.
    void requery();
    // Re-runs the statement and returns to the same row number (or the last row when fewer remain);
    // on a server to the same row by its key (RowIdentity) while it is still listed.
    void requeryKeepRow();

    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }

    // --- rows
    int recordCount() const { return int(m_order.size()); }
    bool isEmpty() const { return m_order.empty(); }
    int recNo() const { return m_current + 1; } // 0 when empty
    void setRecNo(int recNo);
    int currentRow() const { return m_current; } // 0-based visible row, -1 when empty
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    void first();
    void prior();
    void next();
    void last();
    void moveBy(int distance);
    bool locate(const QString& field, const QVariant& value, int options = NoLocateOptions);

    // --- fields and values
    const std::vector<std::unique_ptr<Field>>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    Field* field(const QString& name) const; // nullptr when there is none
    Field& fieldByName(const QString& name) const; // throws DatabaseError naming the field
    int fieldIndex(const QString& name) const;
    Field* addLookupField(const QString& name, const Field::Lookup& lookup);
    Field* addCalculatedField(const QString& name, Field::Calculation calculation);
    // How a column edited in a form reads in messages about the row: its caption beside the editor,
    // and for a key to another list, the list's row it names (`names.keyField` is the column).
    // Columns without it read under their field's label, or under the lookup field that shows them.
    void setColumnNaming(const QString& column, const QString& caption, const Field::Lookup& names = {});

    QVariant value(const QString& field) const; // current row
    QVariant valueAt(int row, int fieldIndex) const;
    QString displayText(int row, int fieldIndex) const;
    // displayText() appended to `out` as UTF-8; for data fields without a QString per cell.
    void appendDisplayText(int row, int fieldIndex, QByteArray& out) const;
    void setValue(const QString& field, const QVariant& value); // in Edit or Insert state
    // The value the current row had when editing began (Edit); null for a new row (Insert); the
    // value itself while browsing. Lookup and calculated fields have none.
    QVariant oldValue(const QString& field) const;
    bool isModified() const { return m_modified; }
    // The store row behind a visible row, and the rows themselves (grouping, exports).
    int storeRow(int row) const { return m_order[size_t(row)]; }
    const ResultSet* rows() const { return m_rows.get(); }

    // --- editing
    void insert(); // a new row before the current one
    void append(); // a new row at the end
    void edit();
    void post();
    void cancel();
    void deleteRecord();
    // Posts a pending edit or insert, if any. A new row nobody typed into is dropped; post() stores
    // it all the same (a record the program creates empty on purpose).
    void checkBrowseMode();

    // All or nothing around the writes: the before-post handlers and the write of a post, and the
    // before-delete handlers, the delete and the after-delete handlers of a delete, run as one
    // transaction (nested in one already open). What the handlers write with the row (logs, batches,
    // clean-ups) is then kept only with it, and a failure anywhere leaves the database as it was and
    // the row where it was. The after-post handlers run once the row is stored, outside it.
    void setAtomicWrites(bool atomic) { m_atomicWrites = atomic; }
    // A dataset over a view, or a table without a key, whose window stores an edited row itself:
    // `writer` runs in place of the generated update (oldValue() gives the row as it was read) and
    // throws when it cannot store it. Insert and delete still need a table with a key.
    // A column of the row that another table stores and the window writes itself once the row is
    // posted (a joined-in count): the check for another user's change covers it too, reading it from
    // `table` by `keyField`, that table's key, which the row also holds.
    void setColumnStoredIn(const QString& column, const QString& table, const QString& keyField);
    using RowWriter = std::function<void(Dataset&)>;
    void setRowWriter(RowWriter writer) { m_rowWriter = std::move(writer); }
    bool atomicWrites() const { return m_atomicWrites; }

    // --- client filter and sort
    const QString& filter() const { return m_filter; }
    void setFilter(const QString& filter);
    bool isFiltered() const { return m_filtered; }
    void setFiltered(bool filtered);
    const QString& sort() const { return m_sort; }
    void setSort(const QString& sort);
    // A server sends a statement's rows in the order it finds them, and an updated row moves to the
    // end of its table: a list would reshuffle under the user after each save. Read from a server
    // without a sort of its own, the rows are ordered by `field` (the list's key), which is the
    // order a file lists them in.
    // Rows read already are ordered at once.
    void setServerOrderField(const QString& field);
    // The terms of a client filter as written: the field (without brackets) and the value's text,
    // "NULL", a quoted text with its quotes, or a number. Throws DatabaseError on a term without "=".
    // Whoever turns a filter into SQL reads it through here, so both agree on what it says.
    struct FilterTermText {
        QString field;
        QString value;
    };
    static QList<FilterTermText> filterTerms(const QString& filter);

    // --- bound controls
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // --- events (before-handlers may call abortOperation())
    Event<Dataset&> beforeOpen, afterOpen, beforeClose, afterClose;
    Event<Dataset&> beforeInsert, afterInsert, onNewRecord;
    Event<Dataset&> beforeEdit, afterEdit, beforePost, afterPost, beforeCancel, afterCancel;
    Event<Dataset&> beforeDelete, afterDelete, beforeScroll, afterScroll;

signals:
    // Rows replaced (open, requery, filter, sort) with the same fields.
    void rowsReplaced();
    // Fields changed (open with another statement, close).
    void fieldsChanged();
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row);
    // A row was written (its key may be new): details re-read their rows.
    void posted();
    void stateChanged();
    // Controls were re-enabled after disableControls(): bound views re-read everything.
    void controlsEnabled();

private:
    struct FilterTerm;
    void init(SqlConnection* connection);
    SqlParams boundParams() const;
    void buildFields();
    void rebuildOrder(int keepStoreRow);
    bool rowPassesFilter(int storeRow) const;
    void applySort();
    void setCurrent(int row, bool force = false);
    void setState(State state);
    void runStatement();
    void requireEditable(bool byWriter = false) const;
    QStringList tableColumns() const;
    static QString rowGoneText();
    int storeColumn(const QString& name) const;
    QVariant lookupValue(const Field& field, int storeRow) const;
    void masterMoved();
    void storeDetailEdits();
    // Reads the rows; `notify` false leaves the signals to the caller (open emits them once active).
    bool readRows();
    void announceRows(bool sameFields);
    void notifyChanged(int row);
    void insertAt(int row);
    void markRemoved(int storeRow);
    bool isRemoved(int storeRow) const { return storeRow < int(m_removed.size()) && m_removed[size_t(storeRow)]; }
    void postInsert();
    void postEdit();
    void writeRow();
    void deleteCurrentRow();
    // Stops a write when the row is gone or another user changed it since `startedFrom` (its values
    // by store column) was read. Before a save the user's own changes stay and the other columns take
    // what is stored, so that a second save writes over on purpose; before a delete the row shows
    // what is stored. On a server the row stays locked until the write's transaction ends.
    void requireUnchangedSince(const QVector<QVariant>& startedFrom, bool beforeSave);
    const Field* dataFieldOfColumn(int storeColumn) const;
    // A column's caption and `value` as the user reads them in a message about the row.
    RowConflict::ChangedColumn describedValue(int storeColumn, const QVariant& value) const;
    QVariant lookupValueOfKey(const Field::Lookup& lookup, const Field* cacheKey, const QString& keyText) const;
    // Before a save writes the user's values over those another user stored meanwhile, the user is
    // asked; "no" takes the stored values for those columns and saves the rest of the edit.
    void settleDisputedColumns();
    void restoreRow(int row, int storeRow);

    SqlConnection* m_connection = nullptr;
    QString m_sql;
    QPointer<Dataset> m_master;
    QList<QPointer<Dataset>> m_details;
    QList<SqlParam> m_params;
    QString m_updateTable;
    mutable QString m_keyField;
    mutable QStringList m_tableColumns;
    mutable bool m_tableColumnsRead = false;

    State m_state = State::Inactive;
    std::unique_ptr<ResultSet> m_rows;
    std::vector<int> m_order;
    std::vector<bool> m_removed; // fetched rows deleted or abandoned since, by store row
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;

    std::vector<std::unique_ptr<Field>> m_fields;
    QHash<QString, int> m_fieldIndex; // lower-case name -> index
    mutable QHash<const Field*, QHash<QString, int>> m_lookupCache;

    QVector<QVariant> m_original; // values of the row before Edit
    // Store columns where the user's value is kept over a value another user stored since the row
    // was read: the next save asks before it writes over them.
    QList<int> m_disputed;
    struct ColumnNaming {
        QString caption;
        Field::Lookup names;
    };
    QHash<QString, ColumnNaming> m_columnNaming; // by lower-case column name
    struct StoredElsewhere {
        QString column;
        QString table;
        QString keyField;
    };
    QList<StoredElsewhere> m_storedElsewhere;
    bool storedElsewhereChanged(int storeRow) const;
    // What the database holds now for the row's columns, by store column: its table's columns
    // (false when the row is gone) and the columns stored elsewhere.
    bool readStoredValues(const QVector<QVariant>& startedFrom, QList<std::pair<int, QVariant>>& stored) const;
    bool m_modified = false;
    int m_insertStoreRow = -1;

    QString m_filter;
    bool m_filtered = false;
    std::vector<FilterTerm> m_terms;
    QString m_sort;
    QString m_serverOrderField;
    int m_disableCount = 0;
    bool m_scrollPending = false;
    bool m_atomicWrites = false;
    RowWriter m_rowWriter;
};

// Re-runs `dataset` and returns to the same row number (the last row when fewer remain), with the
// wait cursor shown and the bound controls repainted once at the end. A closed dataset is opened.
void RequeryDataSetKeepRow(Dataset& dataset);
