#pragma once
// A workbook read back by a real spreadsheet reader (openpyxl): sheet names in order, and each
// sheet's rows as cell texts. A cell reads "" when empty, "D:yyyy-mm-dd" for a date, "N:..." for
// another number and the text itself otherwise.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace horalog::testing {

struct SheetRows {
    QString name;
    std::vector<QStringList> rows;
};

inline const char* kPython = "/usr/bin/python3";

inline bool HaveOpenpyxl() {
    return QProcess::execute(kPython, {"-c", "import openpyxl"}) == 0;
}

// Empty with *error set when the file does not load.
inline std::vector<SheetRows> ReadWorkbook(const QString& path, QString* error = nullptr) {
    const char* script = R"(
import sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
def text(v):
    if v is None: return ""
    if isinstance(v, datetime.datetime):
        return "D:" + (v.date().isoformat() if v.time() == datetime.time() else v.isoformat())
    if isinstance(v, (int, float)): return "N:%s" % v
    return str(v)
for ws in wb.worksheets:
    print("#" + ws.title)
    for row in ws.iter_rows(values_only=True):
        print("\t".join(text(v) for v in row))
)";
    QProcess p;
    p.start(kPython, {"-c", script, path});
    p.waitForFinished(60000);
    std::vector<SheetRows> out;
    if (p.exitCode() != 0) {
        if (error) *error = QString::fromUtf8(p.readAllStandardError());
        return out;
    }
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        if (line.startsWith('#'))
            out.push_back({line.mid(1), {}});
        else if (!line.isEmpty() && !out.empty())
            out.back().rows.push_back(line.split('\t'));
    }
    return out;
}

}  // namespace horalog::testing
