#include "data/DMFrm.h"

#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
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

namespace {

// The texts of a column each once, compared without regard to letter case, the first spelling kept.
class DistinctTexts {
public:
    DistinctTexts(QStringList& target, int clear, int limit) : m_target(target), m_limit(limit == 0 ? 10000 : limit)
    {
        if (clear == 1)
            target.clear();
        for (const QString& text : std::as_const(target))
            m_seen.insert(text.toCaseFolded());
    }
    bool full() const { return m_added >= m_limit; }
    void add(const QString& text)
    {
        if (full())
            return;
        const qsizetype before = m_seen.size();
        m_seen.insert(text.toCaseFolded());
        if (m_seen.size() == before)
            return;
        m_target.append(text);
        ++m_added;
    }

private:
    QStringList& m_target;
    QSet<QString> m_seen;
    int m_limit;
    int m_added = 0;
};

} // namespace

void TDM::FillDistinctValues(Dataset& query, const QString& fieldName, QStringList& target, int clear, int limit)
{
    WaitCursor wait;
    const int remembered = query.recNo();
    query.disableControls();
    DistinctTexts texts(target, clear, limit);
    const int index = query.fieldIndex(query.fieldByName(fieldName).name());
    for (int row = 0; row < query.recordCount() && !texts.full() && index >= 0; ++row)
        texts.add(query.displayText(row, index));
    if (remembered > 0)
        query.setRecNo(remembered);
    query.enableControls();
}

void TDM::FillDistinctValues(const QString& statement, const QString& fieldName, QStringList& target, int clear,
                             int limit)
{
    WaitCursor wait;
    DistinctTexts texts(target, clear, limit);
    if (texts.full())
        return;
    int column = -1;
    QByteArray text;
    m_connection->readRows(statement, {}, [&](const ResultSet& rows) {
        if (column < 0 && (column = rows.indexOf(fieldName)) < 0)
            throw DatabaseError(QStringLiteral("Поле «%1» не найдено.").arg(fieldName));
        for (int row = 0; row < rows.rowCount() && !texts.full(); ++row) {
            text.truncate(0);
            rows.appendDisplayText(row, column, QString(), text);
            texts.add(QString::fromUtf8(text));
        }
        return !texts.full();
    });
}
