#include "cli/report_program.h"

#include <QTextStream>
#include <cstdio>

#include "common/paths.h"
#include "cli/command_program.h"
#include "cli/export_command.h"
#include "cli/report_command.h"

namespace horalog {

namespace {

bool IsCommand(int argc, char** argv, const char* word) {
    const QStringList words = CommandWords(ArgumentList(argc, argv));
    return !words.isEmpty() && words.front() == QLatin1String(word);
}

}  // namespace

bool IsReportCommand(int argc, char** argv) {
    return IsCommand(argc, argv, "report");
}

bool IsExportCommand(int argc, char** argv) {
    return IsCommand(argc, argv, "export");
}

int RunExportProgram(int argc, char** argv) {
    const auto app = MakeCommandApplication(argc, argv, false);
    const QStringList arguments = QCoreApplication::arguments();
    ReadOnlyStore store(ResolveDataFolder(arguments));
    QTextStream out(stdout), err(stderr);
    const int status = RunExportCommand(
        CommandWords(arguments), [&] { return store.Open(err, "horalog export"); }, out, err);
    out.flush();
    err.flush();
    return status;
}

int RunReportProgram(int argc, char** argv) {
    const auto app = MakeCommandApplication(
        argc, argv, CommandWords(ArgumentList(argc, argv)).contains("--pdf"));
    const QStringList arguments = QCoreApplication::arguments();
    ReadOnlyStore store(ResolveDataFolder(arguments));
    QTextStream out(stdout), err(stderr);
    const int status = RunReportCommand(
        CommandWords(arguments), [&] { return store.Open(err, "horalog report"); }, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
