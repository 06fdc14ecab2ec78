#pragma once
// The list of daily IN periods behind "Auto IN/OUT Timer": reading it in start order, adding a
// period after the checks, deleting one, and what the window does once the dialog closed.

#include <QString>
#include <optional>
#include <vector>

#include "common/datetime.h"
#include "people/groups.h"
#include "people/input_check.h"

namespace horalog {

class Connection;
class Messages;

// One row of iotime.
struct IoTimeRow {
    qint64 id = 0;
    TimePeriod period;
};

// "select * from iotime order by tfrom".
std::vector<IoTimeRow> IoTimes(Connection& src);

// "Add Record": the end later than the start ("Wrong time entry."), no overlap with a listed
// period, touching included ("Time overlapped."), then the row is appended with the two times
// of day; a refused append answers "Fail to update the database record. Please retry.". The
// focus goes to "From" on every refusal.
InputCheck<PeriodField> AddIoTime(Connection& src, const TimePeriod& period);

// "Delete Record" on the current period (nullopt: the list is empty): "No data record.", then
// "Are you sure to delete this record?"; a failure shows "Fail to update the database record.
// Please retry.". True when the row was deleted.
bool DeleteIoTime(Connection& src, std::optional<qint64> id, Messages& messages);

// The grid's time cells: "AM/PM hh:mm".
QString IoTimeText(DateTime t);

// The pickers' start values.
inline constexpr int kIoFromHour = 9;
inline constexpr int kIoToHour = 14;

}  // namespace horalog
