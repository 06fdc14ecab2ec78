#include "reports/report_program.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "common/paths.h"
#include "reports/export_command.h"
#include "reports/report_command.h"
#include "reports/store_report_source.h"

namespace horalog {

namespace {

// The words after the program name without the data folder option.
QStringList CommandWords(const QStringList& arguments) {
    QStringList words;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--data") {
            ++i;
            continue;
        }
        if (arguments[i].startsWith("--data=")) continue;
        words << arguments[i];
    }
    return words;
}

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// The databases, read-only: a report never writes, and may run beside the program.
class ReadOnlyStore {
public:
    ReadOnlyStore(QString folder, QString command)
        : folder_(std::move(folder)), command_(std::move(command)) {}

    ReportSource* Open(QTextStream& err) {
        const QDir dir(folder_);
        const char* failure = kCannotOpenLogDb;
        try {
            att_ = OpenDatabase(dir.filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly);
            failure = kCannotOpenSysDb;
            src_ = OpenDatabase(dir.filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
        } catch (const DbError& e) {
            err << "horalog " << command_ << ": " << failure << " (" << folder_ << ": " << e.text()
                << ")" << Qt::endl;
            return nullptr;
        }
        source_ = std::make_unique<StoreReportSource>(*att_, *src_);
        return source_.get();
    }

private:
    QString folder_;
    QString command_;
    std::unique_ptr<Connection> att_, src_;
    std::unique_ptr<StoreReportSource> source_;
};

QtMessageHandler g_previousHandler = nullptr;

void DropRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
    if (g_previousHandler) g_previousHandler(type, context, message);
}

}  // namespace

bool IsReportCommand(int argc, char** argv) {
    const QStringList words = CommandWords(Arguments(argc, argv));
    return !words.isEmpty() && words.front() == "report";
}

bool IsExportCommand(int argc, char** argv) {
    const QStringList words = CommandWords(Arguments(argc, argv));
    return !words.isEmpty() && words.front() == "export";
}

int RunExportProgram(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Quorvane");
    QCoreApplication::setApplicationName("Horalog");
    const QStringList arguments = QCoreApplication::arguments();
    ReadOnlyStore store(ResolveDataFolder(arguments), "export");
    QTextStream out(stdout), err(stderr);
    const int status = RunExportCommand(
        CommandWords(arguments), [&] { return store.Open(err); }, out, err);
    out.flush();
    err.flush();
    return status;
}

int RunReportProgram(int argc, char** argv) {
    std::unique_ptr<QCoreApplication> app;
    if (CommandWords(Arguments(argc, argv)).contains("--pdf")) {
        // Fonts for the PDF need a GUI application, never a screen: cron has none. Its start
        // warns when the session has no runtime folder, as under cron; a report run that
        // succeeded must stay silent there.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        g_previousHandler = qInstallMessageHandler(DropRuntimeFolderWarning);
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(g_previousHandler);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName("Quorvane");
    QCoreApplication::setApplicationName("Horalog");
    const QStringList arguments = QCoreApplication::arguments();
    ReadOnlyStore store(ResolveDataFolder(arguments), "report");
    QTextStream out(stdout), err(stderr);
    const int status = RunReportCommand(
        CommandWords(arguments), [&] { return store.Open(err); }, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
