#pragma once
// Work groups and timetables in the system database: the rows behind "Group List", "Work Group
// Information" and "Time Table", the group choice list every group drop-down uses, and the
// deletion rules. Checks of the editors live in groups.h; this file reads and writes.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "people/groups.h"
#include "storage/database.h"

namespace horalog {

// Every group in ID order (the group list).
std::vector<WorkGroup> GroupsById(Connection& src);
std::optional<WorkGroup> LoadGroup(Connection& src, int id);

// Writes the editor's group under its name, the group's identity: a group with that name
// (GroupIdOf) is overwritten, otherwise a group is added; the group's own id is not looked at,
// so renaming OFFICE to STORE adds STORE and leaves OFFICE. Answers the row's ID. A failure
// rolls back, shows "Fail to update the database record. Please retry." and answers the
// default group 1.
int StoreGroup(Connection& src, const WorkGroup& group, Messages& messages);

// The group choice list: group names in name order with their IDs, and the item to select
// for groupId (the first for 0, none (-1) for a group that does not exist).
struct GroupChoice {
    QStringList names;
    std::vector<int> ids;
    int selected = -1;
};
GroupChoice GroupChoices(Connection& src, int groupId);

// "Delete" of the group list on the current group (0: the list is empty): "No data record.",
// "Cannot delete default group.", then the question of GroupDeleteQuestion. The group's
// holders move to the default group in the deletion's transaction; a failure changes nothing
// and shows "Fail to update the database record. Please retry.". Periods of the group stay as
// they are. True when the row was deleted.
bool DeleteGroup(Connection& src, int id, Messages& messages);
// The number of holders in a group.
qint64 GroupMemberCount(Connection& src, int id);

// A period of a group's time attendance table.
struct TimetableRow {
    qint64 id = 0;
    int gid = 0;
    TimePeriod period;
};
// The periods of a group ordered by IN time.
std::vector<TimetableRow> TimetableOf(Connection& src, int gid);

// "Add " of "Time Table": OUT later than IN ("Wrong time entry."), no overlap with the group's
// periods ("Time overlapped."), then the row is appended; a failed post answers
// "Fail to update the database record. Please retry.". The focus goes to IN on every refusal.
InputCheck<PeriodField> AddTimetablePeriod(Connection& src, int gid, const TimePeriod& period);

// "Delete" of "Time Table" on the current period (nullopt: no periods): "No data record.", then
// "Are you sure to delete this record?"; a failure shows "Fail to update the database record.
// Please retry.". True when the row was deleted.
bool DeleteTimetablePeriod(Connection& src, std::optional<qint64> id, Messages& messages);

// Times of the lists: "AM/PMhh:mm" in the group list, "AM/PM hh:mm" in the timetable grid.
QString GroupListTime(DateTime t);
QString TimetableTime(DateTime t);

}  // namespace horalog
