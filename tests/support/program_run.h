#pragma once
// Runs a built program to its end, as an operator or a script would, in a private home.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace horalog::testing {

struct ProgramRun {
    int status = -1;  // -1: did not end normally (a signal or the time-out)
    QString out, err;
};

// A home of its own: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR all point into
// an empty temporary folder, HORALOG_DATA and the display are removed, the platform is
// "offscreen" (so a window, should one open by mistake, opens without a screen).
class PrivateHome {
public:
    PrivateHome();
    QString path() const { return dir_.path(); }
    QProcessEnvironment environment() const { return env_; }
    // Every file and folder created below the home, relative to it (the runtime folder
    // prepared by the constructor excepted).
    QStringList created() const;

private:
    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

ProgramRun RunToEnd(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                    int timeoutMs = 60000);

}  // namespace horalog::testing
