#include "capture_fixture.h"
#include "people/door_rights.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class RepeatReads : public OnBothEngines<CaptureFixture> {
protected:
    void SetUp() override {
        CaptureFixture::SetUp();
        setup({{.port = 1, .mode = 1, .lock = 1, .lockTime = 3}, {.port = 2, .mode = 1}});
        for (int p = 1; p <= kPorts; ++p) links.link(p)->SetClock([this] { return now; });
        holder(100, "ANN", {1});
        capture.feedback.repeatIgnored = [this](int n) { shownRepeats = n; };
    }
    // Plays a read at `seconds` after the first and answers what port's reader received.
    QStringList readAt(int port, int card, int seconds) {
        now = start.addSecs(seconds);
        pty[port - 1]->write(CardFrame(card));
        return received(300)[port - 1];
    }
    DateTime start = EncodeDateTime(2004, 6, 26, 10, 0, 0);
    int shownRepeats = 0;
};

TEST_P(RepeatReads, RepeatWithinTheWindowIsAnsweredAsTheFirstAndNotLogged) {
    struct Step {
        int port, card, seconds;
        QStringList answer;
        qint64 rowsAfter;
    };
    struct Case {
        const char* name;
        int window;
        std::vector<Step> steps;
        int repeats;
    };
    const Case cases[] = {
        {"off by default: every read is logged and released",
         0,
         {{1, 100, 0, {"~Y3"}, 1}, {1, 100, 2, {"~Y3"}, 2}},
         0},
        {"released door: the repeat is accepted without a second release",
         5,
         {{1, 100, 0, {"~Y3"}, 1},
          {1, 100, 2, {"~y"}, 1},
          {1, 100, 4, {"~y"}, 1},
          {1, 100, 5, {"~Y3"}, 2}},  // the window counts from the logged read
         2},
        {"refused card: refused again, once logged",
         5,
         {{1, 999, 0, {"~N"}, 1}, {1, 999, 3, {"~N"}, 1}},
         1},
        {"same card on another reader is no repeat",
         5,
         {{1, 100, 0, {"~Y3"}, 1}, {2, 100, 1, {"~N"}, 2}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.att().execute("DELETE FROM recorder");
        WriteSettingInt(kRepeatReadSetting, c.window);
        CardCapture fresh(store, links, [this] { return now; });
        fresh.feedback.repeatIgnored = [this](int n) { shownRepeats = n; };
        CloseReaderPorts(links);
        ASSERT_TRUE(OpenReaderPorts(links, store.src(), fresh.hooks(), nullptr));
        for (int p = 1; p <= kPorts; ++p) links.link(p)->SetClock([this] { return now; });
        shownRepeats = 0;
        for (const Step& s : c.steps) {
            EXPECT_EQ(readAt(s.port, s.card, s.seconds), s.answer) << "at +" << s.seconds;
            EXPECT_EQ(LogTable(store.att()).count(), s.rowsAfter) << "at +" << s.seconds;
        }
        EXPECT_EQ(fresh.repeatsToday(), c.repeats);
        EXPECT_EQ(shownRepeats, c.repeats);
        CloseReaderPorts(links);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RepeatReads, kBothEngines, EngineName);

}  // namespace
