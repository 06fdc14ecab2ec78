#pragma once
// Which database the program works on: the server named by --database URL, else by the
// setting DatabaseUrl, else (empty) the encrypted files of the data folder.

#include <QString>

namespace horalog {

inline constexpr const char* kDatabaseUrlSetting = "DatabaseUrl";

QString ChosenDatabaseUrl();

}  // namespace horalog
