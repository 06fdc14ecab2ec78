#pragma once
// One operating-system serial device as the reader link needs it: line settings, open/close,
// manual RTS around every transmission, blocking writes, and notifications on the main loop.

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <stdexcept>

namespace horalog {

// Why a device could not be opened.
enum class PortFailure { Missing, Busy, Permission, Other };

// Opening a missing or busy device.
class SerialPortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    SerialPortError(const std::string& what, PortFailure failure, const QString& detail)
        : std::runtime_error(what), failure(failure), detail(detail) {}
    PortFailure failure = PortFailure::Other;
    QString detail;  // the system's own words
};

// The one line an operator reads for a port that cannot be opened, e.g.
// "COM1 (/dev/ttyS0) is in use by another program".
QString PortProblemText(const QString& portName, const QString& path, PortFailure failure,
                        const QString& detail = QString());

class SerialDevice : public QObject {
    Q_OBJECT
public:
    explicit SerialDevice(QObject* parent = nullptr);
    ~SerialDevice() override;

    // The device path (/dev/ttyS0, /dev/pts/3, ...).
    void SetPortName(const QString& path) { path_ = path; }
    QString PortName() const { return path_; }
    void SetBaudRate(int baud);
    void SetDataBits(QSerialPort::DataBits bits);
    void SetStopBits(QSerialPort::StopBits bits);
    void SetParity(QSerialPort::Parity parity);
    int BaudRate() const { return baud_; }
    QSerialPort::DataBits DataBits() const { return dataBits_; }
    QSerialPort::StopBits StopBits() const { return stopBits_; }
    QSerialPort::Parity Parity() const { return parity_; }

    // Throws SerialPortError when the device is missing, busy or refuses the settings.
    // Emits opened() before it returns.
    void Open();
    void Close();
    bool IsOpen() const;

    // RTS is the transmit enable of the reader bus. A device that cannot drive it (a
    // pseudo-terminal, some USB adapters) keeps working; the failure is logged once.
    void SetRts(bool active);
    bool Rts() const { return rts_; }
    bool RtsUnsupported() const { return rtsUnsupported_; }

    // Returns once the bytes have left the driver (tcdrain), so RTS may drop after it.
    // False when the device is closed or the write failed.
    bool Write(const QByteArray& bytes);
    // RTS active, the bytes, RTS inactive.
    bool Transmit(const QByteArray& bytes);

    qint64 BytesAvailable() const;
    QByteArray ReadAll();

signals:
    void bytesArrived(qint64 count);
    void opened();
    void lineError();
    // The RTS level requested, for observers of the transmit timing.
    void rtsChanged(bool active);

private:
    void HandleError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString path_;
    int baud_ = 19200;
    QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
    QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
    QSerialPort::Parity parity_ = QSerialPort::NoParity;
    bool rts_ = false;
    bool rtsUnsupported_ = false;
    bool ignoreErrors_ = false;
};

}  // namespace horalog
