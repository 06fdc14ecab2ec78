// `horalog repair [--swap]`: every readable row of a damaged log copied into a new file, put
// in place of the damaged one only when asked.

#include <QCoreApplication>
#include <cstdio>

#include "cli/commands.h"
#include "cli/parsing.h"
#include "maintenance/log_repair.h"

namespace horalog {

int RunRepairProgram(Invocation& run) {
    CLI::App parser;
    PrepareParser(parser);
    bool help = false, swap = false;
    parser.add_flag("--help", help);
    parser.add_flag("--swap", swap);
    try {
        ParseWords(parser, run.words, "repair");
    } catch (const BadOption& bad) {
        std::fprintf(stderr, "horalog repair: unknown option %s\n", qPrintable(bad.word));
        return 2;
    }
    if (help) {
        std::printf("usage: horalog repair [--swap] [--data DIR]\n");
        return 0;
    }
    QCoreApplication app(run.argc, run.argv);
    const LogRepair r = RepairLog(run.folder, swap);
    for (const QString& line : r.lines) std::printf("%s\n", qPrintable(line));
    return r.ok ? 0 : 1;
}

}  // namespace horalog
