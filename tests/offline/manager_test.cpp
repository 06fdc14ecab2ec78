// The manager's workflows against the simulated stand-alone reader: read-back, put, clock,
// download with its merge and counters, clear, master PIN, card information upload.
#include <QRegularExpression>

#include "offline_fixture.h"
#include "people/period_close.h"
#include "reader/frames.h"
#include "storage/audit.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class OfflineManagerTest : public OfflineReaderTest {
protected:
    std::vector<LogRecord> LogRows() {
        return LogTable(store.att()).page(0, 1000000, LogOrder::OldestFirst);
    }
};

TEST_F(OfflineManagerTest, ReadBackFillsTheValuesStepByStep) {
    Type("line1 HELLO WORLD\nline2  second line\npin 4321\noptions 3F\nmode C0");
    // Timetable through the command layer: entry 1 IN at 08:30, entry 8 OUT at 17:45.
    {
        Timetable t{};
        t[0] = {1, 8, 30};
        t[7] = {2, 17, 45};
        OfflineLink ol(link(), FixedClock(OfflineNow()));
        ASSERT_TRUE(ol.WriteReaderSetting(ReaderSetting::Timetable, TimetableBytes(t)));
        ASSERT_TRUE(ol.WriteClock());
    }
    OfflineManager m = Manager();
    QStringList steps;
    m.onStatus = [&](const QString& s) { steps << s; };
    OfflineValues v;
    ASSERT_TRUE(m.ReadBack(kPort, v));
    EXPECT_EQ(steps, (QStringList{"Locking", "Get Line 1", "Get Line 2", "Get Clock", "Get PIN",
                                  "Get Options", "Get Mode", "Get Timetable", "UnLocking", ""}));
    EXPECT_EQ(messages.texts(), QStringList{"Settings are loaded successfully."});
    EXPECT_EQ(v.line1, "HELLO WORLD     ");
    EXPECT_EQ(v.line2, " second line    ");
    EXPECT_EQ(v.pin, 4321);
    EXPECT_EQ(v.options, 0x1F);  // only the low five bits
    EXPECT_EQ(v.timetable[0].mode, 1);
    EXPECT_EQ(v.timetable[0].hour, 8);
    EXPECT_EQ(v.timetable[0].minute, 30);
    EXPECT_EQ(v.timetable[7].mode, 2);
    EXPECT_EQ(v.timetable[7].hour, 17);
    EXPECT_EQ(v.timetable[7].minute, 45);
    EXPECT_LE(std::abs(SecondsBetween(OfflineNow(), v.readerClock)), 2);

    // A reader that stops answering after "Get Line 1": line 1 read, the rest kept.
    Type("line1 AGAIN\npin 1\nsilent-after 2");
    OfflineValues w;
    w.pin = 77;
    messages.clear();
    steps.clear();
    EXPECT_FALSE(m.ReadBack(kPort, w));
    EXPECT_EQ(w.line1, "AGAIN           ");
    EXPECT_EQ(w.pin, 77);
    EXPECT_EQ(steps.last(), "");  // the status field hides
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, "error");
    EXPECT_EQ(messages.last(), "No response from the reader.");
}

TEST_F(OfflineManagerTest, PutSendsEverySettingAndTheModeByte) {
    struct Case {
        int linkMode;
        bool entryInUse;
        const char* modeLine;
    } cases[] = {
        {0, false, "packet 00 08 05 80"},
        {0, true, "packet 00 08 05 C0"},
        {2, true, "packet 00 08 05 40"},
        {1, false, "packet 00 08 05 00"},
    };
    for (const Case& c : cases) {
        link().Mode = c.linkMode;
        link().LockTime = 5;
        OfflineValues v;
        v.line1 = "A LINE THAT IS FAR TOO LONG";
        v.line2 = "short";
        v.pin = 65535;
        v.options = 0x0B;
        v.setClock = c.linkMode == 0;
        if (c.entryInUse) v.timetable[3] = {2, 12, 5};
        OfflineManager m = Manager();
        messages.clear();
        ASSERT_TRUE(m.Put(kPort, v)) << c.linkMode;
        EXPECT_EQ(v.line1, "A LINE THAT IS F");  // cut and put back
        EXPECT_EQ(v.line2, "short           ");
        EXPECT_EQ(messages.texts(), QStringList{"Settings are sent successfully."});
        QStringList expected;
        expected << "packet 00 00 01";
        if (v.setClock) expected << "clock 2004-06-26 18:24:06 Sat";
        const QString table = QString(HexBytes(TimetableBytes(v.timetable)));
        expected << "packet 00 08 00 41 20 4C 49 4E 45 20 54 48 41 54 20 49 53 20 46"
                 << "packet 00 08 01 73 68 6F 72 74 20 20 20 20 20 20 20 20 20 20 20"
                 << "packet 00 08 08 FF FF"  // PIN 65535, low byte first
                 << "packet 00 08 04 0B"
                 << "packet 00 08 07 05"
                 << "packet 00 08 06 " + table << c.modeLine << "packet 00 00 00";
        EXPECT_EQ(Printed(), expected) << c.linkMode;
        lines.clear();
    }
    // PIN 256 goes as 00 01.
    OfflineValues v;
    v.pin = 256;
    v.setClock = false;
    OfflineManager m = Manager();
    ASSERT_TRUE(m.Put(kPort, v));
    EXPECT_TRUE(Printed().contains("packet 00 08 08 00 01"));
}

TEST_F(OfflineManagerTest, DownloadMergesAndASecondDownloadFindsOnlyDuplicates) {
    Type(
        "log add 2004-06-26T08:00:00 100 in\nlog add 2004-06-26T08:01:00 101 out\n"
        "log invalid 102\nlog add 2004-06-26T08:02:00 103 clock");
    OfflineManager m = Manager();
    DownloadResult first = m.Download(kPort, false);
    ASSERT_EQ(first.outcome, DownloadResult::Outcome::Done);
    EXPECT_EQ(messages.texts(), QStringList{"Added = 3, Duplicated = 0, Invalid = 1"});
    EXPECT_EQ(messages.shown[0].kind, "information");
    ASSERT_EQ(progress.runs.size(), 1);
    EXPECT_EQ(progress.runs[0].caption, "Downloading Logs (4 records)");
    EXPECT_EQ(progress.runs[0].maximum, 4);
    EXPECT_EQ(progress.runs[0].position, 4);
    EXPECT_TRUE(progress.runs[0].closed);
    // The invalid record was read twice, and counted once.
    EXPECT_EQ(CountPrinted("packet 00 04 00 02 00"), 2);
    EXPECT_EQ(CountPrinted("packet 00 05"), 0);  // not cleared

    auto rows = LogRows();
    ASSERT_EQ(rows.size(), 3u);
    struct Row {
        int card, mode;
        DateTime t;
    } want[] = {{100, 1, EncodeDateTime(2004, 6, 26, 8, 0, 0)},
                {101, 2, EncodeDateTime(2004, 6, 26, 8, 1, 0)},
                {103, 0, EncodeDateTime(2004, 6, 26, 8, 2, 0)}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].cardno, want[i].card);
        EXPECT_EQ(rows[i].mode, want[i].mode);
        EXPECT_EQ(rows[i].systime, want[i].t);
        EXPECT_EQ(rows[i].reader, kPort);
        EXPECT_EQ(rows[i].lock, 0);
    }

    messages.clear();
    lines.clear();
    DownloadResult second = m.Download(kPort, true);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(messages.texts(), QStringList{"Added = 0, Duplicated = 3, Invalid = 1"});
    EXPECT_EQ(LogRows().size(), 3u);
    // Cleared with the capacity word of the second capacity answer, then unlocked.
    const QStringList printed = Printed();
    ASSERT_GE(printed.size(), 2);
    EXPECT_EQ(printed.mid(printed.size() - 2),
              (QStringList{"packet 00 05 00 FF FF", "packet 00 00 00"}));
    Type("");
    EXPECT_TRUE(lastState.startsWith("state records 0 ")) << lastState.toStdString();

    // Nothing left on the reader.
    messages.clear();
    EXPECT_EQ(m.Download(kPort, true).outcome, DownloadResult::Outcome::Empty);
    EXPECT_EQ(messages.texts(), QStringList{"No record to download."});
}

// A download into a closed period is logged whole; the reads dated within it are counted, said
// and audited.
TEST_F(OfflineManagerTest, DownloadIntoAClosedPeriodIsLoggedAndCounted) {
    ClosePeriod(store.src(), QDate(2004, 6, 25));
    Type(
        "log add 2004-06-24T08:00:00 100 in\nlog add 2004-06-25T17:00:00 100 out\n"
        "log add 2004-06-26T08:00:00 101 in");
    OfflineManager m = Manager();
    const DownloadResult r = m.Download(kPort, false);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.intoClosed, 2);
    EXPECT_EQ(LogRows().size(), 3u);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Added = 3, Duplicated = 0, Invalid = 0",
                           "2 read(s) arrived dated within the closed period up to 2004-06-25; "
                           "they are logged."}));
    const auto audit = AuditLog(store.src()).page({}, std::nullopt, 1);
    ASSERT_EQ(audit.size(), 1u);
    EXPECT_EQ(audit[0].action, "Reads into a closed period");
    EXPECT_EQ(audit[0].subject, QString("COM%1").arg(kPort));
}

TEST_F(OfflineManagerTest, ManyRecordsDownloadWithoutAFailure) {
    // Past the 3,000 to 4,000 records where downloads are said to break elsewhere.
    Type("log generate 5000");
    OfflineManager m = Manager();
    DownloadResult r = m.Download(kPort, false);
    ASSERT_EQ(r.outcome, DownloadResult::Outcome::Done);
    EXPECT_EQ(r.added, 5000);
    EXPECT_EQ(LogTable(store.att()).count(), 5000);
    EXPECT_EQ(messages.texts(), QStringList{"Added = 5000, Duplicated = 0, Invalid = 0"});
}

TEST_F(OfflineManagerTest, AnInterruptedDownloadKeepsWhatWasMerged) {
    Type("log generate 1200\nsilent-after 1003");  // lock, 2 capacities, 1000 records
    OfflineManager m = Manager();
    DownloadResult r = m.Download(kPort, true);
    EXPECT_EQ(r.outcome, DownloadResult::Outcome::NoAnswer);
    EXPECT_EQ(messages.texts(), QStringList{"No response from the reader."});
    EXPECT_TRUE(progress.runs[0].closed);
    EXPECT_EQ(LogTable(store.att()).count(), 1000);
    EXPECT_EQ(CountPrinted("packet 00 05"), 0);  // never cleared

    Type("silent-after 0");
    messages.clear();
    r = m.Download(kPort, false);
    EXPECT_EQ(messages.texts(), QStringList{"Added = 200, Duplicated = 1000, Invalid = 0"});
    EXPECT_EQ(LogTable(store.att()).count(), 1200);
}

TEST_F(OfflineManagerTest, CapacityAnswersThatDifferStopTheDownload) {
    Type("log generate 10\ncapacity-flaky on");
    OfflineManager m = Manager();
    EXPECT_EQ(m.Download(kPort, true).outcome, DownloadResult::Outcome::NotReliable);
    EXPECT_EQ(messages.texts(), QStringList{"The data link is not reliable, please try later."});
    EXPECT_EQ(messages.shown[0].kind, "error");
    EXPECT_EQ(LogTable(store.att()).count(), 0);
    EXPECT_EQ(Printed(), (QStringList{"packet 00 00 01", "packet 00 03 00", "packet 00 03 00",
                                      "packet 00 00 00"}));
}

TEST_F(OfflineManagerTest, ClearRecordAsksFirst) {
    Type("log generate 3\ncapacity 4000");
    OfflineManager m = Manager();
    messages.answerNext(false);
    EXPECT_FALSE(m.ClearRecord(kPort));
    EXPECT_EQ(messages.shown[0].kind, "warningYesNo");
    EXPECT_TRUE(Printed().isEmpty());

    messages.clear();
    EXPECT_TRUE(m.ClearRecord(kPort));
    EXPECT_EQ(messages.texts(),
              (QStringList{"The attendance logs cannot be restored after clearing. Are you sure?",
                           "All records are cleared."}));
    EXPECT_EQ(Printed(), (QStringList{"packet 00 00 01", "packet 00 03 00", "packet 00 05 00 A0 0F",
                                      "packet 00 00 00"}));
    messages.clear();
    EXPECT_TRUE(m.ClearRecord(kPort));
    EXPECT_EQ(messages.last(), "No record to clear.");
}

TEST_F(OfflineManagerTest, MasterPinAndClock) {
    Type("masterpin 9999");
    OfflineManager m = Manager();
    int pin = 0;
    ASSERT_TRUE(m.ReadMasterPin(kPort, pin));
    EXPECT_EQ(pin, 9999);
    EXPECT_TRUE(messages.shown.isEmpty());
    ASSERT_TRUE(m.PutMasterPin(kPort, 0));
    EXPECT_EQ(messages.texts(), QStringList{"Master PIN is sent successfully."});
    ASSERT_TRUE(m.SynchronizeClock(kPort));
    EXPECT_EQ(messages.last(), "Clock set.");
    EXPECT_EQ(Printed(),
              (QStringList{"packet 00 00 01", "packet 00 07 09", "packet 00 00 00",
                           "packet 00 00 01", "packet 00 08 09 00 00", "packet 00 00 00",
                           "packet 00 00 01", "clock 2004-06-26 18:24:06 Sat", "packet 00 00 00"}));
}

TEST_F(OfflineManagerTest, CardInformationUploadSendsTheAccessPages) {
    struct Case {
        int holders;
        int pages;
        bool lastAllFF;
    } cases[] = {{0, 1, true}, {11, 2, true}, {12, 2, true}, {13, 2, false}, {24, 3, true}};
    int added = 0;
    const QString allFF = QString("FF ").repeated(kPageBytes).trimmed();
    for (const Case& c : cases) {
        while (added < c.holders) {
            // Names in reverse card order: pages follow the names.
            AddHolder(5000 - added, QString("Holder %1").arg(added, 3, 10, QChar('0')), false,
                      added % 2 ? kPort : 1);
            ++added;
        }
        OfflineManager m = Manager();
        messages.clear();
        lines.clear();
        ASSERT_TRUE(m.UploadCardInformation(kPort)) << c.holders;
        EXPECT_EQ(messages.last(), "Card Information uploaded successfully.");
        const QStringList printed = Printed();
        const QStringList raw = printed.filter(QRegularExpression("^raw "));
        ASSERT_EQ(raw.size(), c.pages) << c.holders;
        EXPECT_EQ(raw.last().mid(4) == allFF, c.lastAllFF) << c.holders;
        EXPECT_EQ(printed.filter("packet 00 09 01").size(), c.pages);
        if (c.holders > 0) {
            // Holder 000 (card 5000 = 00 13 88), not allowed on this port, first.
            EXPECT_TRUE(raw[0].startsWith("raw 00 00 13 88 FF FF 48 6F 6C")) << c.holders;
        }
    }
}

}  // namespace
