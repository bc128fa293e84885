#include "data/DMFrm.h"

#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "text/StrList.h"

#include <QSet>
#include <QSqlDatabase>

namespace {
TDM* g_instance = nullptr;
}

TDM::TDM(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DM"));
    g_instance = this;
    // Numbers written into statements always use "." (SqlValue), whatever the user's locale, so the
    // user's regional settings are never touched.
    m_connection = new SqlConnection(this);
    m_connection->setObjectName(QStringLiteral("ADOConnection"));
    m_connection->setDatabaseFile(QStringLiteral("Device.db"));
    connect(m_connection, &SqlConnection::willExecute, this, &TDM::ADOConnectionWillExecute);
    m_qry = new Dataset(m_connection, this);
    m_qry->setObjectName(QStringLiteral("qry"));
    m_engineReady = QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
    if (!m_engineReady)
        Messages::error(engineFailureText());
}

TDM::~TDM()
{
    if (g_instance == this)
        g_instance = nullptr;
}

TDM* TDM::instance() { return g_instance; }

QString TDM::engineFailureText()
{
    // The first line is the program's own; the rest says what this platform needs.
    return withoutAccelerator(Text(Str::DataOpenFailed)).section(QLatin1Char('\n'), 0, 0).section(QLatin1Char('\r'), 0, 0) +
           QLatin1Char('\n') +
           (languageIndex() == 0
                ? QStringLiteral("Install the SQLite driver of Qt 6 (Debian package libqt6sql6-sqlite).")
                : QStringLiteral("Установите драйвер SQLite для Qt 6 (пакет Debian libqt6sql6-sqlite)."));
}

void TDM::ADOConnectionWillExecute(const QStringList& lines)
{
    for (const QString& line : lines)
        LogStatement(line);
}

void TDM::LogStatement(const QString& line) { emit statementLogged(line); }

void TDM::FillDistinctValues(Dataset& query, const QString& fieldName, QStringList& target, int clear, int limit)
{
    WaitCursor wait;
    const int remembered = query.recNo();
    query.disableControls();
    if (clear == 1)
        target.clear();
    if (limit == 0)
        limit = 10000;
    const int index = query.fieldIndex(query.fieldByName(fieldName).name());
    QSet<QString> seen;
    for (const QString& text : std::as_const(target))
        seen.insert(text.toCaseFolded());
    int added = 0;
    for (int row = 0; row < query.recordCount() && added < limit && index >= 0; ++row) {
        const QString text = query.displayText(row, index);
        if (!seen.contains(text.toCaseFolded())) {
            seen.insert(text.toCaseFolded());
            target.append(text);
            ++added;
        }
    }
    if (remembered > 0)
        query.setRecNo(remembered);
    query.enableControls();
}
