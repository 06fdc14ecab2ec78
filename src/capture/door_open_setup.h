#pragma once
// "Setup Door Open Button" without its widgets: the list of enabled readers to choose from,
// what OK stores, and the button's caption.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace horalog {

class ReaderLinks;

// The drop-down list: the Desc of every enabled link in port order with its port, and the
// entry to select for DoorOpenPortNo: its own, else the first, none (-1) in an empty list.
struct DoorOpenChoice {
    QStringList names;
    std::vector<int> ports;
    int selected = -1;
};
DoorOpenChoice DoorOpenChoices(const ReaderLinks& links, int doorOpenPortNo);

// The dialog's start: "Enable Door Open Button" from DoorOpenEnable and the list with
// DoorOpenPortNo read with default 0.
struct DoorOpenSetup {
    bool enable = false;
    DoorOpenChoice choice;
};
DoorOpenSetup LoadDoorOpenSetup(const ReaderLinks& links);

// "OK": DoorOpenEnable := enable; DoorOpenPortNo := the port of the selected entry, only
// when an entry is selected.
void StoreDoorOpenSetup(bool enable, const DoorOpenChoice& choice, int selected);

// The caption after the ports were reopened or the dialog confirmed: the Desc of the link of
// the port followed by "->OPEN"; none for a port without a link (the caption stays).
std::optional<QString> DoorOpenCaption(const ReaderLinks& links, int port);

}  // namespace horalog
