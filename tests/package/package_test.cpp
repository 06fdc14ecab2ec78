// The Debian package: built from the build folder with CPack, unpacked into a temporary root
// and run from there, where no source or build tree is at hand.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/program_run.h"
#include "support/temp_data.h"

using namespace horalog::testing;

namespace {

ProgramRun Tool(const QString& program, const QStringList& args, int timeoutMs = 300000) {
    return RunToEnd(program, args, QProcessEnvironment::systemEnvironment(), timeoutMs);
}

TEST(Package, BuildsUnpacksAndRunsFromTheInstalledLayout) {
    const QString config = BinaryPath("CPackConfig.cmake");
    if (QStandardPaths::findExecutable("cpack").isEmpty() ||
        QStandardPaths::findExecutable("dpkg-deb").isEmpty() ||
        QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty() || !QFile::exists(config))
        GTEST_SKIP() << "cpack, dpkg-deb or dpkg-shlibdeps missing (scripts/install-deps.sh "
                        "installs them), or no "
                     << config.toStdString();

    QTemporaryDir work;
    const ProgramRun pack =
        Tool("cpack", {"-G", "DEB", "--config", config, "-B", work.filePath("out")});
    ASSERT_EQ(pack.status, 0) << pack.out.toStdString() << pack.err.toStdString();
    const QStringList debs = QDir(work.filePath("out")).entryList({"horalog_*.deb"});
    ASSERT_EQ(debs.size(), 1);
    const QString deb = QDir(work.filePath("out")).filePath(debs.front());

    const ProgramRun depends = Tool("dpkg-deb", {"-f", deb, "Depends"});
    EXPECT_TRUE(depends.out.contains("libqt6core6")) << "dependencies not computed from the "
                                                        "libraries: "
                                                     << depends.out.toStdString();
    const QString root = work.filePath("root");
    ASSERT_EQ(Tool("dpkg-deb", {"-x", deb, root}).status, 0);
    for (const char* file :
         {"usr/bin/horalog", "usr/bin/horalog-readersim",
          "lib/systemd/system/horalog-capture.service", "usr/share/applications/horalog.desktop",
          "usr/share/icons/hicolor/scalable/apps/horalog.svg", "usr/share/man/man1/horalog.1.gz",
          "usr/share/man/man1/horalog-readersim.1.gz", "usr/share/doc/horalog/copyright",
          "usr/share/bash-completion/completions/horalog"})
        EXPECT_TRUE(QFile::exists(QDir(root).filePath(file))) << file;
    if (!QStandardPaths::findExecutable("man").isEmpty()) {
        for (const char* page : {"horalog.1.gz", "horalog-readersim.1.gz"}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("MANWIDTH", "80");
            const ProgramRun man = RunToEnd(
                "man", {"--warnings", "-l", QDir(root).filePath("usr/share/man/man1/") + page},
                env);
            EXPECT_EQ(man.status, 0);
            EXPECT_EQ(man.err, "") << page;
        }
    }

    // A headless first start on a fresh data folder, then the check, from the unpacked root.
    const QString horalog = QDir(root).filePath("usr/bin/horalog");
    {
        PrivateHome home;
        const QString data = home.path() + "/data-folder";
        const ProgramRun first =
            RunToEnd(horalog, {"--data", data, "--screenshot", home.path() + "/shot.png"},
                     home.environment());
        ASSERT_EQ(first.status, 0) << first.err.toStdString();
        const ProgramRun check =
            RunToEnd(horalog, {"--check-db", "--data", data}, home.environment());
        EXPECT_EQ(check.status, 0) << check.err.toStdString();
        EXPECT_EQ(check.out,
                  "attend.mdb: ok, 0 log records\nsysdat.mdb: ok, reader table has 8 rows\n");
    }
    struct Case {
        QStringList args;
        int status;
    };
    for (const Case& c : {Case{{"--help"}, 0}, Case{{"--version"}, 0}, Case{{"--no-such"}, 2}}) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        PrivateHome home;
        const ProgramRun run = RunToEnd(horalog, c.args, home.environment(), 20000);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(home.created(), QStringList());
    }
}

}  // namespace
