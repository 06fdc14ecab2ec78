// The capture spine joined to the main window: reader links opened from the reader table,
// card reads shown in the live log, the photo box, the IN/OUT panel and the door-open button.
#include <QApplication>
#include <QPushButton>

#include "capture/card_capture.h"
#include "reader/reader_ports.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"
#include "storage/server_outage.h"
#include "storage/store.h"

namespace horalog {

CaptureRoom::CaptureRoom(TTimeRec& window) : QObject(&window), window_(window) {
    setObjectName("captureRoom");
    ShellHooks& h = window.hooks();
    h.createReaderLinks = [this] { createLinks(); };
    h.openReaderPorts = [this] { openPorts(); };
    h.closeReaderLinks = [this] { closePorts(); };
    h.freeReaderLinks = [this] { freeLinks(); };
    h.readerPortOpen = [this] {
        for (int port = 1; links_ && port <= 8; ++port)
            if (links_->link(port)->IsOpen()) return true;
        return false;
    };
    h.stopTimers = Chain(h.stopTimers, [this] {
        if (capture_) capture_->StopRepeats();
    });

    h.evaluateAutoIO = [this](DateTime now) {
        if (capture_) capture_->EvaluateAutoIO(now);
    };
    h.tickAutoIO = [this](DateTime now) {
        if (capture_) capture_->autoIO().Tick(window_.store(), now);
    };
    h.inOutPanelClicked = [this] {
        if (capture_) capture_->autoIO().Override();
    };
    h.doorOpenClicked = [this] {
        if (capture_) capture_->DoorOpenClick();
    };
    h.readerDesc = [this](int port) {
        TRfidReader* link = links_ ? links_->link(port) : nullptr;
        return link ? link->Desc : QString();
    };

    h.showFeedback = [this](int card, DateTime t) {
        if (!capture_) return;
        window_.ShowPhoto(capture_->ShowHolderPhoto(card));
        window_.ShowCapturedPicture(capture_->ShowCapture(card, t));
    };
    h.clearFeedback = [this] {
        window_.ShowPhoto({});
        window_.ShowCapturedPicture({});
    };
}

CaptureRoom::~CaptureRoom() = default;

CaptureRoom* CaptureRoom::of(TTimeRec& window) {
    return window.findChild<CaptureRoom*>(QString(), Qt::FindDirectChildrenOnly);
}

ReaderNames CaptureRoom::readerNames() const {
    return capture_ ? capture_->readerNames() : ReaderNames{};
}

void CaptureRoom::createLinks() {
    if (links_) return;
    links_ = std::make_unique<ReaderLinks>();
    capture_ = std::make_unique<CardCapture>(window_.store(), *links_);
    capture_->setSpeech(&speech_);

    CaptureFeedback& f = capture_->feedback;
    TTimeRec* w = &window_;
    f.showRecordCount = [w] { w->ShowRecordCount(); };
    f.recordLogged = [w](const LogRecord&) { w->ShowAppendedRows(); };
    f.showHolderPhoto = [w](const QImage& photo) { w->ShowPhoto(photo); };
    f.showCapture = [w](const QImage& picture) { w->ShowCapturedPicture(picture); };
    f.beep = [] { QApplication::beep(); };
    f.portProblem = [w](int port, const QString& problem) { w->SetPortProblem(port, problem); };
    f.repeatIgnored = [w](int repeatsToday) { w->ShowRepeatCount(repeatsToday); };
    Tdsrc* store = &window_.store();
    CardCapture* capture = capture_.get();
    f.journalled = [w, capture](qint64 waiting, const QString& reason) {
        w->ShowStoreAlarm(StoreAlarmText(capture->outage(), waiting, reason));
    };
    f.serverOutage = [w, store](const ServerOutage& outage) {
        qint64 waiting = 0;
        try {
            waiting = store->journal().count();
        } catch (const DbError&) {
        }
        w->ShowStoreAlarm(outage.down() ? OutageText(outage.since(), waiting) : QString());
    };
    f.outsideSchedule = [w](int card, int port) { w->ShowOutsideSchedule(card, port); };
    capture_->autoIO().onStateChanged = [w](bool in) { w->SetIOState(in); };
    window_.store().addDamageHook([w](const QString& text) { w->ShowStoreAlarm(text); });
    try {
        if (qint64 waiting = window_.store().journal().count())
            w->ShowStoreAlarm(JournalAlarmText(waiting, "reads not merged"));
    } catch (const DbError&) {
    }
}

void CaptureRoom::openPorts() {
    if (!links_) return;
    PortHooks hooks = capture_->hooks();
    // After a reopening the caption loses its blanks: "<Desc>->OPEN".
    hooks.doorCaption = [w = &window_](const QString& caption) {
        w->doorOpenButton()->setText(caption);
    };
    CloseReaderPorts(*links_);
    if (!OpenReaderPorts(*links_, window_.store().src(), hooks, &window_.messages())) return;
    for (const auto& listener : portsOpened_) listener();
}

void CaptureRoom::closePorts() {
    if (links_) CloseReaderPorts(*links_);
}

void CaptureRoom::freeLinks() {
    if (!links_) return;
    // The objects go with the window; from here on no link opens or reports anything.
    CloseReaderPorts(*links_);
    for (int port = 1; port <= 8; ++port) {
        TRfidReader& link = (*links_)[port];
        link.OnCardCode = nullptr;
        link.OnBypass = nullptr;
        link.OnPowerup = nullptr;
    }
}

}  // namespace horalog
