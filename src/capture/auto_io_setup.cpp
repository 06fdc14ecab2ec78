#include "capture/auto_io_setup.h"

#include "common/format.h"
#include "common/ports.h"
#include "common/texts.h"
#include "storage/database.h"
#include "storage/rows.h"

namespace horalog {

std::vector<IoTimeRow> IoTimes(Connection& src) {
    std::vector<IoTimeRow> rows;
    auto q = src.prepare("SELECT * FROM iotime ORDER BY tfrom");
    while (q.next()) rows.push_back({q.int64("ID"), {q.dateTime("tfrom"), q.dateTime("tto")}});
    return rows;
}

InputCheck<PeriodField> AddIoTime(Connection& src, const TimePeriod& period) {
    try {
        std::vector<TimePeriod> existing;
        for (const IoTimeRow& r : IoTimes(src)) existing.push_back(r.period);
        const TimePeriod added{period.from.timePart(), period.to.timePart()};
        const auto check = CheckNewPeriod(added, existing);
        if (!check.ok) return check;
        AppendRow(src, "iotime", {{"tfrom", added.from.value}, {"tto", added.to.value}});
        return check;
    } catch (const DbError&) {
        return InputCheck<PeriodField>::refuse(PeriodField::From, text::kUpdateFailed);
    }
}

bool DeleteIoTime(Connection& src, std::optional<qint64> id, Messages& messages) {
    if (!id) {
        messages.error(text::kNoDataRecord);
        return false;
    }
    if (!messages.confirm(text::kConfirmDelete)) return false;
    try {
        return DeleteRow(src, "iotime", "ID", *id);
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return false;
    }
}

QString IoTimeText(DateTime t) {
    return FormatDateTime("AM/PM hh:mm", t);
}

}  // namespace horalog
