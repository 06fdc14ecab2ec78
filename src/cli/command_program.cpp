#include "cli/command_program.h"

#include <QDir>
#include <QGuiApplication>

#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
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

}  // namespace horalog
