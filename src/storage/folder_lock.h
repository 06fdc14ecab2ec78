#pragma once
// One process serves a data folder: the capture service holds a lock file in the folder for
// its whole run, so a second one (or a second service on the same folder) refuses to start
// instead of writing the same files and fighting over the same ports.

#include <QLockFile>
#include <QString>

namespace horalog {

inline constexpr const char* kFolderLockFile = "horalog.lock";

class DataFolderLock {
public:
    explicit DataFolderLock(const QString& folder);
    // True when this process now holds the lock. A lock left by a process that died is taken
    // over, and so is an empty one left by a crash while it was being made; a live holder's
    // is not, however old.
    bool acquire();
    // Why acquire failed, in one line naming the folder and the holder's process id.
    QString refusal() const;

private:
    QString folder_;
    QLockFile lock_;
};

}  // namespace horalog
