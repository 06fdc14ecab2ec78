#pragma once
// The reader link of one serial port: cuts the reader's byte stream into frames, raises card,
// bypass and power-up events, answers the reader's time requests, and sends tilde and packet
// commands. Lives on the main thread; everything here runs on the main event loop.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "common/datetime.h"
#include "reader/frame_receiver.h"
#include "reader/one_shot_timer.h"
#include "reader/serial_device.h"

namespace horalog {

// offline: the reader stored the read while the PC was absent; cmode -1: the reader gave no
// mode (the PC decides).
using TCardCodeEvent =
    std::function<void(bool offline, int port, int code, DateTime stamp, int cmode)>;
// state 0: switch pressed, 1: released.
using TBypassEvent = std::function<void(int port, int state)>;
using TPowerupEvent = std::function<void(int port)>;

// One record of an access-table answer.
struct TAccessEventRec {
    quint8 kind = 0;
    quint32 card = 0;
    quint16 word = 0;
    QString text;
};

class TRfidReader : public QObject {
    Q_OBJECT
public:
    static constexpr int kByteGapMs = 200;
    static constexpr int kAnswerTimeMs = 500;

    explicit TRfidReader(QObject* owner = nullptr);
    // Tests hand a fixed clock and hand-driven timers.
    TRfidReader(QObject* owner, Clock clock, const TimerFactory& timers);
    ~TRfidReader() override;

    // Settings, filled from the reader table by the reader configuration.
    int PortNo = 1;  // 1..8: "COM" and this number; the port of every event
    bool Enable = false;
    QString Desc;
    int Mode = 0;      // 0 CLOCK, 1 IN, 2 OUT
    int Lock = 0;      // port whose lock an accepted card releases, 0 none
    int Bypass = 0;    // port whose lock the bypass switch releases, 0 none
    int LockTime = 1;  // seconds, 1..9
    int Model = 0;     // 0 LT series, 1 PX series
    bool Apb = false;
    bool Capture = false;  // held for the configuration, not acted upon
    int Motion = -1;       // bypass logging: -1 none, 0 once, 1..60 repeat seconds
    quint8 ID = 0;         // reader address, first data byte of addressed packets

    // Events; an unassigned one is skipped. They run inside the parser: a handler may send,
    // but must not wait for an answer on this same link (the serial layer announces no new
    // bytes until the handler returns; they are parsed then).
    TCardCodeEvent OnCardCode;
    TBypassEvent OnBypass;
    TPowerupEvent OnPowerup;

    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // "COM" followed by PortNo.
    QString PortName() const;
    // The device path used by SetupPort: the explicit one when given, else the setting
    // PortDevice<N> (default /dev/ttyS<N-1>).
    void SetDevicePath(const QString& path) { devicePath_ = path; }
    QString DevicePath() const;

    // Port name and 19200 baud; data bits, stop bits and parity stay as the caller set them
    // on Device() (8N1 by default).
    void SetupPort();
    // Throws SerialPortError when the device is missing or busy.
    void Open();
    void Close();
    bool IsOpen() const { return device_.IsOpen(); }
    SerialDevice& Device() { return device_; }

    // Tilde commands: preamble, "~" text "~", trailer; nothing when the port is closed.
    void SendTilde(const QByteArray& text);
    void ReleaseLock();
    void SignalAccept();
    void SignalReject();
    void AckStoredRead();
    void CheckReader();
    void ClearAccessTable();
    void AddAccessCard(quint32 card);

    // Packet commands; the outcome is read from PktGood/PktTimeout (or the signals below).
    void SendPacket(const QByteArray& data);
    // ms <= 0 sends without awaiting an answer: the link stays out of packet mode.
    void SendPacketWait(const QByteArray& data, int ms);
    void SendRawFrame(const QByteArray& bytes);
    void SendRawFrame(const quint8* bytes, int count);
    void SendLockState(bool on);
    void SendClock();

    void ResetReceiver();
    static DateTime DecodeStamp(qint32 v);

    // Exchange state.
    bool PktMode() const { return pktMode_; }
    bool PktGood() const { return pktGood_; }
    bool PktTimeout() const { return pktTimeout_; }
    bool Responsed() const { return responsed_; }
    bool ResultOK() const { return resultOK_; }
    QString ModelString() const { return modelString_; }

    // Answer readers over the receive buffer (positions 0..1023; outside it they read 0).
    quint8 ReplyByte(int i) const;
    quint16 ReplyWord(int i) const;  // low byte first
    QString ReplyText16(int i) const;
    DateTime ReplyHourMinute(int i) const;
    // Log record at positions 6..13; false when its stamp does not decode.
    bool ReplyLogRecord(int& card, DateTime& stamp, int& mode) const;
    void ReplyAccessRecord(TAccessEventRec& rec) const;
    // Stored length of the last complete frame.
    int ReplyLength() const { return receiver_.Length(); }
    const FrameReceiver& Receiver() const { return receiver_; }

    // The parser: the device's arrivals go through here; tests may feed it directly.
    void ReceiveBytes(const QByteArray& bytes);

signals:
    // A one-character answer arrived (Responsed became true).
    void responded();
    // The awaited packet answer arrived / the answer time ran out.
    void packetGood();
    void packetTimeout();

private:
    void Transmit(const QByteArray& command);
    void BeginPacket(int ms);
    void HandleArrival();
    void HandleByteTimeout();
    void HandleAnswerTimeout();
    void Dispatch();
    void HandleAnswer(char c);

    SerialDevice device_;
    Clock clock_;
    std::unique_ptr<OneShotTimer> byteTimer_;
    std::unique_ptr<OneShotTimer> answerTimer_;
    FrameReceiver receiver_;
    QString devicePath_;
    QByteArray pending_;
    qsizetype pendingPos_ = 0;

    bool pktMode_ = false;
    bool pktGood_ = false;
    bool pktTimeout_ = false;
    bool responsed_ = false;
    bool resultOK_ = false;
    QString modelString_;
};

}  // namespace horalog
