// The printouts in the window: from "Confirm" to the first preview page shown, First In /
// Last Out for 500 holders over 31 days in a log of 1,000,000 rows (the log of
// bench_report_pdf, built once and reused); and the pick list opened with 5,000 holders.
// One line per figure.
// Usage: bench_report_window [data folder]

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>

#include "bench_util.h"
#include "common/ports.h"
#include "report_log.h"
#include "printing/report_renderer.h"
#include "attendance/store_report_source.h"
#include "attendance/ui/pick_list_dialog.h"
#include "printing/ui/report_commands.h"
#include "printing/ui/report_preview.h"

using namespace horalog;
using namespace horalog::bench;

namespace {

class NoFiles : public FileDialogs {
public:
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
};

void FirstPreviewPage(Tdsrc& store) {
    StoreReportSource source(store);
    PrintedMessages messages;
    NoFiles files;
    const ReportParameters p = JulyOfTheLog();
    QElapsedTimer t;
    t.start();
    auto doc = BuildReportWithProgress(ReportKind::FirstLast, p, source,
                                       EncodeDateTime(2004, 8, 2, 8, 0, 0), {messages, files});
    const double build = t.elapsed() / 1000.0;
    if (!doc) return;
    int pages = 0;
    bool painted = false;
    ReportPreview preview(
        [&](QPagedPaintDevice& device) {
            pages = RenderDocument(*doc, device);
            painted = true;
            return pages;
        },
        doc->title, files, messages);
    preview.show();
    while (!painted) QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    const double shown = t.elapsed() / 1000.0;
    std::printf("first-last preview: holders 500, days 31, pages %d\n", pages);
    std::printf("first-last preview: build seconds %.2f\n", build);
    std::printf("first-last preview: confirm to first page shown seconds %.2f\n", shown);
    std::printf("first-last preview: resident MB %ld\n", ResidentKb() / 1024);
}

void PickList() {
    QTemporaryDir dir;
    EnsureDataFolder(dir.path());
    Tdsrc store(dir.path());
    store.OpenStore();
    {
        Transaction t(store.src());
        StaffTable staff(store.src());
        for (int i = 1; i <= 5000; ++i) {
            HolderRecord h;
            h.cardno = i;
            h.name = QString("HOLDER %1").arg(i, 4, 10, QChar('0'));
            h.picked = i % 10 == 0;
            staff.append(h);
        }
        t.commit();
    }
    QElapsedTimer t;
    t.start();
    TPickList pick(store.src());
    pick.show();
    QApplication::processEvents();
    const double open = t.elapsed() / 1000.0;
    t.restart();
    pick.nonMemberGrid()->setCurrentIndex(pick.nonMembers().index(2500, 0));
    pick.addButton()->click();
    QApplication::processEvents();
    const double add = t.elapsed() / 1000.0;
    std::printf("pick list: holders 5000, open and shown seconds %.3f\n", open);
    std::printf("pick list: one holder added, both lists read again seconds %.3f\n", add);
}

}  // namespace

int main(int argc, char** argv) {
    const QString data =
        argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-reports");
    if (!Ready(data)) {
        QElapsedTimer t;
        t.start();
        Build(data);
        std::printf("database of %lld log rows built in seconds %.1f\n", kLogRows,
                    t.elapsed() / 1000.0);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    Tdsrc store(data);
    store.OpenStore();
    FirstPreviewPage(store);
    PickList();
    return 0;
}
