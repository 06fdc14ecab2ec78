// Moving a data folder onto a database server: 100,000 log rows and 1,000 holders with a
// 240 x 320 photo each, copied by `horalog migrate` into an empty database whose url is the
// first argument (it must be empty: createdb -O USER NAME first). Prints the time of the
// copy, the rows per second of the log, and whether a report reads the same on both.
//   build/bench_migrate postgresql://postgres@/horalog_bench?host=/tmp/pg
#include "cli/migrate_command.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_util.h"
#include "common/paths.h"
#include "people/photos.h"
#include "cli/report_command.h"
#include "attendance/store_report_source.h"
#include "storage/store.h"

using namespace horalog;

namespace {

constexpr int kLogRows = 100000;
constexpr int kHolders = 1000;


void Fill(Tdsrc& store) {
    Connection& src = store.src();
    Connection& att = store.att();
    qint64 photoBytes = 0;
    {
        Transaction t(src);
        src.execute("INSERT INTO gid (ID, DESCX) VALUES (2, 'SHOP'), (3, 'OFFICE')");
        auto holder = src.prepare(
            "INSERT INTO staffs (CARDNO, NAME, WORKGRP, PHOTO, COM1) VALUES (?, ?, ?, ?, 1)");
        for (int i = 0; i < kHolders; ++i) {
            const QByteArray photo = bench::NoisyPhoto(unsigned(i + 1));
            photoBytes += photo.size();
            holder.bindAll(100000 + i, QString("HOLDER %1").arg(i, 4, 10, QChar('0')), 1 + i % 3,
                           photo);
            holder.exec();
            holder.reset();
        }
        t.commit();
    }
    {
        // 100 reads a day over 1,000 days, IN and OUT in turn
        Transaction t(att);
        auto read =
            att.prepare("INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, ?, 1)");
        for (int i = 0; i < kLogRows; ++i) {
            const double day = 38000 + i / 100;
            read.bindAll(day + 0.3 + (i % 100) * 0.005, 100000 + (i * 7) % kHolders, 1 + i % 2);
            read.exec();
            read.reset();
        }
        t.commit();
    }
    std::printf("data folder: %d log rows, %d holders, %.1f MB of photos\n", kLogRows, kHolders,
                photoBytes / 1e6);
}

QString Report(Tdsrc& store) {
    StoreReportSource source(store);
    QString out, err;
    QTextStream o(&out), e(&err);
    RunReportCommand(
        {"first-last", "--from", "2004-01-05", "--to", "2004-02-29", "--records", "inout"}, source,
        o, e, FixedClock(DateTime{38100}));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_migrate URL (an empty database)\n");
        return 2;
    }
    const QString url = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    EnsureDataFolder(dir.path());
    QString before;
    {
        Tdsrc store(dir.path(), QString());
        store.OpenStore();
        QElapsedTimer t;
        t.start();
        Fill(store);
        std::printf("fill: %.2f s\n", t.elapsed() / 1000.0);
        before = Report(store);
    }

    QString out, err;
    QTextStream o(&out), e(&err);
    QElapsedTimer t;
    t.start();
    const int status = RunMigrateCommand({"migrate", "--to", url}, dir.path(), o, e);
    const double seconds = t.elapsed() / 1000.0;
    std::fputs(out.toUtf8().constData(), stdout);
    std::fputs(err.toUtf8().constData(), stderr);
    std::printf("migrate: %.2f s (status %d), %.0f log rows/s overall, peak resident %ld MB\n",
                seconds, status, kLogRows / seconds, bench::StatusKb("VmHWM:") / 1024);
    if (status != 0) return 1;

    Tdsrc server(dir.path(), url);
    server.OpenStore();
    const QString after = Report(server);
    std::printf("report text (%lld characters): %s\n", qint64(before.size()),
                after == before && !before.isEmpty() ? "identical" : "DIFFERENT");
    return after == before ? 0 : 1;
}
