#pragma once
// Manual attendance records: the rows the add and edit dialogs write into the log, stamped to
// the minute. The caller appends or edits the row in the store.

#include <QString>
#include <optional>

#include "common/datetime.h"

namespace horalog {

namespace text {
inline constexpr const char* kAddRecordCaption = "Add Attendance Record";
inline constexpr const char* kEditRecordCaption = "Edit Attendance Record";
inline constexpr const char* kRecordAdded = "Record Added";
inline constexpr const char* kErrorAddingRecord = "Error adding record into the database";
inline constexpr const char* kRecordUpdated = "Record updated into the database";
inline constexpr const char* kErrorUpdatingRecord = "Error updating record into the database";
inline constexpr const char* kNoRecordToDelete = "No record to delete.";
// Not the shared "...this record?": the log's delete ends with a full stop.
inline constexpr const char* kConfirmDeleteLogRecord = "Are you sure to delete this record.";
}  // namespace text

inline constexpr int kModeChoices = 3;    // CLOCK, IN, OUT
inline constexpr int kReaderChoices = 8;  // ports 1 to 8

// One row of recorder.
struct AttendanceRecord {
    DateTime systime;
    int cardno = 0;
    int mode = 0;    // 0 CLOCK, 1 IN, 2 OUT
    int reader = 0;  // port 1 to 8
    int lock = 0;    // port whose lock was released; 0 none

    friend bool operator==(const AttendanceRecord&, const AttendanceRecord&) = default;
};

// The picked date at the picked hour and minute; seconds and milliseconds 0.
DateTime ManualRecordTime(DateTime pickedDate, DateTime pickedTime);

// The row "&Add" appends: the card shown for the chosen holder, the mode at its position
// (0 CLOCK, 1 IN, 2 OUT), the reader at its position plus 1, no lock. Nothing (the dialog
// shows "Error adding record into the database") without a card, i.e. when the typed name
// is no holder's, or when the mode or reader is not one of the listed choices.
std::optional<AttendanceRecord> NewManualRecord(DateTime pickedDate, DateTime pickedTime,
                                                std::optional<int> card, int modeIndex,
                                                int readerIndex);

// "&Update": only the date, time (seconds 0) and mode change; card, reader and lock stay.
// False, with the row unchanged, when the mode is not one of the listed choices.
bool ApplyManualEdit(AttendanceRecord& row, DateTime pickedDate, DateTime pickedTime,
                     int modeIndex);

}  // namespace horalog
