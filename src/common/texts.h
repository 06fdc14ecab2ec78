#pragma once
// Messages shared by many windows, word for word.

#include <QString>

namespace horalog::text {

inline constexpr const char* kConfirmDelete = "Are you sure to delete this record?";
inline constexpr const char* kConfirmOverwrite = "Are you sure to overwrite this record?";
inline constexpr const char* kInvalidInput = "Invalid input.";
inline constexpr const char* kDatabaseError = "Database Error.";
inline constexpr const char* kNoDuplicate =
    "The input does not allow deplicate entry. Please re-enter.";
inline constexpr const char* kSettingsSaved = "Settings are saved.";
inline constexpr const char* kCompleted = "Completed.";
// "Completed." of a file written, with the file's path on a line of its own.
inline QString CompletedFile(const QString& path) {
    return QString(kCompleted) + "\n" + path;
}
inline constexpr const char* kWrongTime = "Wrong time entry.";
inline constexpr const char* kSettingsNotSaved = "Settings cannot be saved.";
inline constexpr const char* kUpdateFailed = "Fail to update the database record. Please retry.";
inline constexpr const char* kNoDataRecord = "No data record.";
inline constexpr const char* kTimeOverlapped = "Time overlapped.";
inline constexpr const char* kOperationFailed = "Operation failed. Please retry!";
inline constexpr const char* kNoRecord = "No record.";

}  // namespace horalog::text
