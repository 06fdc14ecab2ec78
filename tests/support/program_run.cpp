#include "support/program_run.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>

namespace horalog::testing {

PrivateHome::PrivateHome() : env_(QProcessEnvironment::systemEnvironment()) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "HORALOG_DATA", "NOTIFY_SOCKET"})
        env_.remove(name);
    QDir(dir_.path()).mkpath("run");
    QFile::setPermissions(dir_.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env_.insert("HOME", dir_.path());
    env_.insert("XDG_DATA_HOME", dir_.filePath("data"));
    env_.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env_.insert("XDG_RUNTIME_DIR", dir_.filePath("run"));
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("LC_ALL", "en_US.UTF-8");
}

QStringList PrivateHome::created() const {
    QStringList found;
    QDirIterator it(dir_.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(dir_.path()).relativeFilePath(it.next());
        if (rel != "run") found << rel;
    }
    return found;
}

ProgramRun RunToEnd(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                    int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace horalog::testing
