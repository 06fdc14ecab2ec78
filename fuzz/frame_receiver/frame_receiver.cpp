// The reader frame receiver fed any bytes: it must never read or write outside its buffer,
// and a completed frame's length must fit the buffer.
#include "reader/frame_receiver.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    horalog::FrameReceiver r;
    const bool packetMode = data[0] & 1;
    for (size_t i = 1; i < size; ++i) {
        if (r.Feed(data[i], packetMode)) {
            if (r.Length() < 0 || r.Length() > horalog::FrameReceiver::kBufferSize) std::abort();
        }
        if (data[i] == 0xA5 && (i & 7) == 0) r.Reset();
    }
    return 0;
}
