// The printouts launched from the window's Reports menu on a small log: the scope dialog
// captioned with the menu entry, "Confirm", the preview of the report's pages saved as PDF and
// read back, then "Cancel" on the dialog that comes again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "printing/ui/report_preview.h"
#include "attendance/ui/scope_dialogs.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/modal_script.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

QString PdfText(const QString& path) {
    QProcess p;
    p.start("/usr/bin/pdftotext", {"-layout", path, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

DateTime Stamp(int day, int h, int m) {
    return DateTime::fromQDateTime(QDateTime(QDate(2004, 6, day), QTime(h, m)));
}

class ReportsWiring : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        program = std::make_unique<Program>(messages);
        EnsureDataFolder(data.path());
        Tdsrc store(data.path());
        store.OpenStore();
        HolderRecord ann;
        ann.cardno = 101;
        ann.name = "ANN";
        StaffTable(store.src()).append(ann);
        if (withLog) {
            LogTable log(store.att());
            for (LogRecord r : {LogRecord{0, Stamp(21, 8, 55), 101, 1, 1, 0},
                                LogRecord{0, Stamp(21, 17, 10), 101, 2, 1, 0}})
                log.append(r);
        }
    }
    void TearDown() override {
        if (program->window()) program->window()->close();
    }
    TTimeRec& start() {
        if (!program->start(data.path()))
            throw std::runtime_error("no start: " + messages.last().toStdString());
        QObject::disconnect(program->window(), &TTimeRec::closed, qApp, nullptr);
        program->window()->Login();
        messages.clear();  // the first login tells that no password is set
        return *program->window();
    }

    bool withLog = true;
    QTemporaryDir lockDir;
    TempDataFolder data;
    RecordingMessages messages;
    std::unique_ptr<Program> program;
};

// The scope dialog's choice for the small log: every date, or its one day.
void ChooseTheLog(QDialog* d) {
    if (auto* scope = qobject_cast<TScopeDialog*>(d)) {
        scope->periodButton(PeriodChoice::All)->click();
        scope->confirmButton()->click();
    } else if (auto* who = qobject_cast<Twhoscope*>(d)) {
        who->dayPicker()->setDate(QDate(2004, 6, 21));
        who->confirmButton()->click();
    } else {
        ADD_FAILURE() << "not a scope dialog: " << d->metaObject()->className();
        d->reject();
    }
}

// Each report hides the controls it does not read.
void ShowsRecordsPerLine(QDialog* d, int expected) {
    QWidget* box = nullptr;
    if (auto* scope = qobject_cast<TScopeDialog*>(d))
        box = scope->control(ScopeControl::RecordsPerLine);
    if (auto* who = qobject_cast<Twhoscope*>(d)) box = who->perLineBox();
    EXPECT_EQ(box ? int(box->isVisible()) : -1, expected);
}

TEST_F(ReportsWiring, EveryReportActionPreviewsItsPagesUntilCancelled) {
    TTimeRec& w = start();
    struct Case {
        const char* action;
        const char* caption;  // of the scope dialog: the menu entry
        const char* title;    // of the preview and the pages
        const char* text;     // a line of the report
        int perLine;          // "Records per line": -1 none, 0 hidden, 1 shown
    };
    const Case cases[] = {
        {"actFilo", "First In / Last Out", "First In Last Out (All)", "Clocked day=1", -1},
        {"act2Session", "2-session", "2-Session (All)", "Clocked day=1", -1},
        {"actFiloOvernight", "First In / Last Out (Overnight)",
         "First In Last Out (Overnight) (All)", "[101] ANN", -1},
        {"actinout", "Daily Individual", "Daily Individual Report", "[101] ANN (2 record(s))", 1},
        {"actlogs", "Time Logs", "Time Logs (All)", "[101] ANN (2 record(s))", 1},
        {"actTotalHours", "Total Hours", "Total Hours (All)", "Total Time=08:15:00", 0},
        {"actTotalHoursDetail", "Total Hours Detail", "Total Hours Detail (All)",
         "No of day(s) = 1", 0},
        {"actwho", "Who's IN / OUT", "Who's IN / OUT", "Who's OUT", 0},
    };
    EXPECT_FALSE(w.action("actFiloOvernight")->isVisible());
    QTemporaryDir out;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        QAction* action = w.action(c.action);
        ASSERT_TRUE(action);
        // The overnight entry is off the menu; shown, it runs like the others.
        if (!action->isVisible() && QString(c.action) == "actFiloOvernight")
            action->setVisible(true);
        ASSERT_TRUE(action->isEnabled());
        const QString pdf = out.filePath(QString(c.action) + ".pdf");
        ModalScript script({
            {c.caption,
             [&c](QDialog* d) {
                 ShowsRecordsPerLine(d, c.perLine);
                 if (auto* late = qobject_cast<TSetLateScope*>(d)) {
                     EXPECT_EQ(late->overnight(), QString(c.action) == "actFiloOvernight");
                 }
                 ChooseTheLog(d);
             }},
            {c.title,
             [](QDialog* d) {
                 auto* preview = qobject_cast<ReportPreview*>(d);
                 ASSERT_TRUE(preview) << d->metaObject()->className();
                 preview->savePdfAction()->trigger();
                 preview->reject();
             }},
            {"Save as PDF",
             [pdf](QDialog* d) {
                 auto* files = qobject_cast<QFileDialog*>(d);
                 ASSERT_TRUE(files);
                 // Typed into the name field, as an operator does.
                 auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                 ASSERT_TRUE(name);
                 name->setText(pdf);
                 static_cast<QDialog*>(files)->accept();  // as its own button does
             }},
            {c.caption, [](QDialog* d) { d->reject(); }},
        });
        action->trigger();
        EXPECT_TRUE(script.done());
        // Who's IN / OUT captions its dialog and its preview alike, so the last step may meet
        // the preview; the script then cancels the dialog that comes again all the same.
        if (QString(c.caption) != c.title) {
            EXPECT_EQ(script.unexpected, QStringList());
        }
        ASSERT_TRUE(QFileInfo::exists(pdf)) << messages.texts().join("|").toStdString();
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains(c.title)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.text)) << text.toStdString();
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("; ").toStdString();
    }
    EXPECT_TRUE(w.action("actlogs")->isVisible());
}

class EmptyLogReports : public ReportsWiring {
protected:
    void SetUp() override {
        withLog = false;
        ReportsWiring::SetUp();
    }
};

TEST_F(EmptyLogReports, NoRecordAndNoDialog) {
    TTimeRec& w = start();
    ModalScript script({});
    w.action("actTotalHours")->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"No record."});
    EXPECT_EQ(script.unexpected, QStringList());
}

}  // namespace
