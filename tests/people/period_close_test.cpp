// The closed period: closing and reopening (audited, the reopen behind the password), and the
// changes it refuses: absences, and manual records added, moved or deleted within it.

#include "people/period_close.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>

#include "people/absences.h"
#include "people/login.h"
#include "people/manual_record_store.h"
#include "people/store_fixture.h"
#include "people/ui/period_dialogs.h"
#include "storage/audit.h"
#include "storage/engines.h"

using namespace horalog;
using horalog::testing::PeopleStoreTest;

namespace {

const char* const kClosedText = "The period up to 2026-11-30 is closed.";

// The password prompt answered with a typed text; false when the check refuses it.
struct TypedPassword : PasswordPrompts {
    QString typed;
    bool askPassword(const QString&, const std::function<bool(const QString&)>& accept) override {
        return accept(typed);
    }
    bool askNewPassword(const std::function<bool(const QString&, const QString&,
                                                 const std::function<void()>&)>&) override {
        return false;
    }
};

class PeriodClose : public PeopleStoreTest {
protected:
    void SetUp() override {
        PeopleStoreTest::SetUp();
        src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (100, 'ANN')");
    }
    QStringList auditActions() {
        QStringList out;
        for (const AuditRecord& r : AuditLog(src()).page({}, std::nullopt, 10))
            out.prepend(r.action + ": " + r.oldText + " -> " + r.newText);
        return out;
    }
};

TEST_F(PeriodClose, CloseReopenAndTheirTrail) {
    EXPECT_EQ(CurrentPeriod(src()).Text(), "open");
    ClosePeriod(src(), QDate(2026, 11, 30));
    const PeriodState s = CurrentPeriod(src());
    EXPECT_EQ(s.closedTo, QDate(2026, 11, 30));
    EXPECT_TRUE(s.Text().startsWith("Closed on ")) << s.Text().toStdString();
    EXPECT_TRUE(s.Closes(QDate(2026, 11, 30)));
    EXPECT_FALSE(s.Closes(QDate(2026, 12, 1)));
    try {
        ClosePeriod(src(), QDate(2026, 11, 15));  // closed that far already
        ADD_FAILURE();
    } catch (const PeriodClosed& closed) {
        EXPECT_EQ(closed.message, kClosedText);
    }
    EXPECT_EQ(ReopenText(s, QDate(2026, 11, 21)), "Reopens 10 day(s): 2026-11-21 to 2026-11-30.");
    EXPECT_EQ(ReopenPeriod(src(), QDate(2026, 11, 21)), 10);
    EXPECT_EQ(CurrentPeriod(src()).closedTo, QDate(2026, 11, 20));
    EXPECT_EQ(ReopenPeriod(src(), QDate(2026, 11, 25)), 0);  // open already
    EXPECT_EQ(ReopenPeriod(src()), -1);
    EXPECT_FALSE(CurrentPeriod(src()).closedTo.isValid());
    EXPECT_EQ(auditActions(), (QStringList{"Period closed: open -> up to 2026-11-30",
                                           "Period reopened: up to 2026-11-30 -> up to 2026-11-20",
                                           "Period reopened: up to 2026-11-20 -> open"}));
}

TEST_F(PeriodClose, AbsencesWithinAreRefused) {
    AbsenceStore absences(src());
    absences.add({0, 100, QDate(2026, 11, 2), QDate(2026, 11, 3), HalfDay::Full, "V", ""});
    ClosePeriod(src(), QDate(2026, 11, 30));
    const Absence cases[] = {
        {0, 100, QDate(2026, 11, 20), QDate(2026, 11, 20), HalfDay::Full, "S", ""},
        {0, 100, QDate(2026, 11, 30), QDate(2026, 12, 2), HalfDay::Full, "V", ""},  // across
    };
    for (const Absence& a : cases) {
        try {
            absences.add(a);
            ADD_FAILURE() << AbsenceDaysText(a).toStdString();
        } catch (const AbsenceRefused& r) {
            EXPECT_EQ(r.message, kClosedText);
        }
    }
    EXPECT_THROW(absences.remove(100, QDate(2026, 11, 2), QDate(2026, 11, 2)), AbsenceRefused);
    EXPECT_EQ(absences.absences(100, std::nullopt, std::nullopt).size(), 1u);
    absences.add({0, 100, QDate(2026, 12, 1), QDate(2026, 12, 1), HalfDay::Full, "S", ""});
    EXPECT_EQ(absences.absences(100, std::nullopt, std::nullopt).size(), 2u);
}

TEST_F(PeriodClose, ManualRecordsWithinAreRefused) {
    const QString sys = store.sysDbPath();
    const DateTime closedDay = EncodeDate(2026, 11, 30), openDay = EncodeDate(2026, 12, 1);
    ASSERT_TRUE(
        AddAttendanceRecord(att(), closedDay, EncodeTime(8, 0, 0), 100, 1, 0, messages, sys));
    ASSERT_TRUE(AddAttendanceRecord(att(), openDay, EncodeTime(8, 0, 0), 100, 1, 0, messages, sys));
    const qint64 inClosed = LogTable(att()).first()->id, inOpen = LogTable(att()).last()->id;
    ClosePeriod(src(), QDate(2026, 11, 30));
    messages.clear();
    EXPECT_FALSE(
        AddAttendanceRecord(att(), closedDay, EncodeTime(9, 0, 0), 100, 1, 0, messages, sys));
    EXPECT_FALSE(
        UpdateAttendanceRecord(att(), inClosed, openDay, EncodeTime(9, 0, 0), 1, messages, sys));
    EXPECT_FALSE(
        UpdateAttendanceRecord(att(), inOpen, closedDay, EncodeTime(9, 0, 0), 1, messages, sys));
    EXPECT_FALSE(DeleteAttendanceRecord(att(), inClosed, messages, sys));
    QStringList errors;
    for (const auto& m : messages.shown)
        if (m.kind == QString("error")) errors << m.text;
    EXPECT_EQ(errors, QStringList(4, kClosedText));
    EXPECT_EQ(LogTable(att()).count(), 2);
    // After the closed period: as ever.
    EXPECT_TRUE(
        UpdateAttendanceRecord(att(), inOpen, openDay, EncodeTime(9, 30, 0), 2, messages, sys));
}

TEST_F(PeriodClose, DialogsCloseAndReopenBehindThePassword) {
    StorePassword(src(), "secret");
    TypedPassword prompts;
    TPeriodDialog close(TPeriodDialog::Mode::Close, src(), messages, prompts, QDate(2026, 12, 11));
    EXPECT_EQ(close.stateLabel()->text(), "No day is closed.");
    EXPECT_EQ(close.dateBox()->date(), QDate(2026, 11, 30));  // the end of last month
    close.confirm();
    EXPECT_TRUE(close.changed());
    EXPECT_EQ(CurrentPeriod(src()).closedTo, QDate(2026, 11, 30));

    TPeriodDialog reopen(TPeriodDialog::Mode::Reopen, src(), messages, prompts,
                         QDate(2026, 12, 11));
    EXPECT_EQ(reopen.dateBox()->date(), QDate(2026, 11, 1));
    EXPECT_EQ(reopen.effectLabel()->text(), "Reopens 30 day(s): 2026-11-01 to 2026-11-30.");
    prompts.typed = "wrong";
    reopen.confirm();
    EXPECT_FALSE(reopen.changed());
    EXPECT_EQ(CurrentPeriod(src()).closedTo, QDate(2026, 11, 30));
    prompts.typed = "secret";
    messages.clear();
    reopen.confirm();
    EXPECT_TRUE(reopen.changed());
    EXPECT_EQ(messages.texts(), QStringList{"Reopens 30 day(s): 2026-11-01 to 2026-11-30."});
    EXPECT_EQ(CurrentPeriod(src()).closedTo, QDate(2026, 10, 31));
}

// Another station (another store on the same files or server) sees the close at once, and its
// absences within it are refused.
class PeriodShared : public horalog::testing::EngineFixture {};

TEST_P(PeriodShared, AnotherStationSeesTheClose) {
    ClosePeriod(src(), QDate(2026, 11, 30));
    Tdsrc other(data.path(), url());
    other.OpenStore();
    EXPECT_EQ(CurrentPeriod(other.src()).closedTo, QDate(2026, 11, 30));
    other.src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (100, 'ANN')");
    EXPECT_THROW(AbsenceStore(other.src())
                     .add({0, 100, QDate(2026, 11, 2), QDate(2026, 11, 2), HalfDay::Full, "V", ""}),
                 AbsenceRefused);
}

INSTANTIATE_TEST_SUITE_P(Engines, PeriodShared, horalog::testing::kBothEngines,
                         horalog::testing::EngineName);

}  // namespace
