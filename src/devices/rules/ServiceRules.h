#pragma once

#include <QObject>
#include <QVariant>

class Dataset;
class SqlConnection;

// The rules of the rows that hang off a device or a type, each attached to the events of its
// dataset. Every one of these datasets writes atomically: a log or a batch is kept only with the row
// it belongs to.

// Whether the device record shows a stored device, to which a service or a crew row can belong (the
// device list may be empty or filtered to nothing).
bool hasCurrentDevice(const Dataset& device);
// Refuses, with its message, a service or crew row that would be stored without a device: no list
// and no clean-up would ever show or remove it.
void refuseWithoutDevice(const Dataset& device);

// A next-service row of the device: it belongs to the device; an existing row writes the service log
// (dates before and after) on every save, a new one does not.
class NextServiceRules : public QObject {
    Q_OBJECT
public:
    NextServiceRules(Dataset& nextRep, Dataset& device, QObject* parent = nullptr);

private:
    Dataset& m_nextRep;
    Dataset& m_device;
};

// A crew row of the device belongs to the device.
class DeviceCrewRules : public QObject {
    Q_OBJECT
public:
    DeviceCrewRules(Dataset& devCrew, Dataset& device, QObject* parent = nullptr);
};

// An interval edited in the device window: it is an interval of the device's type for the crew chosen
// in the crews grid. Changing one that next-service rows use asks whether to move their next dates
// (IntervalBatch); the batch and the interval are written together or not at all. A negative
// interval is refused; a referenced interval is not deleted.
class DeviceIntervalRules : public QObject {
    Q_OBJECT
public:
    DeviceIntervalRules(Dataset& interval, Dataset& device, Dataset& crewDevType, QObject* parent = nullptr);

    // Whether a new interval can be added: the device has a type and a crew is chosen.
    bool canAdd() const;

private:
    void beforePost();

    Dataset& m_interval;
    Dataset& m_device;
    Dataset& m_crewDevType;
};

// An interval edited in the types window: it belongs to the type; without a crew it takes the crew
// list's current crew (and says so), or is refused when there is no crew at all. A negative interval
// is refused; a referenced interval is not deleted.
class TypeIntervalRules : public QObject {
    Q_OBJECT
public:
    TypeIntervalRules(Dataset& interval, Dataset& type, Dataset& crews, QObject* parent = nullptr);

private:
    void beforePost();

    Dataset& m_interval;
    Dataset& m_type;
    Dataset& m_crews;
};

// Refuses a negative interval with its message (the row stays in editing).
void refuseNegativeInterval(const Dataset& interval);
