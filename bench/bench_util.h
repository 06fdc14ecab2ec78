#pragma once
// Small helpers shared by the benchmark programs.

#include <QString>
#include <QTextStream>
#include <cstdio>
#include <fstream>
#include <string>

#include "people/photos.h"
#include "cli/migrate_command.h"
#include "storage/postgres_driver.h"
#include "storage/staff_table.h"

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

// A photo that compresses like a face, not like a flat fill; different per seed.
inline QByteArray NoisyPhoto(unsigned seed = 12345) {
    Picture p = WhitePicture(kPhotoWidth, kPhotoHeight);
    unsigned state = seed;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            state = state * 1103515245u + 12345u;
            std::uint8_t* px = p.pixel(x, y);
            const int noise = int((state >> 16) & 0x1F);
            px[0] = std::uint8_t(noise + x / 2);
            px[1] = std::uint8_t(noise + y / 2);
            px[2] = std::uint8_t(noise + 60);
        }
    QByteArray blob;
    PhotoToBlob(blob, p);
    return blob;
}

// Holders 1 to n ("Holder N", every reader right), made once and kept between runs.
inline void EnsureBenchHolders(Connection& src, int n) {
    StaffTable staff(src);
    if (staff.count() >= n) return;
    Transaction t(src);
    for (int card = 1; card <= n; ++card) {
        if (staff.byCard(card)) continue;
        HolderRecord h;
        h.cardno = card;
        h.name = QString("Holder %1").arg(card);
        h.com.fill(true);
        staff.append(h);
    }
    t.commit();
}

// Puts the rows of the data folder onto the server database of url once: migrates them when
// its log is empty (a first run), else keeps what an earlier run put there.
inline bool OntoServer(const QString& folder, const QString& url) {
    {
        auto server = OpenServerDatabase(url, OpenMode::ReadWrite);
        if (server->hasTable("recorder")) {
            auto q = server->prepare("SELECT count(*) FROM recorder");
            if (q.next() && q.value(0).toLongLong() > 0) {
                // An earlier run's copy is brought to this version's schema, as a station's
                // start would; the read-only connections measured do not.
                UpgradeServerSchema(*server);
                return true;
            }
        }
    }
    QTextStream out(stdout), err(stderr);
    std::printf("copying %s onto the server (once)\n", qPrintable(folder));
    return RunMigrateCommand({"migrate", "--to", url}, folder, out, err) == 0;
}

}  // namespace horalog::bench
