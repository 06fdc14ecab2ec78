#pragma once
// The commands of `horalog`, as the command table runs them. Each lives in a file of its own
// here, and reads like the others: its usage, its options, its run.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace horalog {

// What the window is asked for besides opening.
struct WindowOptions {
    QString screenshot;  // a picture of the main window, then quit
    int editorCard = 0;  // a picture of this card's holder editor, then quit
    QString editorShot;
};

// Opens the window on the data folder (the program links the widgets; this room does not).
using WindowStart =
    std::function<int(int& argc, char** argv, const QString& folder, const WindowOptions&)>;

// One run of a command: the process's arguments (for the application object), the command's
// words (its own word first, less --data and --database), and the data folder.
struct Invocation {
    int& argc;
    char** argv;
    QStringList words;
    QString folder;
    WindowStart window;
};

// Reads the command line and runs the command it names; answers the exit status: 0 done,
// 1 a failure of the store, a file or the data, 2 a bad command line (one line on stderr).
int RunCommandLine(int argc, char** argv, const WindowStart& window);

// The program-level one-line refusal of a word: status 2.
int BadWord(const QString& word);

// The words of a command that takes no word but --help (when it has a usage): answers the
// exit status when the run ends here (0 after printing usage, 2 after a bad word), else
// nothing.
std::optional<int> TakesOnlyHelp(Invocation& run, const char* usage);

// Each command: the exit status as above.
int RunWindowCommand(Invocation& run);
int RunCaptureCommand(Invocation& run);
int RunCheckDbCommand(Invocation& run);
int RunReportProgram(Invocation& run);
int RunExportProgram(Invocation& run);
int RunCardProgram(Invocation& run);  // cards and member-list
int RunRepairProgram(Invocation& run);
int RunHoldersProgram(Invocation& run);
int RunPickListProgram(Invocation& run);
int RunAbsencesProgram(Invocation& run);
int RunPeriodProgram(Invocation& run);
int RunAuditProgram(Invocation& run);
int RunSchedulesProgram(Invocation& run);
int RunMigrateProgram(Invocation& run);

}  // namespace horalog
