#pragma once
// The offline reader manager without its window: the dialog's values and their settings, the
// port list, what each reader mode shows, and the workflows (read-back, clock, put, download,
// clear, master PIN, card information upload) with their messages and status steps.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "common/datetime.h"
#include "offline/offline_codec.h"
#include "offline/offline_link.h"

namespace horalog {

class Messages;
class Progress;
class ReaderLinks;
class Tdsrc;

namespace offline_text {
inline constexpr const char* kNoPort = "No communication port enabled.";
inline constexpr const char* kNoResponse = "No response from the reader.";
inline constexpr const char* kNotReliable = "The data link is not reliable, please try later.";
inline constexpr const char* kNoRecordToDownload = "No record to download.";
inline constexpr const char* kNoRecordToClear = "No record to clear.";
inline constexpr const char* kLoaded = "Settings are loaded successfully.";
inline constexpr const char* kSent = "Settings are sent successfully.";
inline constexpr const char* kClockSet = "Clock set.";
inline constexpr const char* kCleared = "All records are cleared.";
inline constexpr const char* kClearAsk =
    "The attendance logs cannot be restored after clearing. Are you sure?";
inline constexpr const char* kMasterPinSent = "Master PIN is sent successfully.";
inline constexpr const char* kCardInfoUploaded = "Card Information uploaded successfully.";
}  // namespace offline_text

// The dialog's values, loaded from the settings when it is created and stored by "Close".
struct OfflineValues {
    int portIndex = 0;  // index in the port list, not a port number
    QString line1 = QStringLiteral("QUORVANE LIMITED");
    QString line2 = QStringLiteral(" RFID Solutions ");
    int pin = 0;
    Timetable timetable{};
    bool clearAfter = true;
    bool setClock = true;
    int options = 0;  // option bits
    // Read back only, never stored:
    DateTime readerClock;
    int masterPin = 0;
};

// Loads the stored values over v. A stored time that does not parse stops the loading there
// (later times, "Clear After Download", "Set Clock Together" and the options keep v's values);
// the answer is then the conversion's error text, else empty.
QString LoadOfflineValues(OfflineValues& v);
// "Close": every value; the port index only when a port is selected.
void SaveOfflineValues(const OfflineValues& v, bool portSelected);

// The ports of the enabled links, slot order 1 to 8.
struct ReaderPort {
    int port = 0;
    QString desc;
};
std::vector<ReaderPort> EnabledReaderPorts(const ReaderLinks& links);
// The stored index when it names an entry, else the first entry.
int InitialPortIndex(int stored, int count);

// What the dialog shows for a reader mode.
struct ModeView {
    QString caption;  // "CLOCK mode", "IN mode", "OUT mode"
    bool timetableShown = false;
    QString timetableCaption;  // empty: keep
    QStringList modeItems;     // empty: keep the lists' entries and selections
    bool bypassShown = false;
    QString bypassCaption;     // empty: keep
    bool othersShown = false;  // "Any Card Bypass", "Door Magnet", "Lock Reverse"
};
ModeView ModeViewFor(int mode);
// Applies the port selection to the values: lists refilled reset the modes to "Not Used".
void ApplyModeView(const ModeView& view, OfflineValues& v);

struct DownloadResult {
    enum class Outcome { Done, NoAnswer, NotReliable, Empty, DatabaseError, Busy };
    Outcome outcome = Outcome::Done;
    qint64 records = 0;  // stored records the reader announced
    qint64 added = 0;
    qint64 duplicated = 0;
    qint64 invalid = 0;
    qint64 intoClosed = 0;    // of the added, dated within the closed period
    qint64 elapsedNs = 0;     // whole download
    qint64 waitNs = 0;        // of which waiting for answers (the line and the reader)
    qint64 mergeNs = 0;       // of which merging into the log table
    QString summary() const;  // "Added = a, Duplicated = d, Invalid = i"
};

class OfflineManager {
public:
    OfflineManager(ReaderLinks& links, Tdsrc& store, Messages& messages, Progress& progress,
                   Clock now = SystemClock());

    // Step names while a workflow runs; an empty text when it ends (the field hides).
    std::function<void(const QString&)> onStatus;
    // A workflow is running: the dialog keeps a second one from starting.
    bool busy() const { return busy_; }

    // The reader mode of a port's link (0 CLOCK, 1 IN, 2 OUT).
    int LinkMode(int port) const;

    // Each workflow works on the reader of a port 1 to 8 and shows its own messages.
    bool ReadBack(int port, OfflineValues& v);
    bool SynchronizeClock(int port);
    bool Put(int port, OfflineValues& v);
    DownloadResult Download(int port, bool clearAfter);
    bool ClearRecord(int port);
    bool ReadMasterPin(int port, int& pin);
    bool PutMasterPin(int port, int pin);
    bool UploadCardInformation(int port);

private:
    // One running workflow: marks the manager busy and hides the status field at the end.
    class Run {
    public:
        explicit Run(OfflineManager& m) : m_(m), taken_(!m.busy_) {
            if (taken_) m_.busy_ = true;
        }
        ~Run() {
            if (!taken_) return;
            m_.busy_ = false;
            if (m_.onStatus) m_.onStatus(QString());
        }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;
        explicit operator bool() const { return taken_; }

    private:
        OfflineManager& m_;
        bool taken_;
    };

    ReaderLinks& links_;
    Tdsrc& store_;
    Messages& messages_;
    Progress& progress_;
    Clock now_;
    bool busy_ = false;
};

}  // namespace horalog
