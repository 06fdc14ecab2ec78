#pragma once
// The per-user settings store: one flat list of named text values, read afresh at each use.
// Location: QSettings in INI format, organisation "Quorvane", application "Horalog".

#include <QString>

#include "common/datetime.h"

namespace horalog {

bool ReadSettingBool(const QString& name, bool def);
void WriteSettingBool(const QString& name, bool value);
int ReadSettingInt(const QString& name, int def);
void WriteSettingInt(const QString& name, int value);
QString ReadSettingText(const QString& name, const QString& def);
void WriteSettingText(const QString& name, const QString& value);
DateTime ReadSettingTime(const QString& name, DateTime def);
void WriteSettingTime(const QString& name, DateTime value);

// Whether a value exists under that name.
bool SettingExists(const QString& name);
// Path of the settings file (for operators and tests).
QString SettingsFilePath();

}  // namespace horalog
