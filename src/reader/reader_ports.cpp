#include "reader/reader_ports.h"

#include "common/ports.h"
#include "storage/database.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

ReaderLinks::ReaderLinks(QObject* owner) {
    for (int i = 0; i < 8; ++i) {
        links_[i] = std::make_unique<TRfidReader>(owner);
        links_[i]->PortNo = i + 1;
    }
}

TRfidReader* ReaderLinks::link(int port) const {
    return port >= 1 && port <= 8 ? links_[port - 1].get() : nullptr;
}

void OpenReaderPort(ReaderLinks& links, Connection& src, int port, const PortHooks& hooks) {
    TRfidReader* link = links.link(port);
    if (!link) return;
    auto q = src.prepare("SELECT * FROM reader WHERE STATION = ? AND PORTNO = ?");
    q.bindAll(src.station(), port);
    if (q.next()) {
        QString problem;
        link->PortNo = port;
        link->OnCardCode = hooks.onCardCode;
        link->OnBypass = hooks.onBypass;
        link->OnPowerup = hooks.onPowerup;
        link->Enable = q.boolean("ENABLE");
        link->Lock = q.integer("OUTPORT");
        link->Bypass = q.integer("BPPORT");
        link->Mode = q.integer("MODE");
        link->Desc = q.text("DESC");
        link->LockTime = q.integer("LOCKTIME");
        link->Model = q.integer("MODEL");
        link->Apb = q.boolean("APB");
        link->Capture = q.boolean("CAPTURE");
        link->Motion = q.integer("MOTION");
        link->Device().SetDataBits(QSerialPort::Data8);
        link->Device().SetStopBits(QSerialPort::OneStop);
        link->Device().SetParity(QSerialPort::NoParity);
        link->SetupPort();
        if (link->Enable) {
            try {
                link->Open();
            } catch (const SerialPortError& e) {
                link->Enable = false;
                problem =
                    PortProblemText(link->PortName(), link->DevicePath(), e.failure, e.detail);
            }
        }
        if (hooks.portProblem) hooks.portProblem(port, problem);
    }
    if (ReadSettingInt("DoorOpenPortNo", 1) == port && hooks.doorCaption)
        hooks.doorCaption(link->Desc + "->OPEN");
}

bool OpenReaderPorts(ReaderLinks& links, Connection& src, const PortHooks& hooks,
                     Messages* messages) {
    if (!ReaderTableOk(src)) {
        if (messages) messages->error(kReaderTableError);
        return false;
    }
    for (int port = 1; port <= 8; ++port) OpenReaderPort(links, src, port, hooks);
    return true;
}

void CloseReaderPort(ReaderLinks& links, int port) {
    if (TRfidReader* link = links.link(port)) {
        link->Close();
        link->Enable = false;
    }
}

void CloseReaderPorts(ReaderLinks& links) {
    for (int port = 1; port <= 8; ++port) CloseReaderPort(links, port);
}

}  // namespace horalog
