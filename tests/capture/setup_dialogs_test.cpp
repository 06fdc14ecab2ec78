// "Auto IN/OUT Timer", "Setup Door Open Button" and "Speech Options" over a real store and
// settings file: refusals, what each button stores, what the lists offer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTimeEdit>

#include "capture/auto_io_setup.h"
#include "capture/door_open_setup.h"
#include "capture/ui/auto_io_dialog.h"
#include "capture/ui/door_open_dialog.h"
#include "capture/ui/speech_dialog.h"
#include "reader/reader_ports.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

class SetupDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        EnsureDataFolder(data.path());
        store.OpenStore();
    }
    void period(int fromHour, int toHour) {
        ASSERT_TRUE(
            AddIoTime(store.src(), {EncodeTime(fromHour, 0, 0), EncodeTime(toHour, 0, 0)}).ok);
    }
    QStringList listed(const TAutoIO& d) {
        QStringList out;
        for (int r = 0; r < d.model()->rowCount(); ++r)
            out << d.model()->index(r, 0).data().toString() + "-" +
                       d.model()->index(r, 1).data().toString();
        return out;
    }

    TempDataFolder data;
    Tdsrc store{data.path()};
    RecordingMessages messages;
};

TEST_F(SetupDialogsTest, AutoIOAddRefusesWrongAndTouchingPeriods) {
    period(13, 17);
    period(8, 12);
    struct Case {
        QTime from, to;
        const char* refusal;  // nullptr: added
    };
    const Case cases[] = {
        {QTime(12, 0), QTime(13, 0), "Time overlapped."},  // touches both
        {QTime(17, 0), QTime(18, 0), "Time overlapped."},  // touches the end
        {QTime(11, 0), QTime(12, 30), "Time overlapped."},
        {QTime(10, 0), QTime(10, 0), "Wrong time entry."},
        {QTime(22, 0), QTime(6, 0), "Wrong time entry."},  // would cross midnight
        {QTime(6, 0), QTime(7, 59), nullptr},
    };
    TAutoIO dialog(store.src(), messages);
    dialog.show();
    EXPECT_EQ(dialog.fromBox()->time(), QTime(9, 0));
    EXPECT_EQ(dialog.toBox()->time(), QTime(14, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString().toStdString() + "-" + c.to.toString().toStdString());
        messages.clear();
        dialog.fromBox()->setTime(c.from);
        dialog.toBox()->setTime(c.to);
        dialog.toBox()->setFocus();
        dialog.addButton()->click();
        if (c.refusal) {
            EXPECT_EQ(messages.texts(), QStringList{c.refusal});
            EXPECT_EQ(messages.shown.value(0).kind, "error");
            EXPECT_EQ(dialog.focusWidget(), dialog.fromBox());
        } else {
            EXPECT_TRUE(messages.shown.isEmpty());
        }
    }
    // In start order, drawn "AM/PM hh:mm".
    EXPECT_EQ(listed(dialog),
              (QStringList{"AM 06:00-AM 07:59", "AM 08:00-PM 12:00", "PM 01:00-PM 05:00"}));
}

TEST_F(SetupDialogsTest, AutoIODeleteAsksAndTakesTheCurrentRow) {
    TAutoIO dialog(store.src(), messages);
    dialog.deleteButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{"No data record."});

    period(8, 12);
    period(13, 17);
    dialog.model()->reload();
    dialog.grid()->selectRow(1);
    messages.clear();
    messages.answerNext(false);
    dialog.deleteButton()->click();
    EXPECT_EQ(dialog.model()->rowCount(), 2);
    messages.answerNext(true);
    dialog.deleteButton()->click();
    EXPECT_EQ(messages.texts(), QStringList({"Are you sure to delete this record?",
                                             "Are you sure to delete this record?"}));
    EXPECT_EQ(listed(dialog), QStringList{"AM 08:00-PM 12:00"});

    // A click on a row copies its times into the pickers.
    dialog.grid()->clicked(dialog.model()->index(0, 1));
    EXPECT_EQ(dialog.fromBox()->time(), QTime(8, 0));
    EXPECT_EQ(dialog.toBox()->time(), QTime(12, 0));
}

TEST_F(SetupDialogsTest, AutoIOCheckBoxesStoreAtEachClick) {
    WriteSettingBool("AutoOverride", true);
    TAutoIO dialog(store.src(), messages);
    EXPECT_FALSE(dialog.enableBox()->isChecked());
    EXPECT_TRUE(dialog.overrideBox()->isChecked());
    dialog.enableBox()->click();
    EXPECT_TRUE(ReadSettingBool("AutoInOut", false));  // before the dialog closes
    dialog.overrideBox()->click();
    EXPECT_FALSE(ReadSettingBool("AutoOverride", true));
    dialog.closeButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(SettingExists("AutoInOut_WIDTH"));
    EXPECT_TRUE(SettingExists("AutoIOgrid_0"));
}

class DoorOpenTest : public SetupDialogsTest {
protected:
    void enable(int port, const QString& desc) {
        links[port].Enable = true;
        links[port].Desc = desc;
    }
    void press(TdlgDoorOpen& d, QDialogButtonBox::StandardButton b) {
        d.buttons()->button(b)->click();
    }
    ReaderLinks links;
};

TEST_F(DoorOpenTest, NoEnabledLinkStoresOnlyTheCheckBox) {
    WriteSettingInt("DoorOpenPortNo", 3);
    TdlgDoorOpen dialog(links);
    EXPECT_EQ(dialog.readerList()->count(), 0);
    EXPECT_EQ(dialog.readerList()->currentIndex(), -1);
    dialog.enableBox()->setChecked(true);
    press(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(ReadSettingBool("DoorOpenEnable", false));
    EXPECT_EQ(ReadSettingInt("DoorOpenPortNo", 0), 3);
}

TEST_F(DoorOpenTest, ListsEnabledLinksAndSelectsTheStoredPort) {
    enable(2, "FRONT");
    enable(4, "GATE");
    enable(7, "BACK");
    struct Case {
        const char* what;
        std::optional<int> stored;  // DoorOpenPortNo; none: never written
        int selected;
        int storedAfterOk;
    };
    const Case cases[] = {
        {"its own entry", 4, 1, 4},
        {"a port that is not enabled", 3, 0, 2},
        {"beyond the eight ports", 12, 0, 2},
        {"never set (read as 0)", std::nullopt, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        if (c.stored) WriteSettingInt("DoorOpenPortNo", *c.stored);
        TdlgDoorOpen dialog(links);
        EXPECT_EQ(dialog.readerList()->count(), 3);
        EXPECT_EQ(dialog.readerList()->itemText(0), "FRONT");
        EXPECT_EQ(dialog.readerList()->currentIndex(), c.selected);
        press(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(ReadSettingInt("DoorOpenPortNo", -1), c.storedAfterOk);
        EXPECT_FALSE(ReadSettingBool("DoorOpenEnable", true));
    }

    // Cancel stores nothing.
    QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    TdlgDoorOpen dialog(links);
    dialog.enableBox()->setChecked(true);
    dialog.readerList()->setCurrentIndex(2);
    press(dialog, QDialogButtonBox::Cancel);
    EXPECT_FALSE(SettingExists("DoorOpenEnable"));
    EXPECT_FALSE(SettingExists("DoorOpenPortNo"));
}

TEST_F(DoorOpenTest, CaptionIsTheDescriptionWithOpen) {
    enable(4, "GATE");
    EXPECT_EQ(DoorOpenCaption(links, 4), "GATE->OPEN");
    EXPECT_EQ(DoorOpenCaption(links, 0), std::nullopt);
    EXPECT_EQ(DoorOpenCaption(links, 9), std::nullopt);
}

TEST_F(SetupDialogsTest, SpeechOptionsStoreOnOkOnly) {
    {
        TDlgSpeech dialog;
        EXPECT_FALSE(dialog.enableBox()->isChecked());
        dialog.enableBox()->setChecked(true);
        dialog.buttons()->button(QDialogButtonBox::Cancel)->click();
    }
    EXPECT_FALSE(SettingExists("SpeechEnable"));
    TDlgSpeech dialog;
    dialog.enableBox()->setChecked(true);
    dialog.buttons()->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(ReadSettingBool("SpeechEnable", false));
}

}  // namespace
