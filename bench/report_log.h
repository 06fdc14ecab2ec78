#pragma once
// The large log of the report benchmarks: 500 holders of group OFFICE, each IN and OUT on every
// day of July 2004 (31,000 records), in a log of 1,000,000 rows over three earlier years and
// 4,500 more cards. Built once into a data folder and reused by every report benchmark.

#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <random>

#include "attendance/report_parameters.h"
#include "bench_util.h"
#include "common/ports.h"
#include "storage/log_table.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog::bench {

constexpr qint64 kLogRows = 1000000;
constexpr int kHolders = 500;

inline long CurrentRssMb() { return ResidentKb() / 1024; }

// The period of the log's 500 holders: July 2004, records IN/OUT.
inline ReportParameters JulyOfTheLog() {
    ReportParameters p;
    p.period = PeriodChoice::Range;
    p.rangeFrom = EncodeDate(2004, 7, 1);
    p.rangeTo = EncodeDate(2004, 7, 31);
    p.records = RecordsOfInterest::InOut;
    p.recordFormat = 1;
    return p;
}

// Messages of a benchmark: errors and warnings printed, questions answered yes.
struct PrintedMessages : Messages {
    void error(const QString& t) override { std::printf("error: %s\n", qPrintable(t)); }
    void warning(const QString& t) override { error(t); }
    void information(const QString&) override {}
    bool confirm(const QString&) override { return true; }
    bool warningYesNo(const QString&) override { return true; }
    void plain(const QString&) override {}
};

inline bool Ready(const QString& folder) {
    if (!QFileInfo::exists(QDir(folder).filePath(kLogDbFile))) return false;
    try {
        Tdsrc store(folder);
        store.OpenStore();
        return LogTable(store.att()).count() == kLogRows &&
               StaffTable(store.src()).count() == kHolders;
    } catch (const std::exception&) {
        return false;
    }
}

inline void Build(const QString& folder) {
    QDir(folder).removeRecursively();
    EnsureDataFolder(folder);
    Tdsrc store(folder);
    store.OpenStore();
    store.src().execute(
        "INSERT INTO gid (ID, DESCX, WD_FROM_1, WD_TO_1, WD_FROM_2, WD_TO_2, OT_MIN, OT_MULTI) "
        "VALUES (2, 'OFFICE', 9 / 24.0, 13 / 24.0, 14 / 24.0, 17.5 / 24.0, 15, 5)");
    StaffTable staff(store.src());
    {
        Transaction t(store.src());
        for (int i = 1; i <= kHolders; ++i) {
            HolderRecord h;
            h.cardno = i;
            h.name = QString("HOLDER %1").arg(i, 4, 10, QChar('0'));
            h.workgrp = 2;
            staff.append(h);
        }
        t.commit();
    }
    Connection& att = store.att();
    Transaction t(att);
    auto insert =
        att.prepare("INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, ?, ?)");
    auto add = [&](DateTime when, int card, int mode, int reader) {
        insert.bindAll(when, card, mode, reader);
        insert.exec();
        insert.reset();
    };
    std::mt19937 rnd(7);
    std::uniform_int_distribution<int> jitter(-20 * 60, 20 * 60);
    const DateTime july = EncodeDate(2004, 7, 1);
    qint64 n = 0;
    // the period: each holder IN and OUT on every day of July 2004
    for (int d = 0; d < 31; ++d)
        for (int card = 1; card <= kHolders; ++card) {
            add(july.addDays(d).addSecs(9 * 3600 + jitter(rnd)), card, 1, 1);
            add(july.addDays(d).addSecs(17.5 * 3600 + jitter(rnd)), card, 2, 2);
            n += 2;
        }
    // the rest of the log: three earlier years, the same holders and 4,500 more cards
    std::uniform_int_distribution<int> cardOf(1, 5000), dayOf(0, 3 * 365),
        secOf(6 * 3600, 20 * 3600);
    const DateTime start = EncodeDate(2001, 6, 1);
    for (; n < kLogRows; ++n)
        add(start.addDays(dayOf(rnd)).addSecs(secOf(rnd)), cardOf(rnd), 1 + int(n % 2), 1);
    t.commit();
    att.checkpoint();
}

// Builds the log into data unless it is there already, in a child process so that the peak
// memory of the caller stays its own. False when the build failed.
inline bool EnsureLog(const QString& data) {
    if (!Ready(data)) {
        // Built in a child process, so that the peak memory below is the reports' alone.
        QElapsedTimer t;
        t.start();
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            try {
                Build(data);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "cannot build %s: %s\n", qPrintable(data), e.what());
                _exit(1);
            }
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
        std::printf("database of %lld log rows built in seconds %.1f\n", kLogRows,
                    t.elapsed() / 1000.0);
    }
    return true;
}

}  // namespace horalog::bench
