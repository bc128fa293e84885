#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class Dataset;
class SqlConnection;

// The save and delete rules of a device record (the dataset over one row of Device), attached to
// its events. The dataset writes atomically: the move log goes with the saved row, and the "Deleted"
// log row, the delete and the clean-ups after it are one step.
//
// Saving: the change date is now; a type change is refused (the old type comes back, the save goes
// on) while the device has next-service rows in the database; a location change clears a place of
// another location; an edited record writes the move log. Once stored, the edit log gets "Added"
// after an insert, "Edited" after an edit.
// Deleting: refused while crews, services, malfunctions or kit entries refer to the device; then the
// edit log gets "Deleted", the row goes, rows of other tables left without their device are removed,
// and `afterDeletion` runs (the window refreshes its list).
class DeviceRecordRules : public QObject {
    Q_OBJECT
public:
    // What the record's last change was: read after each save, never reset.
    enum class ChangeKind { None, Edited, Inserted };

    DeviceRecordRules(Dataset& device, QObject* parent = nullptr);

    ChangeKind pendingKind() const { return m_kind; }
    void setAfterDeletion(std::function<void()> refresh) { m_afterDeletion = std::move(refresh); }

    // The columns Same copies into the new device: its type and classification, not its numbers,
    // place, state, dates or comment.
    static const QStringList& sameColumns();
    static QString sameStatement(qint64 device);
    // The clean-ups after a deletion, in order.
    static const QStringList& cleanUpStatements();
    // The statement whose values fill a number pick-list ("anumber" or "znumber").
    static QString pickListStatement(const QString& column);
    // How many next-service rows the device has in the database.
    static int nextServiceCount(SqlConnection& connection, qint64 device);
    // Whether a type differs from the one before editing: two empty values are the same, an empty
    // value differs from any type.
    static bool typeChanged(const QVariant& before, const QVariant& now);
    // Whether `locSet` is a place of `location` (an empty place belongs anywhere).
    static bool placeBelongsTo(SqlConnection& connection, const QVariant& locSet, const QVariant& location);

private:
    void beforePost();
    void afterPost();
    void beforeDelete();
    void afterDelete();

    Dataset& m_device;
    ChangeKind m_kind = ChangeKind::None;
    std::function<void()> m_afterDeletion;
};
