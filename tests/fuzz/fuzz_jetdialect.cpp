// Fuzz target of the statement translator, for both engines. Statements come from the program, not from users, so
// this is about robustness: on any text the translator must neither crash nor hang, must refuse
// nothing but too deep nesting, and must produce text in proportion to what it was given.
#include "data/DatabaseError.h"
#include "data/JetDialect.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail.left(300)));
    std::abort();
}

// Translates with one target; false when the statement was refused for its nesting.
bool check(QString (*translate)(const QString&), const QString& statement)
{
    QString translated;
    try {
        translated = translate(statement);
    } catch (const DatabaseError& e) {
        if (!e.message().contains(QLatin1String("200")))
            fail("refused for another reason than nesting", e.message());
        return false;
    }
    // The longest expansion per character is a short DateAdd call (about 20 times its text).
    if (translated.size() > 32 * statement.size() + 64)
        fail("translation out of proportion", QString::number(translated.size()) + QLatin1String(" characters from ") +
                                                  QString::number(statement.size()));
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString statement = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (check(&JetDialect::toSqlite, statement))
        check(&JetDialect::toPostgres, statement);
    return 0;
}
