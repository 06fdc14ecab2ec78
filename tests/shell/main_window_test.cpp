// The main window under the offscreen platform: start and close steps, login gating, the
// password dialogs, the live log, menus, the notification area and the single instance.
#include "shell/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <deque>
#include <optional>

#include "people/login.h"
#include "shell/instance_lock.h"
#include "shell/live_log_model.h"
#include "shell/menu_table.h"
#include "shell/ui/clock_face_widget.h"
#include "shell/ui/program.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "storage/ui/layouts.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

// Works the modal dialogs as they come up: each step runs on the dialog that is up at its
// turn. A dialog that comes up with no step left is noted and cancelled.
class DialogScript {
public:
    using Step = std::function<void(QDialog*)>;
    explicit DialogScript(std::initializer_list<Step> steps) : steps_(steps) {
        // Owned by the script: no poll outlives it.
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    static Step type(QStringList texts) {
        return [texts](QDialog* d) {
            auto edits = d->findChildren<QLineEdit*>();
            for (int i = 0; i < edits.size() && i < texts.size(); ++i) edits[i]->setText(texts[i]);
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        };
    }
    static Step cancel() {
        return [](QDialog* d) {
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        };
    }
    bool done() const { return steps_.empty(); }
    QStringList captions;    // caption of the dialog each step ran on
    QStringList unexpected;  // dialogs that came up with no step left

private:
    void poll() {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (d && d->isVisible()) {
            if (steps_.empty()) {
                unexpected << d->windowTitle();
                d->reject();
            } else {
                Step s = steps_.front();
                steps_.pop_front();
                captions << d->windowTitle();
                s(d);
            }
        }
    }
    std::deque<Step> steps_;
    QTimer timer_;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
        EnsureDataFolder(data.path());
        store.OpenStore();
    }
    void TearDown() override {
        if (window) window->close();
        window.reset();
    }
    TTimeRec& open() {
        window = std::make_unique<TTimeRec>(store, messages, nullptr, [this] { return now; });
        return *window;
    }
    void addRow(DateTime t, int card) {
        LogRecord r{0, t, card, 1, 1, 0};
        LogTable(store.att()).append(r);
    }
    QStringList visibleTexts(const QList<QAction*>& actions) {
        QStringList out;
        for (QAction* a : actions)
            if (!a->isSeparator() && a->isVisible()) out << a->text();
        return out;
    }
    QAction* trayEntry(const QString& text) {
        for (QAction* a : window->trayMenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    void expectGating(bool loggedIn) {
        for (const MenuRow& row : MenuTable()) {
            if (!row.name) continue;
            // A hidden action reads as disabled: look at it as it would be once shown.
            QAction* a = window->action(row.name);
            const bool visible = a->isVisible();
            a->setVisible(true);
            EXPECT_EQ(a->isEnabled(), EnabledWhen(row.gate, loggedIn))
                << row.name << (loggedIn ? " logged in" : " logged out");
            a->setVisible(visible);
        }
        EXPECT_EQ(window->loginButton()->isEnabled(), !loggedIn);
        EXPECT_EQ(window->logoutButton()->isEnabled(), loggedIn);
        EXPECT_EQ(window->loginState().loggedIn(), loggedIn);
    }

    QTemporaryDir lockDir;
    TempDataFolder data;
    Tdsrc store{data.path()};
    RecordingMessages messages;
    DateTime now = EncodeDateTime(2004, 6, 26, 18, 24, 6);
    std::unique_ptr<TTimeRec> window;
};

TEST_F(MainWindowTest, LoginAndLogoutGateEveryAction) {
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    expectGating(false);
    // The gated commands of other rooms follow too, also those with no menu entry yet.
    EXPECT_TRUE(w.action(kActSetPassword)->isEnabled());
    EXPECT_TRUE(w.action(kActExit)->isEnabled());

    // The notification icon's "Login"
    QAction* trayLogin = trayEntry("Login");
    ASSERT_TRUE(trayLogin);
    EXPECT_TRUE(trayLogin->isEnabled());
    DialogScript none({});
    trayLogin->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"No password registered yet."});
    EXPECT_EQ(messages.shown.first().kind, "information");
    expectGating(true);
    EXPECT_FALSE(trayLogin->isEnabled());

    w.logoutButton()->click();
    expectGating(false);
    EXPECT_TRUE(trayLogin->isEnabled());

    w.loginButton()->click();
    expectGating(true);
    w.action(kActLogout)->trigger();
    expectGating(false);
    EXPECT_TRUE(none.unexpected.isEmpty());
}

TEST_F(MainWindowTest, DoubleClickOnTheLiveLogNeedsALogin) {
    TTimeRec& w = open();
    std::vector<std::optional<int>> opened;
    w.hooks().openHolderEditor = [&](std::optional<int> card) { opened.push_back(card); };
    ASSERT_TRUE(w.start());
    w.liveLogDoubleClicked();
    EXPECT_EQ(messages.texts(), QStringList{"Feature disabled. Please Login to use it."});
    EXPECT_TRUE(opened.empty());
    w.Login();
    messages.clear();
    w.liveLogDoubleClicked();  // an empty log: the editor's caller says "No record."
    addRow(now, 5);
    w.RefreshLiveLog(true);
    w.liveLogDoubleClicked();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(opened, (std::vector<std::optional<int>>{std::nullopt, 5}));
}

TEST_F(MainWindowTest, EmptyPasswordIsAPasswordOnceRegistered) {
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    {
        DialogScript script({DialogScript::type({"", ""})});
        w.SetPassword();  // logged out, nothing registered: straight to the new password
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.captions, QStringList{"Password Dialog"});
    }
    EXPECT_EQ(messages.texts(), QStringList{"New password registered."});
    EXPECT_FALSE(w.loginState().loggedIn());  // setting a password does not log in
    EXPECT_TRUE(PasswordRegistered(store.src()));
    messages.clear();
    {
        DialogScript script({DialogScript::type({""})});
        w.Login();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.captions, QStringList{"Password Dialog"});
    }
    EXPECT_TRUE(messages.texts().isEmpty());
    expectGating(true);
}

TEST_F(MainWindowTest, WrongCaseIsRefusedAndTheDialogStaysOpen) {
    StorePassword(store.src(), "Secret");
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    {
        DialogScript script({DialogScript::type({"secret"}), DialogScript::type({"SECRET"}),
                             DialogScript::cancel()});
        w.Login();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.captions.size(), 3);
    }
    EXPECT_EQ(messages.texts(), QStringList({"Password incorrect.", "Password incorrect."}));
    EXPECT_EQ(messages.shown.first().kind, "error");
    expectGating(false);  // cancelled: still logged out
    messages.clear();
    {
        DialogScript script({DialogScript::type({"secret"}), DialogScript::type({"Secret"})});
        w.Login();
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected.isEmpty());
    }
    EXPECT_EQ(messages.texts(), QStringList{"Password incorrect."});
    expectGating(true);
}

TEST_F(MainWindowTest, SetPasswordWhileLoggedOutAsksForTheOldOne) {
    StorePassword(store.src(), "Secret");
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    {
        DialogScript script({DialogScript::type({"SECRET"}), DialogScript::cancel()});
        w.SetPassword();
        EXPECT_EQ(script.captions, QStringList({"Old password", "Old password"}));
        EXPECT_TRUE(script.unexpected.isEmpty());  // no new password dialog after a cancel
    }
    EXPECT_EQ(messages.texts(), QStringList{"Password incorrect."});
    EXPECT_TRUE(PasswordMatches(store.src(), "Secret"));
    messages.clear();
    {
        DialogScript script({DialogScript::type({"Secret"}), DialogScript::type({"One", "one"}),
                             DialogScript::type({"One", "One"})});
        w.SetPassword();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.captions,
                  QStringList({"Old password", "Password Dialog", "Password Dialog"}));
    }
    EXPECT_EQ(messages.texts(), QStringList({"Password inconsistant. Please re-enter it.",
                                             "New password registered."}));
    EXPECT_TRUE(PasswordMatches(store.src(), "One"));
    EXPECT_FALSE(PasswordMatches(store.src(), "Secret"));
    expectGating(false);
}

TEST_F(MainWindowTest, LiveLogShowsTheNewestRowAndTheCount) {
    TTimeRec& w = open();
    std::vector<std::pair<int, DateTime>> feedback;
    w.hooks().showFeedback = [&](int card, DateTime t) { feedback.push_back({card, t}); };
    ASSERT_TRUE(w.start());
    EXPECT_EQ(w.liveLogGroup()->title(), "no record");
    EXPECT_TRUE(feedback.empty());  // no last row to show
    EXPECT_TRUE(w.NoRecordCheck());
    EXPECT_EQ(messages.texts(), QStringList{"No record."});

    for (int i = 0; i < 3; ++i) addRow(now.addSecs(i), 10 + i);
    w.ShowRecordCount();
    w.ShowAppendedRows();
    EXPECT_EQ(w.liveLogGroup()->title(), "3 record(s)");
    EXPECT_EQ(w.liveLog()->currentIndex().row(), 2);
    EXPECT_FALSE(w.NoRecordCheck());

    addRow(now.addSecs(60), 99);
    w.ShowAppendedRows();
    EXPECT_EQ(w.liveLogModel()->rowCount(), 4);
    EXPECT_EQ(w.liveLog()->currentIndex().row(), 3);
    EXPECT_EQ(w.liveLogModel()->index(3, 1).data().toString(), "[99]");

    w.liveLog()->setCurrentIndex(w.liveLogModel()->index(1, 0));
    w.currentRowFeedback();
    ASSERT_EQ(feedback.size(), 1u);
    EXPECT_EQ(feedback.back().first, 11);
    EXPECT_EQ(feedback.back().second, now.addSecs(1));

    w.RefreshLiveLog(false);
    EXPECT_TRUE(w.liveLog()->isHidden());
    w.RefreshLiveLog(true);
    EXPECT_FALSE(w.liveLog()->isHidden());
    EXPECT_EQ(w.liveLog()->currentIndex().row(), 3);
    EXPECT_TRUE(w.liveLog()->isColumnHidden(LiveLogModel::ColLock));
}

TEST_F(MainWindowTest, StartAndCloseRunTheirStepsInOrder) {
    addRow(now, 42);
    WriteSettingBool("CamEnable", true);
    WriteSettingBool("EmailEnabled", true);
    WriteSettingBool("AutoInOut", true);
    WriteSettingBool("DoorOpenEnable", true);
    WriteSettingInt("DoorOpenPortNo", 3);
    WriteSettingBool("SpeechEnable", true);
    WriteSettingBool("WebEnabled", true);
    TTimeRec& w = open();
    QStringList steps;
    auto& h = w.hooks();
    h.createReaderLinks = [&] { steps << "links"; };
    h.openReaderPorts = [&] { steps << "ports"; };
    h.armMailTimer = [&] { steps << "mail"; };
    h.showFeedback = [&](int card, DateTime) { steps << QString("feedback %1").arg(card); };
    h.evaluateAutoIO = [&](DateTime t) {
        steps << "autoio";
        EXPECT_EQ(t, now);
        EXPECT_FALSE(w.loginState().loggedIn());
    };
    h.readerDesc = [&](int port) {
        steps << QString("desc %1").arg(port);
        return QString("Back door");
    };
    h.startWebReporter = [&] { steps << "web"; };
    h.closeReaderLinks = [&] { steps << "close links"; };
    h.clearFeedback = [&] { steps << "clear feedback"; };
    h.freeReaderLinks = [&] { steps << "free links"; };
    h.stopTimers = [&] { steps << "stop timers"; };
    ASSERT_TRUE(w.start());
    EXPECT_EQ(steps,
              QStringList({"links", "ports", "mail", "feedback 42", "autoio", "desc 3", "web"}));
    EXPECT_FALSE(ReadSettingBool("CamEnable", true));
    EXPECT_TRUE(ReadSettingBool("EmailEnabled", false));  // the mail queue's start stores it
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.inOutPanel()->isHidden());
    EXPECT_EQ(w.inOutPanel()->text(), "OUT");
    EXPECT_TRUE(w.webcamColumn()->isHidden());
    EXPECT_TRUE(w.action(kActHideWebcam)->isChecked());
    EXPECT_FALSE(w.doorOpenButton()->isHidden());
    EXPECT_EQ(w.doorOpenButton()->text(), "Back door->OPEN");  // as after the set-up
    EXPECT_TRUE(w.action(kActSpeech)->isChecked());
    EXPECT_TRUE(w.action(kActWebReporter)->isChecked());
    EXPECT_TRUE(w.clockFace()->running());
    EXPECT_TRUE(w.tickRunning());
    EXPECT_EQ(w.windowTitle(), "Horalog");
    EXPECT_GE(w.minimumWidth(), 320);
    EXPECT_GE(w.minimumHeight(), 504);

    steps.clear();
    w.resize(700, 600);
    w.close();
    EXPECT_EQ(steps, QStringList({"close links", "clear feedback", "free links", "stop timers"}));
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(w.tickRunning());
    EXPECT_FALSE(w.clockFace()->running());
    EXPECT_TRUE(SettingExists("HideOnStartup"));
    EXPECT_EQ(ReadSettingInt("MainForm_WIDTH", 0), 700);
    EXPECT_FALSE(SettingExists("InfoGrid_0"));  // unchanged: measured again at the next start
}

// Widths come from the font the grid has at first start, whatever its size; the reader column
// takes the rest of the width and the grid the rest of the height. A width the operator
// changed is stored and wins at the next start.
TEST_F(MainWindowTest, LiveLogColumnsFitTheirTextsInTheFontOfTheDay) {
    QSettings(SettingsFilePath(), QSettings::IniFormat).clear();  // no width stored yet
    addRow(EncodeDateTime(2026, 9, 30, 12, 58, 58), 16777215);
    const QFont appFont = QApplication::font();
    for (int points : {0, 9, 16}) {
        SCOPED_TRACE(points);
        QFont f = appFont;
        if (points) f.setPointSize(points);
        QApplication::setFont(f);
        TTimeRec& w = open();
        ASSERT_TRUE(w.start());
        w.resize(1000, 700);
        QApplication::processEvents();
        QTableView* g = w.liveLog();
        const QFontMetrics fm = g->fontMetrics();
        const QModelIndex row = w.liveLogModel()->index(0, 0);
        for (int c : {int(LiveLogModel::ColTime), int(LiveLogModel::ColCard)}) {
            const QString text = row.siblingAtColumn(c).data().toString();
            EXPECT_GE(g->columnWidth(c), fm.horizontalAdvance(text) + 4) << text.toStdString();
        }
        EXPECT_EQ(row.data().toString(), "Sep 30, 2026 (Wed) - PM 12:58:58");
        int shown = 0;
        for (int c = 0; c < LiveLogModel::ColumnCount; ++c)
            if (!g->isColumnHidden(c)) shown += g->columnWidth(c);
        EXPECT_EQ(shown, g->viewport()->width());
        const int before = g->height();
        w.resize(1000, 900);
        QApplication::processEvents();
        EXPECT_EQ(g->height(), before + 200);
        w.close();
    }
    QApplication::setFont(appFont);

    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    w.liveLog()->setColumnWidth(LiveLogModel::ColTime, 321);
    w.close();
    EXPECT_EQ(ReadSettingInt("InfoGrid_0", 0), 321);
    EXPECT_FALSE(SettingExists("InfoGrid_1"));
    TTimeRec& again = open();
    ASSERT_TRUE(again.start());
    EXPECT_EQ(again.liveLog()->columnWidth(LiveLogModel::ColTime), 321);
}

// The first start opens centred on the screen, title bar included; a saved place that no
// screen shows any more, or whose title bar is above the screen's edge, is moved back.
TEST_F(MainWindowTest, OpensWhereItCanBeSeen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QRect& saved : {QRect(), QRect(5000, 4000, 700, 520), QRect(0, 0, 640, 504)}) {
        SCOPED_TRACE(QString("%1 %2").arg(saved.left()).arg(saved.top()).toStdString());
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        if (saved.isValid()) {
            WriteSettingInt("MainForm_LEFT", saved.left());
            WriteSettingInt("MainForm_TOP", saved.top());
            WriteSettingInt("MainForm_WIDTH", saved.width());
            WriteSettingInt("MainForm_HEIGHT", saved.height());
        }
        TTimeRec& w = open();
        ASSERT_TRUE(w.start());
        const QRect placed = w.geometry();
        EXPECT_TRUE(screen.contains(placed.adjusted(0, -kTitleBarHeight, 0, 0)))
            << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
        EXPECT_LE(std::abs(placed.center().x() - screen.center().x()), 1);
        if (!saved.isValid())
            EXPECT_EQ(placed.width(), std::min(960, screen.width()));
        else
            EXPECT_EQ(placed.size(), saved.size());
        w.close();
    }
}

// "Exit" of the menu and of the notification icon asks while a reader is served.
TEST_F(MainWindowTest, ExitAsksWhileAReaderPortIsOpen) {
    struct Case {
        const char* what;
        bool portOpen;
        bool entryOfTheTray;
        bool answer;
        QStringList asked;
        bool closes;
    };
    const QStringList question{"Card readers are not served while Horalog is closed. Exit?"};
    const Case cases[] = {
        {"no port open", false, false, true, {}, true},
        {"menu, Cancel", true, false, false, question, false},
        {"menu, OK", true, false, true, question, true},
        {"tray, Cancel", true, true, false, question, false},
        {"tray, OK", true, true, true, question, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTimeRec& w = open();
        w.hooks().readerPortOpen = [&] { return c.portOpen; };
        ASSERT_TRUE(w.start());
        messages.clear();
        messages.answerNext(c.answer);
        QAction* exit = c.entryOfTheTray ? trayEntry("Exit") : w.action(kActExit);
        ASSERT_TRUE(exit);
        exit->trigger();
        EXPECT_EQ(messages.texts(), c.asked);
        if (!c.asked.isEmpty()) {
            EXPECT_EQ(messages.shown.first().kind, "confirm");
        }
        EXPECT_EQ(w.isVisible(), !c.closes);
        EXPECT_EQ(store.isOpen(), !c.closes);
        w.close();
    }
}

TEST_F(MainWindowTest, PhotosFolderThatCannotBeMadeStopsTheWindowCreation) {
    QDir(data.file("photos")).removeRecursively();
    QFile blocker(data.file("photos"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
    blocker.close();
    WriteSettingBool("DoorOpenEnable", true);
    TTimeRec& w = open();
    int evaluations = 0;
    w.hooks().evaluateAutoIO = [&](DateTime) { ++evaluations; };
    ASSERT_TRUE(w.start());
    EXPECT_EQ(messages.texts(), QStringList{"Cannot create directory: " + data.file("photos")});
    EXPECT_EQ(messages.shown.first().kind, "error");
    EXPECT_EQ(evaluations, 0);
    EXPECT_FALSE(w.clockFace()->running());
    EXPECT_TRUE(w.doorOpenButton()->isHidden());
    // The steps before it ran: logged out, the two switches stored false.
    expectGating(false);
    EXPECT_FALSE(ReadSettingBool("CamEnable", true));
    EXPECT_TRUE(w.tickRunning());
}

TEST_F(MainWindowTest, BrokenReaderTableShowsTheErrorAndOpensNoPort) {
    store.src().execute("DELETE FROM reader WHERE PORTNO = 8");
    TTimeRec& w = open();
    int opened = 0;
    w.hooks().openReaderPorts = [&] { ++opened; };
    ASSERT_TRUE(w.start());
    EXPECT_EQ(messages.texts(), QStringList{"Database error. Please re-format the database."});
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, WithoutANotificationAreaTheWindowIsNeverHiddenForGood) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen has none
    WriteSettingBool("HideOnStartup", true);
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    EXPECT_TRUE(w.action(kActHideOnStartup)->isChecked());
    EXPECT_TRUE(w.isVisible());
    w.Login();
    w.action(kActHideToSystray)->trigger();
    EXPECT_TRUE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
    w.action(kActShowMe)->trigger();
    EXPECT_FALSE(w.isMinimized());
    w.action(kActHideOnStartup)->trigger();  // stored at once
    EXPECT_FALSE(ReadSettingBool("HideOnStartup", true));
}

TEST_F(MainWindowTest, MenusShowOnlyCommandsThatDoSomething) {
    TTimeRec& w = open();
    ASSERT_TRUE(w.start());
    EXPECT_EQ(visibleTexts(w.menuBar()->actions()), QStringList({"&Actions", "&Setup"}));
    QMenu* actions = w.menuBar()->actions().first()->menu();
    EXPECT_EQ(visibleTexts(actions->actions()),
              QStringList({"&Login", "L&ogout", "&Set Password", "Hide to Systray", "Exit",
                           "About Horalog"}));
    EXPECT_EQ(visibleTexts(w.trayMenu()->actions()),
              QStringList({"About Horalog", "Login", "Show me", "Exit"}));
    EXPECT_TRUE(w.trayIcon()->toolTip() == "Horalog");
    EXPECT_TRUE(w.offlineButton()->isHidden());

    int ran = 0;
    w.setCommand("actXlsLateEarly", [&] { ++ran; });
    w.setCommand(kActOffline, [&] { ++ran; });
    w.setCommand("actEmail", [&] { ++ran; });  // hidden in this system
    EXPECT_EQ(visibleTexts(w.menuBar()->actions()),
              QStringList({"&Actions", "&Setup", "&Reports"}));
    QMenu* reports = w.menuBar()->actions().last()->menu();
    EXPECT_EQ(visibleTexts(reports->actions()), QStringList{"Spreadsheet"});
    EXPECT_FALSE(w.offlineButton()->isHidden());
    EXPECT_FALSE(w.offlineButton()->isEnabled());
    w.Login();
    EXPECT_TRUE(w.offlineButton()->isEnabled());
    w.offlineButton()->click();
    w.action("actXlsLateEarly")->trigger();
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(w.action("actEmail")->isVisible());
}

TEST_F(MainWindowTest, SecondTickShowsTheClockAndHandsTheTimeToTheIOSchedule) {
    TTimeRec& w = open();
    std::vector<DateTime> ticks;
    w.hooks().tickAutoIO = [&](DateTime t) { ticks.push_back(t); };
    ASSERT_TRUE(w.start());
    w.secondTick();
    EXPECT_EQ(w.statusClock()->text(), "26/Jun/2004 Sat  PM 06:24:06");
    EXPECT_EQ(w.statusClock()->width(), 300);
    EXPECT_EQ(w.mailPanel()->width(), 50);
    now = now.addSecs(1);
    w.secondTick();
    // every tick: the schedule counts its override down and watches the minute itself
    EXPECT_EQ(ticks, (std::vector<DateTime>{now.addSecs(-1), now}));
    EXPECT_TRUE(w.tickRunning());
}

TEST(ClockFaceWidget, RepaintsWhenTheSecondChanges) {
    DateTime t = EncodeDateTime(2004, 6, 26, 6, 30, 0);
    ClockFaceWidget face([&] { return t; });
    EXPECT_TRUE(face.sample());
    EXPECT_FALSE(face.sample());
    t = t.addSecs(0.5);
    EXPECT_FALSE(face.sample());
    t = t.addSecs(0.5);
    EXPECT_TRUE(face.sample());
    EXPECT_EQ(face.shown(), QTime(6, 30, 1));
    EXPECT_EQ(face.repaintsAsked(), 2);
}

TEST(SingleInstance, ASecondCopyIsRefusedAndTheFirstRunsOn) {
    QTemporaryDir lockDir, data, config;
    qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
    {
        RecordingMessages first, second;
        Program a(first), b(second);
        ASSERT_TRUE(a.start(data.path()));
        EXPECT_FALSE(b.start(data.path()));
        EXPECT_EQ(second.texts(), QStringList{kSecondInstance});
        EXPECT_EQ(second.shown.first().kind, "information");
        EXPECT_EQ(b.window(), nullptr);
        EXPECT_TRUE(a.window()->isVisible());
    }
    // Another process holds the lock: the program itself.
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HORALOG_LOCK_DIR", lockDir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", config.path());
    other.setProcessEnvironment(env);
    other.start(horalog::testing::BinaryPath("horalog"), {"--data", data.path()});
    ASSERT_TRUE(other.waitForStarted());
    InstanceLock probe;
    bool taken = false;
    for (int i = 0; i < 400 && !taken; ++i) {
        QThread::msleep(50);
        taken = QFile::exists(probe.path());
    }
    ASSERT_TRUE(taken) << "the first copy never took the lock";
    RecordingMessages refused;
    Program c(refused);
    EXPECT_FALSE(c.start(data.path()));
    EXPECT_EQ(refused.texts(), QStringList{kSecondInstance});
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
    // The lock of a copy that died is taken over.
    RecordingMessages after;
    Program d(after);
    EXPECT_TRUE(d.start(data.path()));
    EXPECT_TRUE(after.texts().isEmpty());
}

}  // namespace
