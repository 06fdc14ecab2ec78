#include "pc_frames.h"

#include "reader/frames.h"

namespace horalog::readersim {

namespace {
constexpr qint64 kGapMs = 200;
constexpr int kPageBytes = 264;
constexpr int kMaxTilde = 64;

quint8 Sum(const QByteArray& bytes, int from, int to) {  // [from, to)
    quint8 s = 0;
    for (int i = from; i < to; ++i) s = quint8(s + quint8(bytes[i]));
    return s;
}

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString DescribeClock(const QByteArray& d) {
    auto bcd = [&](int i) { return FromBcd(quint8(d[i])); };
    int dow = quint8(d[5]);
    QString day = dow >= 1 && dow <= 7 ? kWeekdays[dow - 1] : QStringLiteral("day%1").arg(dow);
    return QStringLiteral("clock 20%1-%2-%3 %4:%5:%6 %7")
        .arg(bcd(8), 2, 10, QChar('0'))
        .arg(bcd(7), 2, 10, QChar('0'))
        .arg(bcd(6), 2, 10, QChar('0'))
        .arg(bcd(4), 2, 10, QChar('0'))
        .arg(bcd(3), 2, 10, QChar('0'))
        .arg(bcd(2), 2, 10, QChar('0'))
        .arg(day);
}
}  // namespace

qint64 PcFrameParser::GapDeadline() const {
    return state_ == State::Idle ? -1 : lastByteMs_ + kGapMs;
}

void PcFrameParser::Expire(qint64 nowMs) {
    if (state_ != State::Idle && nowMs - lastByteMs_ > kGapMs) state_ = State::Idle;
}

std::optional<PcCommand> PcFrameParser::Feed(quint8 b, qint64 nowMs) {
    Expire(nowMs);
    lastByteMs_ = nowMs;
    switch (state_) {
        case State::Idle:
            // Preamble and trailer bytes (0xFF) and anything else between commands are skipped.
            if (b == quint8(kTilde)) {
                state_ = State::Tilde;
                buf_.clear();
            } else if (b == kFrameStart) {
                state_ = State::Frame;
                buf_.clear();
            }
            return std::nullopt;
        case State::Tilde:
            return Faults(FeedTilde(b));
        case State::Frame:
            return Faults(FeedFrame(b));
    }
    return std::nullopt;
}

PcCommand PcFrameParser::TildeAnswer(const QString& text, char positive) const {
    if (positive == 0) return {text, {}};  // no model answer
    return {text, AnswerFrame(refuse_ ? 'B' : positive)};
}

std::optional<PcCommand> PcFrameParser::Faults(std::optional<PcCommand> command) {
    if (!command) return command;
    ++commands_;
    if (dropEvery_ > 0 && commands_ % dropEvery_ == 0 && !command->answer.isEmpty()) {
        command->answer.clear();
        command->text += QStringLiteral(" (answer dropped)");
        return command;
    }
    if (command->answer.isEmpty()) return command;
    if (silentAfter_ > 0 && ++answeredSince_ > silentAfter_) {
        command->answer.clear();
        command->text += QStringLiteral(" (silent)");
        return command;
    }
    ++answers_;
    if (corruptEvery_ > 0 && answers_ % corruptEvery_ == 0 && command->answer.size() >= 2) {
        // The checksum byte sits just before the end byte.
        qsizetype at = command->answer.size() - 2;
        command->answer[at] = char(quint8(command->answer[at]) ^ 0x01);
        command->text += QStringLiteral(" (checksum corrupted)");
    }
    return command;
}

PcCommand PcFrameParser::PacketAnswer(const QByteArray& data) {
    QString note;
    QByteArray answer = reader_.AnswerPacket(data, note);
    QString text = data.size() == 9 && data[1] == 0x02
                       ? DescribeClock(data)
                       : QStringLiteral("packet %1").arg(QString(HexBytes(data)));
    if (verbose_ && !note.isEmpty()) text += QStringLiteral(" ; ") + note;
    return PcCommand{text, PacketFrame(answer)};
}

std::optional<PcCommand> PcFrameParser::FeedTilde(quint8 b) {
    buf_.append(char(b));
    // buf_ holds what followed the opening "~": the text (which starts with "~") and "~".
    if (buf_[0] != kTilde || buf_.size() > kMaxTilde) {
        state_ = State::Idle;
        return PcCommand{QStringLiteral("bad tilde command %1").arg(QString(HexBytes(buf_))), {}};
    }
    // "~A" followed by a zero byte carries a card: six binary bytes, then "~".
    bool cardCommand = buf_.size() >= 3 && buf_[1] == 'A' && buf_[2] == '\0';
    if (cardCommand) {
        if (buf_.size() < 9) return std::nullopt;
        state_ = State::Idle;
        if (buf_[8] != kTilde)
            return PcCommand{QStringLiteral("bad tilde command %1").arg(QString(HexBytes(buf_))),
                             {}};
        QByteArray cardBytes = buf_.mid(4, 3);
        quint32 card = quint32(quint8(cardBytes[0])) << 16 | quint32(quint8(cardBytes[1])) << 8 |
                       quint8(cardBytes[2]);
        QString text = QStringLiteral("~A card %1").arg(card);
        if (Checksum(cardBytes) != quint8(buf_[7]) || buf_[3] != '\0')
            return PcCommand{text + QStringLiteral(" bad checksum"), AnswerFrame('B')};
        return TildeAnswer(text, reader_.AnswerAddCard(card));
    }
    if (buf_.size() < 2 || b != quint8(kTilde)) return std::nullopt;
    state_ = State::Idle;
    QString text = QString::fromLatin1(buf_.left(buf_.size() - 1));
    // "~@" asks for the model (a PX900 unless told otherwise).
    if (text == QLatin1String("~@")) return TildeAnswer(text, reader_.AnswerCheck());
    if (text == QLatin1String("~CC")) return TildeAnswer(text, reader_.AnswerClearAccess());
    return TildeAnswer(text);
}

std::optional<PcCommand> PcFrameParser::FeedFrame(quint8 b) {
    buf_.append(char(b));
    const int n = int(buf_.size());
    const int length = quint8(buf_[0]);
    // Packet: L, L - 2 data bytes, checksum (L counted in the sum), FA.
    if (length >= 2 && length <= 127 && n == length + 1 && b == kFrameEnd &&
        Sum(buf_, 0, length) == 0) {
        state_ = State::Idle;
        return PacketAnswer(buf_.mid(1, length - 2));
    }
    // Raw page: 264 bytes, checksum, FA, no length byte.
    if (n == kPageBytes + 2) {
        state_ = State::Idle;
        if (b == kFrameEnd && Sum(buf_, 0, kPageBytes + 1) == 0) {
            QString note;
            reader_.AnswerPage(buf_.left(kPageBytes), note);
            QString text = QStringLiteral("raw %1").arg(QString(HexBytes(buf_.left(kPageBytes))));
            if (verbose_ && !note.isEmpty()) text += QStringLiteral(" ; ") + note;
            return PcCommand{text, PacketFrame({})};
        }
        return PcCommand{QStringLiteral("bad frame %1").arg(QString(HexBytes(buf_))), {}};
    }
    return std::nullopt;
}

}  // namespace horalog::readersim
