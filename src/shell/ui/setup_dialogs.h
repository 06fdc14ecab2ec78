#pragma once
// The set-up commands of the main window: "Readers", "Auto IN/OUT Time", "Door Open Button"
// and "Enable Speech Feedback", with what the window does after each dialog.

#include "common/datetime.h"
#include "reader/reader_ports.h"

namespace horalog {

class CardCapture;
class Tdsrc;
class TTimeRec;

// Action names of the set-up commands in the command table.
inline constexpr const char* kActReaders = "actReaders";
inline constexpr const char* kActAutoIO = "actAutoIO";
inline constexpr const char* kActDoorOpenSetup = "actDoorOpenSetup";

// Registers the four commands on the window. portHooks are those the ports are opened with
// (the capture's handlers); an empty doorCaption is pointed at the window's door-open button.
// clock gives "now" for the IN/OUT evaluation after "Auto IN/OUT Time"; readersChanged is told
// after the reader list closed (descriptions may have changed).
void AttachSetupDialogs(TTimeRec& window, ReaderLinks& links, CardCapture& capture, Tdsrc& store,
                        PortHooks portHooks, Clock clock = SystemClock(),
                        std::function<void()> readersChanged = {});

}  // namespace horalog
