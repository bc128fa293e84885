#pragma once

#include "data/SqlConnection.h"

#include <QObject>
#include <QStringList>

class Dataset;

// The data module: the one connection of the program, the shared scratch query `qry`, and the route
// every statement takes to the SQL monitor.
class TDM : public QObject {
    Q_OBJECT
public:
    // Prepares the connection (nothing is opened: the first statement opens it). If the engine
    // cannot be set up, says what to install and lets start-up go on.
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    // The data module of the program; nullptr before it is created and after it is destroyed.
    static TDM* instance();

    SqlConnection* ADOConnection() const { return m_connection; }
    Dataset* qry() const { return m_qry; }

    // Sends one line to the SQL monitor if it is open; otherwise the line is dropped.
    void LogStatement(const QString& line);

    // Fills `target` with the distinct texts of one column of an open query (compared without
    // regard to letter case), in the query's row order. `clear` 1 empties the list first; `limit`
    // 0 means 10000. The query's current row is the same afterwards.
    void FillDistinctValues(Dataset& query, const QString& fieldName, QStringList& target, int clear, int limit);
    // The same from the rows of `statement`, read front to back without a Dataset
    // (SqlConnection::readRows) and only until `limit` texts are found: a pick-list over 100,000 rows
    // then costs about what reading the rows it shows costs. Texts as a Dataset shows them.
    void FillDistinctValues(const QString& statement, const QString& fieldName, QStringList& target, int clear,
                            int limit);

    // Whether the engine could be set up at creation.
    bool engineReady() const { return m_engineReady; }
    // The message shown when it could not.
    static QString engineFailureText();

signals:
    void statementLogged(const QString& line);

private:
    void ADOConnectionWillExecute(const QStringList& lines);

    SqlConnection* m_connection = nullptr;
    Dataset* m_qry = nullptr;
    bool m_engineReady = false;
};
