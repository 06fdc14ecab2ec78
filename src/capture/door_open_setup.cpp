#include "capture/door_open_setup.h"

#include "reader/reader_ports.h"
#include "storage/settings.h"

namespace horalog {

DoorOpenChoice DoorOpenChoices(const ReaderLinks& links, int doorOpenPortNo) {
    DoorOpenChoice c;
    for (int port = 1; port <= 8; ++port) {
        const TRfidReader* link = links.link(port);
        if (!link->Enable) continue;
        if (port == doorOpenPortNo) c.selected = int(c.names.size());
        c.names << link->Desc;
        c.ports.push_back(port);
    }
    if (c.selected < 0 && !c.names.isEmpty()) c.selected = 0;
    return c;
}

DoorOpenSetup LoadDoorOpenSetup(const ReaderLinks& links) {
    return {ReadSettingBool("DoorOpenEnable", false),
            DoorOpenChoices(links, ReadSettingInt("DoorOpenPortNo", 0))};
}

void StoreDoorOpenSetup(bool enable, const DoorOpenChoice& choice, int selected) {
    WriteSettingBool("DoorOpenEnable", enable);
    if (selected >= 0 && selected < int(choice.ports.size()))
        WriteSettingInt("DoorOpenPortNo", choice.ports[std::size_t(selected)]);
}

std::optional<QString> DoorOpenCaption(const ReaderLinks& links, int port) {
    const TRfidReader* link = links.link(port);
    if (!link) return std::nullopt;
    return link->Desc + "->OPEN";
}

}  // namespace horalog
