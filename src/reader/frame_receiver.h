#pragma once
// The byte-by-byte receiver of reader frames. Pure logic: the link feeds it bytes, restarts
// its byte timer around it and dispatches what it completes.

#include <QtGlobal>
#include <array>
#include <cstdint>

namespace horalog {

class FrameReceiver {
public:
    static constexpr int kBufferSize = 1024;
    static constexpr int kPageLength = 265;  // 264 data bytes and a checksum

    enum class State { Idle, AfterStart, InBody, AwaitingEnd };

    // Handles one byte; true when it completed a frame (its body is then at positions 0 to
    // Length() - 1). In packet mode the length byte counts itself and takes part in the sum.
    bool Feed(quint8 b, bool packetMode);
    void Reset();

    State state() const { return state_; }
    int Remaining() const { return remaining_; }
    // Store position: after a complete frame, the length of its stored body.
    int Length() const { return position_; }
    // Whether the frame in progress (or the last one) was read as a packet-mode answer.
    bool PacketFrame() const { return packetFrame_; }
    const std::array<quint8, kBufferSize>& Buffer() const { return buffer_; }
    quint8 At(int i) const { return i >= 0 && i < kBufferSize ? buffer_[i] : 0; }

private:
    void Begin(int remaining, int position, quint8 sum);

    std::array<quint8, kBufferSize> buffer_{};
    State state_ = State::Idle;
    int remaining_ = 0;
    int position_ = 0;
    quint8 sum_ = 0;
    bool packetFrame_ = false;
};

}  // namespace horalog
