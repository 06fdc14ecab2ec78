// Answers of stand-alone readers as the link receives them, then read by every decoder the
// offline commands use (clock, words, texts, hours, log and access records).
#include <QCoreApplication>
#include <cstdint>

#include "reader/rfid_reader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    horalog::TRfidReader link;
    link.ReceiveBytes(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    int sink = 0;
    for (int i = -2; i < 300; i += 3) {
        sink += link.ReplyByte(i) + link.ReplyWord(i) + link.ReplyText16(i).size();
        sink += link.ReplyHourMinute(i).value < 0.5;
    }
    int card = 0, mode = 0;
    horalog::DateTime stamp;
    sink += link.ReplyLogRecord(card, stamp, mode);
    horalog::TAccessEventRec rec;
    link.ReplyAccessRecord(rec);
    volatile int kept = sink;  // the decoders' results must not be optimised away
    (void)kept;
    return 0;
}
