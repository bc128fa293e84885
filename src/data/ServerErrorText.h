#pragma once

#include <QString>

class DatabaseError;

// What a server's error means for the user, in the language of the program, above the server's own
// words (which stay for whoever looks after the server).
namespace ServerErrorText {

// The server's text under a sentence for the kinds of failure a planner can meet (another user's
// change in the way, a conflict of two sessions, a server short of resources, shutting down or out
// of reach, a right the user lacks); the server's text alone for any other SQLSTATE.
QString withCause(const QString& sqlState, const QString& serverText);

// Whether the error says that a table the statement names does not exist.
bool isMissingTable(const DatabaseError& error);

// A server database without the program's tables: it holds no plant, and how to make or copy one.
QString noPlant(const QString& connectionString);

} // namespace ServerErrorText
