#include "cli/command_program.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include "cli/commands.h"
#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
#include "storage/schema_upgrade.h"
#include "storage/store.h"

namespace horalog {

namespace {

QtMessageHandler g_previousHandler = nullptr;

void DropRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
    if (g_previousHandler) g_previousHandler(type, context, message);
}

}  // namespace

std::unique_ptr<QCoreApplication> MakeCommandApplication(int& argc, char** argv, bool withPdf) {
    std::unique_ptr<QCoreApplication> app;
    if (withPdf) {
        // Fonts for the PDF need a GUI application, never a screen: cron has none. Its start
        // warns when the session has no runtime folder, as under cron; a run that succeeded
        // must stay silent there.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        g_previousHandler = qInstallMessageHandler(DropRuntimeFolderWarning);
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(g_previousHandler);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName("Quorvane");
    QCoreApplication::setApplicationName("Horalog");
    return app;
}

StoreReportSource* ReadOnlyStore::Open(QTextStream& err, const QString& command) {
    if (const QString url = ChosenDatabaseUrl(); !url.isEmpty()) {
        try {
            att_ = OpenServerDatabase(url, OpenMode::ReadOnly);
            src_ = OpenServerDatabase(url, OpenMode::ReadOnly);
        } catch (const DbError& e) {
            err << command << ": " << QString(kCannotOpenServerDb).arg(e.text()) << Qt::endl;
            return nullptr;
        }
        source_ = std::make_unique<StoreReportSource>(*att_, *src_);
        return source_.get();
    }
    const QDir dir(folder_);
    const char* failure = kCannotOpenLogDb;
    try {
        att_ = OpenDatabase(dir.filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly);
        failure = kCannotOpenSysDb;
        src_ = OpenDatabase(dir.filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
    } catch (const DbError& e) {
        err << command << ": " << failure << " (" << folder_ << ": " << e.text() << ")" << Qt::endl;
        return nullptr;
    }
    source_ = std::make_unique<StoreReportSource>(*att_, *src_);
    return source_.get();
}

std::unique_ptr<Connection> OpenSystemDb(const QString& folder, OpenMode mode, QTextStream& err,
                                         const char* command) {
    if (const QString url = ChosenDatabaseUrl(); !url.isEmpty()) {
        try {
            auto c = OpenServerDatabase(url, mode);
            if (mode == OpenMode::ReadWrite) UpgradeServerSchema(*c);
            return c;
        } catch (const DbError& e) {
            err << "horalog " << command << ": " << QString(kCannotOpenServerDb).arg(e.text())
                << Qt::endl;
            return nullptr;
        }
    }
    const QString path = QDir(folder).filePath(kSysDbFile);
    try {
        if (!QFileInfo::exists(path)) throw DbError("no such file " + path);
        auto c = OpenDatabase(path, kSysDbPassword, mode);
        if (mode == OpenMode::ReadWrite) UpgradeSchema(*c, "sysdat");
        return c;
    } catch (const DbError& e) {
        err << "horalog " << command << ": " << kCannotOpenSysDb << " (" << e.text() << ")"
            << Qt::endl;
        return nullptr;
    }
}

int RunOnStandardStreams(Invocation& run,
                         int (*command)(const QStringList& words, const QString& folder,
                                        QTextStream& out, QTextStream& err)) {
    const auto app = MakeCommandApplication(run.argc, run.argv, false);
    QTextStream out(stdout), err(stderr);
    const int status = command(run.words, run.folder, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
