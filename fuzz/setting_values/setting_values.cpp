// Any text in the settings file, read as the numbers, switches and times the program takes
// from it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>

#include "storage/settings.h"

namespace {
QTemporaryDir* g_config = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The settings path is fixed when the settings are first touched: the folder comes first.
    g_config = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", g_config->path().toUtf8());
    static QCoreApplication app(*argc, *argv);
    // The file is written directly, so its folder must be there.
    QDir().mkpath(QFileInfo(horalog::SettingsFilePath()).path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QFile f(horalog::SettingsFilePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write("[General]\nValue=");
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    f.write("\n");
    f.close();
    int sink = horalog::ReadSettingInt("Value", 7) + horalog::ReadSettingBool("Value", true);
    sink += horalog::ReadSettingTime("Value", horalog::DateTime(0.5)).value < 0.5;
    volatile int kept = sink;  // the decoders' results must not be optimised away
    (void)kept;
    return 0;
}
