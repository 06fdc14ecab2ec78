#pragma once
// Only one copy of the program runs per user: a lock file named "TimeAttendance" in the user's
// runtime folder, held for the whole run. A lock left by a crashed copy is taken over.

#include <QLockFile>
#include <QString>

namespace horalog {

inline constexpr const char* kSecondInstance =
    "You have run another instance of this program already. Click it on the system tray to "
    "activite.";

// The folder of the lock: HORALOG_LOCK_DIR when set (tests run side by side), else the
// user's runtime folder.
QString InstanceLockFolder();

class InstanceLock {
public:
    InstanceLock();
    // True when this process now holds the lock; false when another copy holds it or the
    // lock cannot be created.
    bool acquire();
    bool held() const { return held_; }
    QString path() const { return path_; }

private:
    QString path_;
    QLockFile lock_;
    bool held_ = false;
};

}  // namespace horalog
