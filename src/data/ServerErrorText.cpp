#include "data/ServerErrorText.h"

#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "text/StrList.h"

namespace ServerErrorText {

namespace {

struct StateText {
    const char* prefix; // a whole SQLSTATE, or its class
    Str text;
};

// The most particular first.
const StateText kTexts[] = {
    {"40001", Str::ServerErrorConcurrent}, {"40P01", Str::ServerErrorConcurrent}, {"42501", Str::ServerErrorPrivilege},
    {"57P0", Str::ServerErrorShutdown},    {"23", Str::ServerErrorIntegrity},      {"53", Str::ServerErrorResources},
    {"08", Str::ServerErrorConnection},
};

} // namespace

QString withCause(const QString& sqlState, const QString& serverText)
{
    for (const StateText& known : kTexts)
        if (sqlState.startsWith(QLatin1String(known.prefix)))
            return Text(known.text) + QStringLiteral("\n\n") + serverText;
    return serverText;
}

bool isMissingTable(const DatabaseError& error) { return error.sqlState() == QLatin1String("42P01"); }

QString noPlant(const QString& connectionString)
{
    const QString shown = DatabaseChoice::shownName(connectionString);
    return FormatText(Str::ServerNoPlant, shown, shown, shown);
}

} // namespace ServerErrorText
