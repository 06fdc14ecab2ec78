#pragma once
// What the window-less commands share: the application object, the databases opened
// read-only for printouts, the system tables opened for the holder commands.

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

#include "attendance/store_report_source.h"
#include "storage/database.h"

namespace horalog {

// The application of a command: a GUI application (fonts and pictures for a PDF) on the
// offscreen platform when withPdf, never needing a screen, as under cron; else a plain one.
// Organisation and application names are set for the settings store.
std::unique_ptr<QCoreApplication> MakeCommandApplication(int& argc, char** argv, bool withPdf);

// The databases, read-only: a printout never writes, and may run beside the program.
class ReadOnlyStore {
public:
    explicit ReadOnlyStore(QString folder) : folder_(std::move(folder)) {}

    // nullptr after writing "<command>: <failure>" on err.
    StoreReportSource* Open(QTextStream& err, const QString& command);
    Connection& src() { return *src_; }

private:
    QString folder_;
    std::unique_ptr<Connection> att_, src_;
    std::unique_ptr<StoreReportSource> source_;
};

// The system tables: the chosen database server's, else the folder's file, upgraded to this
// program's tables when opened read-write; the file is never created here. nullptr after
// writing "horalog <command>: <failure>" on err.
std::unique_ptr<Connection> OpenSystemDb(const QString& folder, OpenMode mode, QTextStream& err,
                                         const char* command);

// Runs command on the words and folder of run with standard output and error, inside a core
// application; answers its exit status.
struct Invocation;
int RunOnStandardStreams(Invocation& run,
                         int (*command)(const QStringList& words, const QString& folder,
                                        QTextStream& out, QTextStream& err));

}  // namespace horalog
