#pragma once
// The two database files and their life in the program: creation from the templates on a first
// start, opening with their passwords, closing and reopening around file operations.

#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "storage/database.h"
#include "storage/read_journal.h"

namespace horalog {

class Messages;

inline constexpr const char* kLogDbFile = "attend.mdb";
inline constexpr const char* kSysDbFile = "sysdat.mdb";
inline constexpr const char* kLogTemplateFile = "attend-b.mdb";
inline constexpr const char* kSysTemplateFile = "sysdat-b.mdb";
inline constexpr const char* kLogDbPassword = "mqzr";
inline constexpr const char* kSysDbPassword = "tpwx.kq";

inline constexpr const char* kCannotOpenLogDb = "System Error: Cannot open attend.mdb";
inline constexpr const char* kCannotOpenSysDb = "System Error: Cannot open sysdat.mdb";
// %1 what failed, in plain words first (postgres_driver.h, ServerProblem).
inline constexpr const char* kCannotOpenServerDb =
    "System Error: Cannot open the database server: %1";
inline constexpr const char* kReaderTableError = "Database error. Please re-format the database.";
inline constexpr const char* kInvalidDatabase = "Invalid Database";
// %1 the engine's first line of damage.
inline constexpr const char* kLogDbDamaged =
    "System Error: attend.mdb is damaged (%1). Reads are not captured until it is repaired "
    "(horalog repair) or a backup is restored.";

// A start-up failure of the store; what() is the message to show before the program ends.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates, in a blank template file, the tables of "attend" or "sysdat".
void CreateTemplate(const QString& path, const QString& which, const QString& password);

// First start: creates the data folder, the two templates, both databases from them and the
// photos folder, each only when missing.
void EnsureDataFolder(const QString& folder);

// The data module: owns the connection to the log database (att) and to the system
// database (src) for the whole run. Both are the embedded files of the data folder, or, when a
// database server is chosen, two connections to the one server database.
class Tdsrc {
public:
    // databaseUrl: the server to use; without it OpenStore asks the command line
    // (--database) and then the setting DatabaseUrl (empty: the embedded files).
    explicit Tdsrc(QString folder, std::optional<QString> databaseUrl = std::nullopt);
    ~Tdsrc();

    // Opens both files and checks the log (on a server: connects twice and makes or upgrades
    // its schema; a failure is StoreError with kCannotOpenServerDb): a damaged log is refused
    // (StoreError with kLogDbDamaged); a check that does not fit in a second goes on in the
    // background (see logDamage). Reads waiting in the journal are then merged into the log. Throws
    // StoreError with kCannotOpenLogDb / kCannotOpenSysDb.
    void OpenStore();
    // Runs the close hooks (reader links, displays, live log, web reporter), then closes
    // both connections.
    void CloseStore();
    // Opens again and runs the reopen hooks (reader set-up, record count, live log).
    void ReopenStore();
    bool isOpen() const { return att_ && src_; }

    Connection& att();
    Connection& src();
    // Reads the log could not take.
    ReadJournal& journal() { return journal_; }
    // Moves the journal's reads into the log; a failure is logged and they keep waiting.
    void mergeJournal();
    // What the background check found wrong with the log; empty while it is sound.
    QString logDamage() const { return logDamage_; }
    // Called on the event loop when the background check finds damage.
    void addDamageHook(std::function<void(const QString&)> hook) {
        damageHooks_.push_back(std::move(hook));
    }
    // Whether each commit to the log is on disk before it returns (setting DurableCommits,
    // default on); off, the log is brought to disk once a second.
    void setDurableCommits(bool on);
    const QString& folder() const { return folder_; }
    // The server in use (without password); empty on the embedded files.
    QString serverUrl() const { return serverUrl_; }
    QString logDbPath() const;
    QString sysDbPath() const;

    // Hooks run by CloseStore before the connections close, and by ReopenStore after they
    // are open again, in the order added.
    void addCloseHook(std::function<void()> hook) { closeHooks_.push_back(std::move(hook)); }
    void addReopenHook(std::function<void()> hook) { reopenHooks_.push_back(std::move(hook)); }

private:
    QString folder_;
    std::optional<QString> chosenUrl_;
    QString serverUrl_;
    std::unique_ptr<Connection> att_;
    std::unique_ptr<Connection> src_;
    std::vector<std::function<void()>> closeHooks_;
    std::vector<std::function<void()>> reopenHooks_;
    std::vector<std::function<void(const QString&)>> damageHooks_;
    QTimer flushTimer_;
    ReadJournal journal_;
    QString logDamage_;
    std::thread checker_;
    std::atomic<bool> stopCheck_{false};

    void checkLog();
    void openServer(const QString& url);
    void stopBackgroundCheck();
};

// The log's damage as the engine's quick check reports it: empty when sound, nullopt when it
// did not finish within timeLimitMs (0: no limit).
std::optional<QStringList> CheckLogFile(Connection& att, int timeLimitMs = 0);

// Whether the reader table has exactly the eight rows of ports 1 to 8 for the connection's
// station.
bool ReaderTableOk(Connection& src);

// Opens path read-only with the password; on failure shows "Invalid Database" (when a
// message port is given) and answers false.
bool TestDatabaseFile(const QString& path, const QString& password, Messages* messages);

// Operator check of "horalog --check-db": one line per file to out; true when all is well.
bool CheckDatabases(const QString& folder, QString& report);

}  // namespace horalog
