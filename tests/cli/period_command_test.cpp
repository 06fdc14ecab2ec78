// `horalog period` on a data folder: the state, a close, a refused close, reopens, bad words.

#include "cli/period_command.h"

#include <gtest/gtest.h>

#include "cli/absences_command.h"
#include "people/absences.h"
#include "storage/store.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(PeriodCommand, CloseReopenAndRefusals) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (100, 'ANN')");
    }
    struct Case {
        QStringList words;
        int status;
        QString out, err;
    };
    const Case cases[] = {
        {{}, 0, "No day is closed.\n", ""},
        {{"close", "2026-11-30"}, 0, "Every day up to 2026-11-30 is closed.\n", ""},
        {{"close", "2026-10-31"},
         1,
         "",
         "horalog period: The period up to 2026-11-30 is closed.\n"},
        {{"absences", "add", "100", "2026-11-20", "V"},
         1,
         "",
         "horalog absences: The period up to 2026-11-30 is closed.\n"},
        {{"reopen", "2026-11-21"}, 0, "Reopened 10 day(s): 2026-11-21 to 2026-11-30.\n", ""},
        {{"reopen", "2026-12-01"}, 0, "No closed day to reopen.\n", ""},
        {{"reopen"}, 0, "Reopened every day up to 2026-11-20.\n", ""},
        {{"close"}, 2, "", "horalog period: bad word \"close (no date)\" (see --help)\n"},
        {{"close", "2026-11-31"}, 2, "", "horalog period: bad word \"2026-11-31\" (see --help)\n"},
        {{"open"}, 2, "", "horalog period: bad word \"open\" (see --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        QString out, err;
        QTextStream o(&out), e(&err);
        // The absences command's refusal within the closed period, between the period's.
        const bool absences = c.words.value(0) == "absences";
        EXPECT_EQ(absences ? RunAbsencesCommand(c.words, data.path(), o, e)
                           : RunPeriodCommand(QStringList{"period"} + c.words, data.path(), o, e),
                  c.status);
        o.flush();
        e.flush();
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err, c.err);
    }
}

}  // namespace
