#include "maintenance/holder_import.h"
#include "maintenance/table_file.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

#include "people/door_rights.h"
#include "cli/holders_command.h"
#include "cli/pick_list_command.h"
#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "people/store_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class HolderImport : public PeopleStoreTest {
protected:
    void TearDown() override { WriteNewHolderRights({}); }  // settings outlive the test
    QString write(const QString& name, const QString& text) {
        const QString path = data.file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return path;
    }
    // "CARDNO,NAME,GROUP,MEMO,COM1" and n holders from card 1000 on, named P0001...
    QString holders(int n) {
        QString text = "CARDNO,NAME,GROUP,MEMO,COM1\n";
        for (int i = 1; i <= n; ++i)
            text += QString("%1,P%2,STAFF,note %1,%3\n")
                        .arg(1000 + i)
                        .arg(i, 4, 10, QChar('0'))
                        .arg(i % 2);
        return text;
    }
    qint64 auditCount() { return AuditLog(src()).count(); }
};

TEST_F(HolderImport, OneBadRowOutOfFiveHundredRefusesTheWholeFile) {
    QString text = holders(500);
    text.replace("1300,P0300", "13x0,P0300");  // line 301: the header is line 1
    auto r = ImportHolders(src(), write("bad.csv", text), {});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].line, 301);
    EXPECT_EQ(HolderImportSummary(r),
              "The file was not imported.\nLine 301: card number \"13x0\" is not a whole number "
              "from 1 to 16777215");
    EXPECT_EQ(StaffTable(src()).count(), 0);
    EXPECT_EQ(GroupIdOf(src(), "STAFF"), 0);
    EXPECT_EQ(auditCount(), 0);

    r = ImportHolders(src(), write("good.csv", holders(500)), {});
    ASSERT_TRUE(r.ok) << HolderImportSummary(r).toStdString();
    EXPECT_EQ(HolderImportSummary(r),
              "Added 500, updated 0 (1 new group(s) with no working hours yet: set them under "
              "Setup > Group Definition)");
    EXPECT_EQ(StaffTable(src()).count(), 500);
    const auto p3 = StaffTable(src()).byCard(1003);
    ASSERT_TRUE(p3);
    EXPECT_EQ(p3->name, "P0003");
    EXPECT_EQ(GroupName(src(), p3->workgrp), "STAFF");
    EXPECT_EQ(p3->memo, "note 1003\r\n");
    EXPECT_EQ(RightsText(p3->com), "COM1");
    EXPECT_EQ(auditCount(), 500 + 1 + 1);  // holders, the group, the import
}

// One transaction: when the last write fails, nothing of the file stays.
TEST_F(HolderImport, AFailureOnTheLastRowLeavesNothing) {
    src().execute(
        "CREATE TRIGGER refuse_last BEFORE INSERT ON audit WHEN NEW.SUBJECT = '1020 P0020' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    auto r = ImportHolders(src(), write("h.csv", holders(20)), {});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(HolderImportSummary(r), "The file was not imported: disk full");
    EXPECT_EQ(StaffTable(src()).count(), 0);
    EXPECT_EQ(GroupIdOf(src(), "STAFF"), 0);
    EXPECT_EQ(auditCount(), 0);
}

TEST_F(HolderImport, EveryBadRowIsListedWithItsReason) {
    HolderRecord ann;
    ann.cardno = 5;
    ann.name = "ANN";
    StaffTable(src()).append(ann);
    const QString text =
        "cardno;Name;com2;Group\n"
        "0;ZERO;1;\n"                // 2
        "16777216;BIG;1;\n"          // 3
        "10;;1;\n"                   // 4
        "11;SEVENTEEN CHARS X;1;\n"  // 5
        "12;ann;1;\n"                // 6: another card's holder has the name
        "13;BOB;maybe;\n"            // 7
        "14;CAT;1;NOWHERE\n"         // 8: groups may not be created
        "15;DOG;0;\n"                // 9: good
        "15;EEL;0;\n"                // 10: card again
        "16;dog;0;\n"                // 11: name again
        "17;GROUP NAME TOO LONG;0;ABCDEFGHIJKLMNOPQRSTU\n";  // 12
    auto r = ImportHolders(src(), write("bad.csv", text), {.createGroups = false});
    EXPECT_FALSE(r.ok);
    QStringList got;
    for (const auto& p : r.problems) got << QString("%1: %2").arg(p.line).arg(p.reason);
    EXPECT_EQ(got, QStringList({
                       "2: card number \"0\" is not a whole number from 1 to 16777215",
                       "3: card number \"16777216\" is not a whole number from 1 to 16777215",
                       "4: the name is empty",
                       "5: the name is longer than 16 characters",
                       "6: the name ann belongs to card 5",
                       "7: COM2 is \"maybe\", not 1 or 0",
                       "8: there is no group NOWHERE",
                       "10: card 15 is also on line 9",
                       "11: the name dog is also on line 9",
                       "12: the name is longer than 16 characters; the group name is longer than "
                       "20 characters",
                   }));
    EXPECT_EQ(StaffTable(src()).count(), 1);

    for (const auto& [header, why] :
         {std::pair{"NAME,GROUP\n1,A\n", "no CARDNO column"},
          std::pair{"CARDNO,NAME,PHONE\n1,A,2\n", "unknown column PHONE"}}) {
        auto h = ImportHolders(src(), write("h.csv", header), {});
        ASSERT_EQ(h.problems.size(), 1u) << header;
        EXPECT_EQ(h.problems[0].line, 1);
        EXPECT_EQ(h.problems[0].reason, why);
    }
}

// A card already here is updated; what the file does not carry stays as it was.
TEST_F(HolderImport, ExistingCardsAreUpdatedNewOnesGetTheDefaultRights) {
    HolderRecord ann;
    ann.cardno = 5;
    ann.name = "ANN";
    ann.memo = "keep\r\n";
    ann.com[0] = true;
    ann.offline = true;
    StaffTable(src()).append(ann);
    WriteNewHolderRights({false, false, true});
    auto r = ImportHolders(src(), write("u.csv", "NAME,CARDNO,GROUP\nANNE,5,SALES\nBOB,6,\n"), {});
    ASSERT_TRUE(r.ok) << HolderImportSummary(r).toStdString();
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.updated, 1);
    const auto a = StaffTable(src()).byCard(5);
    EXPECT_EQ(a->name, "ANNE");
    EXPECT_EQ(GroupName(src(), a->workgrp), "SALES");
    EXPECT_EQ(a->memo, "keep\r\n");
    EXPECT_EQ(RightsText(a->com), "COM1");
    EXPECT_TRUE(a->offline);
    const auto b = StaffTable(src()).byCard(6);
    EXPECT_EQ(b->workgrp, 1);
    EXPECT_EQ(RightsText(b->com), "COM3");
    // The same file again changes nothing.
    r = ImportHolders(src(), write("u.csv", "NAME,CARDNO,GROUP\nANNE,5,SALES\nBOB,6,\n"), {});
    EXPECT_EQ(HolderImportSummary(r), "Added 0, updated 0");
}

// Export writes the import's columns; both formats read back to the same holders.
TEST_F(HolderImport, ExportReadsBackInBothFormats) {
    ASSERT_TRUE(ImportHolders(src(), write("h.csv", holders(3)), {}).ok);
    for (const char* name : {"out.csv", "out.xlsx"}) {
        SCOPED_TRACE(name);
        QString error;
        ASSERT_TRUE(ExportHolders(src(), data.file(name), error)) << error.toStdString();
        std::vector<CsvRecord> rows;
        ASSERT_TRUE(ReadTableFile(data.file(name), rows, error)) << error.toStdString();
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[0].fields, HolderFileColumns());
        EXPECT_EQ(rows[1].fields, QStringList({"1001", "P0001", "STAFF", "note 1001", "1", "0", "0",
                                               "0", "0", "0", "0", "0", "Always"}));
        EXPECT_EQ(rows[3].line, 4);
    }
}

// PROFILE sets a holder's time profile by name (letter case ignored); an unknown name refuses
// the file; an empty cell keeps the profile; export writes the name back.
TEST_F(HolderImport, ProfileColumnByName) {
    TimeProfile p;
    p.name = "Cleaners";
    p.periods = {{18 * 60, 22 * 60}};
    p.days.fill(true);
    const int id = ScheduleStore(src()).saveProfile(p);
    auto r =
        ImportHolders(src(), write("p.csv", "CARDNO,NAME,PROFILE\n5,ANN,cleaners\n6,BOB,\n"), {});
    ASSERT_TRUE(r.ok) << HolderImportSummary(r).toStdString();
    EXPECT_EQ(StaffTable(src()).byCard(5)->accessgrp, id);
    EXPECT_EQ(StaffTable(src()).byCard(6)->accessgrp, kAlwaysProfile);

    r = ImportHolders(src(), write("q.csv", "CARDNO,NAME,PROFILE\n5,ANN,\n6,BOB,Nights\n"), {});
    EXPECT_EQ(HolderImportSummary(r),
              "The file was not imported.\nLine 3: there is no time profile Nights");
    EXPECT_EQ(StaffTable(src()).byCard(5)->accessgrp, id);

    QString error;
    ASSERT_TRUE(ExportHolders(src(), data.file("out.csv"), error)) << error.toStdString();
    std::vector<CsvRecord> rows;
    ASSERT_TRUE(ReadTableFile(data.file("out.csv"), rows, error));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].fields.back(), "Cleaners");
    EXPECT_EQ(rows[2].fields.back(), "Always");
}

// A workbook as another program writes it: shared and inline strings, numbers, a gap.
TEST_F(HolderImport, ReadsAWorkbookWrittenElsewhere) {
    const QString path = data.file("other.xlsx");
    const QString script =
        "import openpyxl,sys\n"
        "wb=openpyxl.Workbook();ws=wb.active;ws.title='People'\n"
        "ws.append(['Name','CardNo',None,'Group'])\n"
        "ws.append(['ANN',101,None,'sales'])\n"
        "ws.append([])\n"
        "ws.append(['BOB',102.0,'x','sales'])\n"
        "wb.save(sys.argv[1])\n";
    ASSERT_EQ(QProcess::execute("/usr/bin/python3", {"-c", script, path}), 0);
    std::vector<CsvRecord> rows;
    QString error;
    ASSERT_TRUE(ReadTableFile(path, rows, error)) << error.toStdString();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].fields, QStringList({"Name", "CardNo", "", "Group"}));
    EXPECT_EQ(rows[2].line, 4);
    EXPECT_EQ(rows[2].fields, QStringList({"BOB", "102", "x", "sales"}));
    // The gap column has an empty header: ignored.
    auto r = ImportHolders(src(), path, {});
    ASSERT_TRUE(r.ok) << HolderImportSummary(r).toStdString();
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(GroupName(src(), StaffTable(src()).byCard(102)->workgrp), "SALES");
}

TEST_F(HolderImport, CommandLineExitStatus) {
    const QString good = write("g.csv", holders(2));
    const QString bad = write("b.csv", "CARDNO,NAME\nx,A\n");
    struct Case {
        QStringList words;
        int status;
        QString out, err;
    };
    const Case cases[] = {
        {{"holders", "import", good},
         0,
         "Added 2, updated 0 (1 new group(s) with no working hours yet: set them under Setup > "
         "Group Definition)\n",
         ""},
        {{"holders", "import", bad},
         1,
         "",
         "The file was not imported.\nLine 2: card number \"x\" is not a whole number from 1 "
         "to 16777215\n"},
        {{"holders", "import", good, "--no-new-groups"}, 0, "Added 0, updated 0\n", ""},
        {{"holders", "export", data.file("e.csv")},
         0,
         "Exported 2 holders to " + data.file("e.csv") + "\n",
         ""},
        {{"holders", "import"},
         2,
         "",
         "horalog holders: bad word \"import (no FILE)\" (see --help)\n"},
        {{"holders", "import", data.file("x.txt")},
         2,
         "",
         "horalog holders: bad word \"" + data.file("x.txt") + "\" (see --help)\n"},
        {{"holders", "delete", good}, 2, "", "horalog holders: bad word \"delete\" (see --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        QString out, err;
        QTextStream o(&out), e(&err);
        EXPECT_EQ(RunHoldersCommand(c.words, data.path(), o, e), c.status);
        o.flush();
        e.flush();
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err, c.err);
    }
}

// The pick list from the command line: an unknown card changes nothing; the list is what
// --persons list then chooses.
TEST_F(HolderImport, PickListCommand) {
    ASSERT_TRUE(ImportHolders(src(), write("g.csv", holders(3)), {}).ok);
    struct Case {
        QStringList words;
        int status;
        QString out, err;
    };
    const Case cases[] = {
        {{"pick-list", "add", "1002", "1001"}, 0, "2 holder(s) on the pick list\n", ""},
        {{"pick-list", "add", "1003", "999"},
         1,
         "",
         "horalog pick-list: no holder has card 999; the pick list is unchanged\n"},
        {{"pick-list", "remove", "1002"}, 0, "1 holder(s) on the pick list\n", ""},
        {{"pick-list"}, 0, "", ""},  // the listing is checked below
        {{"pick-list", "add"}, 2, "", "horalog pick-list: bad word \"add (no CARD)\" (see --help)\n"},
        {{"pick-list", "add", "12x"}, 2, "", "horalog pick-list: bad word \"12x\" (see --help)\n"},
        {{"pick-list", "clear", "1001"}, 2, "", "horalog pick-list: bad word \"1001\" (see --help)\n"},
        {{"pick-list", "drop"}, 2, "", "horalog pick-list: bad word \"drop\" (see --help)\n"},
        {{"pick-list", "clear"}, 0, "0 holder(s) on the pick list\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        QString out, err;
        QTextStream o(&out), e(&err);
        EXPECT_EQ(RunPickListCommand(c.words, data.path(), o, e), c.status);
        o.flush();
        e.flush();
        EXPECT_EQ(err, c.err);
        if (c.words.size() == 1) {
            EXPECT_TRUE(out.startsWith("1001 ")) << out.toStdString();
            EXPECT_TRUE(out.endsWith("\n1 holder(s) on the pick list\n")) << out.toStdString();
            EXPECT_EQ(out.count('\n'), 2) << out.toStdString();
        } else {
            EXPECT_EQ(out, c.out);
        }
    }
}

}  // namespace
