#pragma once

#include <QString>
#include <optional>

class SqlConnection;

// Who made an entry of the device logs: on a server the database user of the connection, on a file
// the login name of the desktop user running the program.
//
// The column is one of the program's schema steps. A database the steps have not reached (a
// read-only file of an earlier level) keeps its logs without it, and nothing is said: the logs are
// written and shown without the author, as before.
namespace LogAuthor {

constexpr int kMaxLength = 50; // the width of the column

// Whether the three logs and their views have the column. Decided once per connection.
bool ensureColumn(SqlConnection& connection);

// The name a new entry records (looked up once per connection), or nothing when the logs have no
// column for it.
std::optional<QString> forNewEntry(SqlConnection& connection);

// The desktop user's login name, at most kMaxLength characters; empty when the system knows none.
QString loginName();

} // namespace LogAuthor
