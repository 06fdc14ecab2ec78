#pragma once
// What long operations on the open databases need of the main window's live log: hide it
// (with the holder photo and capture displays) while they work, and bring it back at the end.
// Operations that close the store use the store's close and reopen hooks instead.

#include <functional>

#include "storage/log_table.h"

namespace horalog {

struct LiveLogControl {
    // Hides the live log grid and clears the holder photo and capture displays.
    std::function<void()> hide;
    // Refreshes the record count caption, reopens the grid at its last record and shows it.
    std::function<void()> reopenAtEnd;
    // The holder photo and capture displays show this record (its card, its card and time).
    std::function<void(const LogRecord&)> showRecord;
};

// Hides the live log while it lives and reopens it when it goes, whatever happened.
class LiveLogHidden {
public:
    explicit LiveLogHidden(const LiveLogControl& live) : live_(live) {
        if (live_.hide) live_.hide();
    }
    ~LiveLogHidden() {
        if (!live_.reopenAtEnd) return;
        try {
            live_.reopenAtEnd();
        } catch (...) {
            // The grid is the window's; a failure to reopen it must not mask the operation's.
        }
    }
    LiveLogHidden(const LiveLogHidden&) = delete;
    LiveLogHidden& operator=(const LiveLogHidden&) = delete;

private:
    const LiveLogControl& live_;
};

}  // namespace horalog
