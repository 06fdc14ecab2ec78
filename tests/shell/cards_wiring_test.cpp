// The Card Manager printouts launched from the window: their dialog, "Confirm", the preview
// saved as PDF and read back, then "Cancel" on the dialog that comes again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "printing/ui/report_preview.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/modal_script.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(CardsWiring, CardManagerPrintoutsPreviewUntilCancelled) {
    QTemporaryDir lockDir;
    qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
    QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    TempDataFolder data;
    RecordingMessages messages;
    Program program(messages);
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        HolderRecord ann;
        ann.cardno = 101;
        ann.name = "ANN";
        StaffTable(store.src()).append(ann);
    }
    ASSERT_TRUE(program.start(data.path())) << messages.last().toStdString();
    TTimeRec& w = *program.window();
    QObject::disconnect(&w, &TTimeRec::closed, qApp, nullptr);
    w.Login();
    messages.clear();

    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"actPrintCards", "Print Member Card", "Member Cards"},
        {"actPrintMembers", "Select Staffs", "Member List"},
    };
    QTemporaryDir out;
    for (const auto& [action, caption, title] : cases) {
        SCOPED_TRACE(action);
        ASSERT_TRUE(w.action(action) && w.action(action)->isEnabled());
        const QString pdf = out.filePath(QString(action) + ".pdf");
        auto confirm = [](QDialog* d) {
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->text() == "Confirm") return b->click();
            ADD_FAILURE() << "no Confirm";
        };
        ModalScript script({
            {caption, confirm},
            {title,
             [](QDialog* d) {
                 auto* preview = qobject_cast<ReportPreview*>(d);
                 ASSERT_TRUE(preview) << d->metaObject()->className();
                 preview->savePdfAction()->trigger();
                 preview->reject();
             }},
            {"Save as PDF",
             [pdf](QDialog* d) {
                 auto* name = d->findChild<QLineEdit*>("fileNameEdit");
                 ASSERT_TRUE(name);
                 name->setText(pdf);
                 d->accept();
             }},
            {caption, [](QDialog* d) { d->reject(); }},
        });
        w.action(action)->trigger();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.unexpected, QStringList());
        ASSERT_TRUE(QFileInfo::exists(pdf)) << messages.texts().join("|").toStdString();
        QProcess text;
        text.start("/usr/bin/pdftotext", {"-layout", pdf, "-"});
        ASSERT_TRUE(text.waitForFinished(20000));
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("ANN"));
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("; ").toStdString();
    }
    w.close();
}

}  // namespace
