#include "shell/ui/rooms.h"

#include <QImage>
#include <exception>

#include "capture/card_capture.h"
#include "common/ports.h"
#include "reader/reader_ports.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "shell/ui/setup_dialogs.h"
#include "storage/store.h"

namespace horalog {

void AttachRooms(TTimeRec& window) {
    // Each room adds its commands through window.setCommand(name, handler) and its part of
    // the start, run and close steps through window.hooks().
    auto* capture = new CaptureRoom(window);
    new NetworkRoom(window, *capture);
    AttachMaintenance(window);
    AttachPeople(window, *capture);
    AttachReports(window);
    AttachCards(window);
    AttachExports(window);

    // The set-up dialogs and the offline reader manager work on the links, which exist from
    // the start step on.
    TTimeRec* w = &window;
    window.hooks().createReaderLinks = Chain(window.hooks().createReaderLinks, [w, capture] {
        ReaderLinks& links = *capture->links();
        PortHooks hooks = capture->capture()->hooks();
        AttachSetupDialogs(*w, links, *capture->capture(), w->store(), hooks, SystemClock(),
                           [w, capture] {
                               if (auto* net = NetworkRoom::of(*w))
                                   net->webReporter().setReaderNames(capture->readerNames());
                           });
        AttachOffline(*w, links);
    });
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
