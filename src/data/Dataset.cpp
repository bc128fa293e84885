#include "data/Dataset.h"

#include "data/DMFrm.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/RowConflict.h"
#include "data/RowIdentity.h"
#include "data/SqlValue.h"
#include "data/Transaction.h"
#include "data/WaitCursor.h"
#include "text/StrList.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// `:Name` parameters outside quoted texts and brackets, as spelled.
QStringList parameterNames(const QString& sql)
{
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_')))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
            i = j - 1;
        }
    }
    return names;
}

// The one table a "select ... from T" reads, or empty when it reads several.
QString singleTableOf(const QString& sql)
{
    static const QRegularExpression from(
        QStringLiteral(R"(\bfrom\s+\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*(;|$|\bwhere\b|\border\b|\bgroup\b))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = from.match(sql.simplified());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString bracketed(const QString& name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

QString unbracketed(QString name)
{
    name = name.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    return name;
}

// Splits at " and " outside quotes (the filter texts the windows build never nest).
QStringList splitTerms(const QString& text)
{
    QStringList terms;
    QString current;
    bool inQuote = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (!inQuote && c.isSpace() && text.mid(i + 1, 4).compare(QLatin1String("and "), Qt::CaseInsensitive) == 0) {
            terms.append(current);
            current.clear();
            i += 4;
            continue;
        }
        current += c;
    }
    terms.append(current);
    return terms;
}

} // namespace

struct Dataset::FilterTerm {
    int column = -1;
    bool isNull = false;
    QVariant value; // text, number or date
};

Dataset::Dataset(QObject* parent) : QObject(parent) { init(TDM::instance() ? TDM::instance()->ADOConnection() : nullptr); }

Dataset::Dataset(SqlConnection* connection, QObject* parent) : QObject(parent) { init(connection); }

Dataset::~Dataset()
{
    if (m_master)
        m_master->m_details.removeAll(this);
}

void Dataset::init(SqlConnection* connection) { m_connection = connection; }

// ---------------------------------------------------------------- statement and parameters

void Dataset::setSql(const QString& sql)
{
    if (sql == m_sql)
        return;
    close();
    m_sql = sql;
    m_tableColumnsRead = false;
}

void Dataset::setMaster(Dataset* master)
{
    if (m_master) {
        disconnect(m_master, nullptr, this, nullptr);
        m_master->m_details.removeAll(this);
    }
    m_master = master;
    if (master) {
        master->m_details.append(this);
        connect(master, &Dataset::currentChanged, this, &Dataset::masterMoved);
        connect(master, &Dataset::rowsReplaced, this, &Dataset::masterMoved);
        connect(master, &Dataset::fieldsChanged, this, &Dataset::masterMoved);
        connect(master, &Dataset::posted, this, &Dataset::masterMoved);
    }
}

void Dataset::masterMoved()
{
    // Also while the master inserts: its new row has no key yet, so the detail shows nothing.
    if (isActive() && m_master) {
        checkBrowseMode();
        requery();
    }
}

void Dataset::storeDetailEdits()
{
    for (const QPointer<Dataset>& detail : std::as_const(m_details)) {
        if (!detail || !detail->isActive())
            continue;
        // The detail first: storing it re-reads its own details through `posted`, and a new row of
        // theirs needs the detail's key.
        detail->checkBrowseMode();
        detail->storeDetailEdits();
    }
}

void Dataset::setParam(const QString& name, const QVariant& value)
{
    for (SqlParam& p : m_params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            p.value = value;
            return;
        }
    m_params.append({name, value});
}

QStringList Dataset::paramNames() const { return parameterNames(m_sql); }

SqlParams Dataset::boundParams() const
{
    SqlParams bound;
    for (const QString& name : paramNames()) {
        QVariant value;
        bool found = false;
        if (m_master && m_master->isActive() && m_master->fieldIndex(name) >= 0) {
            value = m_master->value(name);
            found = true;
        }
        for (const SqlParam& p : m_params)
            if (!found && p.name.compare(name, Qt::CaseInsensitive) == 0) {
                value = p.value;
                found = true;
            }
        bound.append({name, value});
    }
    return bound;
}

QString Dataset::updateTable() const { return m_updateTable.isEmpty() ? singleTableOf(m_sql) : m_updateTable; }

void Dataset::setUpdateTable(const QString& table, const QString& keyField)
{
    m_updateTable = table;
    m_keyField = keyField;
    m_tableColumnsRead = false;
}

QStringList Dataset::tableColumns() const
{
    if (m_tableColumnsRead)
        return m_tableColumns;
    m_tableColumns.clear();
    const QString table = updateTable();
    if (!table.isEmpty() && m_connection) {
        const SqlConnection::TableInfo info = m_connection->tableInfo(table);
        m_tableColumns = info.columns;
        if (m_keyField.isEmpty())
            m_keyField = info.primaryKey;
    }
    m_tableColumnsRead = true;
    return m_tableColumns;
}

QString Dataset::keyField() const
{
    tableColumns();
    return m_keyField;
}

// ---------------------------------------------------------------- open and close

void Dataset::open()
{
    if (isActive())
        return;
    if (!m_connection)
        throw DatabaseError(QStringLiteral("Нет соединения с базой данных."));
    beforeOpen(*this);
    const bool sameFields = readRows();
    // Active before anyone hears of the rows, so that what listens can read them.
    m_state = State::Browse;
    m_bof = true;
    m_eof = m_order.empty();
    announceRows(sameFields);
    emit stateChanged();
    afterOpen(*this);
    afterScroll(*this);
}

void Dataset::runStatement() { announceRows(readRows()); }

bool Dataset::readRows()
{
    storeDetailEdits();
    auto rows = m_connection->select(m_sql, boundParams());
    QStringList oldNames, newNames;
    for (const auto& f : m_fields)
        if (f->kind() == Field::Kind::Data)
            oldNames.append(f->name());
    for (int c = 0; c < rows->columnCount(); ++c)
        newNames.append(rows->column(c).name);
    m_rows = std::move(rows);
    m_removed.clear();
    m_lookupCache.clear();
    const bool sameFields = oldNames == newNames;
    if (!sameFields)
        buildFields();
    rebuildOrder(-1);
    m_current = m_order.empty() ? -1 : 0;
    return sameFields;
}

void Dataset::announceRows(bool sameFields)
{
    emit sameFields ? rowsReplaced() : fieldsChanged();
    emit currentChanged(m_current);
}

void Dataset::buildFields()
{
    std::vector<std::unique_ptr<Field>> fields;
    for (int c = 0; c < m_rows->columnCount(); ++c) {
        const QString name = m_rows->column(c).name;
        std::unique_ptr<Field> field;
        for (auto& old : m_fields)
            if (old && old->kind() == Field::Kind::Data && old->name().compare(name, Qt::CaseInsensitive) == 0)
                field = std::move(old);
        if (!field)
            field = std::make_unique<Field>(name, Field::Kind::Data);
        field->setColumn(c);
        const ResultSet::ColumnInfo& info = m_rows->column(c);
        field->setMaxLength(info.type == ResultSet::ColumnType::Text ? Field::declaredLength(info.declaredType) : 0);
        fields.push_back(std::move(field));
    }
    for (auto& old : m_fields)
        if (old && old->kind() != Field::Kind::Data)
            fields.push_back(std::move(old));
    m_fields = std::move(fields);
    m_fieldIndex.clear();
    for (int i = 0; i < int(m_fields.size()); ++i)
        m_fieldIndex.insert(m_fields[size_t(i)]->name().toLower(), i);
}

void Dataset::close()
{
    if (!isActive())
        return;
    storeDetailEdits();
    beforeClose(*this);
    m_state = State::Inactive;
    m_rows.reset();
    m_order.clear();
    m_removed.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_lookupCache.clear();
    emit rowsReplaced();
    emit stateChanged();
    afterClose(*this);
}

void Dataset::requery()
{
    if (!isActive()) {
        open();
        return;
    }
    checkBrowseMode();
    runStatement();
    m_bof = true;
    m_eof = m_order.empty();
    afterScroll(*this);
}

void Dataset::requeryKeepRow()
{
    const int row = recNo();
    const QVariant identity = RowIdentity::toKeep(*this, keyField());
    requery();
    if (row > 1)
        setRecNo(std::min(row, recordCount()));
    RowIdentity::returnTo(*this, keyField(), identity);
}

// ---------------------------------------------------------------- rows and navigation

void Dataset::setCurrent(int row, bool force)
{
    if (m_order.empty())
        row = -1;
    else
        row = std::clamp(row, 0, recordCount() - 1);
    // Any move, even onto the row already current, ends a pending edit first.
    checkBrowseMode();
    if (row == m_current && !force)
        return;
    storeDetailEdits();
    beforeScroll(*this);
    m_current = row;
    if (m_disableCount > 0) {
        m_scrollPending = true;
        return;
    }
    emit currentChanged(m_current);
    afterScroll(*this);
}

void Dataset::setRecNo(int recNo)
{
    m_bof = m_eof = false;
    setCurrent(recNo - 1);
}

void Dataset::first()
{
    setCurrent(0);
    m_bof = true;
    m_eof = m_order.empty();
}

void Dataset::last()
{
    setCurrent(recordCount() - 1);
    m_eof = true;
    m_bof = m_order.empty();
}

void Dataset::next()
{
    if (m_current >= recordCount() - 1) {
        checkBrowseMode();
        m_eof = true;
        return;
    }
    m_bof = false;
    setCurrent(m_current + 1);
}

void Dataset::prior()
{
    if (m_current <= 0) {
        checkBrowseMode();
        m_bof = true;
        return;
    }
    m_eof = false;
    setCurrent(m_current - 1);
}

void Dataset::moveBy(int distance)
{
    if (distance > 0)
        for (int i = 0; i < distance && !m_eof; ++i)
            next();
    else
        for (int i = 0; i < -distance && !m_bof; ++i)
            prior();
}

bool Dataset::locate(const QString& fieldName, const QVariant& value, int options)
{
    const int index = fieldIndex(fieldName);
    if (index < 0 || !isActive())
        return false;
    const Qt::CaseSensitivity cs = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString wanted = value.isNull() ? QString() : Field::formatValue(value);
    for (int row = 0; row < recordCount(); ++row) {
        const QVariant cell = valueAt(row, index);
        bool match;
        if (value.isNull())
            match = cell.isNull();
        else if (cell.isNull())
            match = false;
        else if ((options & PartialKey) != 0)
            match = Field::formatValue(cell).startsWith(wanted, cs);
        else
            match = Field::formatValue(cell).compare(wanted, cs) == 0;
        if (match) {
            m_bof = m_eof = false;
            setCurrent(row);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- fields and values

int Dataset::fieldIndex(const QString& name) const { return m_fieldIndex.value(name.toLower(), -1); }

Field* Dataset::field(const QString& name) const
{
    const int index = fieldIndex(name);
    return index < 0 ? nullptr : m_fields[size_t(index)].get();
}

Field& Dataset::fieldByName(const QString& name) const
{
    Field* found = field(name);
    if (!found)
        throw DatabaseError(QStringLiteral("Поле «%1» не найдено.").arg(name));
    return *found;
}

Field* Dataset::addLookupField(const QString& name, const Field::Lookup& lookup)
{
    auto field = std::make_unique<Field>(name, Field::Kind::Lookup);
    field->setLookup(lookup);
    if (lookup.dataset)
        connect(lookup.dataset, &Dataset::rowsReplaced, this, [this] { m_lookupCache.clear(); });
    m_fields.push_back(std::move(field));
    m_fieldIndex.insert(name.toLower(), int(m_fields.size()) - 1);
    return m_fields.back().get();
}

Field* Dataset::addCalculatedField(const QString& name, Field::Calculation calculation)
{
    auto field = std::make_unique<Field>(name, Field::Kind::Calculated);
    field->setCalculation(std::move(calculation));
    m_fields.push_back(std::move(field));
    m_fieldIndex.insert(name.toLower(), int(m_fields.size()) - 1);
    return m_fields.back().get();
}

int Dataset::storeColumn(const QString& name) const { return m_rows ? m_rows->indexOf(name) : -1; }

QVariant Dataset::lookupValue(const Field& field, int storeRow) const
{
    const int keyColumn = storeColumn(field.lookup().keyField);
    if (keyColumn < 0 || m_rows->isNull(storeRow, keyColumn))
        return {};
    return lookupValueOfKey(field.lookup(), &field, m_rows->text(storeRow, keyColumn));
}

QVariant Dataset::lookupValueOfKey(const Field::Lookup& lookup, const Field* cacheKey, const QString& keyText) const
{
    if (!lookup.dataset || !lookup.dataset->isActive())
        return {};
    const Dataset& other = *lookup.dataset;
    const int otherKey = other.storeColumn(lookup.lookupKeyField);
    const int resultColumn = other.storeColumn(lookup.resultField);
    if (otherKey < 0 || resultColumn < 0)
        return {};
    if (!cacheKey) { // a one-off question (a message): no index for it
        for (int r = 0; r < other.m_rows->rowCount(); ++r)
            if (other.m_rows->text(r, otherKey) == keyText)
                return other.m_rows->value(r, resultColumn);
        return {};
    }
    auto cache = m_lookupCache.find(cacheKey);
    if (cache == m_lookupCache.end()) {
        QHash<QString, int> index;
        for (int r = other.m_rows->rowCount() - 1; r >= 0; --r)
            index.insert(other.m_rows->text(r, otherKey), r);
        cache = m_lookupCache.insert(cacheKey, index);
    }
    const auto found = cache->constFind(keyText);
    return found == cache->constEnd() ? QVariant() : other.m_rows->value(*found, resultColumn);
}

void Dataset::setColumnNaming(const QString& column, const QString& caption, const Field::Lookup& names)
{
    m_columnNaming.insert(column.toLower(), {caption, names});
}

QVariant Dataset::valueAt(int row, int index) const
{
    if (row < 0 || row >= recordCount() || index < 0 || index >= fieldCount())
        return {};
    const Field& f = *m_fields[size_t(index)];
    const int store = m_order[size_t(row)];
    switch (f.kind()) {
    case Field::Kind::Data:
        return m_rows->value(store, f.column());
    case Field::Kind::Lookup:
        return lookupValue(f, store);
    case Field::Kind::Calculated:
        return f.calculation() ? f.calculation()(*this, row) : QVariant();
    }
    return {};
}

QString Dataset::displayText(int row, int index) const
{
    if (index < 0 || index >= fieldCount())
        return {};
    return m_fields[size_t(index)]->displayText(valueAt(row, index));
}

void Dataset::appendDisplayText(int row, int index, QByteArray& out) const
{
    if (row < 0 || row >= recordCount() || index < 0 || index >= fieldCount())
        return;
    const Field& f = *m_fields[size_t(index)];
    if (f.kind() == Field::Kind::Data)
        m_rows->appendDisplayText(m_order[size_t(row)], f.column(), f, out);
    else
        out += f.displayText(valueAt(row, index)).toUtf8();
}

QVariant Dataset::value(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw DatabaseError(QStringLiteral("Поле «%1» не найдено.").arg(name));
    return valueAt(m_current, index);
}

void Dataset::setValue(const QString& name, const QVariant& value)
{
    Field& f = fieldByName(name);
    if (f.kind() != Field::Kind::Data)
        throw DatabaseError(QStringLiteral("Поле «%1» нельзя изменить.").arg(f.label()));
    // Refused here, before the row changes: the embedded engine would store a longer text, the
    // others would refuse it only when the row is posted.
    if (f.maxLength() > 0 && value.typeId() == QMetaType::QString) {
        const int length = Field::characterCount(value.toString());
        if (length > f.maxLength())
            throw DatabaseError(FormatText(Str::DataTextTooLong, f.label(), length, f.maxLength()));
    }
    if (!isEditing())
        edit();
    m_rows->setValue(m_order[size_t(m_current)], f.column(), value);
    m_modified = true;
    notifyChanged(m_current);
}

QVariant Dataset::oldValue(const QString& name) const
{
    const Field& f = fieldByName(name);
    if (m_state == State::Insert || f.kind() != Field::Kind::Data)
        return {};
    if (m_state == State::Edit)
        return m_original.value(f.column());
    return value(name);
}

void Dataset::notifyChanged(int row)
{
    if (m_disableCount == 0 && row >= 0)
        emit rowChanged(row);
}

// ---------------------------------------------------------------- editing

// The row was deleted (or its key changed) elsewhere since it was read: writing would change nothing,
// and saying nothing would lose the user's edit without a word.
QString Dataset::rowGoneText()
{
    return QStringLiteral("Запись не найдена в базе данных: её удалили или изменили после того, как она была "
                          "прочитана. Обновите данные и повторите изменение.");
}

void Dataset::requireEditable(bool byWriter) const
{
    if (!isActive())
        throw DatabaseError(QStringLiteral("Набор данных закрыт."));
    if (!(byWriter && m_rowWriter) && keyField().isEmpty())
        throw DatabaseError(QStringLiteral("Эти данные нельзя изменять: запрос не читает одну таблицу."));
}

void Dataset::markRemoved(int storeRow)
{
    if (storeRow >= int(m_removed.size()))
        m_removed.resize(size_t(storeRow) + 1, false);
    m_removed[size_t(storeRow)] = true;
}

void Dataset::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void Dataset::insert() { insertAt(m_current < 0 ? 0 : m_current); }

void Dataset::append() { insertAt(recordCount()); }

void Dataset::insertAt(int row)
{
    requireEditable();
    checkBrowseMode();
    beforeInsert(*this);
    m_insertStoreRow = m_rows->appendRow();
    m_order.insert(m_order.begin() + row, m_insertStoreRow);
    m_current = row;
    m_modified = false;
    m_original.clear();
    m_disputed.clear();
    setState(State::Insert);
    if (m_disableCount == 0) {
        emit rowInserted(row);
        emit currentChanged(row);
    }
    onNewRecord(*this);
    afterInsert(*this);
    afterScroll(*this);
}

void Dataset::edit()
{
    if (isEditing())
        return;
    requireEditable(true);
    if (m_current < 0)
        throw DatabaseError(QStringLiteral("Нет записи для изменения."));
    beforeEdit(*this);
    const int store = m_order[size_t(m_current)];
    m_original.clear();
    m_disputed.clear();
    for (int c = 0; c < m_rows->columnCount(); ++c)
        m_original.append(m_rows->value(store, c));
    m_modified = false;
    setState(State::Edit);
    afterEdit(*this);
}

void Dataset::checkBrowseMode()
{
    if (!isEditing())
        return;
    // A new row nobody typed anything into is dropped, not stored empty.
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::post()
{
    if (!isEditing())
        return;
    if (m_atomicWrites) {
        Transaction transaction(*m_connection);
        writeRow();
        transaction.commit();
    } else {
        writeRow();
    }
    m_modified = false;
    m_original.clear();
    m_disputed.clear();
    setState(State::Browse);
    notifyChanged(m_current);
    emit posted();
    afterPost(*this);
}

void Dataset::writeRow()
{
    beforePost(*this);
    for (const auto& f : m_fields)
        if (f->isRequired() && f->kind() == Field::Kind::Data) {
            const QVariant v = value(f->name());
            if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()))
                throw DatabaseError(QStringLiteral("Поле «%1» должно быть заполнено.").arg(f->label()));
        }
    if (m_state == State::Insert)
        postInsert();
    else
        postEdit();
}

void Dataset::postInsert()
{
    const QStringList columns = tableColumns();
    const QString key = keyField();
    const int store = m_order[size_t(m_current)];
    QStringList names, values;
    SqlParams params;
    for (const QString& column : columns) {
        const int c = storeColumn(column);
        if (c < 0 || column.compare(key, Qt::CaseInsensitive) == 0 || m_rows->isNull(store, c))
            continue;
        names.append(bracketed(column));
        values.append(QLatin1Char(':') + column);
        params.append({column, m_rows->value(store, c)});
    }
    const QString table = bracketed(updateTable());
    const QString sql = names.isEmpty()
                            ? QStringLiteral("insert into %1 default values").arg(table)
                            : QStringLiteral("insert into %1 (%2) values (%3)")
                                  .arg(table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    m_connection->execute(sql, params);
    const int keyColumn = storeColumn(key);
    if (keyColumn >= 0)
        m_rows->setValue(store, keyColumn, m_connection->lastInsertId());
    m_insertStoreRow = -1;
}

void Dataset::postEdit()
{
    if (m_rowWriter) {
        m_rowWriter(*this);
        return;
    }
    const QStringList columns = tableColumns();
    const QString key = keyField();
    const int store = m_order[size_t(m_current)];
    const int keyColumn = storeColumn(key);
    if (keyColumn < 0)
        throw DatabaseError(QStringLiteral("В наборе данных нет ключа «%1».").arg(key));
    settleDisputedColumns();
    QStringList assignments;
    SqlParams params;
    for (const QString& column : columns) {
        const int c = storeColumn(column);
        if (c < 0)
            continue;
        const QVariant now = m_rows->value(store, c);
        const QVariant before = m_original.value(c);
        if (now == before && now.isNull() == before.isNull())
            continue;
        assignments.append(bracketed(column) + QStringLiteral(" = :") + column);
        params.append({column, now});
    }
    if (assignments.isEmpty() && !storedElsewhereChanged(store))
        return;
    params.append({QStringLiteral("OLD_") + key, m_original.value(keyColumn)});
    Transaction transaction(*m_connection);
    requireUnchangedSince(m_original, true);
    if (!assignments.isEmpty()) {
        const int changed = m_connection->execute(
            QStringLiteral("update %1 set %2 where %3 = :OLD_%4")
                .arg(bracketed(updateTable()), assignments.join(QStringLiteral(", ")), bracketed(key), key),
            params);
        if (changed == 0)
            throw DatabaseError(rowGoneText());
    }
    transaction.commit();
}

void Dataset::setColumnStoredIn(const QString& column, const QString& table, const QString& keyField)
{
    m_storedElsewhere.append({column, table, keyField});
}

bool Dataset::storedElsewhereChanged(int storeRow) const
{
    for (const StoredElsewhere& side : m_storedElsewhere) {
        const int c = storeColumn(side.column);
        if (c >= 0 && !RowConflict::sameStoredValue(m_rows->value(storeRow, c), m_original.value(c)))
            return true;
    }
    return false;
}

bool Dataset::readStoredValues(const QVector<QVariant>& startedFrom, QList<std::pair<int, QVariant>>& stored) const
{
    // One row of `table` by its key, locked on a server until the write's transaction ends.
    const auto storedRow = [this](const QStringList& names, const QString& table, const QString& key,
                                  const QVariant& value) {
        QString sql = QStringLiteral("select %1 from %2 where %3 = :OLD_%4")
                          .arg(names.join(QStringLiteral(", ")), bracketed(table), bracketed(key), key);
        if (!m_connection->server().isEmpty())
            sql += QStringLiteral(" for update");
        return m_connection->select(sql, {}, {{QStringLiteral("OLD_") + key, value}});
    };
    const QString key = keyField();
    const int keyColumn = storeColumn(key);
    QStringList names;
    QList<int> columns;
    for (const QString& column : tableColumns()) {
        const int c = storeColumn(column);
        if (c >= 0 && c != keyColumn) {
            names.append(bracketed(column));
            columns.append(c);
        }
    }
    // With only the key, the write itself finds out whether the row is still there.
    if (!columns.isEmpty()) {
        const auto row = storedRow(names, updateTable(), key, startedFrom.value(keyColumn));
        if (row->rowCount() == 0)
            return false;
        for (int i = 0; i < columns.size(); ++i)
            stored.append({columns[i], row->value(0, i)});
    }
    for (const StoredElsewhere& side : m_storedElsewhere) {
        const int c = storeColumn(side.column);
        const int k = storeColumn(side.keyField);
        if (c < 0 || k < 0 || startedFrom.value(k).isNull())
            continue;
        const auto row = storedRow({bracketed(side.column)}, side.table, side.keyField, startedFrom.value(k));
        stored.append({c, row->rowCount() == 0 ? QVariant() : row->value(0, 0)}); // gone reads as emptied
    }
    return true;
}

const Field* Dataset::dataFieldOfColumn(int storeColumn) const
{
    for (const auto& f : m_fields)
        if (f->kind() == Field::Kind::Data && f->column() == storeColumn)
            return f.get();
    return nullptr;
}

void Dataset::requireUnchangedSince(const QVector<QVariant>& startedFrom, bool beforeSave)
{
    QList<std::pair<int, QVariant>> stored;
    if (!readStoredValues(startedFrom, stored))
        throw DatabaseError(rowGoneText());
    const int store = m_order[size_t(m_current)];
    QList<RowConflict::ChangedColumn> changes;
    for (const auto& [c, now] : stored) {
        if (RowConflict::sameStoredValue(now, startedFrom.value(c)))
            continue;
        changes.append(describedValue(c, now));
        const bool typedByUser = beforeSave && !RowConflict::sameStoredValue(m_rows->value(store, c), m_original.value(c));
        if (beforeSave)
            m_original[c] = now;
        if (!typedByUser)
            m_rows->setValue(store, c, now);
        else if (!RowConflict::sameStoredValue(m_rows->value(store, c), now) && !m_disputed.contains(c))
            m_disputed.append(c);
    }
    if (changes.isEmpty())
        return;
    notifyChanged(m_current);
    throw DatabaseError(beforeSave ? RowConflict::changedBeforeSaveText(changes)
                                   : RowConflict::changedBeforeDeleteText(changes));
}

namespace {

// A key as ResultSet::text() writes it, to find it among a list's rows.
QString keyText(const QVariant& key)
{
    bool integral = false;
    const qlonglong whole = key.toLongLong(&integral);
    if (integral && key.typeId() != QMetaType::QString)
        return QString::number(whole);
    return key.toString();
}

QString shownOrEmpty(const QString& text) { return text.isEmpty() ? QStringLiteral("(пусто)") : text; }

} // namespace

RowConflict::ChangedColumn Dataset::describedValue(int storeColumn, const QVariant& value) const
{
    const QString name = m_rows->column(storeColumn).name;
    const Field* data = dataFieldOfColumn(storeColumn);
    const QString shown = data ? data->displayText(value) : value.toString();
    const auto named = [&](const QString& caption, const Field::Lookup& lookup, const Field* cacheKey) {
        const QVariant looked = value.isNull() ? QVariant() : lookupValueOfKey(lookup, cacheKey, keyText(value));
        return RowConflict::ChangedColumn{caption, shownOrEmpty(looked.isNull() ? shown : Field::formatValue(looked))};
    };
    const auto naming = m_columnNaming.constFind(name.toLower());
    if (naming != m_columnNaming.constEnd()) {
        if (naming->names.dataset)
            return named(naming->caption, naming->names, nullptr);
        return {naming->caption, shownOrEmpty(shown)};
    }
    // A key read through a lookup field reads as that field: the one the user chooses with first.
    const Field* lookup = nullptr;
    for (const auto& f : m_fields)
        if (f->kind() == Field::Kind::Lookup && f->lookup().keyField.compare(name, Qt::CaseInsensitive) == 0 &&
            f->isVisible() && (!lookup || (lookup->isReadOnly() && !f->isReadOnly())))
            lookup = f.get();
    if (lookup)
        return named(lookup->label(), lookup->lookup(), lookup);
    return {data ? data->label() : name, shownOrEmpty(shown)};
}

void Dataset::settleDisputedColumns()
{
    if (m_disputed.isEmpty())
        return;
    const QList<int> disputed = std::exchange(m_disputed, {});
    const int store = m_order[size_t(m_current)];
    QList<RowConflict::Overwrite> overwrites;
    for (int c : disputed)
        overwrites.append({describedValue(c, m_rows->value(store, c)), describedValue(c, m_original.value(c)).current});
    if (MessageService::instance().askYesNo(MessageService::Kind::Warning, RowConflict::overwriteQuestion(overwrites)))
        return;
    for (int c : disputed)
        m_rows->setValue(store, c, m_original.value(c));
    notifyChanged(m_current);
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    beforeCancel(*this);
    if (m_state == State::Insert) {
        const int row = m_current;
        markRemoved(m_order[size_t(row)]);
        m_order.erase(m_order.begin() + row);
        m_insertStoreRow = -1;
        m_current = std::min(row, recordCount() - 1);
        setState(State::Browse);
        if (m_disableCount == 0) {
            emit rowRemoved(row);
            emit currentChanged(m_current);
        }
    } else {
        const int store = m_order[size_t(m_current)];
        for (int c = 0; c < m_original.size(); ++c)
            m_rows->setValue(store, c, m_original[c]);
        setState(State::Browse);
        notifyChanged(m_current);
    }
    m_modified = false;
    m_original.clear();
    m_disputed.clear();
    afterCancel(*this);
}

void Dataset::deleteRecord()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    requireEditable();
    if (m_current < 0)
        throw DatabaseError(QStringLiteral("Нет записи для удаления."));
    checkBrowseMode();
    if (!m_atomicWrites) {
        deleteCurrentRow();
        return;
    }
    const int row = m_current;
    const int store = m_order[size_t(row)];
    Transaction transaction(*m_connection);
    try {
        deleteCurrentRow();
        transaction.commit();
    } catch (...) {
        // The database has the row back: so does the dataset, where it was.
        transaction.rollback();
        if (isRemoved(store))
            restoreRow(row, store);
        throw;
    }
}

void Dataset::deleteCurrentRow()
{
    beforeDelete(*this);
    const QString key = keyField();
    const int keyColumn = storeColumn(key);
    if (keyColumn < 0)
        throw DatabaseError(QStringLiteral("В наборе данных нет ключа «%1».").arg(key));
    const int row = m_current;
    QVector<QVariant> shown;
    for (int c = 0; c < m_rows->columnCount(); ++c)
        shown.append(m_rows->value(m_order[size_t(row)], c));
    Transaction transaction(*m_connection);
    requireUnchangedSince(shown, false);
    const int changed = m_connection->execute(
        QStringLiteral("delete from %1 where %2 = :OLD_%3").arg(bracketed(updateTable()), bracketed(key), key),
        {{QStringLiteral("OLD_") + key, shown.value(keyColumn)}});
    if (changed == 0)
        throw DatabaseError(rowGoneText());
    transaction.commit();
    markRemoved(m_order[size_t(row)]);
    m_order.erase(m_order.begin() + row);
    m_current = std::min(row, recordCount() - 1);
    if (m_disableCount == 0) {
        emit rowRemoved(row);
        emit currentChanged(m_current);
    }
    afterDelete(*this);
    afterScroll(*this);
}

void Dataset::restoreRow(int row, int storeRow)
{
    m_removed[size_t(storeRow)] = false;
    row = std::clamp(row, 0, recordCount());
    m_order.insert(m_order.begin() + row, storeRow);
    m_current = row;
    if (m_disableCount == 0) {
        emit rowInserted(row);
        emit currentChanged(row);
    }
}

// ---------------------------------------------------------------- filter and sort

void Dataset::setFilter(const QString& filter)
{
    m_filter = filter;
    m_terms.clear();
    if (m_filtered && isActive()) {
        rebuildOrder(m_current >= 0 ? m_order[size_t(m_current)] : -1);
        emit rowsReplaced();
        emit currentChanged(m_current);
        afterScroll(*this);
    }
}

void Dataset::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    m_filtered = filtered;
    if (isActive()) {
        rebuildOrder(m_current >= 0 ? m_order[size_t(m_current)] : -1);
        emit rowsReplaced();
        emit currentChanged(m_current);
        afterScroll(*this);
    }
}

void Dataset::setSort(const QString& sort)
{
    m_sort = sort;
    if (isActive()) {
        checkBrowseMode();
        rebuildOrder(-1);
        m_current = m_order.empty() ? -1 : 0;
        emit rowsReplaced();
        emit currentChanged(m_current);
        afterScroll(*this);
    }
}

bool Dataset::rowPassesFilter(int storeRow) const
{
    for (const FilterTerm& term : m_terms) {
        if (term.column < 0)
            return false;
        const bool isNull = m_rows->isNull(storeRow, term.column);
        if (term.isNull) {
            if (!isNull)
                return false;
            continue;
        }
        if (isNull)
            return false;
        const ResultSet::ColumnType type = m_rows->column(term.column).type;
        const QVariant cell = m_rows->value(storeRow, term.column);
        bool equal;
        if (type == ResultSet::ColumnType::Integer || type == ResultSet::ColumnType::Real)
            equal = cell.toDouble() == term.value.toDouble() && term.value.typeId() != QMetaType::QString;
        else if (type == ResultSet::ColumnType::DateTime)
            equal = term.value.typeId() == QMetaType::QDateTime && cell.toDateTime() == term.value.toDateTime();
        else
            equal = cell.toString().compare(term.value.toString(), Qt::CaseInsensitive) == 0;
        if (!equal)
            return false;
    }
    return true;
}

void Dataset::rebuildOrder(int keepStoreRow)
{
    m_order.clear();
    if (!m_rows)
        return;
    const int count = m_rows->rowCount();
    m_order.reserve(size_t(count));
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        m_terms.clear();
        for (const FilterTermText& text : filterTerms(m_filter)) {
            FilterTerm term;
            term.column = storeColumn(text.field);
            const QString& valueText = text.value;
            if (term.column < 0)
                throw DatabaseError(QStringLiteral("Поле «%1» не найдено.").arg(text.field));
            if (valueText.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) {
                term.isNull = true;
            } else if (valueText.startsWith(QLatin1Char('\'')) && valueText.endsWith(QLatin1Char('\'')) &&
                       valueText.size() >= 2) {
                QString literal = valueText.mid(1, valueText.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
                term.value = literal;
                if (m_rows->column(term.column).type == ResultSet::ColumnType::DateTime) {
                    QDateTime moment = SqlValue::parseDateTime(literal);
                    if (!moment.isValid())
                        moment = QDateTime(QDate::fromString(literal, QStringLiteral("dd.MM.yyyy")), QTime(0, 0));
                    term.value = moment;
                }
            } else {
                bool ok = false;
                const double number = valueText.toDouble(&ok);
                if (!ok)
                    throw DatabaseError(QStringLiteral("Неверное значение в условии фильтра: %1").arg(valueText));
                term.value = number;
            }
            m_terms.push_back(term);
        }
        // Decide each distinct value once: a filter over 100,000 rows compares only the distinct values.
        QHash<qint64, bool> decided;
        for (int r = 0; r < count; ++r) {
            bool pass;
            if (m_terms.size() == 1) {
                const qint64 key = m_rows->valueKey(r, m_terms.front().column);
                auto it = decided.constFind(key);
                if (it == decided.constEnd())
                    it = decided.insert(key, rowPassesFilter(r));
                pass = *it;
            } else {
                pass = rowPassesFilter(r);
            }
            if (pass && !isRemoved(r))
                m_order.push_back(r);
        }
    } else {
        for (int r = 0; r < count; ++r)
            if (!isRemoved(r))
                m_order.push_back(r);
    }
    if (m_insertStoreRow >= 0 && std::find(m_order.begin(), m_order.end(), m_insertStoreRow) == m_order.end())
        m_order.push_back(m_insertStoreRow);
    applySort();
    m_current = m_order.empty() ? -1 : 0;
    if (keepStoreRow >= 0) {
        const auto found = std::find(m_order.begin(), m_order.end(), keepStoreRow);
        if (found != m_order.end())
            m_current = int(found - m_order.begin());
    }
}

QList<Dataset::FilterTermText> Dataset::filterTerms(const QString& filter)
{
    QList<FilterTermText> terms;
    if (filter.trimmed().isEmpty())
        return terms;
    for (const QString& text : splitTerms(filter)) {
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq < 0)
            throw DatabaseError(QStringLiteral("Неверное условие фильтра: %1").arg(text.trimmed()));
        terms.append({unbracketed(text.left(eq)), text.mid(eq + 1).trimmed()});
    }
    return terms;
}

void Dataset::setServerOrderField(const QString& field)
{
    if (field.compare(m_serverOrderField, Qt::CaseInsensitive) == 0)
        return;
    m_serverOrderField = field;
    if (!isActive() || isEditing())
        return;
    rebuildOrder(-1);
    announceRows(true);
}

void Dataset::applySort()
{
    struct Key {
        const std::vector<quint32>* ranks;
        bool descending;
    };
    std::vector<Key> keys;
    QString sort = m_sort;
    if (sort.trimmed().isEmpty() && !m_serverOrderField.isEmpty() && m_connection && !m_connection->server().isEmpty() &&
        storeColumn(m_serverOrderField) >= 0)
        sort = m_serverOrderField;
    for (const QString& part : sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString name = part.trimmed();
        bool descending = false;
        if (name.endsWith(QLatin1String(" DESC"), Qt::CaseInsensitive)) {
            descending = true;
            name.chop(5);
        } else if (name.endsWith(QLatin1String(" ASC"), Qt::CaseInsensitive)) {
            name.chop(4);
        }
        name = unbracketed(name);
        const int column = storeColumn(name);
        if (column < 0)
            throw DatabaseError(QStringLiteral("Поле «%1» не найдено.").arg(name));
        keys.push_back({&m_rows->ranks(column), descending});
    }
    if (keys.empty())
        return;
    std::stable_sort(m_order.begin(), m_order.end(), [&keys](int a, int b) {
        for (const Key& key : keys) {
            const quint32 ra = (*key.ranks)[size_t(a)], rb = (*key.ranks)[size_t(b)];
            if (ra != rb)
                return key.descending ? ra > rb : ra < rb;
        }
        return false;
    });
}

// ---------------------------------------------------------------- controls

void Dataset::disableControls() { ++m_disableCount; }

void Dataset::enableControls()
{
    if (m_disableCount == 0 || --m_disableCount > 0)
        return;
    emit controlsEnabled();
    if (m_scrollPending) {
        m_scrollPending = false;
        emit currentChanged(m_current);
        afterScroll(*this);
    }
}

void RequeryDataSetKeepRow(Dataset& dataset)
{
    WaitCursor wait;
    dataset.disableControls();
    struct Enable {
        Dataset& ds;
        ~Enable() { ds.enableControls(); }
    } enable{dataset};
    if (!dataset.isActive()) {
        dataset.open();
        return;
    }
    dataset.requeryKeepRow();
}
