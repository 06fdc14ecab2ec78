// What days off cost: First In / Last Out for 500 holders over July 2004 in a log of 1,000,000
// rows, without and then with 2,000 absences and 12 holidays, in one run (the best of seven rounds each);
// and the Absences window opened on a month of 5,000 holders, to its first paint.
// Usage: bench_absences [data folder]

#include "people/absences.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "attendance/attendance_reports.h"
#include "attendance/store_report_source.h"
#include "people/time_profiles.h"
#include "people/ui/absences_window.h"
#include "report_log.h"
#include "storage/log_table.h"
#include "storage/store.h"

using namespace horalog;
using namespace horalog::bench;

namespace {

double FiloSeconds(ReportSource& source, std::size_t* bands) {
    const ReportParameters p = JulyOfTheLog();
    QElapsedTimer t;
    t.start();
    const ReportDocument doc =
        BuildReport(ReportKind::FirstLast, p, source, EncodeDateTime(2004, 8, 2, 8, 0, 0));
    *bands = doc.bands.size();
    return t.elapsed() / 1000.0;
}

// 2,000 absences (four a holder, in four weeks, some half days) and 12 holidays of 2004.
void AddDaysOff(Connection& src) {
    std::vector<Absence> all;
    for (int card = 1; card <= kHolders; ++card)
        for (int week = 0; week < 4; ++week) {
            const QDate first = QDate(2004, 7, 1).addDays(7 * week + card % 5);
            const int length = (card + week) % 3;
            const HalfDay half = (card + week) % 7 == 0 ? HalfDay::Second : HalfDay::Full;
            all.push_back({0, card, first, half == HalfDay::Full ? first.addDays(length) : first,
                           half, (card + week) % 2 ? "V" : "S", QString()});
        }
    const auto refused = AbsenceStore(src).addAll(all);
    if (!refused.empty())
        std::printf("absence %zu refused: %s\n", refused.front().first,
                    qPrintable(refused.front().second));
    ScheduleStore holidays(src);
    for (int m = 1; m <= 12; ++m)
        holidays.saveHoliday({QDate(2004, m, m == 7 ? 5 : 14), QString("Holiday %1").arg(m)});
}

void RemoveDaysOff(Connection& src) {
    src.execute("DELETE FROM absence");
    src.execute("DELETE FROM holiday");
}

// A data folder of 5,000 holders, each read IN and OUT on the working days of December 2026
// up to the 11th, and an absence for every tenth.
void FillMonth(const QString& folder) {
    EnsureDataFolder(folder);
    Tdsrc store(folder);
    store.OpenStore();
    EnsureBenchHolders(store.src(), 5000);
    Transaction t(store.att());
    auto insert =
        store.att().prepare("INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, ?, 1)");
    for (QDate d(2026, 12, 1); d <= QDate(2026, 12, 11); d = d.addDays(1)) {
        if (d.dayOfWeek() >= 6) continue;
        for (int card = 1; card <= 5000; ++card)
            for (auto [part, mode] : {std::pair{0.35, 1}, std::pair{0.72, 2}}) {
                insert.bindAll(DateTime::fromDate(d).addDays(part), card, mode);
                insert.exec();
                insert.reset();
            }
    }
    t.commit();
    std::vector<Absence> all;
    for (int card = 10; card <= 5000; card += 10)
        all.push_back({0, card, QDate(2026, 12, 14 + card % 5), QDate(2026, 12, 18), HalfDay::Full,
                       "V", QString()});
    AbsenceStore(store.src()).addAll(all);
}

}  // namespace

int main(int argc, char** argv) {
    const QString data =
        argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-reports");
    if (!EnsureLog(data)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    {
        Tdsrc store(data);
        store.OpenStore();
        StoreReportSource source(store);
        // Rounds alternate without and with, so that a busy moment of the machine does not
        // fall on one side only; the best of each side counts.
        std::size_t plainBands = 0, offBands = 0;
        double plain = 1e9, off = 1e9;
        for (int round = 0; round < 7; ++round) {
            RemoveDaysOff(store.src());
            store.src().checkpoint();  // both sides read a settled file
            plain = std::min(plain, FiloSeconds(source, &plainBands));
            AddDaysOff(store.src());
            store.src().checkpoint();
            off = std::min(off, FiloSeconds(source, &offBands));
        }
        std::printf("first-last, no days off: seconds %.3f (%zu bands)\n", plain, plainBands);
        std::printf("first-last, 2,000 absences and 12 holidays: seconds %.3f (%zu bands)\n", off,
                    offBands);
        std::printf("days off cost: percent %.1f\n", 100.0 * (off - plain) / plain);
        RemoveDaysOff(store.src());  // the other report benchmarks share this folder
    }

    QTemporaryDir month;
    QElapsedTimer t;
    t.start();
    FillMonth(month.path());
    std::printf("month of 5,000 holders built in seconds %.1f\n", t.elapsed() / 1000.0);
    Tdsrc store(month.path());
    store.OpenStore();
    PrintedMessages messages;
    t.restart();
    TAbsences window(store.src(), store.att(), messages, QDate(2026, 12, 11));
    window.resize(1100, 620);
    window.show();
    const QPixmap painted = window.grab();
    std::printf("Absences window, 5,000 holders: first paint seconds %.3f (%d rows)\n",
                t.elapsed() / 1000.0, window.grid()->model()->rowCount());
    return painted.isNull() ? 1 : 0;
}
