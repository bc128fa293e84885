#pragma once

class SqlConnection;

// A demonstration plant in an upgraded, empty database: departments, crews, places, the linked
// tables' lists, device types with models, makers and accuracies, service intervals per type and
// crew, several hundred devices with their crews and next services (some overdue, some due this
// month, some next year, counted from today), the three logs with the planners who made their
// entries, malfunctions with measured parameters, kits two levels deep, and the labour figures
// (device counts, category shares, workplaces with their working-time fund, a few counted norm
// states).
//
// The same today and the same program give the same database. Written in one transaction; a
// failure leaves the database as it was and throws DatabaseError.
namespace DemoDatabase {

void fill(SqlConnection& connection);

} // namespace DemoDatabase
