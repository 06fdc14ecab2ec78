#include "reports/report_program.h"

#include <QTextStream>
#include <cstdio>

#include "common/paths.h"
#include "reports/command_program.h"
#include "reports/report_command.h"

namespace horalog {

bool IsReportCommand(int argc, char** argv) {
    const QStringList words = CommandWords(ArgumentList(argc, argv));
    return !words.isEmpty() && words.front() == "report";
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
