#include "storage/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QtDebug>

#include "common/paths.h"
#include "common/ports.h"
#include "storage/audit.h"
#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
#include "storage/schema_upgrade.h"
#include "storage/settings.h"
#include "storage/stations.h"

namespace horalog {

void CreateTemplate(const QString& path, const QString& which, const QString& password) {
    QString tmp = path + ".part";
    QFile::remove(tmp);
    {
        auto c = OpenDatabase(tmp, password, OpenMode::ReadWrite, true);
        // A template is one self-contained file: no write-ahead log beside it.
        c->execute("PRAGMA journal_mode=DELETE");
        Transaction t(*c);
        c->execute(SchemaSection(which));
        UpgradeSchema(*c, which);
        t.commit();
    }
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) throw DbError("cannot create " + path);
}

void EnsureDataFolder(const QString& folder) {
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        throw DbError("Cannot create directory: " + folder);
    struct File {
        const char* live;
        const char* blank;
        const char* which;
        const char* password;
    };
    const File files[] = {{kLogDbFile, kLogTemplateFile, "attend", kLogDbPassword},
                          {kSysDbFile, kSysTemplateFile, "sysdat", kSysDbPassword}};
    for (const File& f : files) {
        QString blank = dir.filePath(f.blank);
        QString live = dir.filePath(f.live);
        if (!QFileInfo::exists(blank)) CreateTemplate(blank, f.which, f.password);
        if (!QFileInfo::exists(live)) {
            QString tmp = live + ".part";
            QFile::remove(tmp);
            if (!QFile::copy(blank, tmp) || !QFile::rename(tmp, live))
                throw DbError("cannot create " + live);
        }
    }
    dir.mkpath("photos");
}

Tdsrc::Tdsrc(QString folder, std::optional<QString> databaseUrl)
    : folder_(std::move(folder)),
      chosenUrl_(std::move(databaseUrl)),
      journal_(QDir(folder_).filePath(kJournalFile)) {
    // Commits do not wait for the disk; once a second they are brought there.
    flushTimer_.setInterval(1000);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] {
        try {
            if (att_) att_->flush();
            if (src_) src_->flush();
        } catch (const DbError&) {
            // the next second tries again
        }
    });
}
Tdsrc::~Tdsrc() {
    stopBackgroundCheck();
}

QString Tdsrc::logDbPath() const {
    return QDir(folder_).filePath(kLogDbFile);
}
QString Tdsrc::sysDbPath() const {
    return QDir(folder_).filePath(kSysDbFile);
}

void Tdsrc::OpenStore() {
    const QString url = chosenUrl_.value_or(ChosenDatabaseUrl());
    if (!url.isEmpty()) {
        openServer(url);
        return;
    }
    serverUrl_.clear();
    try {
        att_ = OpenDatabase(logDbPath(), kLogDbPassword, OpenMode::ReadWrite);
        att_->prepare("SELECT count(*) FROM recorder").exec();
    } catch (const DbError& e) {
        att_.reset();
        // A file too damaged to open is told as damage, so that the operator repairs or
        // restores it.
        if (e.text().contains("malformed"))
            throw StoreError(QString(kLogDbDamaged).arg(e.text()).toStdString());
        throw StoreError(kCannotOpenLogDb);
    }
    try {
        setDurableCommits(ReadSettingBool("DurableCommits", true));
    } catch (const DbError&) {
        att_.reset();
        throw StoreError(kCannotOpenLogDb);
    }
    checkLog();
    try {
        UpgradeSchema(*att_, "attend");
    } catch (const DbError&) {
        att_.reset();
        throw StoreError(kCannotOpenLogDb);
    }
    try {
        src_ = OpenDatabase(sysDbPath(), kSysDbPassword, OpenMode::ReadWrite);
        for (const char* table : {"apb", "emails", "staffs", "gid", "iotime"})
            src_->prepare(QString("SELECT 1 FROM %1 LIMIT 1").arg(table)).exec();
        UpgradeSchema(*src_, "sysdat");
        try {
            // A trail set aside by a restore or format that could not carry it finishes here.
            CarryAuditInto(*src_, sysDbPath() + ".audit");
        } catch (const DbError&) {
        }
    } catch (const DbError&) {
        src_.reset();
        att_.reset();
        throw StoreError(kCannotOpenSysDb);
    }
    // Only an event loop runs the timer; without one (a command-line run) every commit is
    // left to the engine.
    if (QCoreApplication::instance() && QThread::currentThread() == qApp->thread())
        flushTimer_.start();
    mergeJournal();
}

void Tdsrc::openServer(const QString& url) {
    serverUrl_ = UrlWithoutPassword(url);
    try {
        att_ = OpenServerDatabase(url, OpenMode::ReadWrite);
        UpgradeServerSchema(*att_);
        setDurableCommits(ReadSettingBool("DurableCommits", true));
        src_ = OpenServerDatabase(url, OpenMode::ReadWrite);
        // Read once per open: the reader rows and log rows of this PC carry it.
        const QString station = StationName();
        att_->setStation(station);
        src_->setStation(station);
        EnsureStationReaders(*src_);
    } catch (const DbError& e) {
        src_.reset();
        att_.reset();
        throw StoreError(QString(kCannotOpenServerDb).arg(e.text()).toStdString());
    }
    // The server keeps its own pages sound and on disk: no file check, no flush timer.
    mergeJournal();
}

std::optional<QStringList> CheckLogFile(Connection& att, int timeLimitMs) {
    QElapsedTimer clock;
    clock.start();
    std::function<bool()> keepGoing;
    if (timeLimitMs > 0) keepGoing = [&] { return clock.elapsed() < timeLimitMs; };
    return att.quickCheck(20, keepGoing);
}

namespace {
// The quick check reads about 50 MB a second here; a file up to this size takes a fraction of
// a second.
constexpr qint64 kForegroundCheckBytes = 16 * 1024 * 1024;
}  // namespace

void Tdsrc::checkLog() {
    stopBackgroundCheck();
    logDamage_.clear();
    // A log that is checked in well under a second is checked before anything else; a larger
    // one beside the running program on a connection of its own, so that the start is not
    // held up.
    const bool small = QFileInfo(logDbPath()).size() <= kForegroundCheckBytes;
    if (auto damage = small ? CheckLogFile(*att_, 1000) : std::nullopt) {
        if (!damage->isEmpty()) {
            att_.reset();
            throw StoreError(QString(kLogDbDamaged).arg(damage->first()).toStdString());
        }
        return;
    }
    if (!QCoreApplication::instance()) return;
    stopCheck_ = false;
    checker_ = std::thread([this, path = logDbPath()] {
        QString found;
        try {
            auto c = OpenDatabase(path, kLogDbPassword, OpenMode::ReadOnly);
            auto damage = c->quickCheck(20, [this] { return !stopCheck_.load(); });
            if (damage && !damage->isEmpty()) found = damage->first();
        } catch (const DbError& e) {
            found = e.text();
        }
        if (found.isEmpty() || stopCheck_) return;
        QMetaObject::invokeMethod(
            &flushTimer_,
            [this, found] {
                logDamage_ = found;
                for (auto& hook : damageHooks_) hook(QString(kLogDbDamaged).arg(found));
            },
            Qt::QueuedConnection);
    });
}

void Tdsrc::stopBackgroundCheck() {
    stopCheck_ = true;
    if (checker_.joinable()) checker_.join();
}

void Tdsrc::mergeJournal() {
    try {
        if (journal_.count() == 0) return;
        JournalMerge m = journal_.mergeInto(*att_);
        qInfo().noquote()
            << QString("%1: %2 read(s) merged into the log").arg(kJournalFile).arg(m.merged);
    } catch (const DbError& e) {
        qCritical().noquote() << QString("%1: reads not merged: %2").arg(kJournalFile, e.text());
    }
}

void Tdsrc::setDurableCommits(bool on) {
    att().setDurable(on);
}

void Tdsrc::CloseStore() {
    for (auto& hook : closeHooks_) hook();
    stopBackgroundCheck();
    flushTimer_.stop();
    journal_.close();
    att_.reset();
    src_.reset();
}

void Tdsrc::ReopenStore() {
    OpenStore();
    for (auto& hook : reopenHooks_) hook();
}

Connection& Tdsrc::att() {
    if (!att_) throw DbError("the log database is closed");
    return *att_;
}

Connection& Tdsrc::src() {
    if (!src_) throw DbError("the system database is closed");
    return *src_;
}

bool ReaderTableOk(Connection& src) {
    try {
        auto q = src.prepare(
            "SELECT count(*) AS N, count(DISTINCT PORTNO) AS D, min(PORTNO) AS LO, "
            "max(PORTNO) AS HI FROM reader WHERE STATION = ?");
        q.bindAll(src.station());
        if (!q.next()) return false;
        return q.integer("N") == 8 && q.integer("D") == 8 && q.integer("LO") == 1 &&
               q.integer("HI") == 8;
    } catch (const DbError&) {
        return false;
    }
}

bool TestDatabaseFile(const QString& path, const QString& password, Messages* messages) {
    try {
        OpenDatabase(path, password, OpenMode::ReadOnly);
        return true;
    } catch (const DbError&) {
        if (messages) messages->error(kInvalidDatabase);
        return false;
    }
}

bool CheckDatabases(const QString& folder, QString& report) {
    bool ok = true;
    QDir dir(folder);
    auto line = [&](const QString& text) { report += text + "\n"; };
    try {
        auto att = OpenDatabase(dir.filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly);
        const QStringList damage = CheckLogFile(*att).value_or(QStringList());
        if (damage.isEmpty()) {
            auto q = att->prepare("SELECT count(*) FROM recorder");
            q.next();
            line(QString("%1: ok, %2 log records").arg(kLogDbFile).arg(q.value(0).toLongLong()));
        } else {
            ok = false;
            line(QString("%1: damaged: %2").arg(kLogDbFile, damage.join("; ")));
        }
    } catch (const DbError& e) {
        ok = false;
        line(QString("%1: cannot open: %2").arg(kLogDbFile, e.text()));
    }
    try {
        auto src = OpenDatabase(dir.filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
        if (ReaderTableOk(*src)) {
            line(QString("%1: ok, reader table has 8 rows").arg(kSysDbFile));
        } else {
            ok = false;
            line(QString("%1: %2").arg(kSysDbFile, kReaderTableError));
        }
    } catch (const DbError& e) {
        ok = false;
        line(QString("%1: cannot open: %2").arg(kSysDbFile, e.text()));
    }
    return ok;
}

}  // namespace horalog
