// `horalog [--screenshot FILE | --screenshot-editor CARD FILE]`: the window, or a picture of
// it for the README and for checks.

#include "cli/commands.h"
#include "cli/parsing.h"

namespace horalog {

int RunWindowCommand(Invocation& run) {
    CLI::App parser;
    PrepareParser(parser);
    WindowOptions options;
    std::vector<std::string> editor;
    AddText(parser, "--screenshot", options.screenshot);
    parser.add_option("--screenshot-editor", editor)->expected(2)->allow_extra_args(false);
    try {
        ParseWords(parser, run.words);
    } catch (const BadOption& bad) {
        return BadWord(bad.word);
    }
    if (!editor.empty()) {
        options.editorCard = QString::fromStdString(editor[0]).toInt();
        options.editorShot = QString::fromStdString(editor[1]);
    }
    return run.window(run.argc, run.argv, run.folder, options);
}

}  // namespace horalog
