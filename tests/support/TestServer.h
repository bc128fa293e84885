#pragma once

#include <QString>

// The PostgreSQL server the test command starts (scripts/test-server), named by the environment:
// INSTREL_TEST_SERVER holds its connection string without a database name, and
// INSTREL_TEST_SERVER_REQUIRED says that a missing server is a failure rather than a reason to skip.
namespace TestServer {

QString connectionString();
bool isRequired();

// A database of its own on the server for as long as it lives: created empty, dropped at the end.
class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    // Empty when the database could not be created (the reason in error()).
    QString connectionString() const { return m_connectionString; }
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_connectionString;
    QString m_error;
};

} // namespace TestServer

// In a fixture's SetUp or a test: skips when no server was started, fails when one was required.
#define INSTREL_REQUIRE_TEST_SERVER()                                                                         \
    do {                                                                                                      \
        if (TestServer::connectionString().isEmpty()) {                                                       \
            if (TestServer::isRequired())                                                                     \
                FAIL() << "INSTREL_TEST_SERVER is not set although the test command requires a server";      \
            GTEST_SKIP() << "no PostgreSQL server: set INSTREL_TEST_SERVER (scripts/test starts one)";        \
        }                                                                                                     \
    } while (false)
