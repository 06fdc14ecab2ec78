#include "people/manual_records.h"

namespace horalog {

DateTime ManualRecordTime(DateTime pickedDate, DateTime pickedTime) {
    int year, month, day;
    DecodeDate(pickedDate, year, month, day);
    const int minutes = pickedTime.msecsOfDay() / 60000;
    return EncodeDateTime(year, month, day, minutes / 60, minutes % 60, 0);
}

std::optional<AttendanceRecord> NewManualRecord(DateTime pickedDate, DateTime pickedTime,
                                                std::optional<int> card, int modeIndex,
                                                int readerIndex) {
    if (!card || modeIndex < 0 || modeIndex >= kModeChoices || readerIndex < 0 ||
        readerIndex >= kReaderChoices)
        return std::nullopt;
    AttendanceRecord row;
    row.systime = ManualRecordTime(pickedDate, pickedTime);
    row.cardno = *card;
    row.mode = modeIndex;
    row.reader = readerIndex + 1;
    row.lock = 0;
    return row;
}

bool ApplyManualEdit(AttendanceRecord& row, DateTime pickedDate, DateTime pickedTime,
                     int modeIndex) {
    if (modeIndex < 0 || modeIndex >= kModeChoices) return false;
    row.systime = ManualRecordTime(pickedDate, pickedTime);
    row.mode = modeIndex;
    return true;
}

}  // namespace horalog
