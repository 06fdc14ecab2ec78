#include "capture_fixture.h"

#include "reader/frames.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// The reader's bypass report: "P" pressed, "p" released, as one-character answer frames.
QByteArray press() { return AnswerFrame('P'); }
QByteArray release() { return AnswerFrame('p'); }

class Bypass : public OnBothEngines<CaptureFixture> {
protected:
    std::vector<LogRecord> bypassRows() {
        std::vector<LogRecord> out;
        for (const auto& r : rows())
            if (r.cardno == -1) out.push_back(r);
        return out;
    }
};

TEST_P(Bypass, ReleaseAndLogByMotion) {
    struct Case {
        const char* name;
        std::vector<ReaderSetup> readers;
        int pressedPort;
        std::array<QStringList, 4> sent;
        int rowsLogged;
    };
    const Case cases[] = {
        {"Motion -1: releases its own lock, logs nothing",
         {{.port = 3, .mode = 1, .lockTime = 6, .bypass = 3, .motion = -1}},
         3,
         {QStringList{}, QStringList{}, QStringList{"~Y6"}},
         0},
        {"Motion 0: another enabled lock, one row",
         {{.port = 1, .mode = 2, .bypass = 2, .motion = 0}, {.port = 2, .lockTime = 4}},
         1,
         {QStringList{"~y"}, QStringList{"~Y4"}},
         1},
        {"Bypass 0: no release, still one row",
         {{.port = 1, .mode = 1, .bypass = 0, .motion = 0}},
         1,
         {},
         1},
        {"bypass lock link not enabled: no release, no signal",
         {{.port = 1, .mode = 1, .bypass = 2, .motion = 0}, {.port = 2, .enable = false}},
         1,
         {},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store.att().execute("DELETE FROM recorder");
        store.src().execute("UPDATE reader SET ENABLE = 0");
        setup(c.readers);
        received(50);
        pty[c.pressedPort - 1]->write(press());
        auto got = received(300);
        EXPECT_EQ(got, c.sent);
        auto logged = bypassRows();
        ASSERT_EQ(int(logged.size()), c.rowsLogged);
        if (!logged.empty()) {
            EXPECT_EQ(logged[0].reader, c.pressedPort);
            EXPECT_EQ(logged[0].lock, 0);
            EXPECT_EQ(logged[0].mode, c.readers[0].mode);
        }
        pty[c.pressedPort - 1]->write(release());
        RunEventsFor(50);
        EXPECT_FALSE(capture.repeating());
    }
}

TEST_P(Bypass, RowKeepsMillisecondsOfThePcClock) {
    now = EncodeDateTime(2004, 6, 26, 10, 0, 0, 250);
    setup({{.port = 1, .mode = 1, .motion = 0}});
    pty[0]->write(press());
    ASSERT_TRUE(WaitUntil([&] { return !bypassRows().empty(); }));
    EXPECT_EQ(bypassRows()[0].systime, now);
}

TEST_P(Bypass, RepeatWhileHeldStopsOnReleaseOrPowerup) {
    setup({{.port = 1, .mode = 1, .motion = 1}, {.port = 2, .mode = 1, .motion = 0}});
    // Held about 2.5 s from its first row: rows at 0, 1 and 2 seconds; the release stops the
    // repeats. (The hold is timed from the first row: a slow first write must not eat it.)
    pty[0]->write(press());
    ASSERT_TRUE(WaitUntil([&] { return bypassRows().size() == 1; }));
    RunEventsFor(2500);
    pty[0]->write(release());
    RunEventsFor(1300);
    EXPECT_EQ(bypassRows().size(), 3u);
    EXPECT_FALSE(capture.repeating());

    // A power-up report of any reader stops them too.
    pty[0]->write(press());
    ASSERT_TRUE(WaitUntil([&] { return capture.repeating(); }));
    pty[1]->write(AnswerFrame('R'));
    ASSERT_TRUE(WaitUntil([&] { return !capture.repeating(); }));
    EXPECT_EQ(bypassRows().size(), 4u);

    // A press on a link with Motion 0 takes over and stops the timer. (Link 2 first waits out
    // the answer time of the clock it sent on the power-up.)
    RunEventsFor(600);
    pty[0]->write(press());
    ASSERT_TRUE(WaitUntil([&] { return capture.repeating(); }));
    pty[1]->write(press());
    ASSERT_TRUE(WaitUntil([&] { return !capture.repeating(); }));
    EXPECT_EQ(bypassRows().size(), 6u);
}

TEST_P(Bypass, DoorOpenButtonReleasesOnlyItsPort) {
    setup({{.port = 4, .mode = 1, .lockTime = 7}});
    struct Case {
        int doorPort;
        QStringList onPort4;
    };
    const Case cases[] = {{4, {"~Y7"}}, {0, {}}, {9, {}}};
    for (const auto& c : cases) {
        WriteSettingInt("DoorOpenPortNo", c.doorPort);
        beeps = 0;
        capture.DoorOpenClick();
        auto got = received();
        EXPECT_EQ(got[3], c.onPort4) << c.doorPort;
        EXPECT_EQ(beeps, 1);
    }
    EXPECT_TRUE(rows().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, Bypass, kBothEngines, EngineName);

}  // namespace
