#pragma once
// Small helpers shared by the benchmark programs.

#include <QString>
#include <QTextStream>
#include <cstdio>
#include <fstream>
#include <string>

#include "storage/migrate.h"
#include "storage/postgres_driver.h"

namespace horalog::bench {

// A field of /proc/self/status in kB ("VmRSS:" resident now, "VmHWM:" peak).
inline long StatusKb(const char* field = "VmRSS:") {
    std::ifstream f("/proc/self/status");
    std::string line;
    const std::string name(field);
    while (std::getline(f, line))
        if (line.rfind(name, 0) == 0) return std::stol(line.substr(name.size()));
    return 0;
}

inline long ResidentKb() { return StatusKb("VmRSS:"); }
inline long PeakRssMb() { return StatusKb("VmHWM:") / 1024; }

// Puts the rows of the data folder onto the server database of url once: migrates them when
// its log is empty (a first run), else keeps what an earlier run put there.
inline bool OntoServer(const QString& folder, const QString& url) {
    {
        auto server = OpenServerDatabase(url, OpenMode::ReadOnly);
        if (server->hasTable("recorder")) {
            auto q = server->prepare("SELECT count(*) FROM recorder");
            if (q.next() && q.value(0).toLongLong() > 0) return true;
        }
    }
    QTextStream out(stdout), err(stderr);
    std::printf("copying %s onto the server (once)\n", qPrintable(folder));
    return RunMigrateCommand({"migrate", "--to", url}, folder, out, err) == 0;
}

}  // namespace horalog::bench
