#pragma once
// What the window-less commands share: their words, the application object and the
// databases opened read-only.

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

#include "common/paths.h"
#include "attendance/store_report_source.h"

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

}  // namespace horalog
