#include "offline/offline_manager.h"

#include <algorithm>

#include "common/format.h"
#include "common/ports.h"
#include "reader/reader_ports.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

using namespace offline_text;

// ---- values and settings -------------------------------------------------------------------

QString LoadOfflineValues(OfflineValues& v) {
    v.portIndex = ReadSettingInt("OL_DEF_PORT", 0);
    v.line1 = ReadSettingText("LogoLine1", "QUORVANE LIMITED");
    v.line2 = ReadSettingText("LogoLine2", " RFID Solutions ");
    v.pin = ReadSettingInt("OL_PWD", 0);
    for (int k = 0; k < kTimetableEntries; ++k)
        v.timetable[size_t(k)].mode = ReadSettingInt(QString("OL_MODE_%1").arg(k + 1), 0);
    for (int k = 0; k < kTimetableEntries; ++k) {
        const QString text = ReadSettingText(QString("OL_TIME_%1").arg(k + 1), "00:00");
        DateTime t;
        if (!ParseTimeOfDay(text, t)) return QString("'%1' is not a valid time").arg(text);
        int hour, minute, second, msec;
        DecodeTime(t, hour, minute, second, msec);
        v.timetable[size_t(k)].hour = hour;
        v.timetable[size_t(k)].minute = minute;
    }
    v.clearAfter = ReadSettingBool("OL_ClearAfter", true);
    v.setClock = ReadSettingBool("OL_SET_CLOCK", true);
    v.options = ReadSettingInt("OL_OPTIONS", 0);
    return {};
}

void SaveOfflineValues(const OfflineValues& v, bool portSelected) {
    if (portSelected) WriteSettingInt("OL_DEF_PORT", v.portIndex);
    WriteSettingText("LogoLine1", DisplayLine(v.line1));
    WriteSettingText("LogoLine2", DisplayLine(v.line2));
    WriteSettingInt("OL_PWD", v.pin);
    for (int k = 0; k < kTimetableEntries; ++k) {
        const TimetableEntry& e = v.timetable[size_t(k)];
        WriteSettingInt(QString("OL_MODE_%1").arg(k + 1), e.mode);
        WriteSettingTime(QString("OL_TIME_%1").arg(k + 1), EncodeTime(e.hour, e.minute, 0));
    }
    WriteSettingBool("OL_ClearAfter", v.clearAfter);
    WriteSettingBool("OL_SET_CLOCK", v.setClock);
    WriteSettingInt("OL_OPTIONS", v.options);
}

std::vector<ReaderPort> EnabledReaderPorts(const ReaderLinks& links) {
    std::vector<ReaderPort> ports;
    for (int port = 1; port <= 8; ++port) {
        const TRfidReader* link = links.link(port);
        if (link && link->Enable) ports.push_back({link->PortNo, link->Desc});
    }
    return ports;
}

int InitialPortIndex(int stored, int count) {
    return stored >= 0 && stored < count ? stored : 0;
}

ModeView ModeViewFor(int mode) {
    ModeView view;
    switch (mode) {
        case 0:
            view.caption = "CLOCK mode";
            view.timetableShown = true;
            view.timetableCaption = "Auto IN/OUT Timetable";
            view.modeItems = {"Not Used", "IN", "OUT"};
            break;
        case 1:
            view.caption = "IN mode";
            view.timetableCaption = "PIN Timetable";
            view.modeItems = {"Not Used", "No PIN", "PIN"};
            view.bypassShown = true;
            view.bypassCaption = "Bypass Switch";
            view.othersShown = true;
            break;
        default:
            view.caption = "OUT mode";
            view.bypassShown = true;
            view.bypassCaption = "Keypad Bypass";
            view.othersShown = true;
            break;
    }
    return view;
}

void ApplyModeView(const ModeView& view, OfflineValues& v) {
    if (view.modeItems.isEmpty()) return;
    for (TimetableEntry& e : v.timetable) e.mode = 0;
}

QString DownloadResult::summary() const {
    return QString("Added = %1, Duplicated = %2, Invalid = %3")
        .arg(added)
        .arg(duplicated)
        .arg(invalid);
}

// ---- workflows -----------------------------------------------------------------------------

OfflineManager::OfflineManager(ReaderLinks& links, Tdsrc& store, Messages& messages,
                               Progress& progress, Clock now)
    : links_(links),
      store_(store),
      messages_(messages),
      progress_(progress),
      now_(std::move(now)) {}

int OfflineManager::LinkMode(int port) const {
    const TRfidReader* link = links_.link(port);
    return link ? link->Mode : 0;
}

namespace {
// Shows the step's name, runs it, and reports a missing answer.
struct Stepper {
    std::function<void(const QString&)>& status;
    Messages& messages;
    bool operator()(const char* name, const std::function<bool()>& step) const {
        if (status) status(QString::fromLatin1(name));
        if (step()) return true;
        messages.error(kNoResponse);
        return false;
    }
};
}  // namespace

bool OfflineManager::ReadBack(int port, OfflineValues& v) {
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    auto setting = [&](const char* name, ReaderSetting s, const std::function<void()>& take) {
        return step(name, [&] {
            if (!ol.ReadReaderSetting(s)) return false;
            if (take) take();
            return true;
        });
    };
    bool ok = step("Locking", [&] { return ol.LockReader(); }) &&
              setting("Get Line 1", ReaderSetting::Line1, [&] { v.line1 = ol.SettingText(); }) &&
              setting("Get Line 2", ReaderSetting::Line2, [&] { v.line2 = ol.SettingText(); }) &&
              step("Get Clock", [&] { return ol.ReadClock(v.readerClock); }) &&
              setting("Get PIN", ReaderSetting::Pin, [&] { v.pin = ol.SettingWord(); }) &&
              setting("Get Options", ReaderSetting::Options,
                      [&] { v.options = ol.SettingWord() & option_bit::kAll; }) &&
              setting("Get Mode", ReaderSetting::Mode, {}) &&
              setting("Get Timetable", ReaderSetting::Timetable,
                      [&] { v.timetable = ol.SettingTimetable(); }) &&
              step("UnLocking", [&] { return ol.UnlockReader(); });
    if (ok) messages_.information(kLoaded);
    return ok;
}

bool OfflineManager::SynchronizeClock(int port) {
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    bool ok = step("Locking", [&] { return ol.LockReader(); }) &&
              step("Set Clock", [&] { return ol.WriteClock(); }) &&
              step("UnLocking", [&] { return ol.UnlockReader(); });
    if (ok) messages_.information(kClockSet);
    return ok;
}

bool OfflineManager::Put(int port, OfflineValues& v) {
    Run run(*this);
    if (!run) return false;
    TRfidReader& link = links_[port];
    OfflineLink ol(link, now_);
    Stepper step{onStatus, messages_};
    v.line1 = DisplayLine(v.line1);
    v.line2 = DisplayLine(v.line2);
    const bool inUse = AnyTimetableEntryInUse(v.timetable);
    auto write = [&](const char* name, ReaderSetting s, const QByteArray& value) {
        return step(name, [&] { return ol.WriteReaderSetting(s, value); });
    };
    bool ok =
        step("Locking", [&] { return ol.LockReader(); }) &&
        (!v.setClock || step("Set Clock", [&] { return ol.WriteClock(); })) &&
        write("Set Line 1", ReaderSetting::Line1, DisplayLineBytes(v.line1)) &&
        write("Set Line 2", ReaderSetting::Line2, DisplayLineBytes(v.line2)) &&
        write("Set PIN", ReaderSetting::Pin, WordBytes(quint16(v.pin))) &&
        write("Set Options", ReaderSetting::Options,
              QByteArray(1, char(v.options & option_bit::kAll))) &&
        write("Set Lock Time", ReaderSetting::LockTime, QByteArray(1, char(link.LockTime))) &&
        write("Set Timetable", ReaderSetting::Timetable, TimetableBytes(v.timetable)) &&
        write("Set Mode", ReaderSetting::Mode, QByteArray(1, char(ModeByte(link.Mode, inUse)))) &&
        step("UnLocking", [&] { return ol.UnlockReader(); });
    if (ok) messages_.information(kSent);
    return ok;
}

bool OfflineManager::ClearRecord(int port) {
    if (busy_) return false;
    if (!messages_.warningYesNo(kClearAsk)) return false;
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    LogCapacity cap;
    if (!step("Locking", [&] { return ol.LockReader(); }) ||
        !step("Get Capacity", [&] { return ol.GetLogCapacity(cap); }))
        return false;
    if (cap.count == 0) {
        if (!step("UnLocking", [&] { return ol.UnlockReader(); })) return false;
        messages_.information(kNoRecordToClear);
        return true;
    }
    if (!step("Clearing", [&] { return ol.ClearLog(cap.capacity); }) ||
        !step("UnLocking", [&] { return ol.UnlockReader(); }))
        return false;
    messages_.information(kCleared);
    return true;
}

bool OfflineManager::ReadMasterPin(int port, int& pin) {
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    return step("Locking", [&] { return ol.LockReader(); }) &&
           step("Get Master PIN",
                [&] {
                    if (!ol.ReadReaderSetting(ReaderSetting::MasterPin)) return false;
                    pin = ol.SettingWord();
                    return true;
                }) &&
           step("UnLocking", [&] { return ol.UnlockReader(); });
}

bool OfflineManager::PutMasterPin(int port, int pin) {
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    bool ok =
        step("Locking", [&] { return ol.LockReader(); }) &&
        step("Put Master PIN",
             [&] {
                 return ol.WriteReaderSetting(ReaderSetting::MasterPin, WordBytes(quint16(pin)));
             }) &&
        step("UnLocking", [&] { return ol.UnlockReader(); });
    if (ok) messages_.information(kMasterPinSent);
    return ok;
}

bool OfflineManager::UploadCardInformation(int port) {
    Run run(*this);
    if (!run) return false;
    OfflineLink ol(links_[port], now_);
    Stepper step{onStatus, messages_};
    if (!step("Locking", [&] { return ol.LockReader(); })) return false;
    std::vector<AccessHolder> holders;
    for (const HolderRecord& h : StaffTable(store_.src()).all())
        holders.push_back({h.cardno, h.name, h.allowedOn(port)});
    const int n = int(holders.size());
    {
        auto window = progress_.open("Uploading Access Table", n);
        for (int page = 0; page < AccessPageCount(n); ++page) {
            if (!ol.WriteAccessPage(quint16(page), AccessPage(holders, page))) {
                window.reset();
                messages_.error(kNoResponse);
                return false;
            }
            const int onPage = std::clamp(n - page * kPageRecords, 0, kPageRecords);
            if (onPage > 0) window->step(onPage);
        }
    }
    if (!step("UnLocking", [&] { return ol.UnlockReader(); })) return false;
    messages_.information(kCardInfoUploaded);
    return true;
}

}  // namespace horalog
