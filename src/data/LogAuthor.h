#pragma once

#include <QString>
#include <optional>

class SqlConnection;

// Who made an entry of the device logs: on a server the database user of the connection, on a file
// the login name of the desktop user running the program.
//
// A file made before the logs had the column (by an earlier build, already at the program's version,
// so that no upgrade runs) gets it the first time the logs are used on a connection. Where that
// cannot be done (a read-only file, a server user without the right to alter the logs) nothing is
// said: the logs are written and shown without the author, as before.
namespace LogAuthor {

constexpr int kMaxLength = 50; // the width of the column

// Whether the three logs and their views have the column, adding it when they do not. Decided once
// per connection; work that added it and might still be undone is looked at again until it ends.
bool ensureColumn(SqlConnection& connection);

// The name a new entry records (looked up once per connection), or nothing when the logs have no
// column for it.
std::optional<QString> forNewEntry(SqlConnection& connection);

// The desktop user's login name, at most kMaxLength characters; empty when the system knows none.
QString loginName();

} // namespace LogAuthor
