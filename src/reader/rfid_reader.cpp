#include "reader/rfid_reader.h"

#include <QtDebug>
#include <algorithm>

#include "reader/frames.h"
#include "storage/settings.h"

namespace horalog {

namespace {
// A packet's length byte counts itself and the checksum and must stay below 128.
constexpr int kMaxPacketData = 125;
}  // namespace

TRfidReader::TRfidReader(QObject* owner) : TRfidReader(owner, SystemClock(), QtTimerFactory()) {}

TRfidReader::TRfidReader(QObject* owner, Clock clock, const TimerFactory& timers)
    : QObject(owner),
      device_(this),
      clock_(std::move(clock)),
      byteTimer_(timers()),
      answerTimer_(timers()) {
    byteTimer_->OnTimeout = [this] { HandleByteTimeout(); };
    answerTimer_->OnTimeout = [this] { HandleAnswerTimeout(); };
    connect(&device_, &SerialDevice::bytesArrived, this, [this] { HandleArrival(); });
    connect(&device_, &SerialDevice::opened, this, [this] { ResetReceiver(); });
    connect(&device_, &SerialDevice::lineError, this, [this] { ResetReceiver(); });
}

TRfidReader::~TRfidReader() {
    byteTimer_->Stop();
    answerTimer_->Stop();
    device_.Close();
}

QString TRfidReader::PortName() const {
    return QStringLiteral("COM%1").arg(PortNo);
}

QString TRfidReader::DevicePath() const {
    if (!devicePath_.isEmpty()) return devicePath_;
    return ReadSettingText(QStringLiteral("PortDevice%1").arg(PortNo),
                           QStringLiteral("/dev/ttyS%1").arg(PortNo - 1));
}

void TRfidReader::SetupPort() {
    device_.SetPortName(DevicePath());
    device_.SetBaudRate(19200);
}

void TRfidReader::Open() {
    if (device_.PortName().isEmpty()) SetupPort();
    device_.Open();
}

void TRfidReader::Close() {
    device_.Close();
    ResetReceiver();
}

// ---- sending -------------------------------------------------------------------------------

void TRfidReader::Transmit(const QByteArray& command) {
    if (!device_.Transmit(Transmission(command)))
        qWarning().noquote()
            << QStringLiteral("%1: sending to %2 failed").arg(PortName(), device_.PortName());
}

void TRfidReader::SendTilde(const QByteArray& text) {
    if (!IsOpen()) return;
    Transmit(TildeCommand(text));
}

void TRfidReader::ReleaseLock() {
    responsed_ = false;
    // One digit on the wire: a time outside 1..9 would send a non-digit.
    int seconds = std::clamp(LockTime, 1, 9);
    SendTilde(QByteArray("~Y") + char('0' + seconds));
}

void TRfidReader::SignalAccept() {
    responsed_ = false;
    SendTilde("~y");
}

void TRfidReader::SignalReject() {
    responsed_ = false;
    SendTilde("~N");
}

void TRfidReader::AckStoredRead() {
    responsed_ = false;
    SendTilde("~A");
}

void TRfidReader::CheckReader() {
    responsed_ = false;
    SendTilde("~@");
}

void TRfidReader::ClearAccessTable() {
    responsed_ = false;
    SendTilde("~CC");
}

void TRfidReader::AddAccessCard(quint32 card) {
    responsed_ = false;
    QByteArray cardBytes = CardBytes(card);
    QByteArray text("~A");
    text.append(2, '\0');
    text.append(cardBytes);
    text.append(char(Checksum(cardBytes)));
    SendTilde(text);
}

void TRfidReader::BeginPacket(int ms) {
    ResetReceiver();
    pktTimeout_ = false;
    pktGood_ = false;
    if (ms > 0) {
        pktMode_ = true;
        answerTimer_->Start(ms);
    } else {
        // Nobody awaits an answer; a pending exchange is replaced like by any new command.
        pktMode_ = false;
        answerTimer_->Stop();
    }
}

void TRfidReader::SendPacket(const QByteArray& data) {
    SendPacketWait(data, kAnswerTimeMs);
}

void TRfidReader::SendPacketWait(const QByteArray& data, int ms) {
    responsed_ = false;
    if (!IsOpen()) return;
    if (data.size() > kMaxPacketData) {
        qWarning().noquote() << QStringLiteral("%1: packet of %2 bytes not sent (at most %3)")
                                    .arg(PortName())
                                    .arg(data.size())
                                    .arg(kMaxPacketData);
        return;
    }
    BeginPacket(ms);
    Transmit(PacketFrame(data));
}

void TRfidReader::SendRawFrame(const QByteArray& bytes) {
    responsed_ = false;
    if (!IsOpen()) return;
    BeginPacket(kAnswerTimeMs);
    Transmit(RawFrame(bytes));
}

void TRfidReader::SendRawFrame(const quint8* bytes, int count) {
    SendRawFrame(QByteArray(reinterpret_cast<const char*>(bytes), std::max(count, 0)));
}

void TRfidReader::SendLockState(bool on) {
    SendPacket(QByteArray("\x00\x00", 2) + char(on ? 1 : 0));
}

void TRfidReader::SendClock() {
    SendPacket(ClockData(ID, clock_()));
}

// ---- receiving -----------------------------------------------------------------------------

void TRfidReader::ResetReceiver() {
    byteTimer_->Stop();
    receiver_.Reset();
}

DateTime TRfidReader::DecodeStamp(qint32 v) {
    return horalog::DecodeStamp(v);
}

void TRfidReader::HandleArrival() {
    // The serial layer does not announce bytes that arrive while an earlier announcement is
    // being handled (an event handler running the event loop); they wait in its buffer, so
    // keep reading until it is empty.
    while (device_.IsOpen() && device_.BytesAvailable() > 0) ReceiveBytes(device_.ReadAll());
}

void TRfidReader::ReceiveBytes(const QByteArray& bytes) {
    // An event handler may send (and a send may deliver new bytes before it returns) or wait
    // for an answer in a local event loop. A nested call then works through the same queue,
    // the older bytes first, so bytes are always parsed once and in arrival order.
    pending_.append(bytes);
    while (pendingPos_ < pending_.size()) {
        quint8 b = quint8(pending_[pendingPos_++]);
        byteTimer_->Start(kByteGapMs);
        if (receiver_.Feed(b, pktMode_)) {
            byteTimer_->Stop();
            Dispatch();
        }
    }
    pending_.clear();
    pendingPos_ = 0;
}

void TRfidReader::HandleByteTimeout() {
    receiver_.Reset();
}

void TRfidReader::HandleAnswerTimeout() {
    answerTimer_->Stop();
    pktTimeout_ = true;
    pktMode_ = false;
    emit packetTimeout();
}

void TRfidReader::Dispatch() {
    // A packet answer that completes after its answer time ran out is late, not an on-line
    // frame: its length byte sits in the body and would be misread.
    if (receiver_.PacketFrame() != pktMode_) return;
    if (pktMode_) {
        answerTimer_->Stop();
        pktGood_ = true;
        pktMode_ = false;
        emit packetGood();
        return;
    }
    auto p = [this](int i) { return int(receiver_.At(i)); };
    switch (receiver_.Length()) {
        case 2:
            HandleAnswer(char(p(0)));
            break;
        case 6: {
            int card = p(2) << 16 | p(3) << 8 | p(4);
            if (card == 0) return;
            DateTime now = WholeSeconds(clock_());
            if (OnCardCode) OnCardCode(false, PortNo, card, now, -1);
            break;
        }
        case 11: {
            int card = p(7) << 16 | p(8) << 8 | p(9);
            if (card == 0) return;
            qint32 v = qint32(quint32(p(1)) << 24 | quint32(p(2)) << 16 | quint32(p(3)) << 8 |
                              quint32(p(4)));
            bool stored = p(0) >= 0x80;
            int cmode = p(0) & 0x7F;
            DateTime stamp = DecodeStamp(v);
            if (OnCardCode) OnCardCode(stored, PortNo, card, stamp, cmode);
            break;
        }
        default:
            break;
    }
}

void TRfidReader::HandleAnswer(char c) {
    auto answered = [this](bool ok) {
        responsed_ = true;
        resultOK_ = ok;
        emit responded();
    };
    switch (c) {
        case '0':
            modelString_ = QStringLiteral("PX900");
            answered(true);
            break;
        case '1':
            modelString_ = QStringLiteral("RB01");
            answered(true);
            break;
        case '2':
            modelString_ = QStringLiteral("RB02");
            answered(true);
            break;
        case 'G':
            answered(true);
            break;
        case 'B':
            answered(false);
            break;
        case 'C':
            SendClock();
            break;
        case 'R':
            SendClock();
            if (OnPowerup) OnPowerup(PortNo);
            break;
        case 'P':
            if (OnBypass) OnBypass(PortNo, 0);
            break;
        case 'p':
            if (OnBypass) OnBypass(PortNo, 1);
            break;
        default:
            break;
    }
}

// ---- answer readers ------------------------------------------------------------------------

quint8 TRfidReader::ReplyByte(int i) const {
    return receiver_.At(i);
}

quint16 TRfidReader::ReplyWord(int i) const {
    return quint16(receiver_.At(i) | receiver_.At(i + 1) << 8);
}

QString TRfidReader::ReplyText16(int i) const {
    QByteArray text;
    for (int k = 0; k < 16; ++k) text.append(char(receiver_.At(i + k)));
    return QString::fromLatin1(text);
}

DateTime TRfidReader::ReplyHourMinute(int i) const {
    int hour = FromBcd(receiver_.At(i));
    int minute = FromBcd(receiver_.At(i + 1));
    if (hour >= 24) hour = 0;
    if (minute >= 60) minute = 0;
    return EncodeTime(hour, minute, 0);
}

bool TRfidReader::ReplyLogRecord(int& card, DateTime& stamp, int& mode) const {
    auto b = [this](int i) { return quint32(receiver_.At(i)); };
    card = int(b(7) << 16 | b(8) << 8 | b(9));
    stamp = DecodeStamp(qint32(b(10) | b(11) << 8 | b(12) << 16 | b(13) << 24));
    if (stamp == DateTime(0.0)) return false;
    switch (b(6) >> 6) {
        case 0:
            mode = 1;
            break;
        case 1:
            mode = 2;
            break;
        default:
            mode = 0;
            break;
    }
    return true;
}

void TRfidReader::ReplyAccessRecord(TAccessEventRec& rec) const {
    auto b = [this](int i) { return quint32(receiver_.At(i)); };
    rec.kind = quint8(b(6));
    rec.card = b(7) << 16 | b(8) << 8 | b(9);
    rec.word = quint16(b(10) | b(11) << 8);
    rec.text = ReplyText16(12);
}

}  // namespace horalog
