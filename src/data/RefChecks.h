#pragma once

#include <QString>

class Dataset;

// The database declares no foreign keys, so the program refuses itself to delete a row that other
// rows still point to. Each check counts the referring rows table by table on the data module's
// scratch query and returns one line per table with references (the table's message with the count,
// then "\r"), in a fixed order; an empty text means the row may go.
//
// Database errors (a missing table, say) are not caught here: they travel up to the caller, whose
// deletion then stops with the standard error box.

// The number of rows of `table` whose `column` equals `key`; -1 when the query did not open.
int CountReferences(const QString& table, const QString& column, int key);

QString CheckServiceRefs(int key);     // a service (Reps)
QString CheckCategoryRefs(int key);    // a staff category (Cathegory)
QString CheckLossRefs(int key);        // other losses (LostDayMiscPC)
QString CheckHolidayRefs(int key);     // an annual holiday (LostDayUsed)
QString CheckFundRefs(int key);        // a nominal fund (DayFund)
QString CheckDayLengthRefs(int key);   // a working-day length (WorkDayLenth)
QString CheckCrewRefs(int key);        // a crew (Crew)
QString CheckServiceRowRefs(int key);  // a service row of a type in a crew (DevRep)
QString CheckDeviceTypeRefs(int key);  // a device type (DevType)
QString CheckDeviceRefs(int key);      // a device (Device)

// The plain reference lists of the linked tables window: every table that holds the list's key, one
// line each (a table with two columns for the key, such as the shift log's old and new state, counts
// its rows once).
QString CheckSystemRefs(int key);           // System
QString CheckClassRefs(int key);            // Class
QString CheckMeasurementRefs(int key);      // Mere
QString CheckAssignmentRefs(int key);       // Dest
QString CheckRangeRefs(int key);            // Marg
QString CheckStateRefs(int key);            // State
QString CheckScaleRefs(int key);            // Scale
QString CheckGraduationRefs(int key);       // Grade
QString CheckLocationRefs(int key);         // Location
QString CheckPlaceRefs(int key);            // LocSet
QString CheckTypeNameRefs(int key);         // Naim
QString CheckAccuracyRefs(int key);         // Prec
QString CheckDesignRefs(int key);           // Construct
QString CheckMakerRefs(int key);            // Maker
QString CheckDimensionRefs(int key);        // Dimention
QString CheckDocumentRefs(int key);         // Document
QString CheckParameterRefs(int key);        // RefusalParam
QString CheckMalfunctionGroupRefs(int key); // RefusalGroupNaimen
QString CheckMalfunctionNameRefs(int key);  // RefusalNaimen

using ReferenceCheck = QString (*)(int key);

// What every window does before deleting a guarded row: reads the key of the dataset's current row
// as an integer (an empty key reads as 0) and runs `check`. When references are found, shows them in
// a warning followed by "Operation canceled." and abandons the deletion silently (abortOperation()),
// so the row stays and the dataset stays in browse state. Call it from a beforeDelete handler.
void RefuseDeleteIfReferenced(const Dataset& dataset, const QString& keyField, ReferenceCheck check);

// Connects RefuseDeleteIfReferenced to the dataset's beforeDelete event.
void GuardDeletion(Dataset& dataset, const QString& keyField, ReferenceCheck check);
