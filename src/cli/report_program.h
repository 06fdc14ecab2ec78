#pragma once
// The `horalog report` and `horalog export` branches of the program: no window, so it runs from
// cron without a display.

namespace horalog {

// Whether the words after the program name (less "--data DIR") start with "report".
bool IsReportCommand(int argc, char** argv);

// Opens both databases of the data folder (--data DIR, HORALOG_DATA or the default) read-only
// and runs RunReportCommand on standard output and standard error; answers the exit status.
int RunReportProgram(int argc, char** argv);

// The same for "export": the spreadsheet exports (RunExportCommand).
bool IsExportCommand(int argc, char** argv);
int RunExportProgram(int argc, char** argv);

}  // namespace horalog
