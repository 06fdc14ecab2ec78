#include "capture/card_capture.h"

#include <QFile>
#include <QtDebug>

#include "capture/mail_record.h"
#include "capture/passback.h"
#include "capture/speech.h"
#include "people/door_rights.h"
#include "reader/reader_ports.h"
#include "storage/audit.h"
#include "storage/server_outage.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

namespace {
// A holder column that cannot exist: the lookup fails like a missing column would.
class MissingColumn : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool columnOf(const HolderRecord& h, int port) {
    if (port < 1 || port > 8) throw MissingColumn(QString("COM%1").arg(port).toStdString());
    return h.com[port - 1];
}
}  // namespace

QString JournalAlarmText(qint64 waiting, const QString& reason) {
    return QString(
               "The log cannot be written (%1): %2 read(s) kept in %3 until attend.mdb is "
               "repaired or restored.")
        .arg(reason)
        .arg(waiting)
        .arg(kJournalFile);
}

QString StoreAlarmText(const ServerOutage* outage, qint64 waiting, const QString& reason) {
    if (outage && outage->down()) return OutageText(outage->since(), waiting);
    return JournalAlarmText(waiting, reason);
}

CardCapture::CardCapture(Tdsrc& store, ReaderLinks& links, Clock clock, QObject* parent)
    : QObject(parent), store_(store), links_(links), clock_(std::move(clock)) {
    outage();
    repeat_.setSingleShot(false);
    connect(&repeat_, &QTimer::timeout, this, [this] { LogBypass(lastBypassPort_); });
}

CardCapture::~CardCapture() = default;

ServerOutage* CardCapture::outage() {
    // The store may have been opened again on the other engine since.
    if (store_.serverUrl().isEmpty() || !store_.isOpen()) {
        outage_.reset();
        return nullptr;
    }
    if (!outage_) {
        outage_ = std::make_unique<ServerOutage>(store_, [this] {
            if (feedback.serverOutage) feedback.serverOutage(*outage_);
        });
        outage_->refreshCopy(true);
    }
    return outage_.get();
}

PortHooks CardCapture::hooks() {
    PortHooks h;
    h.onCardCode = [this](bool offline, int port, int code, DateTime stamp, int cmode) {
        HandleCardRead(offline, port, code, stamp, cmode);
    };
    h.onBypass = [this](int port, int state) { HandleBypass(port, state); };
    h.onPowerup = [this](int port) { HandlePowerup(port); };
    h.portProblem = [this](int port, const QString& problem) {
        if (feedback.portProblem) feedback.portProblem(port, problem);
    };
    return h;
}

ReaderNames CardCapture::readerNames() const {
    ReaderNames names;
    for (int port = 1; port <= 8; ++port) names[port - 1] = links_[port].Desc;
    return names;
}

void CardCapture::beep() {
    if (feedback.beep) feedback.beep();
}

void CardCapture::HandleCardRead(bool offline, int port, int code, DateTime stamp, int cmode) {
    TRfidReader* R = links_.link(port);
    if (!R) return;

    // Mode decision.
    bool clockRead = false;
    int mode;
    if (cmode == -1) {
        if (R->Mode == 0) {
            clockRead = true;
            mode = ReadSettingBool("AutoInOut", false) ? (autoIO_.state() ? 1 : 2) : 0;
        } else {
            mode = R->Mode;
        }
    } else {
        mode = cmode;
    }

    if (!offline && answerRepeat(*R, port, code, stamp)) return;

    LogRecord row{0, stamp, code, mode, port, 0};
    bool logged = false;
    Answer answer = Answer::None;
    QString journalId;
    QString name;
    QString group;
    bool known = false;
    bool outside = false;
    const int lockPort = R->Lock;
    try {
        commitRow(row, journalId);  // committed before any reader is answered
        logged = true;
        if (offline) {
            R->AckStoredRead();
            if (feedback.recordLogged) feedback.recordLogged(row);
            return;
        }
        beep();
        name = QString::number(code);
        // While the server is gone the doors decide from the local copy; a server that goes
        // away between the row and the decision hands it to the copy too.
        ServerOutage* outage = this->outage();
        std::optional<HolderRecord> holder;
        std::optional<ScheduleAnswer> schedule;
        for (bool again = true;; again = false) {
            Connection& rights = outage ? outage->decisions() : store_.src();
            try {
                holder = StaffTable(rights).byCard(code);
                if (holder) group = GroupName(rights, holder->workgrp);
                if (holder && columnOf(*holder, port) && holder->accessgrp != kAlwaysProfile) {
                    // In memory: the book reads the tables again only after they changed.
                    schedules_.refresh(rights);
                    schedule = schedules_.decide(holder->accessgrp, clock_());
                }
                break;
            } catch (const DbError& e) {
                if (!again || !outage || outage->down() || !outage->noteFailure(e.text())) throw;
            }
        }
        if (!holder) {
            R->SignalReject();
            answer = Answer::Reject;
        } else {
            name = holder->name;
            known = true;
            bool allowed = columnOf(*holder, port);
            if (allowed && schedule) {
                outside = !Admits(*schedule);
                allowed = !outside;
            }
            if (R->Mode == 0) {
                R->SignalAccept();
                answer = Answer::Accept;
            }
            if (allowed) allowed = lockPort > 0;
            if (allowed) allowed = columnOf(*holder, lockPort);
            if (!clockRead) {
                TRfidReader* lockLink = links_.link(lockPort);
                if (allowed && lockLink && lockLink->Apb) {
                    try {
                        const bool onServer = outage && !outage->down();
                        try {
                            allowed = TakePassage(outage ? outage->decisions() : store_.src(), code,
                                                  mode);
                        } catch (const DbError& e) {
                            if (!onServer || !outage->noteFailure(e.text())) throw;
                            allowed = TakePassage(outage->decisions(), code, mode);
                        }
                        if (allowed && outage) outage->notePassage(code, mode);
                    } catch (const DbError&) {
                        // the verdict reached so far stands
                    }
                }
                if (allowed) {
                    try {
                        try {
                            commitLock(row, journalId, lockPort);
                        } catch (const DbError& e) {
                            // The server went away after it took the row: its LOCK follows
                            // when the server is back.
                            if (!journalId.isEmpty() || !outage || !outage->noteFailure(e.text()))
                                throw;
                            outage->keepLock(row, lockPort);
                            row.lock = lockPort;
                        }
                        ReleaseForCard(port);
                        answer = Answer::Released;
                    } catch (const DbError&) {
                        // LOCK stays 0 and the lock stays shut
                    }
                } else if (R->Mode > 0) {
                    R->SignalReject();
                    answer = Answer::Reject;
                }
            }
        }
    } catch (const std::exception& e) {
        qCritical().noquote() << "card read on COM" << port << ":" << e.what();
    }
    if (logged && feedback.recordLogged) feedback.recordLogged(row);
    if (logged && outside && feedback.outsideSchedule) feedback.outsideSchedule(code, port);
    if (logged && !offline) lastReads_[{port, code}] = {stamp, answer};

    // Mail record: a failure never stops the link or undoes the row.
    try {
        if (ReadSettingBool("EmailEnabled", false) &&
            (!ReadSettingBool("EmailStaffOnly", true) || known)) {
            if (!stations_) stations_ = StationReaderNames::Load(store_.src());
            QueueMail(store_.src(),
                      BuildMailRecord(name, code, group, stamp, mode, port, lockPort,
                                      stations_->placed(store_.src().station(), readerNames())));
        }
    } catch (const std::exception& e) {
        qWarning().noquote() << "mail record:" << e.what();
    }

    // Feedback.
    if (feedback.showRecordCount) feedback.showRecordCount();
    QImage photo = ShowHolderPhoto(code);
    if (feedback.showHolderPhoto) feedback.showHolderPhoto(photo);
    EvaluateAutoIO(clock_());
    QImage capture = ShowCapture(code, stamp);
    if (feedback.showCapture) feedback.showCapture(capture);
    if (speech_ && ReadSettingBool("SpeechEnable", false)) {
        try {
            SpeakGreeting(*speech_, known, stamp, name);
        } catch (const std::exception& e) {
            qWarning().noquote() << "speech:" << e.what();
        }
    }
}

bool CardCapture::answerRepeat(TRfidReader& R, int port, int code, DateTime stamp) {
    const int window = ReadSettingInt(kRepeatReadSetting, 0);
    if (window <= 0) return false;
    const auto last = lastReads_.find({port, code});
    if (last == lastReads_.end()) return false;
    const qint64 since = SecondsBetween(last->second.stamp, stamp);
    if (since < 0 || since >= window) return false;
    // The same decision, without a second release: the door is still open from the first.
    switch (last->second.answer) {
        case Answer::Reject:
            R.SignalReject();
            break;
        case Answer::Accept:
        case Answer::Released:
            R.SignalAccept();
            break;
        case Answer::None:
            break;
    }
    if (stamp.dayNumber() != repeatsDay_) {
        repeatsDay_ = stamp.dayNumber();
        repeatsToday_ = 0;
    }
    ++repeatsToday_;
    if (feedback.repeatIgnored) feedback.repeatIgnored(repeatsToday_);
    return true;
}

void CardCapture::ReleaseForCard(int port) {
    TRfidReader* R = links_.link(port);
    if (!R) return;
    TRfidReader* L = links_.link(R->Lock);
    if (!L) return;
    if (L->Enable && R->Lock != port) R->SignalAccept();
    L->ReleaseLock();
}

void CardCapture::HandleBypass(int port, int state) {
    if (state != 0) {
        repeat_.stop();
        return;
    }
    TRfidReader* R = links_.link(port);
    if (!R) return;
    TRfidReader* B = links_.link(R->Bypass);
    if (B && B->Enable) {
        if (R->Bypass != port) R->SignalAccept();
        B->ReleaseLock();
    }
    LogBypass(port);
}

void CardCapture::LogBypass(int port) {
    TRfidReader* R = links_.link(port);
    if (!R) {
        repeat_.stop();
        return;
    }
    lastBypassPort_ = port;
    DateTime t = clock_();
    if (R->Motion >= 0) {
        try {
            LogRecord row{0, t, -1, R->Mode, port, 0};
            QString journalId;
            commitRow(row, journalId);
            if (feedback.recordLogged) feedback.recordLogged(row);
            if (feedback.showHolderPhoto) feedback.showHolderPhoto(QImage());
            if (feedback.showCapture) feedback.showCapture(ShowCapture(0, t));
        } catch (const DbError& e) {
            qCritical().noquote() << "bypass on COM" << port << ":" << e.text();
        }
    }
    if (R->Motion > 0) {
        repeat_.setInterval(R->Motion * 1000);
        repeat_.start();
    } else {
        repeat_.stop();
    }
}

void CardCapture::commitRow(LogRecord& row, QString& journalId) {
    QString reason = store_.logDamage();
    // A server known to be gone is not waited for.
    ServerOutage* outage = this->outage();
    if (outage && outage->down()) reason = outage->reason();
    std::optional<qint64> takenAfter;
    if (reason.isEmpty()) {
        try {
            LogTable(store_.att()).append(row);
            lastLoggedId_ = row.id;
            // The log takes rows again: the reads kept meanwhile join it.
            if (journalled_) {
                journalled_ = false;
                store_.mergeJournal();
            }
            return;
        } catch (const DbError& e) {
            reason = e.text();
            // A link that broke during the write leaves open whether the server took the row.
            if (outage && outage->noteFailure(reason)) takenAfter = lastLoggedId_;
        }
    }
    // The reader is still answered: the read waits in the journal until the log is mended.
    journalId = store_.journal().append(row, takenAfter);
    journalled_ = true;
    row.id = 0;
    const qint64 waiting = store_.journal().count();
    // An outage of the server is told when it begins and ends, not at every read.
    if (!outage || !outage->down())
        qCritical().noquote() << QString(
                                     "log write failed (%1): read of card %2 on COM%3 kept in %4, "
                                     "%5 read(s) waiting")
                                     .arg(reason)
                                     .arg(row.cardno)
                                     .arg(row.reader)
                                     .arg(kJournalFile)
                                     .arg(waiting);
    if (feedback.journalled) feedback.journalled(waiting, reason);
}

void CardCapture::commitLock(LogRecord& row, const QString& journalId, int lock) {
    if (journalId.isEmpty())
        LogTable(store_.att()).setLock(row.id, lock);
    else
        store_.journal().setLock(journalId, lock);
    row.lock = lock;
}

void CardCapture::HandlePowerup(int) {
    repeat_.stop();
}

void CardCapture::DoorOpenClick() {
    // A port outside 1 to 8 can only come from outside the program: it releases nothing.
    const int port = ReadSettingInt("DoorOpenPortNo", 1);
    if (TRfidReader* L = links_.link(port)) {
        L->ReleaseLock();
        try {
            AuditLog(store_.src()).write(audit::kDoorOpened, QString("COM%1").arg(port));
        } catch (const DbError&) {
            // the door is open; the trail row is lost without a message
        }
    }
    beep();
}

QImage CardCapture::ShowHolderPhoto(int card) {
    try {
        if (!store_.isOpen() || LogTable(store_.att()).count() == 0) return {};
        auto holder = StaffTable(store_.src()).byCard(card, true);
        if (!holder || holder->photo.isEmpty()) return {};
        return QImage::fromData(holder->photo, "JPEG");
    } catch (const DbError&) {
        return {};
    }
}

QImage CardCapture::ShowCapture(int card, DateTime t) {
    QString path = PicturePath(card, t);
    if (!QFile::exists(path)) return {};
    return QImage(path, "JPEG");
}

}  // namespace horalog
