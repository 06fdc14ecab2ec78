#include "shell/ui/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "common/paths.h"
#include "common/ports.h"
#include "common/ui/qt_ports.h"
#include "common/ui/title_fit.h"
#include "people/ui/holder_dialogs.h"
#include "shell/live_log_model.h"
#include "shell/ui/main_window.h"
#include "storage/store.h"

namespace horalog {

namespace {

QElapsedTimer& sinceStart() {
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}

long residentKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine())
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

}  // namespace

Program::Program(Messages& messages) : messages_(messages) {
    sinceStart();
}

Program::~Program() {
    window_.reset();  // before the data module it uses
    store_.reset();
}

bool Program::start(const QString& dataFolder) {
    if (!lock_.acquire()) {
        messages_.information(kSecondInstance);
        return false;
    }
    QApplication::setApplicationName("Horalog");
    QApplication::setApplicationDisplayName("Horalog");
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        FitDialogsToTitles(*app);
    SetDataFolder(dataFolder);
    try {
        EnsureDataFolder(DataFolder());
    } catch (const DbError& e) {
        messages_.plain(e.text());
        return false;
    }
    store_ = std::make_unique<Tdsrc>(DataFolder());
    window_ = std::make_unique<TTimeRec>(*store_, messages_);
    QObject::connect(window_.get(), &TTimeRec::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    AttachRooms(*window_);
    return window_->start();
}

void Program::screenshotAndQuit(const QString& path) {
    // Queued twice: the first pass lays out and paints the window, the second grabs it.
    QTimer::singleShot(0, window_.get(), [this, path] {
        QTimer::singleShot(0, window_.get(), [this, path] {
            const qint64 ms = sinceStart().elapsed();
            const bool saved = window_->grab().save(path);
            std::printf("start-up to the window with the newest rows: %lld ms\n", ms);
            std::printf("resident memory: %.1f MB\n", residentKb() / 1024.0);
            std::printf("log rows: %lld\n", (long long)window_->liveLogModel()->count());
            if (!saved) std::fprintf(stderr, "horalog: cannot write %s\n", qPrintable(path));
            window_->close();
        });
    });
}

void Program::editorShotAndQuit(int card, const QString& path) {
    QTimer::singleShot(0, window_.get(), [this, card, path] {
        QtFileDialogs files(window_.get());
        QtProgress progress;
        Tnadd editor(store_->src(), card, messages_, files, progress, window_.get());
        editor.show();
        // Laid out and painted before the grab.
        QApplication::processEvents();
        QApplication::processEvents();
        if (!editor.grab().save(path))
            std::fprintf(stderr, "horalog: cannot write %s\n", qPrintable(path));
        editor.close();
        window_->close();
    });
}

int RunProgram(const QString& folder, const QString& screenshot, int editorCard,
               const QString& editorShot) {
    QtMessages messages;
    Program program(messages);
    if (!program.start(folder)) return 1;
    if (!screenshot.isEmpty()) program.screenshotAndQuit(screenshot);
    if (!editorShot.isEmpty()) program.editorShotAndQuit(editorCard, editorShot);
    const int status = QApplication::exec();
    // A store that could not be reopened ends the run as a failed start does.
    return program.window()->endedOnError() ? 1 : status;
}

}  // namespace horalog
