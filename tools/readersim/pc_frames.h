#pragma once
// The reader side of the line: cuts what the PC sends (preamble, tilde command or framed
// packet or raw page, trailer) into commands, describes each on one line and says what a
// reader would answer.

#include <QByteArray>
#include <QString>
#include <optional>

#include "stand_alone_reader.h"

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

    // The stand-alone reader that answers the offline commands.
    StandAloneReader& reader() { return reader_; }

    // Faults for tests and demos: no answer to every Nth command (0: off); a wrong checksum
    // in every Nth answer (0: off).
    // Counting starts again at each setting.
    void SetDropEvery(int n) {
        dropEvery_ = n;
        commands_ = 0;
    }
    void SetCorruptEvery(int n) {
        corruptEvery_ = n;
        answers_ = 0;
    }
    // No answer at all once n more commands have been answered (a reader that went away);
    // 0 answers again.
    void SetSilentAfter(int n) {
        silentAfter_ = n;
        answeredSince_ = 0;
    }
    // Adds " ; what the reader did" to the lines of offline commands.
    void SetVerbose(bool on) { verbose_ = on; }

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
    PcCommand PacketAnswer(const QByteArray& data);
    std::optional<PcCommand> Faults(std::optional<PcCommand> command);

    State state_ = State::Idle;
    QByteArray buf_;
    qint64 lastByteMs_ = 0;
    bool refuse_ = false;
    StandAloneReader reader_;
    bool verbose_ = false;
    int dropEvery_ = 0;
    int corruptEvery_ = 0;
    int silentAfter_ = 0;
    qint64 answeredSince_ = 0;
    qint64 commands_ = 0;
    qint64 answers_ = 0;
};

}  // namespace horalog::readersim
