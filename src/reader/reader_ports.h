#pragma once
// The eight reader links, set up from the rows of the reader table and opened when enabled.

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "reader/rfid_reader.h"

namespace horalog {

class Connection;
class Messages;

// One link per port 1 to 8, living for the whole run.
class ReaderLinks {
public:
    explicit ReaderLinks(QObject* owner = nullptr);
    // The link of a port 1 to 8, or nullptr for any other number.
    TRfidReader* link(int port) const;
    TRfidReader& operator[](int port) const { return *links_[port - 1]; }

private:
    std::array<std::unique_ptr<TRfidReader>, 8> links_;
};

// What a link's events are handed to, and where the door-open caption goes.
struct PortHooks {
    TCardCodeEvent onCardCode;
    TBypassEvent onBypass;
    TPowerupEvent onPowerup;
    std::function<void(const QString&)> doorCaption;  // "<Desc>->OPEN"
    // Each port set up: empty when it is open or disabled, else one line for the operator
    // ("COM1 (/dev/ttyS0) is in use by another program").
    std::function<void(int port, const QString& problem)> portProblem;
};

// Fills the link of port from its row, wires its events, opens it when enabled; a port that
// cannot be opened gets Enable false and is reported through hooks.portProblem only.
void OpenReaderPort(ReaderLinks& links, Connection& src, int port, const PortHooks& hooks);
// All eight ports when the table has exactly eight rows; otherwise the reader-table error
// (through messages when given) and nothing opened. Returns whether the ports were set up.
bool OpenReaderPorts(ReaderLinks& links, Connection& src, const PortHooks& hooks,
                     Messages* messages);
void CloseReaderPort(ReaderLinks& links, int port);
void CloseReaderPorts(ReaderLinks& links);

}  // namespace horalog
