#include "capture_fixture.h"
#include "people/time_profiles.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class ScheduleAtTheDoor : public OnBothEngines<CaptureFixture> {};

// One card with the right for the door of COM1 on a Monday-to-Friday 07:00-19:00 profile:
// admitted at 08:00 on a Tuesday, refused like a holder without the right at 08:00 on the
// Saturday and on the holiday; every read is logged, only the admitted one with its lock.
TEST_P(ScheduleAtTheDoor, AdmitsOnlyInsideTheProfile) {
    setup({{.port = 1, .mode = 1, .lock = 1, .lockTime = 3}});
    TimeProfile p;
    p.name = "Office hours";
    p.periods = {{7 * 60, 19 * 60}};
    p.days = {true, true, true, true, true, false, false};
    ScheduleStore schedules(store.src());
    const int id = schedules.saveProfile(p);
    schedules.saveHoliday({QDate(2004, 6, 24), "Midsummer"});
    holder(100, "ANN", {1});
    HolderRecord h = *StaffTable(store.src()).byCard(100);
    h.accessgrp = id;
    StaffTable(store.src()).update(h);
    holder(200, "BOB", {1});  // on "Always"
    std::vector<std::pair<int, int>> refused;
    capture.feedback.outsideSchedule = [&](int card, int port) { refused.push_back({card, port}); };

    struct Case {
        const char* when;
        DateTime now;
        int card;
        QString answer;
        int lock;
    };
    const Case cases[] = {
        {"Tuesday 08:00", EncodeDateTime(2004, 6, 22, 8, 0, 0), 100, "~Y3", 1},
        {"Saturday 08:00", EncodeDateTime(2004, 6, 26, 8, 0, 0), 100, "~N", 0},
        {"holiday Thursday 08:00", EncodeDateTime(2004, 6, 24, 8, 0, 0), 100, "~N", 0},
        {"Saturday 08:00, Always", EncodeDateTime(2004, 6, 26, 8, 0, 0), 200, "~Y3", 1},
    };
    for (const Case& c : cases) {
        now = c.now;
        present(1, CardFrame(c.card));
        EXPECT_EQ(received()[0], QStringList{c.answer}) << c.when;
        const LogRecord row = rows().back();
        EXPECT_EQ(row.cardno, c.card) << c.when;
        EXPECT_EQ(row.lock, c.lock) << c.when;
        EXPECT_EQ(row.reader, 1) << c.when;
    }
    EXPECT_EQ(rows().size(), 4u);
    EXPECT_EQ(refused, (std::vector<std::pair<int, int>>{{100, 1}, {100, 1}}));
}

// Anti-passback keeps its own state: a read refused by the schedule does not count as a pass.
TEST_P(ScheduleAtTheDoor, RefusalLeavesAntiPassbackAlone) {
    setup({{.port = 1, .mode = 1, .lock = 1, .apb = true}});
    TimeProfile p;
    p.name = "Mornings";
    p.periods = {{6 * 60, 12 * 60}};
    p.days.fill(true);
    const int id = ScheduleStore(store.src()).saveProfile(p);
    holder(100, "ANN", {1});
    HolderRecord h = *StaffTable(store.src()).byCard(100);
    h.accessgrp = id;
    StaffTable(store.src()).update(h);

    now = EncodeDateTime(2004, 6, 22, 13, 0, 0);
    present(1, CardFrame(100));
    EXPECT_EQ(received()[0], QStringList{"~N"});
    now = EncodeDateTime(2004, 6, 23, 8, 0, 0);
    present(1, CardFrame(100));  // the first pass of the IN reader
    EXPECT_EQ(received()[0], QStringList{"~Y1"});
}

INSTANTIATE_TEST_SUITE_P(Engines, ScheduleAtTheDoor, kBothEngines, EngineName);

}  // namespace
