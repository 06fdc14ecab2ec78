#include "storage/audit_model.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTableView>

#include "common/csv.h"
#include "engines.h"
#include "storage/store.h"
#include "storage/ui/audit_dialog.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::EngineFixture;
using horalog::testing::RecordingFileDialogs;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

// The trail on both engines: paging, filters (text without regard to case) and export.
class AuditModelTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        if (IsSkipped()) return;
        // 450 rows, one a minute from 2004-06-26 00:00; every tenth is a login. Two rows share
        // each time, so the walk must order by the row too.
        Transaction t(src());
        for (int i = 0; i < 450; ++i) {
            AuditLog::setClock(
                FixedClock(EncodeDateTime(2004, 6, 26, 0, 0, 0).addSecs(60 * (i / 2))));
            AuditLog(src()).write(i % 10 ? "Holder changed" : "Login", QString("row %1").arg(i),
                                  "a,\"b\"", "c");
        }
        t.commit();
        AuditLog::setClock(SystemClock());
    }
};

TEST_P(AuditModelTest, PagesNewestFirstWithoutGapsOrRepeats) {
    AuditModel model(src());
    EXPECT_EQ(model.rowCount(), AuditModel::kPage);
    while (model.canFetchMore({})) model.fetchMore({});
    ASSERT_EQ(model.rowCount(), 450);
    for (int r = 0; r < 450; ++r)
        ASSERT_EQ(model.record(r).subject, QString("row %1").arg(449 - r)) << r;
}

TEST_P(AuditModelTest, FiltersByDaysAndText) {
    struct Case {
        std::optional<QDate> from, to;
        QString text;
        int rows;
    };
    const Case cases[] = {
        {QDate(2004, 6, 26), QDate(2004, 6, 26), "", 450},
        {QDate(2004, 6, 27), std::nullopt, "", 0},
        {std::nullopt, QDate(2004, 6, 25), "", 0},
        {std::nullopt, std::nullopt, "login", 45},  // letter case ignored
        {std::nullopt, std::nullopt, "row 1_", 0},  // _ and % are plain characters
        {std::nullopt, std::nullopt, "row 12", 11},
    };
    AuditModel model(src());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        model.setFilter({c.from, c.to, c.text});
        while (model.canFetchMore({})) model.fetchMore({});
        EXPECT_EQ(model.rowCount(), c.rows);
    }
}

TEST_P(AuditModelTest, ExportsTheFilteredRowsAsCsv) {
    const QString path = data.file("audit.csv");
    QString error;
    qint64 n = 0;
    ASSERT_TRUE(ExportAuditCsv(src(), {std::nullopt, std::nullopt, "login"}, path, error, &n));
    EXPECT_EQ(n, 45);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<CsvRecord> rows;
    ASSERT_TRUE(ReadCsv(QString::fromUtf8(f.readAll()), rows, error));
    ASSERT_EQ(rows.size(), 46u);
    EXPECT_EQ(rows[0].fields,
              QStringList({"TIME", "STATION", "ACTION", "SUBJECT", "BEFORE", "AFTER"}));
    EXPECT_EQ(rows[1].fields, QStringList({"2004-06-26 00:00:00", AuditLog::station(), "Login",
                                           "row 0", "a,\"b\"", "c"}));
}

// The window shows every stamp whole, in the font of the day.
TEST_P(AuditModelTest, TheWindowShowsWholeTimes) {
    RecordingMessages messages;
    RecordingFileDialogs files;
    const QFont appFont = QApplication::font();
    for (int points : {0, 14}) {
        SCOPED_TRACE(points);
        QFont f = appFont;
        if (points) f.setPointSize(points);
        QApplication::setFont(f);
        TAuditTrail window(src(), messages, files, QDate(2004, 6, 26));
        QTableView* grid = window.grid();
        const QString stamp = grid->model()->index(0, AuditModel::TimeColumn).data().toString();
        EXPECT_EQ(stamp.size(), 19) << stamp.toStdString();
        EXPECT_GT(grid->columnWidth(AuditModel::TimeColumn),
                  grid->fontMetrics().horizontalAdvance(stamp));
    }
    QApplication::setFont(appFont);
}

INSTANTIATE_TEST_SUITE_P(Engines, AuditModelTest, horalog::testing::kBothEngines,
                         horalog::testing::EngineName);

}  // namespace
