#include "support/SqliteFile.h"

#include <sqlite3.h>
#include <stdexcept>

void createSqliteFile(const QString& path, const QStringList& statements)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path.toStdString());
    for (const QString& statement : statements) {
        char* error = nullptr;
        if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "?";
            sqlite3_free(error);
            sqlite3_close(db);
            throw std::runtime_error(message + " in: " + statement.toStdString());
        }
    }
    sqlite3_close(db);
}
