#include "shell/ui/rooms.h"

#include <QImage>
#include <exception>

#include "common/ports.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "storage/store.h"

namespace horalog {

void AttachRooms(TTimeRec& window) {
    // Each room adds its commands through window.setCommand(name, handler) and its part of
    // the start, run and close steps through window.hooks().
    auto* capture = new CaptureRoom(window);
    new NetworkRoom(window, *capture);
    AttachMaintenance(window);
    AttachPeople(window, *capture);

    // ---- Setup dialogs (reader list and editor, Auto IN/OUT, door-open set-up, speech
    // options) attach here, with this one call, once they land:
    //     AttachSetupDialogs(window, *capture);
    // After changing the reader table they reopen the ports through
    // window.OpenReaderPorts(), which also hands the new descriptions to the web reporter.
    // ----
}

LiveLogControl LiveLogOf(TTimeRec& window) {
    TTimeRec* w = &window;
    LiveLogControl live;
    live.hide = [w] {
        w->RefreshLiveLog(false);
        w->ShowPhoto({});
        w->ShowCapturedPicture({});
    };
    live.reopenAtEnd = [w] { w->RefreshLiveLog(true); };
    live.showRecord = [w](const LogRecord& r) {
        if (w->hooks().showFeedback) w->hooks().showFeedback(r.cardno, r.systime);
    };
    return live;
}

void RunCommand(TTimeRec& window, const std::function<void()>& command) {
    try {
        command();
    } catch (const StoreError& e) {
        window.EndRun(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        // The general error box: the command is over, the program goes on.
        window.messages().error(QString::fromStdString(e.what()));
    }
}

std::function<void()> Chain(std::function<void()> first, std::function<void()> next) {
    if (!first) return next;
    return [first = std::move(first), next = std::move(next)] {
        first();
        if (next) next();
    };
}

}  // namespace horalog
