#include "storage/settings.h"

#include <QSettings>

#include "common/format.h"

namespace horalog {

namespace {

// Each access opens its own handle and closes it again: no state is kept between calls,
// so a value written by one window is seen by the next reader at once.
QSettings openStore() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Quorvane", "Horalog");
}

bool readText(const QString& name, QString& out) {
    QSettings s = openStore();
    s.sync();  // pick up writes of other processes
    QVariant v = s.value(name);
    if (!v.isValid()) return false;
    out = v.toString();
    return true;
}

void writeText(const QString& name, const QString& value) {
    QSettings s = openStore();
    s.setValue(name, value);
    s.sync();
}

}  // namespace

bool ReadSettingBool(const QString& name, bool def) {
    QString text;
    if (!readText(name, text)) return def;
    bool ok = false;
    int v = text.toInt(&ok);
    return ok ? v != 0 : def;
}

void WriteSettingBool(const QString& name, bool value) { writeText(name, value ? "1" : "0"); }

int ReadSettingInt(const QString& name, int def) {
    QString text;
    if (!readText(name, text)) return def;
    bool ok = false;
    int v = text.toInt(&ok);
    return ok ? v : def;
}

void WriteSettingInt(const QString& name, int value) { writeText(name, QString::number(value)); }

QString ReadSettingText(const QString& name, const QString& def) {
    QString text;
    return readText(name, text) ? text : def;
}

void WriteSettingText(const QString& name, const QString& value) { writeText(name, value); }

DateTime ReadSettingTime(const QString& name, DateTime def) {
    QString text = ReadSettingText(name, QString());
    if (text.isEmpty()) return def;
    DateTime t;
    return ParseTimeOfDay(text, t) ? t : def;
}

void WriteSettingTime(const QString& name, DateTime value) {
    writeText(name, FormatDateTime(LongTimeFormat(), value.timePart()));
}

bool SettingExists(const QString& name) {
    QString text;
    return readText(name, text);
}

QString SettingsFilePath() { return openStore().fileName(); }

}  // namespace horalog
