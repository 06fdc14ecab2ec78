// The bash completion of horalog, sourced into a real bash with the completion framework:
// what a partial line completes to.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "support/temp_data.h"

using namespace horalog::testing;

namespace {

const char* const kFramework = "/usr/share/bash-completion/bash_completion";

// The completions bash offers for line (the cursor at its end), run in folder.
QStringList Complete(const QString& line, const QString& folder) {
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start("bash", {"--norc", "--noprofile", "-c",
                        QString("source %1; source \"$1\"; COMP_LINE=\"$2\"; "
                                "COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<< \"$2\"; "
                                "[[ $2 == *' ' ]] && COMP_WORDS+=(''); "
                                "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                "_horalog horalog \"${COMP_WORDS[COMP_CWORD]}\" "
                                "\"${COMP_WORDS[COMP_CWORD-1]}\"; "
                                "printf '%s\\n' \"${COMPREPLY[@]}\"")
                            .arg(kFramework),
                        "bash", SourcePath("packaging/horalog.bash-completion"), line});
    EXPECT_TRUE(bash.waitForFinished(20000));
    EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
    QStringList words =
        QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    words.sort();
    return words;
}

TEST(Completion, PartialLines) {
    if (!QFile::exists(kFramework)) GTEST_SKIP() << "bash-completion is not installed";
    TempDataFolder folder;
    for (const char* name : {"staff.csv", "staff.xlsx", "notes.txt"}) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir("sheets"));
    struct Case {
        QString line;
        QStringList completions;
    };
    const Case cases[] = {
        {"horalog rep", {"repair", "report"}},
        {"horalog --data /tmp/x aud", {"audit"}},
        {"horalog report first-last --per", {"--per-line", "--period", "--persons"}},
        {"horalog report --period ", {"all", "last-month", "last-week", "this-month", "this-week"}},
        {"horalog export t", {"time-logs"}},
        {"horalog schedules check 1234567 COM",
         {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}},
        {"horalog holders import ", {"sheets", "staff.csv", "staff.xlsx"}},
        {"horalog holders export staff.csv --", {"--data", "--database", "--help"}},
        {"horalog --capture-only --", {"--data", "--database", "--help"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(Complete(c.line, folder.path()), c.completions);
    }
}

}  // namespace
