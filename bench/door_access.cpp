// Holders in bulk, door rights and the audit trail at scale: a CSV of 5,000 holders imported
// into a fresh system database (with a photo on each holder already there, as the grid must
// not read them), the Door Access grid opened and filtered, and the Audit Trail window's first
// page on 1,000,000 audit rows, unfiltered, by date range and by text. One line per figure.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_util.h"
#include "common/paths.h"
#include "people/door_rights.h"
#include "maintenance/holder_import.h"
#include "storage/audit_model.h"
#include "storage/store.h"

using namespace horalog;

namespace {

template <typename F>
double Ms(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    EnsureDataFolder(dir.path());
    Tdsrc store(dir.path());
    store.OpenStore();
    Connection& src = store.src();
    const int kHolders = 5000;

    // The file: 5,000 holders in 20 groups with rights on two readers.
    const QString csv = dir.filePath("holders.csv");
    {
        QFile f(csv);
        f.open(QIODevice::WriteOnly);
        QByteArray text = "CARDNO,NAME,GROUP,MEMO,COM1,COM2\n";
        for (int i = 0; i < kHolders; ++i)
            text += QString("%1,Holder %2,GROUP %3,hired %2,%4,1\n")
                        .arg(100000 + i * 37)
                        .arg(i)
                        .arg(i % 20)
                        .arg(i % 2)
                        .toUtf8();
        f.write(text);
    }
    HolderImportResult r;
    const double importMs = Ms([&] { r = ImportHolders(src, csv, {}); });
    std::printf("import of %d holders from CSV: %.1f ms (%s)\n", kHolders, importMs,
                HolderImportSummary(r).toUtf8().constData());
    // Photos as the editor stores them, so that a grid reading them would show it.
    src.execute("UPDATE staffs SET PHOTO = randomblob(20000)");

    {
        DoorAccessModel* model = nullptr;
        const double open = Ms([&] { model = new DoorAccessModel(src); });
        std::printf("Door Access grid opened on %d holders: %.1f ms\n", model->rowCount(), open);
        const double byGroup = Ms([&] { model->setFilter(GroupIdOf(src, "GROUP 7"), QString()); });
        std::printf("filtered by group (%d rows): %.1f ms\n", model->rowCount(), byGroup);
        const double byName = Ms([&] { model->setFilter(0, "der 49"); });
        std::printf("filtered by name (%d rows): %.1f ms\n", model->rowCount(), byName);
        model->setFilter(0, QString());
        std::vector<int> all(std::size_t(model->rowCount()));
        for (int i = 0; i < model->rowCount(); ++i) all[std::size_t(i)] = i;
        int changed = 0;
        const double bulk = Ms([&] { changed = model->setRight(all, 3, true); });
        std::printf("right set for %d selected holders in one transaction: %.1f ms\n", changed,
                    bulk);
        delete model;
    }

    {
        const qint64 kAudit = 1000000;
        const double fill = Ms([&] {
            Transaction t(src);
            auto q = src.prepare(
                "INSERT INTO audit (STAMP, STATION, ACTION, SUBJECT, OLDTEXT, NEWTEXT) "
                "VALUES (?, 'desk', ?, ?, ?, ?)");
            const double start = EncodeDate(2020, 1, 1).value;
            for (qint64 i = 0; i < kAudit; ++i) {
                q.reset();
                q.bindAll(start + double(i) / 500.0, QString(i % 3 ? "Holder changed" : "Login"),
                          QString("%1 Holder %2").arg(100000 + i % 5000).arg(i % 5000),
                          QString("name Holder %1, may pass at COM1").arg(i % 5000),
                          QString("name Holder %1, may pass at COM1 COM3").arg(i % 5000));
                q.exec();
            }
            t.commit();
        });
        std::printf("audit table filled with %lld rows: %.0f ms\n", kAudit, fill);
        AuditModel* model = nullptr;
        const double open = Ms([&] { model = new AuditModel(src); });
        std::printf("Audit Trail opened on %lld rows, first page of %d: %.1f ms\n", kAudit,
                    model->rowCount(), open);
        const double more = Ms([&] { model->fetchMore({}); });
        std::printf("next page while scrolling: %.1f ms\n", more);
        AuditFilter f;
        f.from = QDate(2021, 6, 1);
        f.to = QDate(2021, 6, 30);
        const double range = Ms([&] { model->setFilter(f); });
        std::printf("filtered by a month: %.1f ms\n", range);
        f = {};
        f.text = "Holder 4321,";
        const double text = Ms([&] { model->setFilter(f); });
        std::printf("filtered by a text (first page of %d): %.1f ms\n", model->rowCount(), text);
        f.text = "no such text";
        const double none = Ms([&] { model->setFilter(f); });
        std::printf("filtered by a text found nowhere (whole table walked): %.1f ms\n", none);
        delete model;
    }
    std::printf("resident memory: %ld kB\n", horalog::bench::ResidentKb());
    return 0;
}
