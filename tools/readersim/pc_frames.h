#pragma once
// The reader side of the line: cuts what the PC sends (preamble, tilde command or framed
// packet or raw page, trailer) into commands, describes each on one line and says what a
// reader would answer.

#include <QByteArray>
#include <QString>
#include <optional>

namespace horalog::readersim {

struct PcCommand {
    QString text;       // one line for the operator: "~y", "clock ...", "packet 00 03 00"
    QByteArray answer;  // frame to send back, empty for none
};

class PcFrameParser {
public:
    // Answer tilde commands with "B" instead of "G".
    void SetRefuse(bool refuse) { refuse_ = refuse; }
    bool Refuse() const { return refuse_; }

    // One byte at nowMs (a monotonic clock); a pause of more than 200 ms drops a partial
    // command. Returns a complete command.
    std::optional<PcCommand> Feed(quint8 b, qint64 nowMs);
    // When a partial command will be dropped for lack of bytes, or -1.
    qint64 GapDeadline() const;
    void Expire(qint64 nowMs);

private:
    enum class State { Idle, Tilde, Frame };
    std::optional<PcCommand> FeedTilde(quint8 b);
    std::optional<PcCommand> FeedFrame(quint8 b);
    PcCommand TildeAnswer(const QString& text, char positive = 'G') const;

    State state_ = State::Idle;
    QByteArray buf_;
    qint64 lastByteMs_ = 0;
    bool refuse_ = false;
};

}  // namespace horalog::readersim
