// Holders at scale: 5,000 holders, each with a 240 x 320 photo, in a fresh system database.
// Times the holder list (every sort), the lookups other rooms call per read or per page, the
// editor's load and save, and the list's preview. One line per figure.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/paths.h"
#include "people/holder_store.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "bench_util.h"

using namespace horalog;

namespace {

template <typename F>
void timeIt(const char* what, int runs, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.3f ms, p99 %.3f ms (%d runs)\n", what, ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], runs);
}


}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());  // the sort setting stays private
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    EnsureDataFolder(dir.path());
    Tdsrc store(dir.path());
    store.OpenStore();
    Connection& src = store.src();

    struct Silent : Messages {
        void error(const QString&) override {}
        void warning(const QString&) override {}
        void information(const QString&) override {}
        bool confirm(const QString&) override { return true; }
        bool warningYesNo(const QString&) override { return true; }
        void plain(const QString&) override {}
    } silent;
    const int kHolders = 5000;
    const QByteArray photo = bench::NoisyPhoto();
    std::printf("photo blob: %lld bytes\n", qint64(photo.size()));
    std::vector<int> groups;
    for (int g = 0; g < 20; ++g) {
        WorkGroup w = NewWorkGroup();
        w.descx = QString("GROUP %1").arg(g);
        groups.push_back(StoreGroup(src, w, silent));
    }
    std::mt19937 rng(5);
    {
        QElapsedTimer t;
        t.start();
        Transaction tr(src);
        StaffTable staff(src);
        for (int i = 0; i < kHolders; ++i) {
            HolderRecord h;
            h.cardno = 100000 + i * 37;
            h.name = QString("Holder %1 %2").arg(rng() % 100000).arg(i);
            h.workgrp = groups[rng() % groups.size()];
            h.photo = photo;
            staff.append(h);
        }
        tr.commit();
        std::printf("fill %d holders with photos: %.2f s\n", kHolders, t.elapsed() / 1000.0);
    }

    {
        auto q = src.prepare(
            "EXPLAIN QUERY PLAN SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, "
            "gid.DESCX AS WORKGROUP FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
            "ORDER BY staffs.NAME, staffs.NAME");
        while (q.next()) std::printf("plan: %s\n", q.value(3).toString().toUtf8().constData());
    }
    for (const char* sort : {"NAME", "CARDNO", "DESCX"}) {
        WriteSettingText(kHolderListSortSetting, sort);
        HolderListModel model(src);
        const std::string what = std::string("holder list of ") + std::to_string(model.rowCount()) +
                                 " rows, sorted by " + sort;
        timeIt(what.c_str(), 20, [&](int) { model.reload(); });
    }
    HolderListModel model(src);
    auto card = [&](int i) { return 100000 + int((i * 7919) % kHolders) * 37; };

    timeIt("HolderOfCard", 2000, [&](int i) {
        volatile bool f = HolderOfCard(src, card(i)).found;
        (void)f;
    });
    timeIt("CardOfName (prefix)", 2000, [&](int i) {
        volatile int c = CardOfName(src, QString("holder %1").arg(i % 1000));
        (void)c;
    });
    StaffTable staff(src);
    timeIt("name taken? (byName, unique index)", 2000, [&](int i) {
        volatile bool t = staff.byName(QString("HOLDER %1").arg(i)).has_value();
        (void)t;
    });
    timeIt("list preview (photo read and decoded)", 500, [&](int i) {
        Picture p;
        volatile bool ok = model.photoOf(card(i), p);
        (void)ok;
    });
    timeIt("row of a card in the list", 500, [&](int i) {
        volatile int r = model.rowOfCard(card(i));
        (void)r;
    });
    timeIt("holder names for the add-record list", 20, [&](int) { auto n = HolderNames(src); });
    timeIt("editor load (holder, groups, photo)", 200,
           [&](int i) { auto s = LoadHolderEditor(src, card(i)); });
    timeIt("editor confirm and save (resample, encode, update)", 100, [&](int i) {
        auto s = LoadHolderEditor(src, card(i));
        s.remarks = "edited";
        ConfirmHolderEditor(src, s);
        SaveHolderEditor(src, s, silent);
    });
    std::printf("resident memory: %ld MB\n", bench::ResidentKb() / 1024);
    return 0;
}
