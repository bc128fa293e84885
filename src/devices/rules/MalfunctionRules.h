#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>

class Dataset;

// Rules of the malfunction log that do not need a window: what a new entry starts with, what Same
// copies, and how an entry and its measured parameter values are stored and deleted together.
namespace MalfunctionRules {

// The columns Same copies: every column of the entry but its identity (its parameters stay behind).
const QStringList& sameColumns();
QString sameStatement(qint64 entry);
QString deleteValuesStatement(qint64 entry);
// A new entry is dated now and counts one malfunction before anything is typed. In a list narrowed
// to one device it belongs to that device: without it the entry would not be listed, and the user
// would see nothing happen.
void fillNewEntry(Dataset& entry, const QVariant& device = {});
// The device a list narrowed through its IDevice filter cell shows: the cell holding one plain
// device number (as the device window writes it); null for a blank cell or any other condition.
QVariant deviceOfFilter(const QString& filterText);

} // namespace MalfunctionRules

// Attached to the entry record (one row of Refusal): a deletion takes the entry's parameter values
// with it, in the same transaction, so that a delete that fails keeps them; `afterDeletion` runs
// once the entry is gone (the window refreshes its list).
class MalfunctionEntryRules : public QObject {
    Q_OBJECT
public:
    explicit MalfunctionEntryRules(Dataset& entry, QObject* parent = nullptr);
    void setAfterDeletion(std::function<void()> refresh) { m_afterDeletion = std::move(refresh); }

private:
    std::function<void()> m_afterDeletion;
};

// Attached to the parameter values of one entry: a stored value always belongs to the entry the
// window shows (`currentEntry` gives its key), whatever the row held before.
class ParameterValueRules : public QObject {
    Q_OBJECT
public:
    ParameterValueRules(Dataset& values, std::function<QVariant()> currentEntry, QObject* parent = nullptr);
    // Whether a value row may be added or deleted now: not while one is being edited, and only for an
    // entry that exists.
    bool canAdd() const;
    bool canDelete() const;

private:
    Dataset& m_values;
    std::function<QVariant()> m_currentEntry;
};
