#include "reader/serial_device.h"

#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

namespace horalog {

namespace {
// Longest a transmission may stay blocked on a full output queue (a few hundred bytes at
// 19200 baud take well under this).
constexpr int kWriteTimeoutMs = 2000;
}  // namespace

SerialDevice::SerialDevice(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this,
            [this] { emit bytesArrived(port_.bytesAvailable()); });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialDevice::HandleError);
}

SerialDevice::~SerialDevice() {
    Close();
}

void SerialDevice::SetBaudRate(int baud) {
    baud_ = baud;
    if (port_.isOpen()) port_.setBaudRate(baud);
}

void SerialDevice::SetDataBits(QSerialPort::DataBits bits) {
    dataBits_ = bits;
    if (port_.isOpen()) port_.setDataBits(bits);
}

void SerialDevice::SetStopBits(QSerialPort::StopBits bits) {
    stopBits_ = bits;
    if (port_.isOpen()) port_.setStopBits(bits);
}

void SerialDevice::SetParity(QSerialPort::Parity parity) {
    parity_ = parity;
    if (port_.isOpen()) port_.setParity(parity);
}

QString PortProblemText(const QString& portName, const QString& path, PortFailure failure,
                        const QString& detail) {
    const QString port = QStringLiteral("%1 (%2)").arg(portName, path);
    switch (failure) {
        case PortFailure::Missing:
            return port + " does not exist";
        case PortFailure::Busy:
            return port + " is in use by another program";
        case PortFailure::Permission:
            return port +
                   " cannot be opened: permission denied (is the user in the group dialout?)";
        case PortFailure::Other:
            break;
    }
    return port + " cannot be opened" + (detail.isEmpty() ? QString() : ": " + detail);
}

void SerialDevice::Open() {
    if (port_.isOpen()) port_.close();
    port_.setPortName(path_);
    port_.setBaudRate(baud_);
    port_.setDataBits(dataBits_);
    port_.setStopBits(stopBits_);
    port_.setParity(parity_);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    ignoreErrors_ = true;  // open failures are thrown, not reported as line errors
    bool ok = port_.open(QIODevice::ReadWrite);
    ignoreErrors_ = false;
    if (!ok) {
        const QString why = port_.errorString();
        const QSerialPort::SerialPortError error = port_.error();
        port_.clearError();
        PortFailure failure = PortFailure::Other;
        if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(path_))
            failure = PortFailure::Missing;
        else if (::access(QFile::encodeName(path_).constData(), R_OK | W_OK) != 0)
            failure = PortFailure::Permission;
        else if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError)
            failure = PortFailure::Busy;  // locked or held exclusively by another opener
        throw SerialPortError(QStringLiteral("Cannot open %1: %2").arg(path_, why).toStdString(),
                              failure, why);
    }
    // A fresh open may leave RTS asserted; the bus must be idle until we transmit.
    rts_ = true;
    SetRts(false);
    emit opened();
}

void SerialDevice::Close() {
    if (!port_.isOpen()) return;
    ignoreErrors_ = true;
    port_.close();
    port_.clearError();
    ignoreErrors_ = false;
    rts_ = false;
}

bool SerialDevice::IsOpen() const {
    return port_.isOpen();
}

void SerialDevice::SetRts(bool active) {
    if (rts_ != active) {
        rts_ = active;
        emit rtsChanged(active);
    }
    if (!port_.isOpen() || rtsUnsupported_) return;
    ignoreErrors_ = true;
    bool ok = port_.setRequestToSend(active);
    ignoreErrors_ = false;
    if (!ok) {
        rtsUnsupported_ = true;
        qWarning().noquote() << QStringLiteral(
                                    "RTS cannot be driven on %1 (%2); sending without it")
                                    .arg(path_, port_.errorString());
        port_.clearError();
    }
}

bool SerialDevice::Write(const QByteArray& bytes) {
    if (!port_.isOpen()) return false;
    if (port_.write(bytes) != bytes.size()) return false;
    // flush() writes what the driver takes without blocking; wait only if it took less.
    port_.flush();
    QDeadlineTimer deadline(kWriteTimeoutMs);
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(int(deadline.remainingTime()))) break;
    }
    if (port_.bytesToWrite() > 0) return false;
    ::tcdrain(int(port_.handle()));
    return true;
}

bool SerialDevice::Transmit(const QByteArray& bytes) {
    SetRts(true);
    bool ok = Write(bytes);
    SetRts(false);
    return ok;
}

qint64 SerialDevice::BytesAvailable() const {
    return port_.bytesAvailable();
}

QByteArray SerialDevice::ReadAll() {
    return port_.readAll();
}

void SerialDevice::HandleError(QSerialPort::SerialPortError error) {
    if (ignoreErrors_ || error == QSerialPort::NoError) return;
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::ResourceError:
        case QSerialPort::UnknownError:
            emit lineError();
            break;
        default:
            break;
    }
    port_.clearError();
}

}  // namespace horalog
