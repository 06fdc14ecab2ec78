#pragma once
// The points where the capture spine, the reader configuration, the feedback and the network
// services join the shell's start, run and close. An empty hook is skipped.

#include <QString>
#include <functional>
#include <optional>

#include "common/datetime.h"

namespace horalog {

struct ShellHooks {
    // Start, notification icon step
    std::function<void()> createReaderLinks;  // the eight links, owned by the window
    std::function<void()> openReaderPorts;    // every enabled row; only with a whole reader
                                              // table; also after each ReopenStore
    std::function<void()> armMailTimer;

    // Start, window creation step
    std::function<void(DateTime now)> evaluateAutoIO;
    std::function<QString(int port)> readerDesc;  // Desc of a link: door-open caption
    std::function<void()> startWebReporter;       // only when WebEnabled

    // Run, the IN/OUT part of the one-second tick (its owner keeps the countdown and the
    // minute of the last tick)
    std::function<void(DateTime now)> tickAutoIO;

    // Current-row feedback: ShowHolderPhoto(card) and ShowCapture(card, t). Called for the
    // last row at start and for the row under a click or key / mouse release.
    std::function<void(int card, DateTime t)> showFeedback;
    // Hides the photo and the capture (CloseStore).
    std::function<void()> clearFeedback;

    // Controls of the window
    std::function<void()> inOutPanelClicked;  // the override
    std::function<void()> doorOpenClicked;
    // Live log double click while logged in: the current row's card, none on an empty log.
    std::function<void(std::optional<int> card)> openHolderEditor;

    // Close
    std::function<bool()> readerPortOpen;    // any reader port open: Exit asks first
    std::function<void()> closeReaderLinks;  // CloseStore, before the connections close
    std::function<void()> freeReaderLinks;
    std::function<void()> stopTimers;  // mail timer and bypass repeat timer
};

// The status bar clock: "dd/mmm/yyyy ddd  AM/PM hh:mm:ss".
QString StatusClockText(DateTime now);

}  // namespace horalog
