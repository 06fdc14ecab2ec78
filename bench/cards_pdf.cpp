// Identity cards for 5,000 holders, each with a photo, read through the SQL store and written
// to PDF in both layouts; one line per figure. The database is built once into the data folder
// (in a child process, so the peak memory below is the cards' alone) and reused.
// Usage: bench_cards_pdf [data folder] [output folder]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "bench_util.h"
#include "common/paths.h"
#include "people/photos.h"
#include "attendance/card_holders.h"
#include "attendance/store_report_source.h"
#include "storage/staff_table.h"
#include "storage/store.h"

using namespace horalog;

namespace {

constexpr int kHolders = 5000;

// User and system time of the process so far: the figure that does not depend on how busy
// the machine is.
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Ready(const QString& folder) {
    if (!QFileInfo::exists(QDir(folder).filePath(kSysDbFile))) return false;
    try {
        Tdsrc store(folder);
        store.OpenStore();
        return StaffTable(store.src()).count() == kHolders;
    } catch (const std::exception&) {
        return false;
    }
}

// A photo with detail, so that its JPEG is the size of a real one (about 15 KB).
QByteArray Photo(int i) {
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(
                x, y,
                qRgb((x * 7 + i * 13) % 256, (y * 5 + x * y / 64) % 256, ((x ^ y) * 3 + i) % 256));
    QPainter p(&image);
    p.drawText(20, 40, QString::number(i));
    p.end();
    QByteArray blob;
    PhotoToBlob(blob, FromImage(image));
    return blob;
}

void Build(const QString& folder) {
    QDir(folder).removeRecursively();
    EnsureDataFolder(folder);
    Tdsrc store(folder);
    store.OpenStore();
    StaffTable staff(store.src());
    Transaction t(store.src());
    for (int i = 1; i <= kHolders; ++i) {
        HolderRecord h;
        h.cardno = 100000 + i;
        h.name = QString("HOLDER %1").arg(i, 4, 10, QChar('0'));
        h.memo = "Building " + QString::number(i % 7) + "\nExtension " + QString::number(i);
        h.photo = Photo(i);
        staff.append(h);
    }
    t.commit();
}

}  // namespace

int main(int argc, char** argv) {
    const QString data = argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-cards");
    const QString output = argc > 2 ? QString(argv[2]) : QDir::tempPath();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!Ready(data)) {
        QElapsedTimer t;
        t.start();
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            QGuiApplication app(argc, argv);  // QImage and QPainter for the photos
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
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
        std::printf("%d holders with photos built in seconds %.1f\n", kHolders,
                    t.elapsed() / 1000.0);
    }
    QGuiApplication app(argc, argv);
    SetDataFolder(data);
    Tdsrc store(data);
    store.OpenStore();
    StoreReportSource source(store);
    Connection* src = &store.src();
    for (CardStyle style : {CardStyle::Horizontal, CardStyle::Vertical}) {
        const char* name = style == CardStyle::Horizontal ? "horizontal" : "vertical";
        QElapsedTimer t;
        t.start();
        const double cpu = CpuSeconds();
        CardLayout layout;
        layout.Load();
        layout.options.style = style;
        const CardJob job =
            MakeCardJob(layout, PrintedHolders(OpenSelectedHolders(source, {})), [src](int cardno) {
                const auto h = StaffTable(*src).byCard(cardno, true);
                return h ? h->photo : QByteArray();
            });
        const QString path = output + "/cards-" + name + ".pdf";
        QString why;
        if (!WriteCardsPdf(job, path, &why)) {
            std::printf("%s: cannot write %s: %s\n", name, qPrintable(path), qPrintable(why));
            return 1;
        }
        const int perPage = CardsPerPage(style);
        std::printf(
            "%s: cards %zu pages %d seconds %.2f cpu seconds %.2f pdf MB %.1f "
            "peak resident MB so far %ld\n",
            name, job.holders.size(), int((job.holders.size() + perPage - 1) / perPage),
            t.elapsed() / 1000.0, CpuSeconds() - cpu, QFileInfo(path).size() / 1048576.0,
            bench::PeakRssMb());
    }
    return 0;
}
