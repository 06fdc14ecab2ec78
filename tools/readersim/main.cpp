// horalog-readersim: plays a card reader on a pseudo-terminal (or a real serial device) for
// people without hardware and for tests. Commands come line by line from a script file and
// standard input; every command the PC sends is printed decoded on one line.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <deque>

#include "offline/offline_codec.h"
#include "pc_frames.h"
#include "reader/frames.h"
#include "stand_alone_reader.h"

using namespace horalog;
using namespace horalog::readersim;

namespace {

const char* const kHelp = R"(Usage: horalog-readersim [--device PATH] [--script FILE] [--quiet]
                         [--log-records N] [--log-file FILE]

Plays a card reader. Without --device it creates a pseudo-terminal and prints
"pty <path>" first; give that path to the program as the port's device
(setting PortDevice1 to PortDevice8). With --device it opens that serial device
(19200 baud, 8N1, raw) and prints "device <path>".

Commands are read from the script file first, then from standard input, one per
line; the end of standard input quits. Blank lines and lines starting with # are
skipped.

  card N                          card read of card number N (0 to 16777215)
  stamped N MODE STORE TIME       stamped card read: MODE in, out, clock or 0..127;
                                  STORE stored or live; TIME 2004-06-26T18:24:06 or now
  bypass press | bypass release   bypass switch report
  powerup                         power-up report (the PC answers with the clock)
  time                            ask the PC for the time
  answer C                        answer frame with the character C
  send HEX...                     raw bytes, e.g. send F5 02 47 B9 FA
  refuse on | refuse off          answer tilde commands with "B" instead of "G"
  sleep MS                        wait, still answering the PC
  quit                            end

The reader also works stand-alone and answers every offline command:
  log generate N [START] [STEP]   add N records from START (2004-06-26T08:00:00),
                                  one every STEP seconds (60)
  log add TIME CARD [MODE]        add one record (MODE in, out or clock)
  log invalid CARD [MODE]         add a record whose stamp is no date
  log load FILE                   add the records of FILE, one "log add" or
                                  "invalid CARD" line each
  log clear                       empty the log
  capacity N                      the capacity word answered (65535)
  line1 TEXT | line2 TEXT         display lines
  pin N | masterpin N             PIN and master PIN
  options HEX | mode HEX          option byte and mode byte
  clock good | clock bad          answer clock reads with fields that are no date
  model 0|1|2|none                answer to "~@" (0 is the PX900)
  state                           print the reader's state on one line
  quiet on|off                    stop printing what the PC sends
  verbose on|off                  add what the reader did to each offline line

Faults for tests and demos:
  drop N                          no answer to every Nth command (0: off)
  corrupt N                       wrong checksum in every Nth answer (0: off)
  capacity-flaky on|off           every second capacity answer has one record more
  refuse-add on|off               answer "B" to every card of the access table
  silent-after N                  answer N more commands, then none (0: answer again)

Each command received from the PC is printed on one line: "~y", "~N", "~Y3",
"~A", "~@", "~CC", "~A card 1234567", "clock 2004-06-26 18:24:06 Sat",
"packet 00 03 00" (packet data in hex), "raw ..." (a 264-byte page in hex).
Tilde commands are answered with "G" ("0", the PX900 model, for "~@") unless
refusing; offline packets as a stand-alone reader would.
)";

void Out(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Err(const QString& line) {
    std::fputs(("readersim: " + line + "\n").toUtf8().constData(), stderr);
    std::fflush(stderr);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
    }
    return true;
}

void MakeRaw(int fd, bool setSpeed) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    if (setSpeed) ::cfsetspeed(&t, B19200);
    ::tcsetattr(fd, TCSANOW, &t);
}

struct Sim {
    int device = -1;
    PcFrameParser parser;
    std::deque<QString> commands;
    QByteArray stdinBuffer;
    bool stdinOpen = true;
    bool quit = false;
    qint64 sleepUntil = -1;
    QElapsedTimer clock;
    bool quiet = false;

    StandAloneReader& reader() { return parser.reader(); }

    // "on" / "off" into flag; false when the word is neither.
    static bool OnOff(const QStringList& w, bool& flag) {
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return false;
        flag = w[1] == "on";
        return true;
    }

    bool Number(const QString& word, int base, int max, int& out) {
        bool ok = false;
        int v = word.toInt(&ok, base);
        if (!ok || v < 0 || v > max) return false;
        out = v;
        return true;
    }

    // The stand-alone reader's commands; false when the line is none of them.
    bool ExecuteOffline(const QString& line, const QStringList& w, const QString& cmd) {
        auto usage = [&] { Err(QStringLiteral("bad command: %1 (see --help)").arg(line)); };
        StandAloneReader& r = reader();
        int n = 0;
        bool flag = false;
        QString error;
        if (cmd == "log" && w.size() >= 2) {
            const QString sub = w[1].toLower();
            if (sub == "generate" && w.size() >= 3 && w.size() <= 5 &&
                Number(w[2], 10, 10000000, n)) {
                QDateTime start = w.size() >= 4 ? QDateTime::fromString(w[3], Qt::ISODate)
                                                : QDateTime(QDate(2004, 6, 26), QTime(8, 0));
                int step = 60;
                if (!start.isValid() || (w.size() == 5 && !Number(w[4], 10, 86400, step)))
                    usage();
                else
                    r.Generate(n, start, step);
            } else if (sub == "add" && w.size() >= 4) {
                if (!r.AddRecord(w.mid(2).join(' '), error)) Err(error);
            } else if (sub == "invalid" && w.size() >= 3) {
                if (!r.AddRecord("invalid " + w.mid(2).join(' '), error)) Err(error);
            } else if (sub == "load" && w.size() == 3) {
                if (!r.Load(w[2], error)) Err(error);
            } else if (sub == "clear" && w.size() == 2) {
                r.log.clear();
            } else {
                usage();
            }
        } else if (cmd == "capacity" && w.size() == 2 && Number(w[1], 10, 0xFFFF, n)) {
            r.capacity = quint16(n);
        } else if ((cmd == "line1" || cmd == "line2") && w.size() >= 1) {
            // The text as typed, blanks included, after "lineN ".
            QString text = line.trimmed().mid(6);
            (cmd == "line1" ? r.line1 : r.line2) = DisplayLineBytes(text);
        } else if ((cmd == "pin" || cmd == "masterpin") && w.size() == 2 &&
                   Number(w[1], 10, 0xFFFF, n)) {
            (cmd == "pin" ? r.pin : r.masterPin) = quint16(n);
        } else if (cmd == "options" && w.size() == 2 && Number(w[1], 16, 0xFF, n)) {
            r.options = quint8(n);
        } else if (cmd == "mode" && w.size() == 2 && Number(w[1], 16, 0xFF, n)) {
            r.modeByte = quint8(n);
        } else if (cmd == "clock" && w.size() == 2 && (w[1] == "good" || w[1] == "bad")) {
            r.badClock = w[1] == "bad";
        } else if (cmd == "model" && w.size() == 2 &&
                   (w[1] == "0" || w[1] == "1" || w[1] == "2" || w[1] == "none")) {
            r.model = w[1] == "none" ? char(0) : w[1][0].toLatin1();
        } else if (cmd == "state" && w.size() == 1) {
            Out(r.Describe());
        } else if (cmd == "quiet" && OnOff(w, flag)) {
            quiet = flag;
        } else if (cmd == "verbose" && OnOff(w, flag)) {
            parser.SetVerbose(flag);
        } else if (cmd == "drop" && w.size() == 2 && Number(w[1], 10, 1000000, n)) {
            parser.SetDropEvery(n);
        } else if (cmd == "silent-after" && w.size() == 2 && Number(w[1], 10, 10000000, n)) {
            parser.SetSilentAfter(n);
        } else if (cmd == "corrupt" && w.size() == 2 && Number(w[1], 10, 1000000, n)) {
            parser.SetCorruptEvery(n);
        } else if (cmd == "capacity-flaky" && OnOff(w, flag)) {
            r.capacityFlaky = flag;
            r.capacityCalls = 0;
        } else if (cmd == "refuse-add" && OnOff(w, flag)) {
            r.refuseAdd = flag;
        } else {
            return false;
        }
        return true;
    }

    qint64 Now() const { return clock.elapsed(); }

    void Send(const QByteArray& frame) {
        if (!WriteAll(device, frame)) Err(QStringLiteral("write failed"));
    }

    bool ParseCard(const QString& word, quint32& card) {
        bool ok = false;
        qlonglong v = word.toLongLong(&ok);
        if (!ok || v < 0 || v > 0xFFFFFF) {
            Err(QStringLiteral("card number out of range: %1").arg(word));
            return false;
        }
        card = quint32(v);
        return true;
    }

    void Execute(const QString& line) {
        QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith('#')) return;
        const QString cmd = w[0].toLower();
        auto usage = [&] { Err(QStringLiteral("bad command: %1 (see --help)").arg(line)); };
        if (cmd == "card" && w.size() == 2) {
            quint32 card;
            if (ParseCard(w[1], card)) Send(CardFrame(card));
        } else if (cmd == "stamped" && w.size() == 5) {
            quint32 card;
            if (!ParseCard(w[1], card)) return;
            QString m = w[2].toLower();
            bool ok = true;
            int mode = m == "clock" ? 0 : m == "in" ? 1 : m == "out" ? 2 : m.toInt(&ok);
            if (!ok || mode < 0 || mode > 127) return usage();
            QString s = w[3].toLower();
            if (s != "stored" && s != "live") return usage();
            QDateTime t = w[4].toLower() == "now" ? QDateTime::currentDateTime()
                                                  : QDateTime::fromString(w[4], Qt::ISODate);
            if (!t.isValid()) return usage();
            qint32 stamp = EncodeStamp(t.date().year(), t.date().month(), t.date().day(),
                                       t.time().hour(), t.time().minute(), t.time().second());
            Send(StampedCardFrame(s == "stored", mode, stamp, card));
        } else if (cmd == "bypass" && w.size() == 2 && (w[1] == "press" || w[1] == "release")) {
            Send(AnswerFrame(w[1] == "press" ? 'P' : 'p'));
        } else if (cmd == "powerup" && w.size() == 1) {
            Send(AnswerFrame('R'));
        } else if (cmd == "time" && w.size() == 1) {
            Send(AnswerFrame('C'));
        } else if (cmd == "answer" && w.size() == 2 && w[1].size() == 1) {
            Send(AnswerFrame(w[1][0].toLatin1()));
        } else if (cmd == "send" && w.size() >= 2) {
            QByteArray bytes = QByteArray::fromHex(w.mid(1).join("").toLatin1());
            if (bytes.isEmpty()) return usage();
            Send(bytes);
        } else if (cmd == "refuse" && w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
            parser.SetRefuse(w[1] == "on");
        } else if (cmd == "sleep" && w.size() == 2) {
            bool ok = false;
            int ms = w[1].toInt(&ok);
            if (!ok || ms < 0) return usage();
            sleepUntil = Now() + ms;
        } else if (cmd == "quit" || cmd == "exit") {
            quit = true;
        } else if (cmd == "help") {
            std::fputs(kHelp, stderr);
        } else if (!ExecuteOffline(line, w, cmd)) {
            usage();
        }
    }

    void ReadDevice() {
        char buf[512];
        for (;;) {
            ssize_t n = ::read(device, buf, sizeof buf);
            if (n <= 0) return;
            for (ssize_t i = 0; i < n; ++i) {
                auto command = parser.Feed(quint8(buf[i]), Now());
                if (!command) continue;
                // Answer first: printing 100,000 lines must not slow the reader down.
                if (!command->answer.isEmpty()) Send(command->answer);
                if (!quiet) Out(command->text);
            }
        }
    }

    void ReadStdin() {
        char buf[1024];
        ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) stdinOpen = false;
            if (!stdinBuffer.isEmpty()) commands.push_back(QString::fromUtf8(stdinBuffer));
            stdinBuffer.clear();
            return;
        }
        stdinBuffer.append(buf, n);
        qsizetype nl;
        while ((nl = stdinBuffer.indexOf('\n')) >= 0) {
            commands.push_back(QString::fromUtf8(stdinBuffer.left(nl)).trimmed());
            stdinBuffer.remove(0, nl + 1);
        }
    }

    int Run() {
        clock.start();
        while (!quit) {
            if (sleepUntil >= 0 && Now() >= sleepUntil) sleepUntil = -1;
            while (sleepUntil < 0 && !commands.empty() && !quit) {
                QString line = commands.front();
                commands.pop_front();
                Execute(line);
            }
            if (quit) break;
            if (!stdinOpen && commands.empty() && sleepUntil < 0) break;

            qint64 timeout = -1;
            auto consider = [&](qint64 deadline) {
                if (deadline < 0) return;
                qint64 left = std::max<qint64>(0, deadline - Now());
                if (timeout < 0 || left < timeout) timeout = left;
            };
            consider(sleepUntil);
            consider(parser.GapDeadline() >= 0 ? parser.GapDeadline() + 1 : -1);

            pollfd fds[2] = {{device, POLLIN, 0}, {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
            int r = ::poll(fds, 2, int(timeout));
            if (r < 0 && errno != EINTR) return 1;
            parser.Expire(Now());
            if (fds[0].revents & POLLIN) ReadDevice();
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) ReadStdin();
        }
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QString devicePath, scriptPath, logFile;
    int logRecords = 0;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        QString a = QString::fromLocal8Bit(argv[i]);
        if ((a == "--device" || a == "--script" || a == "--log-file") && i + 1 < argc) {
            (a == "--device"   ? devicePath
             : a == "--script" ? scriptPath
                               : logFile) = QString::fromLocal8Bit(argv[++i]);
        } else if (a == "--log-records" && i + 1 < argc) {
            logRecords = QString::fromLocal8Bit(argv[++i]).toInt();
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else {
            std::fputs(kHelp, stderr);
            return 2;
        }
    }

    Sim sim;
    sim.quiet = quiet;
    if (logRecords > 0)
        sim.reader().Generate(logRecords, QDateTime(QDate(2004, 6, 26), QTime(8, 0)), 60);
    if (!logFile.isEmpty()) {
        QString error;
        if (!sim.reader().Load(logFile, error)) {
            Err(error);
            return 1;
        }
    }
    if (!scriptPath.isEmpty()) {
        QFile script(scriptPath);
        if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
            Err(QStringLiteral("cannot read %1").arg(scriptPath));
            return 1;
        }
        for (const QByteArray& line : script.readAll().split('\n'))
            sim.commands.push_back(QString::fromUtf8(line).trimmed());
    }

    int slave = -1;
    if (devicePath.isEmpty()) {
        sim.device = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (sim.device < 0 || ::grantpt(sim.device) != 0 || ::unlockpt(sim.device) != 0) {
            Err(QStringLiteral("cannot create a pseudo-terminal"));
            return 1;
        }
        devicePath = QString::fromLocal8Bit(::ptsname(sim.device));
        // Hold the slave open in raw mode: bytes pass unchanged, and the master sees no
        // hang-up while the program closes and reopens its port.
        slave = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave >= 0) MakeRaw(slave, false);
        Out(QStringLiteral("pty %1").arg(devicePath));
    } else {
        sim.device = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (sim.device < 0) {
            Err(QStringLiteral("cannot open %1: %2").arg(devicePath, strerror(errno)));
            return 1;
        }
        MakeRaw(sim.device, true);
        Out(QStringLiteral("device %1").arg(devicePath));
    }

    int rc = sim.Run();
    if (slave >= 0) ::close(slave);
    ::close(sim.device);
    return rc;
}
