// Absences of holders on both engines: the default types, the overlap rule, what a refusal
// says, the range query, and the audit trail.

#include "people/absences.h"

#include <gtest/gtest.h>

#include "storage/audit.h"
#include "storage/engines.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AbsenceStoreTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        if (IsSkipped()) return;
        src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (100, 'ANN')");
        src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (200, 'BOB')");
    }
    static Absence Days(int card, const char* from, const char* to, const char* type,
                        HalfDay half = HalfDay::Full) {
        return {0,
                card,
                QDate::fromString(from, Qt::ISODate),
                QDate::fromString(to, Qt::ISODate),
                half,
                type,
                QString()};
    }
    QStringList listed(std::optional<int> card, const char* from, const char* to) {
        QStringList out;
        for (const Absence& a : AbsenceStore(src()).absences(
                 card, QDate::fromString(from, Qt::ISODate), QDate::fromString(to, Qt::ISODate)))
            out << QString("%1 %2 %3").arg(a.cardno).arg(a.type, AbsenceDaysText(a));
        return out;
    }
};

TEST_P(AbsenceStoreTest, DefaultTypes) {
    QStringList types;
    for (const AbsenceType& t : AbsenceStore(src()).types())
        types << QString("%1 %2 %3").arg(t.code, t.name, t.paid ? "paid" : "unpaid");
    EXPECT_EQ(types, (QStringList{"B Business trip paid", "O Other unpaid", "S Sick paid",
                                  "U Unpaid leave unpaid", "V Vacation paid"}));
}

// One holder's absences never claim the same time twice; the refusal names the other one and
// changes nothing.
TEST_P(AbsenceStoreTest, AddsRefusesAndLists) {
    AbsenceStore store(src());
    store.add(Days(100, "2026-12-21", "2026-12-24", "V"));
    store.add(Days(100, "2026-12-28", "2026-12-28", "S", HalfDay::First));
    store.add(Days(200, "2026-12-22", "2026-12-22", "B"));
    struct Case {
        Absence absence;
        QString refusal;  // empty: accepted
    };
    const Case cases[] = {
        {Days(100, "2026-12-24", "2026-12-26", "U"),
         "100 ANN already has an absence then: Vacation 2026-12-21 to 2026-12-24."},
        {Days(100, "2026-12-28", "2026-12-28", "V"),
         "100 ANN already has an absence then: Sick 2026-12-28 first half."},
        {Days(100, "2026-12-28", "2026-12-28", "O", HalfDay::First),
         "100 ANN already has an absence then: Sick 2026-12-28 first half."},
        {Days(100, "2026-12-28", "2026-12-28", "V", HalfDay::Second), ""},
        {Days(100, "2026-12-29", "2026-12-30", "V", HalfDay::First),
         "A half-day absence is one day long."},
        {Days(100, "2026-12-31", "2026-12-30", "V"),
         "The last day of an absence cannot come before its first day."},
        {Days(100, "2027-01-04", "2027-01-04", "X"), "There is no absence type \"X\"."},
        {Days(300, "2027-01-04", "2027-01-04", "V"), "No holder has card 300."},
        {Days(200, "2026-12-21", "2026-12-21", "V"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(AbsenceDaysText(c.absence).toStdString());
        try {
            store.add(c.absence);
            EXPECT_EQ(c.refusal, "");
        } catch (const AbsenceRefused& r) {
            EXPECT_EQ(r.message, c.refusal);
        }
    }
    EXPECT_EQ(listed(std::nullopt, "2026-12-22", "2026-12-28"),
              (QStringList{"100 V 2026-12-21 to 2026-12-24", "100 S 2026-12-28 first half",
                           "100 V 2026-12-28 second half", "200 B 2026-12-22"}));
    EXPECT_EQ(listed(200, "2026-12-01", "2026-12-31"),
              (QStringList{"200 V 2026-12-21", "200 B 2026-12-22"}));

    // A batch goes in whole or not at all: its own rows are checked against each other too.
    const auto refusals = store.addAll({Days(200, "2027-02-01", "2027-02-05", "V"),
                                        Days(200, "2027-02-05", "2027-02-05", "S"),
                                        Days(200, "2027-02-08", "2027-02-08", "S")});
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].first, 1u);
    EXPECT_EQ(refusals[0].second,
              "200 BOB already has an absence then: Vacation 2027-02-01 to 2027-02-05.");
    EXPECT_EQ(listed(200, "2027-02-01", "2027-02-28"), QStringList());

    EXPECT_EQ(store.remove(100, QDate(2026, 12, 28), QDate(2026, 12, 28)), 2);
    EXPECT_EQ(listed(100, "2026-12-01", "2026-12-31"),
              (QStringList{"100 V 2026-12-21 to 2026-12-24"}));
}

TEST_P(AbsenceStoreTest, EveryChangeIsAudited) {
    AbsenceStore store(src());
    Absence a = Days(100, "2026-12-21", "2026-12-24", "V");
    a.note = "family";
    store.add(a);
    store.remove(100, QDate(2026, 12, 22), QDate(2026, 12, 22));
    QStringList trail;
    AuditLog(src()).forEach({}, [&](const AuditRecord& r) {
        trail << r.action + " | " + r.subject + " | " + r.oldText + " | " + r.newText;
        return true;
    });
    EXPECT_EQ(
        trail,
        (QStringList{"Absence added | 100 ANN |  | V Vacation 2026-12-21 to 2026-12-24 (family)",
                     "Absence deleted | 100 ANN | V Vacation 2026-12-21 to 2026-12-24 "
                     "(family) | "}));
}

INSTANTIATE_TEST_SUITE_P(Engines, AbsenceStoreTest, kBothEngines, EngineName);

}  // namespace
