// "Print Member Card" as an operator works it, and the two launch loops of the Card Manager
// menu: the dialog again after every run until Cancel, the preview when asked for.
#include "printing/ui/card_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include "people/store_fixture.h"
#include "printing/ui/card_commands.h"
#include "attendance/ui/scope_dialogs.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "support/modal_script.h"

using namespace horalog;
using horalog::testing::ModalScript;
using horalog::testing::PeopleStoreTest;
using horalog::testing::RecordingFileDialogs;
using horalog::testing::RecordingProgress;

namespace {

class CardDialog : public PeopleStoreTest {
protected:
    void SetUp() override {
        PeopleStoreTest::SetUp();
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    }
    void AddHolders(int count) {
        for (int i = 0; i < count; ++i) {
            HolderRecord h;
            h.cardno = 100 + i;
            h.name = QString("HOLDER%1").arg(i);
            StaffTable(src()).append(h);
        }
    }
    QString Setting(const char* name) { return ReadSettingText(name, "<none>"); }

    RecordingFileDialogs files;
    RecordingProgress progress;
};

TEST_F(CardDialog, StartsFromTheSavedStateAndSavesWhatTheControlsShow) {
    WriteSettingText("CardTitleString", "VISITOR");
    WriteSettingBool("CardRemarkEnable2", true);
    WriteSettingText("CardRemakrString2", "Phone");
    WriteSettingBool("Card_Style", false);
    ASSERT_TRUE(SavePictureFile(WhitePicture(40, 25), data.file("cardback.jpg")));

    TDlgPersons d(src(), messages, files, progress);
    EXPECT_EQ(d.windowTitle(), "Print Member Card");
    EXPECT_EQ(d.titleText()->text(), "VISITOR");
    EXPECT_TRUE(d.remarkBox(1)->isChecked());
    EXPECT_EQ(d.remarkText(1)->text(), "Phone");
    EXPECT_EQ(d.remarkText(0)->text(), "Remark");
    EXPECT_TRUE(d.verticalButton()->isChecked());
    EXPECT_EQ(d.backgroundView()->width(), 54);
    EXPECT_EQ(d.layout().background.width, 40);
    EXPECT_EQ(d.layout().logo, WhitePicture(100, 100));  // no logo file

    // a style change is stored at once
    d.horizontalButton()->click();
    EXPECT_EQ(d.backgroundView()->width(), 128);
    EXPECT_EQ(Setting("Card_Style"), "1");

    // any other picture type is refused and changes nothing
    files.answers = {data.file("logo.png")};
    d.loadBackButton()->click();
    EXPECT_EQ(messages.last(), "Unknown file extension.");
    EXPECT_EQ(d.layout().background.width, 40);

    d.titleText()->setText("GUEST");
    d.remarkBox(0)->setChecked(false);
    messages.clear();
    d.saveButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{"Settings are saved."});
    EXPECT_EQ(Setting("CardTitleString"), "GUEST");
    EXPECT_EQ(Setting("CardRemarkEnable1"), "0");
    EXPECT_EQ(Setting("CardRemakrString2"), "Phone");
}

TEST_F(CardDialog, PrintCardsShowsTheDialogAgainUntilCancel) {
    AddHolders(10);  // two pages of horizontal cards
    int pages = -1;
    ModalScript script({
        {"Print Member Card",
         [](QDialog* d) { qobject_cast<TDlgPersons*>(d)->confirmButton()->click(); }},
        {"Member Cards",
         [&pages](QDialog* d) {
             pages = d->findChild<QPrintPreviewWidget*>()->pageCount();
             d->reject();
         }},
        {"Print Member Card",
         [](QDialog* d) { qobject_cast<TDlgPersons*>(d)->cancelButton()->click(); }},
    });
    RunPrintCardsCommand(store, messages, files, progress, nullptr);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected.isEmpty()) << script.unexpected.join(',').toStdString();
    EXPECT_EQ(pages, 2);
}

TEST_F(CardDialog, PrintMemberListShowsSelectStaffsAgainUntilCancel) {
    AddHolders(3);
    int pages = -1;
    ModalScript script({
        {"Select Staffs",
         [](QDialog* d) { qobject_cast<TdlgStaffs*>(d)->confirmButton()->click(); }},
        {"Member List",
         [&pages](QDialog* d) {
             pages = d->findChild<QPrintPreviewWidget*>()->pageCount();
             d->reject();
         }},
        {"Select Staffs",
         [](QDialog* d) { qobject_cast<TdlgStaffs*>(d)->cancelButton()->click(); }},
    });
    RunPrintMembersCommand(store, messages, files, nullptr);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected.isEmpty()) << script.unexpected.join(',').toStdString();
    EXPECT_EQ(pages, 1);
}

}  // namespace
