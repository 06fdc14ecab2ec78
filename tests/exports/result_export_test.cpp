// The spreadsheet exports of attendance results, read back with a real spreadsheet reader.

#include "exports/result_export.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/texts.h"
#include "attendance/report_fixture.h"
#include "storage/database.h"
#include "storage/settings.h"
#include "support/recording_ports.h"
#include "workbook_reader.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

QString Join(const QStringList& row) {
    return row.join('|');
}

std::vector<std::string> Rows(const SheetRows& sheet) {
    std::vector<std::string> out;
    for (const auto& r : sheet.rows) out.push_back(Join(r).toStdString());
    return out;
}

class ResultExport : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    // Writes the workbook and reads it back.
    std::vector<SheetRows> Export(ExportKind kind, const ReportParameters& p) {
        const QString path = dir.filePath("out.xlsx");
        QFile::remove(path);
        EXPECT_TRUE(WriteResultExport(
            kind, p, fx.source, [&](int sheets) { return OpenXlsxWriter(path, sheets); }, messages,
            progress, At("2004-06-30 10:00")))
            << messages.texts().join(", ").toStdString();
        QString error;
        auto book = ReadWorkbook(path, &error);
        EXPECT_FALSE(book.empty()) << error.toStdString();
        return book;
    }
    static ReportParameters Params(int perLine, bool blankLines = false,
                                   RecordsOfInterest records = RecordsOfInterest::All) {
        ReportParameters p = ReportFixture::Params(records);
        p.recordsPerLine = perLine;
        p.blankLines = blankLines;
        return p;
    }

    QTemporaryDir dir;
    ReportFixture fx;  // ALICE, card 101, group OFFICE
    RecordingMessages messages;
    RecordingProgress progress;
};

TEST_F(ResultExport, TimeLogsFillEightColumnsThenAContinuationRowWithoutDate) {
    for (int m = 0; m < 11; ++m)
        fx.source.AddRecord(At("2004-06-22 08:00").addSecs(60 * m + 5), 101, 0);
    fx.Add(101, {{"2004-06-23 14:30", 1}});
    auto book = Export(ExportKind::TimeLogs, Params(8));
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].name, "all_records");
    const std::vector<std::string> expected{
        "NAME|GROUP|DATE|TIME1|TIME2|TIME3|TIME4|TIME5|TIME6|TIME7|TIME8",
        "ALICE|OFFICE|D:2004-06-22|8:00:05 AM|8:01:05 AM|8:02:05 AM|8:03:05 AM|8:04:05 AM|"
        "8:05:05 AM|8:06:05 AM|8:07:05 AM",
        "|||8:08:05 AM|8:09:05 AM|8:10:05 AM|||||",
        "||D:2004-06-23|2:30:00 PM|||||||",
    };
    EXPECT_EQ(Rows(book[0]), expected);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ResultExport, NewPageOnEachPersonGivesOneSheetPerHolderWithoutNameColumns) {
    fx.source.AddHolder(102, "ANN LEE", 1);
    fx.source.AddHolder(103, "BOB", 1);
    fx.Add(102, {{"2004-06-22 08:00", 1}, {"2004-06-22 17:00", 2}});
    fx.Add(103, {{"2004-06-23 09:00", 0}});
    ReportParameters p = Params(4);
    p.newPage = true;
    auto book = Export(ExportKind::FirstLast, p);
    std::vector<QString> names;
    for (const auto& s : book) names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<QString>{"ALICE", "ANN_LEE", "BOB"}));
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(Rows(book[0]), std::vector<std::string>{"DATE|FIRST|LAST|STATUS"});
    EXPECT_EQ(Rows(book[1]), (std::vector<std::string>{"DATE|FIRST|LAST|STATUS",
                                                       "D:2004-06-22|08:00:00|17:00:00|OK"}));
    EXPECT_EQ(Rows(book[2]), (std::vector<std::string>{"DATE|FIRST|LAST|STATUS",
                                                       "D:2004-06-23|09:00:00|No LAST|"}));
}

TEST_F(ResultExport, PairsTooMuchSkipsTheRestOfTheDay) {
    fx.Add(101, {{"2004-06-22 08:00", 1},
                 {"2004-06-22 12:00", 2},
                 {"2004-06-22 13:00", 1},
                 {"2004-06-22 17:00", 2},
                 {"2004-06-23 09:00", 1},
                 {"2004-06-23 09:30", 0},  // CLOCK: not a record of interest here
                 {"2004-06-23 17:00", 2},
                 {"2004-06-24 09:00", 1}});
    // The dialog's "ALL" is overridden: pairs always read IN/OUT records.
    auto book = Export(ExportKind::Pairs, Params(2));
    ASSERT_EQ(book.size(), 1u);
    const std::vector<std::string> expected{
        "NAME|GROUP|DATE|IN1|OUT1|STATUS",
        "ALICE|OFFICE|D:2004-06-22|08:00:00|12:00:00|Too much",
        "||D:2004-06-23|09:00:00|17:00:00|OK",
        "||D:2004-06-24|09:00:00||Incomplete",
    };
    EXPECT_EQ(Rows(book[0]), expected);
}

// Which exports add "No record" rows for gap days, and which also for the days after a
// holder's last record (through the period's last day) and for a holder without records.
TEST_F(ResultExport, PrintBlankLinesPerExport) {
    fx.source.AddHolder(102, "BOB", 1);
    fx.Add(101, {{"2004-06-22 08:00", 1},
                 {"2004-06-22 17:00", 2},
                 {"2004-06-24 08:00", 1},
                 {"2004-06-24 17:00", 2}});
    fx.source.AddPeriod(1, {Hm(8, 0), Hm(17, 0)});
    // DATE and the first result column of each row, ALICE then BOB; "-" for an empty cell.
    struct Case {
        ExportKind kind;
        std::vector<std::string> rows;
    };
    const std::vector<std::string> filo{
        "ALICE 21 - No record", "22 08:00:00 OK", "23 - No record", "24 08:00:00 OK",
        "25 - No record",       "26 - No record", "27 - No record", "BOB 21 - No record",
        "22 - No record",       "23 - No record", "24 - No record", "25 - No record",
        "26 - No record",       "27 - No record"};
    const std::vector<std::string> timeLogs{
        "ALICE 21 -", "22 8:00:00 AM", "23 -", "24 8:00:00 AM", "25 -", "26 -", "27 -",
        "BOB 21 -",   "22 -",          "23 -", "24 -",          "25 -", "26 -", "27 -"};
    const Case cases[] = {
        {ExportKind::FirstLast, filo},
        {ExportKind::TimeLogs, timeLogs},
        {ExportKind::Pairs,
         {"ALICE 21 - No record", "22 08:00:00 OK", "23 - No record", "24 08:00:00 OK"}},
        {ExportKind::LateEarly, {"ALICE 21 -", "22 08:00:00", "23 -", "24 08:00:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(TraitsOf(c.kind).caption);
        auto book = Export(c.kind, Params(2, true, RecordsOfInterest::InOut));
        ASSERT_EQ(book.size(), 1u);
        const QStringList header = book[0].rows.at(0);
        const int status = header.indexOf("STATUS");
        std::vector<std::string> got;
        for (size_t i = 1; i < book[0].rows.size(); ++i) {
            const QStringList& r = book[0].rows[i];
            QString line = r[0].isEmpty() ? QString() : r[0] + " ";
            line += r[2].right(2) + " " + (r[3].isEmpty() ? "-" : r[3]);
            if (status > 0 && !r[status].isEmpty()) line += " " + r[status];
            got.push_back(line.toStdString());
        }
        EXPECT_EQ(got, c.rows);
        // The group goes with the name, on the holder's first row only.
        EXPECT_EQ(book[0].rows.at(1).at(1), "OFFICE");
        EXPECT_EQ(book[0].rows.at(2).at(1), "");
    }
}

TEST_F(ResultExport, LateAndEarlyLeaveAgainstTheGroupTableReadOncePerHolder) {
    struct CountingSource : MemoryReportSource {
        std::vector<TimePeriod> Timetable(int groupId) override {
            ++reads[groupId];
            if (groupId == 2) throw DbError("no such table: timetbl");
            return MemoryReportSource::Timetable(groupId);
        }
        std::map<int, int> reads;
    };
    CountingSource source;
    source.AddGroup(OfficeGroup(1, "OFFICE"));
    source.AddGroup(OfficeGroup(2, "NIGHT"));
    source.AddPeriod(1, {Hm(8, 0), Hm(12, 0)});
    source.AddPeriod(1, {Hm(13, 0), Hm(17, 0)});
    source.AddHolder(101, "ALICE", 1);
    source.AddHolder(102, "BOB", 2);
    source.AddHolder(103, "CAROL", 1);
    for (int card : {101, 102, 103})
        for (auto [when, mode] : {std::pair{"2004-06-22 08:10", 1},
                                  {"2004-06-22 11:50", 2},
                                  {"2004-06-22 13:00", 1},
                                  {"2004-06-22 17:05", 2},
                                  {"2004-06-23 12:30", 1},
                                  {"2004-06-23 12:45", 2},
                                  {"2004-06-23 13:10", 1},
                                  {"2004-06-23 16:00", 2}})
            source.AddRecord(At(when), card, mode);
    const QString path = dir.filePath("late.xlsx");
    ASSERT_TRUE(WriteResultExport(
        ExportKind::LateEarly, Params(4), source,
        [&](int sheets) { return OpenXlsxWriter(path, sheets); }, messages, progress,
        At("2004-06-30 10:00")));
    EXPECT_EQ(messages.texts(), QStringList{text::kUpdateFailed});
    EXPECT_EQ(source.reads, (std::map<int, int>{{1, 2}, {2, 1}}));
    auto book = ReadWorkbook(path);
    ASSERT_EQ(book.size(), 1u);
    const std::vector<std::string> expected{
        "NAME|GROUP|DATE|IN1|LT1|OUT1|EL1|IN2|LT2|OUT2|EL2",
        "ALICE|OFFICE|D:2004-06-22|08:10:00|00:10:00|11:50:00|00:10:00|13:00:00|00:00:00|"
        "17:05:00|00:00:00",
        // 12:30-12:45 falls to slot 2; the later pair of slot 2 is left out
        "||D:2004-06-23|||||12:30:00|00:00:00|12:45:00|04:15:00",
        "CAROL|OFFICE|D:2004-06-22|08:10:00|00:10:00|11:50:00|00:10:00|13:00:00|00:00:00|"
        "17:05:00|00:00:00",
        "||D:2004-06-23|||||12:30:00|00:00:00|12:45:00|04:15:00",
    };
    EXPECT_EQ(Rows(book[0]), expected);
}

TEST_F(ResultExport, OddHolderNamesGiveValidUniqueSheets) {
    const QString longName = "ABCDEFGHIJ KLMNOPQRST UVWXYZ 0123456789";
    int card = 200;
    for (const QString& name :
         {QString("A/B"), QString("[x]:*?\\"), longName, QString("ANN LEE"), QString("ANN_LEE"),
          QString("'quoted'"), QString("Bob"), QString("BOB")})
        fx.source.AddHolder(++card, name, 1);
    ReportParameters p = Params(4);
    p.newPage = true;
    auto book = Export(ExportKind::FirstLast, p);
    QStringList names;
    for (const auto& s : book) names << s.name;
    EXPECT_EQ(names, (QStringList{"_quoted_", "_x_____", "A_B", "ABCDEFGHIJ_KLMNOPQRST_UVWXYZ_01",
                                  "ALICE", "ANN_LEE", "ANN_LEE_2", "Bob", "BOB_2"}));
}

TEST(SheetNames, CutAndNumberWithinTheLimit) {
    SheetNames names;
    const QString thirtyOne(31, 'N');
    EXPECT_EQ(names.Make(thirtyOne + "MORE"), thirtyOne);
    EXPECT_EQ(names.Make(thirtyOne), QString(29, 'N') + "_2");
    EXPECT_EQ(names.Make(thirtyOne.toLower()), QString(29, 'n') + "_3");
    EXPECT_EQ(names.Make(""), "_");
    EXPECT_EQ(names.Make(QString(30, 'a') + "'b"), QString(30, 'a') + "_");
}

// "Records per line" and "Records of interest" decide the columns and their names.
TEST(ExportColumns, PerExportAndChoice) {
    struct Case {
        ExportKind kind;
        int perLine;
        RecordsOfInterest records;
        bool single;
        const char* columns;
    };
    const Case cases[] = {
        {ExportKind::FirstLast, 8, RecordsOfInterest::All, true,
         "NAME GROUP DATE FIRST LAST STATUS"},
        {ExportKind::FirstLast, 2, RecordsOfInterest::InOut, false, "DATE IN OUT STATUS"},
        {ExportKind::Pairs, 4, RecordsOfInterest::Clock, false, "DATE IN1 OUT1 IN2 OUT2 STATUS"},
        {ExportKind::TimeLogs, 6, RecordsOfInterest::All, false,
         "DATE TIME1 TIME2 TIME3 TIME4 TIME5 TIME6"},
        {ExportKind::LateEarly, 2, RecordsOfInterest::All, true,
         "NAME GROUP DATE IN1 LT1 OUT1 EL1"},
    };
    for (const Case& c : cases) {
        ReportParameters p;
        p.recordsPerLine = c.perLine;
        p.records = c.records;
        EXPECT_EQ(ExportColumns(c.kind, ExportParameters(c.kind, p), c.single).join(' '),
                  c.columns);
    }
}

// Makes path impossible to remove: its folder read-only, and for a user whom permissions do not
// stop (root), the file immutable. False when neither holds on this machine.
bool MakeUndeletable(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    chmod(folder.constData(), 0555);
    if (access(folder.constData(), W_OK) != 0) return true;
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags |= FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return ok;
}

void MakeDeletable(const QString& path) {
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL)) {
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) close(fd);
    chmod(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), 0755);
}

// The menu action with the screen ports: the order of its steps and what each shows.
class ExportAction : public ResultExport {
protected:
    void SetUp() override {
        ResultExport::SetUp();
        fx.source.AddHolder(102, "BOB", 1);
        fx.Add(101, {{"2004-06-22 08:00", 1}, {"2004-06-22 17:00", 2}});
        WriteSettingText("LastDataPath", dir.path());
    }
    QString Run(ExportKind kind) {
        return RunExportAction(
            kind, fx.source,
            [&](ExportKind k) -> std::optional<ReportParameters> {
                asked.push_back(k);
                return scopeAnswer;
            },
            dialogs, messages, progress, [] { return At("2004-06-30 10:00"); });
    }
    std::optional<ReportParameters> scopeAnswer = Params(2);
    std::vector<ExportKind> asked;
    RecordingFileDialogs dialogs;
};

TEST_F(ExportAction, RunsDialogSaveDialogProgressAndCompletion) {
    const QString path = dir.filePath("pairs.xlsx");
    dialogs.answers.push_back(dir.filePath("pairs"));  // the extension is added
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older file");
    old.close();
    EXPECT_EQ(Run(ExportKind::Pairs), path);
    EXPECT_EQ(asked, std::vector<ExportKind>{ExportKind::Pairs});
    EXPECT_EQ(dialogs.asked, QStringList{"IN/OUT Pairs|" + dir.filePath("IN OUT pairs") +
                                         "|Excel File (*.xlsx);;All File (*)"});
    EXPECT_EQ(ReadSettingText("LastDataPath", ""), dir.path());
    ASSERT_EQ(progress.runs.size(), 1);
    EXPECT_EQ(progress.runs[0].caption, "Exporting (2 members)");
    EXPECT_EQ(progress.runs[0].captions, (QStringList{"Exporting: ALICE", "Exporting: BOB"}));
    EXPECT_EQ(progress.runs[0].position, 2);
    EXPECT_TRUE(progress.runs[0].closed);
    EXPECT_EQ(messages.texts(), QStringList{text::CompletedFile(path)});
    auto book = ReadWorkbook(path);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(Join(book[0].rows.at(1)), "ALICE|OFFICE|D:2004-06-22|08:00:00|17:00:00|OK");
}

TEST_F(ExportAction, StopsAtAnEmptyLogOrACancelledDialog) {
    // Cancel in the scope dialog: no save dialog.
    scopeAnswer.reset();
    EXPECT_EQ(Run(ExportKind::TimeLogs), "");
    EXPECT_TRUE(dialogs.asked.isEmpty());
    // Cancel in the save dialog: the empty folder is stored, nothing is written.
    scopeAnswer = Params(2);
    EXPECT_EQ(Run(ExportKind::TimeLogs), "");
    EXPECT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(ReadSettingText("LastDataPath", "x"), "");
    EXPECT_TRUE(progress.runs.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
    // An empty log: "No record." before any dialog.
    ReportFixture empty;
    asked.clear();
    EXPECT_EQ(RunExportAction(
                  ExportKind::FirstLast, empty.source,
                  [&](ExportKind k) -> std::optional<ReportParameters> {
                      asked.push_back(k);
                      return Params(2);
                  },
                  dialogs, messages, progress),
              "");
    EXPECT_EQ(messages.texts(), QStringList{text::kNoRecord});
    EXPECT_TRUE(asked.empty());
}

TEST_F(ExportAction, FileThatCannotBeDeletedShowsTheErrorAndWritesNothing) {
    QTemporaryDir locked;
    const QString path = QDir(locked.path()).filePath("held.xlsx");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("held by another program");
    old.close();
    if (!MakeUndeletable(path)) {
        MakeDeletable(path);
        GTEST_SKIP() << "no way to make a file undeletable here";
    }
    dialogs.answers.push_back(path);
    const QString written = Run(ExportKind::FirstLast);
    MakeDeletable(path);
    EXPECT_EQ(written, "");
    EXPECT_EQ(messages.texts(), QStringList{"File is in use by other application: " + path});
    EXPECT_TRUE(progress.runs.isEmpty());
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "held by another program");
}

}  // namespace

TEST_F(ResultExport, DaysOffFillTheAbsenceColumnEvenWithoutBlankLines) {
    fx.Add(101, {{"2004-06-23 09:00", 1}, {"2004-06-23 13:00", 2}});
    Absence half;
    half.cardno = 101;
    half.from = half.to = QDate(2004, 6, 23);
    half.half = HalfDay::Second;
    half.type = "V";
    fx.source.AddAbsence(half);
    fx.source.AddHoliday(QDate(2004, 6, 25), "Midsummer");
    fx.source.AddPeriod(1, {Hm(9, 0), Hm(17, 0)});
    // DATE, the first result column and the last two (STATUS where there is one, ABSENCE).
    for (const ExportKind kind : {ExportKind::FirstLast, ExportKind::LateEarly}) {
        SCOPED_TRACE(TraitsOf(kind).caption);
        auto book = Export(kind, Params(2, false, RecordsOfInterest::InOut));
        ASSERT_EQ(book.size(), 1u);
        const QStringList header = book[0].rows.at(0);
        EXPECT_EQ(header.last(), "ABSENCE");
        std::vector<std::string> got;
        for (size_t i = 1; i < book[0].rows.size(); ++i) {
            const QStringList& r = book[0].rows[i];
            got.push_back((r[2].right(2) + "|" + r[3] + "|" + r.last()).toStdString());
        }
        EXPECT_EQ(got, (std::vector<std::string>{"23|09:00:00|Vacation (second half)",
                                                 "25||Holiday: Midsummer"}));
        const int status = header.indexOf("STATUS");
        if (status > 0) EXPECT_EQ(book[0].rows[2][status], "");  // not "No record"
    }
}
