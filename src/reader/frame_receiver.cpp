#include "reader/frame_receiver.h"

#include "reader/frames.h"

namespace horalog {

void FrameReceiver::Reset() {
    state_ = State::Idle;
    remaining_ = 0;
}

void FrameReceiver::Begin(int remaining, int position, quint8 sum) {
    state_ = State::InBody;
    remaining_ = remaining;
    position_ = position;
    sum_ = sum;
}

bool FrameReceiver::Feed(quint8 b, bool packetMode) {
    switch (state_) {
        case State::Idle:
            if (b == kFrameStart) state_ = State::AfterStart;
            return false;
        case State::AfterStart:
            packetFrame_ = packetMode;
            if (!packetMode) {
                if (b == 2 || b == 6 || b == 11)
                    Begin(b, 0, 0);
                else
                    Reset();
            } else if (b == 0) {
                Begin(kPageLength, 0, 0);
            } else if (b >= 2 && b <= 127) {
                buffer_[0] = b;
                Begin(b - 1, 1, b);
            } else {
                // 1 cannot describe an answer (the length counts itself and the checksum),
                // and 128 or more is out of range.
                Reset();
            }
            return false;
        case State::InBody:
            if (position_ >= kBufferSize) {  // unreachable with the lengths above; never overrun
                Reset();
                return false;
            }
            buffer_[position_++] = b;
            sum_ = quint8(sum_ + b);
            if (--remaining_ <= 0) {
                if (sum_ == 0)
                    state_ = State::AwaitingEnd;
                else
                    Reset();
            }
            return false;
        case State::AwaitingEnd: {
            bool complete = b == kFrameEnd;
            Reset();
            return complete;
        }
    }
    return false;
}

}  // namespace horalog
