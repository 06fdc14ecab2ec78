#include "support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdlib>

namespace horalog::testing {

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) return;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(slavePath_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ >= 0) {
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

void PseudoTerminal::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
    }
}

QByteArray PseudoTerminal::readNow() {
    QByteArray out;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, n);
    }
    return out;
}

QByteArray PseudoTerminal::readAvailable(int timeoutMs) {
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    QDeadlineTimer quiet;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QByteArray got = readNow();
        if (!got.isEmpty()) {
            out.append(got);
            quiet = QDeadlineTimer(20);
        }
        if (!out.isEmpty() && quiet.hasExpired()) return out;
        if (out.isEmpty() && deadline.hasExpired()) return out;
        pollfd p{master_, POLLIN, 0};
        ::poll(&p, 1, 1);
    }
}

QByteArray PseudoTerminal::readCount(int count, int timeoutMs) {
    QByteArray out;
    WaitUntil(
        [&] {
            out.append(readNow());
            return out.size() >= count;
        },
        timeoutMs);
    return out;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

void RunEventsFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

}  // namespace horalog::testing
