// The reader list "Setup" and the reader editor "RFID Reader" over a real store and eight
// links, ports 1 and 2 on pseudo-terminals and ports 3 to 8 on devices that do not exist.
#include "reader/reader_setup.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <memory>

#include "reader/reader_ports.h"
#include "reader/ui/reader_dialogs.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "storage/ui/layouts.h"
#include "support/modal_script.h"
#include "support/pty.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::ModalScript;
using horalog::testing::PseudoTerminal;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

class ReaderSetupTest : public ::testing::Test {
protected:
    static constexpr int kPtys = 2;

    void SetUp() override {
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        EnsureDataFolder(data.path());
        store.OpenStore();
        for (int p = 1; p <= 8; ++p) {
            QString path = data.path() + QString("/no-such-device%1").arg(p);
            if (p <= kPtys) {
                pty[p - 1] = std::make_unique<PseudoTerminal>();
                ASSERT_TRUE(pty[p - 1]->isValid());
                path = pty[p - 1]->slavePath();
            }
            WriteSettingText(QString("PortDevice%1").arg(p), path);
        }
        hooks.doorCaption = [this](const QString& c) { captions << c; };
    }
    void TearDown() override { CloseReaderPorts(links); }

    void row(int port, const QString& set, const QVariantList& values) {
        auto q = store.src().prepare("UPDATE reader SET " + set +
                                     " WHERE PORTNO = " + QString::number(port));
        for (int i = 0; i < values.size(); ++i) q.bind(i + 1, values[i]);
        q.exec();
    }
    ReaderRow stored(int port) { return *LoadReaderRow(store.src(), port); }
    // The start: every enabled row opened.
    void openAll() { ASSERT_TRUE(OpenReaderPorts(links, store.src(), hooks, &messages)); }

    TempDataFolder data;
    Tdsrc store{data.path()};
    std::unique_ptr<PseudoTerminal> pty[kPtys];
    ReaderLinks links;
    PortHooks hooks;
    QStringList captions;
    RecordingMessages messages;
};

// The editor confirmed on a row as stored, after an edit of its controls.
TEST_F(ReaderSetupTest, EditorAppliesTheModeRuleAndKeepsHiddenValues) {
    struct Case {
        const char* what;
        ReaderRow before;
        std::function<void(Tcommedit&)> edit;
        ReaderRow after;
    };
    // port, enable, desc, mode, outport, bpport, locktime, model, apb, capture, motion
    const Case cases[] = {
        {"CLOCK chosen: no locks, no anti-passback; blank description becomes COM3",
         {3, true, "DOOR", 1, 2, 4, 7, 0, true, true, 5},
         [](Tcommedit& e) {
             e.modeList()->setCurrentIndex(0);
             e.descriptionBox()->setText("   ");
         },
         {3, true, "COM3", 0, 0, 0, 7, 0, false, true, 5}},
        {"stored CLOCK row with a lock port: the lock goes on confirm",
         {3, false, "DOOR", 0, 2, 0, 3, 0, false, false, -1},
         [](Tcommedit&) {},
         {3, false, "DOOR", 0, 0, 0, 3, 0, false, false, -1}},
        {"IN keeps every hidden value (PX series, single shot)",
         {3, true, "GATE", 1, 2, 4, 9, 1, true, false, 0},
         [](Tcommedit&) {},
         {3, true, "GATE", 1, 2, 4, 9, 1, true, false, 0}},
        {"OUT with multiple shots every 12 seconds",
         {3, true, "GATE", 2, 3, 0, 1, 0, true, true, 12},
         [](Tcommedit&) {},
         {3, true, "GATE", 2, 3, 0, 1, 0, true, true, 12}},
        {"bypass capture switched off gives Motion -1",
         {3, true, "GATE", 1, 0, 0, 3, 0, false, false, 12},
         [](Tcommedit& e) { e.captureOnBypassBox()->setChecked(false); },
         {3, true, "GATE", 1, 0, 0, 3, 0, false, false, -1}},
        {"IN given its door in the editor: lock, bypass lock, release time, anti-passback",
         {3, true, "GATE", 1, 0, 0, 3, 0, false, false, -1},
         [](Tcommedit& e) {
             e.lockList()->setCurrentIndex(3);
             e.bypassList()->setCurrentIndex(3);
             e.releaseTimeBox()->setValue(5);
             e.apbBox()->setChecked(true);
         },
         {3, true, "GATE", 1, 3, 3, 5, 0, true, false, -1}},
        {"single shot chosen gives Motion 0",
         {3, true, "GATE", 1, 0, 0, 3, 0, false, false, 12},
         [](Tcommedit& e) { e.singleShotButton()->setChecked(true); },
         {3, true, "GATE", 1, 0, 0, 3, 0, false, false, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(StoreReaderRow(store.src(), c.before));
        ReaderSetup setup(store.src(), links);
        Tcommedit editor(setup, setup.editorFor(3), LockChoices(store.src()));
        editor.show();
        c.edit(editor);
        editor.confirmButton()->click();
        EXPECT_EQ(editor.result(), QDialog::Accepted);
        EXPECT_EQ(stored(3), c.after);
        EXPECT_EQ(links[3].Desc, c.after.desc);  // at once, before any reopening
        EXPECT_EQ(setup.changed(), (std::array<bool, 8>{false, false, true}));
    }
}

TEST_F(ReaderSetupTest, EditorControlsFollowModeAndReaderType) {
    row(2, "MODE = 1, OUTPORT = 3, MODEL = 0, MOTION = -1", {});
    ReaderSetup setup(store.src(), links);
    Tcommedit editor(setup, setup.editorFor(2), LockChoices(store.src()));
    editor.show();
    EXPECT_EQ(editor.portGroup()->title(), "COM2");
    EXPECT_EQ(editor.lockList()->count(), 9);
    EXPECT_EQ(editor.lockList()->itemText(0), "DENIED");
    EXPECT_EQ(editor.lockList()->currentText(), "COM3");
    EXPECT_TRUE(editor.lockList()->isEnabled());
    // A named reader's port goes with its name.
    store.src().execute("UPDATE reader SET \"DESC\" = 'Front door' WHERE PORTNO = 1");
    EXPECT_EQ(LockChoices(store.src()).value(1), "COM1 Front door");
    EXPECT_FALSE(editor.secondsBox()->isEnabled());
    // The door's controls are shown; the reader type and photo capture stay hidden.
    for (QWidget* w : std::initializer_list<QWidget*>{editor.lockList(), editor.bypassList(),
                                                      editor.releaseTimeBox(), editor.apbBox()})
        EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(editor.readerTypeList()->isVisible());
    EXPECT_FALSE(editor.captureOnReadBox()->isVisible());

    editor.readerTypeList()->setCurrentIndex(1);  // PX series
    EXPECT_FALSE(editor.lockList()->isEnabled());
    EXPECT_FALSE(editor.releaseTimeBox()->isEnabled());
    EXPECT_TRUE(editor.apbBox()->isEnabled());

    editor.modeList()->setCurrentIndex(0);
    EXPECT_FALSE(editor.apbBox()->isEnabled());
    EXPECT_EQ(editor.lockList()->currentIndex(), 0);

    editor.captureOnBypassBox()->setChecked(true);
    editor.multipleShotButton()->setChecked(true);
    EXPECT_TRUE(editor.secondsBox()->isEnabled());

    // The device path of the port is edited here too and stored on Confirm.
    EXPECT_EQ(editor.deviceBox()->text(), pty[1]->slavePath());
    editor.deviceBox()->setText("/dev/ttyUSB0 ");
    editor.confirmButton()->click();
    EXPECT_EQ(ReadSettingText("PortDevice2", ""), "/dev/ttyUSB0");
}

TEST_F(ReaderSetupTest, CellImagesTellOpenFromFailedPorts) {
    row(1, "ENABLE = 1, APB = 1, MOTION = 0", {});
    row(5, "ENABLE = 1, MOTION = 3", {});  // its device does not exist
    openAll();
    ASSERT_TRUE(links[1].IsOpen());
    TSetReader list(store.src(), links, messages);
    auto image = [&](int r, int column) {
        return ReaderCellImage(list.model()->index(r, column).data(kReaderImageRole).toInt());
    };
    EXPECT_EQ(image(0, ReaderListModel::Enable), ReaderCellImage::Check);
    EXPECT_EQ(image(0, ReaderListModel::Apb), ReaderCellImage::Check);
    EXPECT_EQ(image(0, ReaderListModel::Motion), ReaderCellImage::Camera);
    EXPECT_EQ(image(4, ReaderListModel::Enable), ReaderCellImage::Stop);
    EXPECT_EQ(image(4, ReaderListModel::Apb), ReaderCellImage::Uncheck);
    EXPECT_EQ(image(4, ReaderListModel::Motion), ReaderCellImage::MCam);
    EXPECT_EQ(list.model()->index(0, ReaderListModel::PortNo).data().toString(), "COM1");
    EXPECT_EQ(list.model()->index(0, ReaderListModel::LockTime).data().toString(), "3 SEC");
    // Six different pictures, each drawn.
    QSet<qint64> keys;
    for (ReaderCellImage i :
         {ReaderCellImage::Check, ReaderCellImage::Stop, ReaderCellImage::Uncheck,
          ReaderCellImage::Disable, ReaderCellImage::Camera, ReaderCellImage::MCam}) {
        const QImage picture = ReaderCellPicture(i);
        EXPECT_FALSE(picture.isNull()) << ReaderCellPictureName(i);
        keys.insert(qHash(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes())));
    }
    EXPECT_EQ(keys.size(), 6);
}

// The list's headings are readable, its pictures explained, and its hidden columns reachable
// from the header's menu; the last shown column cannot be hidden.
TEST_F(ReaderSetupTest, TheListExplainsItselfAndShowsHiddenColumns) {
    row(5, "ENABLE = 1", {});  // its device does not exist
    openAll();
    TSetReader list(store.src(), links, messages);
    QTableView* grid = list.grid();
    EXPECT_TRUE(list.model()
                    ->index(4, ReaderListModel::Enable)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("could not be opened"));
    EXPECT_EQ(list.model()->index(4, ReaderListModel::Apb).data(Qt::ToolTipRole).toString(),
              "Off.");
    for (int c = 0; c < list.model()->columnCount(); ++c) {
        if (grid->isColumnHidden(c)) continue;
        EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
    }

    auto action = [&](QMenu* menu, const QString& text) -> QAction* {
        for (QAction* a : menu->actions())
            if (a->text() == text) return a;
        return nullptr;
    };
    ASSERT_TRUE(grid->isColumnHidden(ReaderListModel::OutPort));
    QMenu* menu = ColumnMenu(grid);
    QAction* cardAction = action(menu, "Card Action");
    ASSERT_NE(cardAction, nullptr);
    EXPECT_FALSE(cardAction->isChecked());
    cardAction->trigger();
    EXPECT_FALSE(grid->isColumnHidden(ReaderListModel::OutPort));
    EXPECT_GE(grid->columnWidth(ReaderListModel::OutPort),
              grid->horizontalHeader()->sectionSizeHint(ReaderListModel::OutPort));
    for (QAction* a : menu->actions())
        if (a->isChecked() && a->text() != "Description") a->trigger();
    delete menu;
    menu = ColumnMenu(grid);
    EXPECT_FALSE(action(menu, "Description")->isEnabled());
    EXPECT_TRUE(action(menu, "Mode")->isEnabled());
    delete menu;
}

TEST_F(ReaderSetupTest, OfflineWarningOnceHoweverManyPortsQualify) {
    openAll();  // port 1 and 2 rows are disabled: nothing is open yet
    row(1, "ENABLE = 1", {});
    CloseReaderPort(links, 1);
    OpenReaderPort(links, store.src(), 1, hooks);
    ASSERT_TRUE(links[1].IsOpen());
    struct Case {
        const char* what;
        std::vector<int> edited;
        int warnings;
    };
    const Case cases[] = {
        {"an open port", {1}, 0},
        {"three closed ports", {3, 5, 8}, 1},
        {"an open and a closed port", {1, 6}, 1},
        {"nothing edited", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        TSetReader list(store.src(), links, messages);
        for (int port : c.edited) list.setup().confirmEdit(list.setup().editorFor(port));
        list.confirmButton()->click();
        EXPECT_EQ(list.result(), QDialog::Rejected);  // the "cancel" result
        EXPECT_EQ(messages.shown.size(), c.warnings);
        if (c.warnings) {
            EXPECT_EQ(messages.shown[0].kind, "warning");
            EXPECT_EQ(messages.shown[0].text, kOfflineReaderWarning);
        }
    }
}

TEST_F(ReaderSetupTest, EnableAllStoresWhichPortsOpenNowAndReopensEverything) {
    row(1, "ENABLE = 0", {});
    row(5, "ENABLE = 1", {});  // no such device
    openAll();
    ASSERT_FALSE(links[1].IsOpen());
    int result = 0;
    {
        ModalScript script({{"Setup", [](QDialog* d) {
                                 static_cast<TSetReader*>(d)->enableAllButton()->click();
                             }}});
        result = RunReadersCommand(store.src(), links, hooks, messages, nullptr);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected.isEmpty());
    }
    EXPECT_EQ(result, QDialog::Accepted);
    for (int port = 1; port <= 8; ++port) {
        SCOPED_TRACE(port);
        EXPECT_EQ(stored(port).enable, port <= kPtys);
        EXPECT_EQ(links[port].Enable, port <= kPtys);
        EXPECT_EQ(links[port].IsOpen(), port <= kPtys);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
    // Every port was opened from the table again: the door caption of port 1 came back.
    EXPECT_EQ(captions.last(), "COM1->OPEN");
}

TEST_F(ReaderSetupTest, EnableAllStopsAtTheEndOfAShortTable) {
    store.src().execute("DELETE FROM reader WHERE PORTNO >= 7");
    TSetReader list(store.src(), links, messages);
    list.show();
    list.enableAllButton()->click();
    EXPECT_TRUE(list.isVisible());  // left open
    EXPECT_NE(list.result(), QDialog::Accepted);
    EXPECT_TRUE(stored(2).enable);
    EXPECT_FALSE(stored(3).enable);
    EXPECT_EQ(list.setup().changed(),
              (std::array<bool, 8>{true, true, true, true, true, true, true, false}));
    CloseReaderPorts(links);
}

TEST_F(ReaderSetupTest, CloseBoxReopensOnlyTheEditedPort) {
    row(1, "ENABLE = 1, MODE = 1", {});
    row(2, "ENABLE = 1, MODE = 1, \"DESC\" = 'GATE'", {});
    WriteSettingInt("DoorOpenPortNo", 2);
    openAll();
    ASSERT_TRUE(links[1].IsOpen() && links[2].IsOpen());
    // A change of port 1 made elsewhere: it reaches the link only if port 1 is reopened.
    row(1, "MODE = 2", {});
    captions.clear();

    int result = 0;
    {
        ModalScript script({
            {"Setup",
             [](QDialog* d) {
                 auto* list = static_cast<TSetReader*>(d);
                 list->grid()->selectRow(1);
                 list->editButton()->click();
             }},
            {"RFID Reader",
             [](QDialog* d) {
                 auto* editor = static_cast<Tcommedit*>(d);
                 editor->modeList()->setCurrentIndex(2);
                 editor->confirmButton()->click();
             }},
            {"Setup", [](QDialog* d) { d->close(); }},  // the frame's close box
        });
        result = RunReadersCommand(store.src(), links, hooks, messages, nullptr);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected.isEmpty()) << script.unexpected.join(", ").toStdString();
    }
    EXPECT_NE(result, QDialog::Accepted);
    EXPECT_TRUE(messages.shown.isEmpty());  // the warning belongs to "Confirm" only
    EXPECT_EQ(stored(2).mode, 2);
    EXPECT_EQ(links[2].Mode, 2);  // reopened from its row
    EXPECT_TRUE(links[2].IsOpen());
    EXPECT_EQ(links[1].Mode, 1);  // untouched
    EXPECT_TRUE(links[1].IsOpen());
    EXPECT_EQ(captions, QStringList{"GATE->OPEN"});
}

}  // namespace
