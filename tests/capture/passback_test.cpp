// Anti-passback on both engines: the state moves only between IN and OUT, and two stations
// presenting the same card at the same moment admit it once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "capture/passback.h"
#include "storage/engines.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

constexpr int kIn = 0, kOut = 1;

class Passback : public EngineFixture {
protected:
    // A connection of another station to the same system tables.
    std::unique_ptr<Connection> otherStation() {
        if (GetParam() == Engine::Server) return OpenServerDatabase(url(), OpenMode::ReadWrite);
        return OpenDatabase(store().sysDbPath(), kSysDbPassword, OpenMode::ReadWrite);
    }
};

TEST_P(Passback, StateMovesOnlyBetweenInAndOut) {
    const struct {
        int card, mode;
        bool admitted;
    } steps[] = {
        {7, kIn, true},   {7, kIn, false}, {7, kOut, true}, {7, kOut, false},
        {7, kIn, true},   {8, kOut, true}, {8, kIn, true},  {7, kIn, false},
    };
    for (const auto& s : steps)
        EXPECT_EQ(TakePassage(src(), s.card, s.mode), s.admitted) << s.card << " " << s.mode;
    auto q = src().prepare("SELECT count(*) FROM apb");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 2);
}

TEST_P(Passback, TwoStationsAtOnceAdmitOnce) {
    auto a = otherStation();
    auto b = otherStation();
    int doubles = 0, none = 0;
    for (int trial = 0; trial < 100; ++trial) {
        // Half the trials race the first state of a card, half a change of an existing one.
        const int card = 1000 + trial;
        if (trial % 2) {
            ASSERT_TRUE(TakePassage(src(), card, kOut));
        }
        std::atomic<int> ready{0};
        bool admittedA = false, admittedB = false;
        auto race = [&ready](Connection& c, int card, bool& admitted) {
            ++ready;
            while (ready < 2) {
            }
            admitted = TakePassage(c, card, kIn);
        };
        std::thread ta(race, std::ref(*a), card, std::ref(admittedA));
        std::thread tb(race, std::ref(*b), card, std::ref(admittedB));
        ta.join();
        tb.join();
        doubles += admittedA && admittedB;
        none += !admittedA && !admittedB;
    }
    EXPECT_EQ(doubles, 0);
    EXPECT_EQ(none, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, Passback, kBothEngines, EngineName);

}  // namespace
