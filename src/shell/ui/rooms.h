#pragma once
// How the rooms join the main window: the capture spine and the network services live in
// objects the window owns (children of it); the maintenance and people commands are attached
// as menu handlers. AttachRooms (program.h) calls everything here once, before the start steps.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "capture/speech.h"
#include "net/mail_queue.h"
#include "net/web_reporter.h"
#include "storage/live_log_control.h"
#include "storage/lookups.h"

namespace horalog {

class CardCapture;
class ReaderLinks;
class TTimeRec;

// The eight reader links and the capture spine, owned by the window. The links are created by
// the window's start step (after the store opened) and live until the window goes; closing the
// window closes them and unhooks their events.
class CaptureRoom : public QObject {
    Q_OBJECT
public:
    explicit CaptureRoom(TTimeRec& window);
    ~CaptureRoom() override;

    // Null before the start step created them.
    ReaderLinks* links() const { return links_.get(); }
    CardCapture* capture() const { return capture_.get(); }
    // Descriptions of the eight links (all empty before the start step).
    ReaderNames readerNames() const;
    // Told each time the ports of the reader table were opened: at start and after every
    // reopening (file operations, reader set-up).
    void onPortsOpened(std::function<void()> listener) {
        portsOpened_.push_back(std::move(listener));
    }

    static CaptureRoom* of(TTimeRec& window);

private:
    void createLinks();
    void openPorts();
    void closePorts();
    void freeLinks();

    TTimeRec& window_;
    EspeakSpeech speech_;  // consulted per read while SpeechEnable is on
    std::unique_ptr<ReaderLinks> links_;
    std::unique_ptr<CardCapture> capture_;  // goes before the links it uses
    std::vector<std::function<void()>> portsOpened_;
};

// The web reporter and the mail queue, owned by the window.
class NetworkRoom : public QObject {
    Q_OBJECT
public:
    NetworkRoom(TTimeRec& window, CaptureRoom& capture);
    ~NetworkRoom() override;

    WebReporter& webReporter() { return web_; }
    MailQueue& mailQueue() { return mail_; }

    static NetworkRoom* of(TTimeRec& window);

private:
    void toggleWebReporter();
    void editWebSettings();

    TTimeRec& window_;
    WebReporter web_;
    MailQueue mail_;
};

// The Database menu: backup, restore, erase, format, import and export.
void AttachMaintenance(TTimeRec& window);
// Groups, timetables, holders and manual records: menu entries and live log gestures.
void AttachPeople(TTimeRec& window, CaptureRoom& capture);
// The printouts of the Reports menu.
void AttachReports(TTimeRec& window);
// "Offline Reader", "Set Master PIN" and "Offline Access Table" on the links; the live log
// hides while the reader dialog is open and comes back at its newest row afterwards.
void AttachOffline(TTimeRec& window, ReaderLinks& links);
// "Card Manager": "Print Cards" and "Print Member List".
void AttachCards(TTimeRec& window);
// "Reports" > "Spreadsheet": the exports of attendance results.
void AttachExports(TTimeRec& window);

// What long operations need of the live log: hide it with the photo and capture displays,
// reopen it at its last row with the record count, show one record's photo and capture.
LiveLogControl LiveLogOf(TTimeRec& window);

// Runs a command: an error of reopening the store ends the run as at start; any other error
// that reaches here is shown in an error box with its text, and the program goes on.
void RunCommand(TTimeRec& window, const std::function<void()>& command);

// Hooks of the window that several rooms add to: first runs, then next.
std::function<void()> Chain(std::function<void()> first, std::function<void()> next);

}  // namespace horalog
