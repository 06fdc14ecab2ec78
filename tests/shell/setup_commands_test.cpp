// The set-up commands as the main window runs them: what the window shows after each dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "capture/auto_io_setup.h"
#include "capture/card_capture.h"
#include "capture/ui/auto_io_dialog.h"
#include "capture/ui/door_open_dialog.h"
#include "capture/ui/speech_dialog.h"
#include "reader/reader_ports.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "shell/ui/setup_dialogs.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/modal_script.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::ModalScript;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

class SetupCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        EnsureDataFolder(data.path());
        store.OpenStore();
        window = std::make_unique<TTimeRec>(store, messages, nullptr, [this] { return now; });
        capture.autoIO().onStateChanged = [this](bool in) { window->SetIOState(in); };
        AttachSetupDialogs(*window, links, capture, store, capture.hooks(), [this] { return now; });
        window->Login();  // no password registered: straight in
        messages.clear();
    }
    void TearDown() override {
        window->close();
        window.reset();
    }
    // Triggers a command and works its dialog with one step.
    void run(const char* command, const QString& caption, std::function<void(QDialog*)> step) {
        ModalScript script({{caption, std::move(step)}});
        window->action(command)->trigger();
        EXPECT_TRUE(script.done()) << command;
        EXPECT_TRUE(script.unexpected.isEmpty()) << command;
    }

    QTemporaryDir lockDir;
    TempDataFolder data;
    Tdsrc store{data.path()};
    RecordingMessages messages;
    DateTime now = EncodeDateTime(2004, 6, 26, 10, 0, 0);
    ReaderLinks links;
    CardCapture capture{store, links, [this] { return now; }};
    std::unique_ptr<TTimeRec> window;
};

TEST_F(SetupCommandsTest, AutoIOShowsThePanelWithTheStateForNow) {
    ASSERT_TRUE(AddIoTime(store.src(), {EncodeTime(9, 0, 0), EncodeTime(12, 0, 0)}).ok);
    ASSERT_TRUE(window->inOutPanel()->isHidden());
    run(kActAutoIO, "Auto IN/OUT Timer", [](QDialog* d) {
        auto* dialog = static_cast<TAutoIO*>(d);
        dialog->enableBox()->click();
        dialog->closeButton()->click();
    });
    EXPECT_FALSE(window->inOutPanel()->isHidden());
    EXPECT_EQ(window->inOutPanel()->text(), "IN");
    EXPECT_TRUE(capture.autoIO().state());

    // Switched off again: the panel goes, the state stays as it was.
    now = EncodeDateTime(2004, 6, 26, 13, 0, 0);
    run(kActAutoIO, "Auto IN/OUT Timer", [](QDialog* d) {
        auto* dialog = static_cast<TAutoIO*>(d);
        dialog->enableBox()->click();
        dialog->reject();  // the frame's close box
    });
    EXPECT_TRUE(window->inOutPanel()->isHidden());
    EXPECT_EQ(window->inOutPanel()->text(), "IN");
}

TEST_F(SetupCommandsTest, DoorOpenButtonFollowsTheDialog) {
    links[2].Enable = true;
    links[2].Desc = "GATE";
    QPushButton* button = window->doorOpenButton();
    run(kActDoorOpenSetup, "Setup Door Open Button", [](QDialog* d) {
        static_cast<TdlgDoorOpen*>(d)->buttons()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(button->text(), "DOOR OPEN");

    run(kActDoorOpenSetup, "Setup Door Open Button", [](QDialog* d) {
        auto* dialog = static_cast<TdlgDoorOpen*>(d);
        dialog->enableBox()->setChecked(true);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(button->text(), "GATE->OPEN");
    EXPECT_EQ(ReadSettingInt("DoorOpenPortNo", 0), 2);
}

TEST_F(SetupCommandsTest, SpeechCheckMarkShowsTheSetting) {
    QAction* speech = window->action(kActSpeech);
    ASSERT_FALSE(speech->isChecked());
    run(kActSpeech, "Speech Options", [](QDialog* d) {
        static_cast<TDlgSpeech*>(d)->buttons()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(speech->isChecked());  // the click alone does not set it
    run(kActSpeech, "Speech Options", [](QDialog* d) {
        auto* dialog = static_cast<TDlgSpeech*>(d);
        dialog->enableBox()->setChecked(true);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(speech->isChecked());
    EXPECT_TRUE(ReadSettingBool("SpeechEnable", false));
}

}  // namespace
