// A spreadsheet export as the operator runs it: the scope dialog, the save dialog and the
// message boxes, over the real store.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QPushButton>
#include <QSettings>

#include "common/texts.h"
#include "people/store_fixture.h"
#include "attendance/report_fixture.h"
#include "attendance/store_report_source.h"
#include "exports/ui/export_scope.h"
#include "attendance/ui/scope_dialogs.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "support/modal_script.h"
#include "workbook_reader.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class ExportWindow : public PeopleStoreTest {
protected:
    void SetUp() override {
        if (!HaveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
        PeopleStoreTest::SetUp();
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        HolderRecord h;
        h.cardno = 101;
        h.name = "ANN LEE";
        StaffTable(src()).append(h);
        for (auto [when, mode] : {std::pair{"2004-06-22 08:00", 1},
                                  {"2004-06-22 09:00", 0},
                                  {"2004-06-22 12:00", 2},
                                  {"2004-06-22 13:00", 1},
                                  {"2004-06-22 17:00", 2}}) {
            LogRecord r;
            r.systime = At(when);
            r.cardno = 101;
            r.mode = mode;
            r.reader = 1;
            LogTable(att()).append(r);
        }
    }
    QString Run(ExportKind kind) {
        StoreReportSource source(att(), src());
        return RunExportAction(
            kind, source, [&](ExportKind k) { return AskExportScope(k, src(), messages, now); },
            dialogs, messages, progress, [this] { return now; });
    }

    const DateTime now = At("2004-06-30 10:00");
    RecordingFileDialogs dialogs;
    RecordingProgress progress;
};

TEST_F(ExportWindow, PairsThroughTheScopeDialogToAWorkbook) {
    const QString folder = data.file("out");
    QDir().mkpath(folder);
    WriteSettingText("LastDataPath", folder);
    const QString path = QDir(folder).filePath("pairs.xlsx");
    dialogs.answers.push_back(path);
    auto script = std::make_unique<ModalScript>(std::initializer_list<ModalScript::Step>{
        {"IN/OUT Pairs", [](QDialog* d) {
             auto* scope = qobject_cast<TScopeDialog*>(d);
             ASSERT_TRUE(scope);
             for (ScopeControl c : {ScopeControl::Enhanced, ScopeControl::PreviewOnly,
                                    ScopeControl::RecordFormat, ScopeControl::RecordsOfInterest})
                 EXPECT_TRUE(scope->control(c)->isHidden());
             EXPECT_FALSE(scope->control(ScopeControl::RecordsPerLine)->isHidden());
             EXPECT_TRUE(scope->recordsButton(RecordsOfInterest::InOut)->isChecked());
             scope->periodButton(PeriodChoice::Range)->click();
             scope->fromPicker()->setDate(QDate(2004, 6, 21));
             scope->toPicker()->setDate(QDate(2004, 6, 27));
             scope->perLineButton(4)->click();
             scope->optionBox(ScopeControl::NewPage)->setChecked(true);
             scope->confirmButton()->click();
         }}});
    EXPECT_EQ(Run(ExportKind::Pairs), path);
    EXPECT_TRUE(script->done());
    EXPECT_TRUE(script->unexpected.isEmpty());
    script.reset();
    EXPECT_EQ(dialogs.asked, QStringList{"IN/OUT Pairs|" + QDir(folder).filePath("IN OUT pairs") +
                                         "|Excel File (*.xlsx);;All File (*)"});
    EXPECT_EQ(messages.texts(), QStringList{text::CompletedFile(path)});
    // Confirm stored the forced choice.
    EXPECT_EQ(ReadSettingInt("PrintRecordsScope", -1), 2);
    const auto book = ReadWorkbook(path);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].name, "ANN_LEE");
    ASSERT_EQ(book[0].rows.size(), 2u);
    EXPECT_EQ(book[0].rows[0].join('|'), "DATE|IN1|OUT1|IN2|OUT2|STATUS");
    EXPECT_EQ(book[0].rows[1].join('|'), "D:2004-06-22|08:00:00|12:00:00|13:00:00|17:00:00|OK");

    // Cancel in the dialog: no save dialog, the workbook stays.
    messages.clear();
    ModalScript cancel{{"Time Logs", [](QDialog* d) { d->reject(); }}};
    EXPECT_EQ(Run(ExportKind::TimeLogs), "");
    EXPECT_TRUE(cancel.done());
    EXPECT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(QFile::exists(path));
}

}  // namespace
