// `horalog absences` on a data folder: adding, refusing, listing and removing absences, and
// files of many absences in and out.

#include "cli/absences_command.h"

#include <gtest/gtest.h>

#include <QFile>

#include "exports/workbook_reader.h"
#include "storage/store.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AbsencesCommand : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        Tdsrc store(data.path());
        store.OpenStore();
        for (int i = 1; i <= 500; ++i) {
            auto q = store.src().prepare("INSERT INTO staffs (CARDNO, NAME) VALUES (?, ?)");
            q.bindAll(i == 1 ? 100 : 1000 + i, i == 1 ? QString("ANN") : QString("H%1").arg(i));
            q.exec();
        }
    }
    struct Outcome {
        int status;
        QString out, err;
    };
    Outcome run(const QStringList& words) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int status = RunAbsencesCommand(QStringList{"absences"} + words, data.path(), o, e);
        o.flush();
        e.flush();
        return {status, out, err};
    }
    QString write(const QString& name, const QByteArray& text) {
        QFile f(data.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
    TempDataFolder data;
};

TEST_F(AbsencesCommand, AddListRemoveAndRefusals) {
    struct Case {
        QStringList words;
        int status;
        QString out, err;
    };
    const Case cases[] = {
        {{"add", "100", "2026-12-21", "2026-12-24", "v", "--note", "family"},
         0,
         "Added 2026-12-21 to 2026-12-24\n",
         ""},
        {{"add", "100", "2026-12-24", "S"},
         1,
         "",
         "horalog absences: 100 ANN already has an absence then: Vacation 2026-12-21 to "
         "2026-12-24.\n"},
        {{"add", "100", "2026-12-28", "S", "--half=first"}, 0, "Added 2026-12-28 first half\n", ""},
        {{"add", "999", "2026-12-28", "S"}, 1, "", "horalog absences: No holder has card 999.\n"},
        {{"list", "--card", "100", "--from", "2026-12-01"},
         0,
         "100        ANN              V  2026-12-21 to 2026-12-24  family\n"
         "100        ANN              S  2026-12-28 first half\n2 absence(s)\n",
         ""},
        {{"remove", "100", "2026-12-28"}, 0, "Removed 1 absence(s)\n", ""},
        {{"add", "100", "2026-12-28", "S", "--half", "noon"},
         2,
         "",
         "horalog absences: bad word \"noon\" (see --help)\n"},
        {{"add", "100", "2026-13-01", "V"},
         2,
         "",
         "horalog absences: bad word \"2026-13-01\" (see --help)\n"},
        {{"add", "100", "V"},
         2,
         "",
         "horalog absences: bad word \"add (too few words)\" (see --help)\n"},
        {{"remove", "100", "2026-12-01", "2026-12-31", "V"},
         2,
         "",
         "horalog absences: bad word \"V\" (see --help)\n"},
        {{"list", "--half", "first"},
         2,
         "",
         "horalog absences: bad word \"--half\" (see --help)\n"},
        {{"drop"}, 2, "", "horalog absences: bad word \"drop\" (see --help)\n"},
        {{"import", "x.txt"}, 2, "", "horalog absences: bad word \"x.txt\" (see --help)\n"},
        {{"type-set", "t", "Training", "--hours", "4", "--colour", "#123abc"},
         0,
         "Added T Training, paid (4 h), #123abc\n",
         ""},
        {{"type-set", "T", "Training course"},
         0,
         "Changed T Training course, unpaid, #123abc\n",
         ""},
        {{"type-set", "H", "Home"},
         1,
         "",
         "horalog absences: H stands for the holidays: choose another letter.\n"},
        {{"type-set", "X", "Extra", "--colour", "red"},
         1,
         "",
         "horalog absences: A colour is written #rrggbb.\n"},
        {{"type-remove", "V"},
         1,
         "",
         "horalog absences: 1 absence(s) are of type V Vacation: it cannot be deleted.\n"},
        {{"type-remove", "T"}, 0, "Removed type T\n", ""},
        {{"type-remove", "T"}, 1, "", "horalog absences: There is no absence type \"T\".\n"},
        {{"list", "--paid"}, 2, "", "horalog absences: bad word \"--paid\" (see --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        const Outcome r = run(c.words);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out.toStdString(), c.out.toStdString());
        EXPECT_EQ(r.err.toStdString(), c.err.toStdString());
    }
    EXPECT_TRUE(run({"types"}).out.contains("V  Vacation         paid\n"));
}

// One bad row of 500 refuses the file whole; a good one goes in whole and comes out again.
TEST_F(AbsencesCommand, FilesInAndOut) {
    QByteArray good = "cardno;From;TO;type;half;note\n";
    for (int i = 2; i <= 500; ++i)
        good += QString("%1;2026-07-%2;;V;%3;\n")
                    .arg(1000 + i)
                    .arg(i % 28 + 1, 2, 10, QChar('0'))
                    .arg(i % 3 == 0 ? "first" : "")
                    .toUtf8();
    good += "100;2026-07-01;2026-07-14;B;;fair in Lyon\n";
    QByteArray bad = good;
    bad.replace("1300;2026-07-21;", "1300;2026-07-32;");

    Outcome r = run({"import", write("bad.csv", bad)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.toStdString(),
              "The file was not imported.\nLine 300: FROM \"2026-07-32\" is not a date "
              "YYYY-MM-DD\n");
    EXPECT_EQ(run({"list"}).out, "0 absence(s)\n");

    r = run({"import", write("good.csv", good)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Added 500 absence(s)\n");
    // the same file again: every row overlaps itself, and the refusal names each
    r = run({"import", data.file("good.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count('\n'), 501);
    EXPECT_TRUE(r.err.contains(
        "Line 501: 100 ANN already has an absence then: Business trip 2026-07-01 to 2026-07-14."))
        << r.err.left(400).toStdString();

    if (!HaveOpenpyxl()) GTEST_SKIP() << "openpyxl missing (scripts/install-deps.sh installs it)";
    r = run({"export", data.file("out.xlsx"), "--card", "100"});
    EXPECT_EQ(r.out, "Exported 1 absence(s) to " + data.file("out.xlsx") + "\n");
    const auto sheets = ReadWorkbook(data.file("out.xlsx"));
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "ABSENCES");
    EXPECT_EQ(sheets[0].rows, (std::vector<QStringList>{
                                  {"CARDNO", "FROM", "TO", "TYPE", "HALF", "NOTE"},
                                  {"N:100", "2026-07-01", "2026-07-14", "B", "", "fair in Lyon"}}));
}

}  // namespace
