#pragma once

class SqlConnection;

// Tables that each planner fills and empties for himself. In a file the one user's plan is the
// table itself. On a server several planners share the database, and one planner's "generate" or
// closing of the plan window would delete another's plan: there the session gets a table of its own
// under the same name (and its own copy of the view over it), which hides the shared one for this
// connection only and goes away with it, so every statement over them stays as it is.
//
// Made on first use rather than at connecting: a schema upgrade at start-up re-creates the shared
// view, which a session's own view of that name would stand in the way of.
namespace SessionTables {

// The yearly plan (YearReport and YearReportView) of this session; does nothing for a file, for a
// database without the plan's table, or when done before on this connection.
void prepareYearPlan(SqlConnection& connection);

} // namespace SessionTables
