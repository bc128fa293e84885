#pragma once

#include "text/StrList.h"

#include <QString>

#include <vector>

class SchemaUpgrade;

// The program's own schema changes, after the steps that bring a database to the stored version
// "2.4". Those steps are fixed: another program reading the same database relies on them. What this
// program adds since is numbered here instead, and a database records in its Info row 3 the number
// of the last step it has had (its level; no row is level 0).
//
// A step runs inside the upgrade's transaction through the SchemaUpgrade that runs it, and must be
// safe to run again on a database that already has it: the version's steps re-create every view,
// so after them every own step runs again, and a database copied from an older one may carry an
// older level than its schema. Views are replaced each time; columns, tables and the like are
// added only when a probe finds them missing.
//
// A later feature appends its step at the end of the list; a step once released is never changed
// or removed, as databases at its level already hold what it did.
namespace SchemaSteps {

struct Step {
    Str what; // what the step brings, as the announcement of an upgrade names it
    void (*run)(SchemaUpgrade& upgrade);
};

const std::vector<Step>& all();

// The level a database has once every step ran: the number of steps.
int level();

// The row of Info that holds the level.
inline constexpr int kLevelRow = 3;

} // namespace SchemaSteps
