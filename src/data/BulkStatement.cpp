#include "data/BulkStatement.h"

#include "data/DatabaseError.h"
#include "data/SqlValue.h"

#include <sqlite3.h>

BulkStatement::BulkStatement(sqlite3* db, const QString& sqliteText) : m_db(db), m_text(sqliteText)
{
    if (!m_db)
        throw DatabaseError(QStringLiteral("База данных не открыта."), sqliteText);
    const QByteArray utf8 = sqliteText.toUtf8();
    check(sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()) + 1, &m_stmt, nullptr));
}

BulkStatement::~BulkStatement() { sqlite3_finalize(m_stmt); }

void BulkStatement::check(int rc) const
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)), m_text);
}

BulkStatement& BulkStatement::bind(int index, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

BulkStatement& BulkStatement::bind(int index, std::optional<qint64> value)
{
    return value ? bind(index, *value) : bindNull(index);
}

BulkStatement& BulkStatement::bind(int index, double value)
{
    check(sqlite3_bind_double(m_stmt, index, value));
    return *this;
}

BulkStatement& BulkStatement::bind(int index, const QString& value)
{
    if (value.isNull())
        return bindNull(index);
    const QByteArray utf8 = value.toUtf8();
    check(sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    return *this;
}

BulkStatement& BulkStatement::bind(int index, const QDate& day) { return bind(index, day, 0); }

BulkStatement& BulkStatement::bind(int index, const QDate& day, int secondOfDay)
{
    int year = 0, month = 0, dayOfMonth = 0;
    day.getDate(&year, &month, &dayOfMonth);
    if (!day.isValid() || year < 1 || year > 9999 || secondOfDay < 0 || secondOfDay >= 86400)
        return bindNull(index);
    char text[19];
    const auto put = [&text](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + i] = char('0' + value % 10);
    };
    put(0, year, 4);
    text[4] = '-';
    put(5, month, 2);
    text[7] = '-';
    put(8, dayOfMonth, 2);
    text[10] = ' ';
    put(11, secondOfDay / 3600, 2);
    text[13] = ':';
    put(14, secondOfDay / 60 % 60, 2);
    text[16] = ':';
    put(17, secondOfDay % 60, 2);
    check(sqlite3_bind_text(m_stmt, index, text, 19, SQLITE_TRANSIENT));
    return *this;
}

BulkStatement& BulkStatement::bind(int index, const QDateTime& moment)
{
    return moment.isValid() ? bind(index, SqlValue::dateTimeText(moment)) : bindNull(index);
}

BulkStatement& BulkStatement::bindNull(int index)
{
    check(sqlite3_bind_null(m_stmt, index));
    return *this;
}

qint64 BulkStatement::run()
{
    const int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    check(rc);
    return sqlite3_last_insert_rowid(m_db);
}
