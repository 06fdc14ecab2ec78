#pragma once
// A real pseudo-terminal for tests that play the device on the far end of a serial link: the
// test holds the master side, the code under test opens slavePath() like any serial device.

#include <QByteArray>
#include <QString>
#include <functional>

namespace horalog::testing {

class PseudoTerminal {
public:
    // Opens a master and keeps one raw-mode slave descriptor open, so bytes pass unchanged and
    // the master never sees a hang-up between the code's opens and closes.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return master_ >= 0 && slave_ >= 0; }
    QString slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void write(const QByteArray& bytes);
    // Bytes already waiting on the master, without waiting or running events.
    QByteArray readNow();
    // Runs Qt events until bytes arrive, then until 20 ms pass without more; empty when nothing
    // arrived within timeoutMs.
    QByteArray readAvailable(int timeoutMs = 1000);
    // Runs Qt events until count bytes arrived or timeoutMs passed.
    QByteArray readCount(int count, int timeoutMs = 1000);

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

// Runs Qt events (and timers) until done() holds or timeoutMs pass; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 2000);
// Runs Qt events for ms milliseconds.
void RunEventsFor(int ms);

}  // namespace horalog::testing
