// The "Offline Reader" dialog over the simulated reader: modes, stored values, closing.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>

#include "offline/ui/offline_commands.h"
#include "offline/ui/offline_dialog.h"
#include "offline_fixture.h"
#include "storage/settings.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class OfflineDialogTest : public OfflineReaderTest {
protected:
    std::unique_ptr<TDlgOffline> Dialog(OfflineDialogMode mode) {
        return std::make_unique<TDlgOffline>(links, store, messages, progress, mode, nullptr,
                                             FixedClock(OfflineNow()));
    }
};

TEST_F(OfflineDialogTest, MasterPinModeReadsOnlyTheMasterPin) {
    Type("masterpin 2468\npin 1357");
    auto d = Dialog(OfflineDialogMode::MasterPin);
    ASSERT_TRUE(d->prepare());
    EXPECT_EQ(d->windowTitle(), "Master PIN");
    EXPECT_EQ(d->masterPinBox()->value(), 2468);
    EXPECT_EQ(Printed(), (QStringList{"packet 00 00 01", "packet 00 07 09", "packet 00 00 00"}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(OfflineDialogTest, StoredPortBeyondTheListSelectsTheFirstReader) {
    WriteSettingInt("OL_DEF_PORT", 5);
    Type("pin 1357");
    auto d = Dialog(OfflineDialogMode::Settings);
    ASSERT_TRUE(d->prepare());
    EXPECT_EQ(d->portList()->currentIndex(), 0);
    EXPECT_EQ(d->currentPort(), kPort);
    EXPECT_EQ(d->portList()->currentText(), "Front Door");
    EXPECT_EQ(d->pinBox()->value(), 1357);
    EXPECT_EQ(messages.texts(), QStringList{"Settings are loaded successfully."});
    EXPECT_EQ(d->windowTitle(), "CLOCK mode");
    EXPECT_FALSE(d->timetableGroup()->isHidden());
    EXPECT_FALSE(d->clockField()->text().isEmpty());
    EXPECT_TRUE(d->statusField()->isHidden());
}

TEST_F(OfflineDialogTest, ReaderModesShapeTheDialog) {
    struct Case {
        int mode;
        const char* caption;
        bool timetable;
        const char* timetableCaption;
        const char* secondItem;
    } cases[] = {{0, "CLOCK mode", true, "Auto IN/OUT Timetable", "IN"},
                 {1, "IN mode", false, "PIN Timetable", "No PIN"},
                 {2, "OUT mode", false, "Auto IN/OUT Timetable", "IN"}};
    for (const Case& c : cases) {
        link().Mode = c.mode;
        auto d = Dialog(OfflineDialogMode::Settings);
        ASSERT_TRUE(d->prepare());
        EXPECT_EQ(d->windowTitle(), c.caption);
        EXPECT_EQ(!d->timetableGroup()->isHidden(), c.timetable) << c.mode;
        EXPECT_EQ(d->timetableGroup()->title(), c.timetableCaption) << c.mode;
        EXPECT_EQ(d->modeList(0)->itemText(1), c.secondItem) << c.mode;
    }
}

TEST_F(OfflineDialogTest, OnlyTheCloseButtonStoresTheValues) {
    WriteSettingInt("OL_PWD", 11);
    auto d = Dialog(OfflineDialogMode::Settings);
    ASSERT_TRUE(d->prepare());
    d->show();
    d->pinBox()->setValue(555);
    d->close();  // by the window frame
    EXPECT_EQ(ReadSettingInt("OL_PWD", -1), 11);
    EXPECT_FALSE(SettingExists("OL_DEF_PORT"));

    auto again = Dialog(OfflineDialogMode::Settings);
    ASSERT_TRUE(again->prepare());
    again->pinBox()->setValue(555);
    again->line1Edit()->setText("SHORT");
    again->timeEdit(2)->setTime(QTime(7, 45));
    again->modeList(2)->setCurrentIndex(2);
    again->clearAfterBox()->setChecked(false);
    again->closeWithButton();
    EXPECT_EQ(ReadSettingInt("OL_PWD", -1), 555);
    EXPECT_EQ(ReadSettingInt("OL_DEF_PORT", -1), 0);
    EXPECT_EQ(ReadSettingText("LogoLine1", ""), "SHORT           ");
    EXPECT_EQ(ReadSettingInt("OL_MODE_3", -1), 2);
    EXPECT_FALSE(ReadSettingBool("OL_ClearAfter", true));

    OfflineValues v;
    EXPECT_TRUE(LoadOfflineValues(v).isEmpty());
    EXPECT_EQ(v.timetable[2].hour, 7);
    EXPECT_EQ(v.timetable[2].minute, 45);
    EXPECT_EQ(v.pin, 555);
}

TEST_F(OfflineDialogTest, AStoredTimeThatDoesNotParseStopsTheLoading) {
    WriteSettingText("OL_TIME_1", "09:15");
    WriteSettingText("OL_TIME_2", "quarter past");
    WriteSettingText("OL_TIME_3", "10:00");
    WriteSettingBool("OL_ClearAfter", false);
    WriteSettingInt("OL_OPTIONS", 3);
    OfflineValues v;
    const QString error = LoadOfflineValues(v);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(v.timetable[0].hour, 9);
    EXPECT_EQ(v.timetable[2].hour, 0);  // not loaded
    EXPECT_TRUE(v.clearAfter);          // the dialog's initial value
    EXPECT_EQ(v.options, 0);
    // The dialog still opens, after the error.
    auto d = Dialog(OfflineDialogMode::Settings);
    ASSERT_TRUE(d->prepare());
    EXPECT_EQ(messages.shown[0].kind, "error");
    EXPECT_EQ(messages.shown[0].text, error);
}

TEST_F(OfflineDialogTest, NoEnabledPortShowsNothingAndTheLiveLogComesBack) {
    link().Enable = false;
    QStringList calls;
    LiveLogControl live;
    live.hide = [&] { calls << "hide"; };
    live.reopenAtEnd = [&] { calls << "reopen"; };
    auto d = Dialog(OfflineDialogMode::Settings);
    EXPECT_FALSE(d->prepare());
    EXPECT_EQ(messages.texts(), QStringList{"No communication port enabled."});
    // The command with the Qt ports: the message box is the only window; dismiss it.
    QTimer::singleShot(200, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("QMessageBox")) w->close();
    });
    RunOfflineReader(links, store, OfflineDialogMode::Settings, live, nullptr);
    EXPECT_EQ(calls, (QStringList{"hide", "reopen"}));
}

}  // namespace
