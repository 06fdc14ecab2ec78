// The program's window with every room attached, on a temporary data folder and a reader
// played on a real pseudo-terminal: the road of a card read, and the joints of the rooms that
// the wiring itself can break.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <stdexcept>

#include "net/ui/web_settings_dialog.h"
#include "net/web_reporter.h"
#include "net/web_switch.h"
#include "reader/frames.h"
#include "reader/reader_ports.h"
#include "shell/live_log_model.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "shell/ui/setup_dialogs.h"
#include "shell/menu_table.h"
#include "shell/ui/program.h"
#include "shell/ui/rooms.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/pty.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"
#include "support/free_port.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

constexpr int kCard = 1234567;

QByteArray redPhoto() {
    QImage image(240, 320, QImage::Format_RGB888);
    image.fill(QColor(200, 0, 0));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return jpeg;
}

// Works the modal windows (message boxes, file dialogs) of the Qt screen ports as they come
// up, one step each, in order.
class ModalScript {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(std::initializer_list<Step> steps) : steps_(steps) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    // The message box's default button: Yes, OK.
    static Step answer(std::function<void()> before = {}) {
        return [before](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_TRUE(box) << w->metaObject()->className();
            if (before) before();
            box->defaultButton()->click();
        };
    }
    static Step chooseFile(const QString& path) {
        return [path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_TRUE(dialog) << w->metaObject()->className();
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
        };
    }
    bool done() const { return steps_.empty(); }

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || steps_.empty()) return;
        Step s = steps_.front();
        steps_.pop_front();
        s(w);
    }
    std::deque<Step> steps_;
    QTimer timer_;
};

class WiringTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Before the program exists: its single-instance lock lies there.
        qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
        program = std::make_unique<Program>(messages);
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        ASSERT_TRUE(pty.isValid());
        WriteSettingText("PortDevice1", pty.slavePath());
        EnsureDataFolder(data.path());
        Tdsrc store(data.path());
        store.OpenStore();
        // An IN reader whose own relay holds the door, released for 3 seconds.
        store.src().execute(
            "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 3, "
            "\"DESC\" = 'Front door' WHERE PORTNO = 1");
        HolderRecord ann;
        ann.cardno = kCard;
        ann.name = "ANN";
        ann.photo = redPhoto();
        ann.com[0] = true;
        StaffTable(store.src()).append(ann);
    }
    void TearDown() override {
        if (program->window()) program->window()->close();
    }

    TTimeRec& start() {
        if (!program->start(data.path()))  // ends the test as a failure
            throw std::runtime_error("no start: " + messages.last().toStdString());
        // The program ends its event loop when the window closes; here that would end every
        // later modal loop of this test program at once.
        QObject::disconnect(program->window(), &TTimeRec::closed, qApp, nullptr);
        return *program->window();
    }
    // Plays the reader: a card frame, then waits until the read was logged.
    void present(int card) {
        const qint64 before = logCount();
        pty.write(CardFrame(card));
        ASSERT_TRUE(WaitUntil([&] { return logCount() > before; }, 3000));
    }
    qint64 logCount() { return LogTable(program->store()->att()).count(); }

    QTemporaryDir lockDir;
    TempDataFolder data;
    PseudoTerminal pty;
    RecordingMessages messages;
    std::unique_ptr<Program> program;
};

TEST_F(WiringTest, CardReadAtTheDoorShowsInTheWindowAndOpensIt) {
    TTimeRec& w = start();
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("; ").toStdString();
    EXPECT_EQ(w.liveLogGroup()->title(), "no record");
    EXPECT_TRUE(w.photo()->isHidden());
    EXPECT_FALSE(ReadSettingBool("EmailEnabled", true));  // stored false at every start
    LiveLogModel* model = w.liveLogModel();

    // A card without holder: refused, no photo. (Its number sorts before ANN's card, so the
    // rows keep this order even within one second.)
    present(42);
    // The handler has run to its end: the window shows the read without waiting for a timer.
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, LiveLogModel::ColCard).data().toString(), "[42]");
    EXPECT_EQ(w.liveLogGroup()->title(), "1 record(s)");
    EXPECT_TRUE(w.photo()->isHidden());
    EXPECT_EQ(pty.readAvailable(), QByteArray("\xFF\xFF~~N~\xFF", 7));

    present(kCard);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, LiveLogModel::ColCard).data().toString(), "ANN, DEFAULT");
    EXPECT_EQ(model->index(1, LiveLogModel::ColMode).data().toString(), "IN");
    EXPECT_EQ(model->index(1, LiveLogModel::ColReader).data().toString(), "Front door");
    EXPECT_EQ(model->index(1, LiveLogModel::ColLock).data().toString(), "Front door");
    EXPECT_EQ(w.liveLog()->currentIndex().row(), 1);
    EXPECT_EQ(w.liveLogGroup()->title(), "2 record(s)");
    ASSERT_FALSE(w.photo()->isHidden());
    const QImage shown = w.photo()->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(240, 320));
    EXPECT_GT(qRed(shown.pixel(120, 160)), 150);
    EXPECT_LT(qGreen(shown.pixel(120, 160)), 60);
    // The reader's answer: its own lock released for its 3 seconds, no accept before it.
    const QByteArray answer = pty.readAvailable();
    EXPECT_EQ(answer, QByteArray("\xFF\xFF~~Y3~\xFF", 8)) << answer.toHex().constData();

    w.close();
    EXPECT_FALSE(program->store()->isOpen());
    EXPECT_FALSE(CaptureRoom::of(w)->links()->link(1)->IsOpen());
}

// A bypass row is counted at once like a card read; the door button carries the same caption
// from the start as after a set-up; Exit asks while the reader's port is open.
TEST_F(WiringTest, BypassRowsCountDoorCaptionAndExitQuestion) {
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE reader SET BPPORT = 1, MOTION = 0 WHERE PORTNO = 1");
    }
    WriteSettingBool("DoorOpenEnable", true);
    WriteSettingInt("DoorOpenPortNo", 1);
    TTimeRec& w = start();
    EXPECT_EQ(w.doorOpenButton()->text(), "Front door->OPEN");

    present(kCard);
    EXPECT_EQ(w.liveLogGroup()->title(), "1 record(s)");
    pty.write(AnswerFrame('P'));
    ASSERT_TRUE(WaitUntil([&] { return logCount() == 2; }, 3000));
    EXPECT_EQ(w.liveLogModel()->rowCount(), 2);
    EXPECT_EQ(w.liveLogGroup()->title(), "2 record(s)");

    messages.clear();
    messages.answerNext(false);
    w.action(kActExit)->trigger();
    EXPECT_EQ(messages.texts(),
              QStringList{"Card readers are not served while Horalog is closed. Exit?"});
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(CaptureRoom::of(w)->links()->link(1)->IsOpen());
}

// The commands that work on the links are on their menus once the links exist, behind the
// login like every set-up command.
TEST_F(WiringTest, SetupAndOfflineCommandsAreOnTheMenus) {
    TTimeRec& w = start();
    for (const char* name :
         {kActReaders, kActAutoIO, kActSpeech, kActOffline, kActDoorOpenSetup}) {
        QAction* a = w.action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_TRUE(a->isVisible()) << name;
        EXPECT_FALSE(a->isEnabled()) << name;  // logged out
    }
}

TEST_F(WiringTest, PanelClickFlipsTheStateForFiveTicks) {
    WriteSettingBool("AutoInOut", true);
    WriteSettingBool("AutoOverride", true);
    TTimeRec& w = start();  // no IN period: OUT all day
    QLabel* panel = w.inOutPanel();
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->text(), "OUT");
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), panel->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &click);
    EXPECT_EQ(panel->text(), "IN");
    for (int i = 0; i < 4; ++i) w.secondTick();
    EXPECT_EQ(panel->text(), "IN");
    w.secondTick();
    EXPECT_EQ(panel->text(), "OUT");
}

TEST_F(WiringTest, WebReporterToggleServesTheLogWithTheReaderNames) {
    const int port = horalog::testing::FreeLoopbackPort();
    WriteSettingInt("WebPort", port);
    TTimeRec& w = start();
    present(kCard);
    QAction* toggle = w.action(kActWebReporter);
    EXPECT_FALSE(toggle->isEnabled());  // logged out
    w.Login();
    messages.clear();

    toggle->trigger();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(ReadSettingBool("WebEnabled", false));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, "information");
    EXPECT_TRUE(messages.shown[0].text.startsWith(kWebEnabled));
    httplib::Client client("127.0.0.1", port);
    auto page = client.Get("/logs");
    ASSERT_TRUE(page);
    const QString body = QString::fromStdString(page->body);
    EXPECT_TRUE(body.contains("<td>ANN</td><td>DEFAULT</td><td>IN</td><td>Front door</td>"))
        << page->body;

    toggle->trigger();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(ReadSettingBool("WebEnabled", true));
    EXPECT_EQ(messages.last(), kWebDisabled);
    EXPECT_FALSE(NetworkRoom::of(w)->webReporter().running());
}

// "Web Reporter Settings" on a running reporter: the new password holds at once, and taking
// it away opens the pages again; only the hash is stored.
TEST_F(WiringTest, WebSettingsRestartTheRunningReporter) {
    const int port = horalog::testing::FreeLoopbackPort();
    WriteSettingInt("WebPort", port);
    TTimeRec& w = start();
    w.Login();
    w.action(kActWebReporter)->trigger();
    httplib::Client client("127.0.0.1", port);
    ASSERT_TRUE(client.Get("/today"));
    EXPECT_EQ(client.Get("/today")->status, 200);

    auto settings = [&](std::function<void(TWebSettings*)> fill) {
        messages.clear();
        ModalScript script({[fill](QWidget* w) {
            auto* dialog = qobject_cast<TWebSettings*>(w);
            ASSERT_TRUE(dialog) << w->metaObject()->className();
            fill(dialog);
            dialog->confirm();
        }});
        w.action(kActWebSettings)->trigger();
        EXPECT_TRUE(script.done());
    };
    settings([](TWebSettings* d) {
        d->eBind->setText(" 127.0.0.1 ");
        d->ePassword->setText("gate7");
    });
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QString(kWebEnabled) + QString("http://127.0.0.1:%1/").arg(port));
    EXPECT_TRUE(ReadSettingText("WebPassword", "").startsWith("pbkdf2-sha256$"));
    EXPECT_EQ(client.Get("/today")->status, 401);
    client.set_basic_auth("clerk", "gate7");
    EXPECT_EQ(client.Get("/today")->status, 200);

    settings([](TWebSettings* d) {
        EXPECT_TRUE(d->cbNoPassword->isVisibleTo(d));
        d->cbNoPassword->setChecked(true);
    });
    EXPECT_EQ(ReadSettingText("WebPassword", "x"), "");
    EXPECT_EQ(httplib::Client("127.0.0.1", port).Get("/today")->status, 200);
    w.action(kActWebReporter)->trigger();
}

TEST_F(WiringTest, ExportHidesTheLiveLogAndBringsItBackAtTheLastRow) {
    TTimeRec& w = start();
    present(kCard);
    present(42);
    w.liveLog()->setCurrentIndex(w.liveLogModel()->index(0, 0));
    w.Login();
    QTemporaryDir out;
    const QString file = out.filePath("log.txt");
    bool hiddenWhileWorking = false;
    {
        // "Completed." comes while the grid is still hidden.
        ModalScript run({ModalScript::chooseFile(file), ModalScript::answer([&] {
                             hiddenWhileWorking = w.liveLog()->isHidden();
                         })});
        w.action("actExportText")->trigger();
        EXPECT_TRUE(run.done());
    }
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(hiddenWhileWorking);
    EXPECT_FALSE(w.liveLog()->isHidden());
    EXPECT_EQ(w.liveLog()->currentIndex().row(), 1);
    EXPECT_EQ(w.liveLogGroup()->title(), "2 record(s)");
}

TEST_F(WiringTest, StoreThatCannotReopenEndsTheProgram) {
    TTimeRec& w = start();
    w.Login();
    messages.clear();
    // A disk gone bad while the files are replaced: once the connections have closed, neither
    // the live log file nor its template opens any more.
    bool armed = true;
    program->store()->addCloseHook([&] {
        if (!armed) return;
        armed = false;
        QTimer::singleShot(0, &w, [&] {
            for (const char* name : {"attend.mdb", "attend-b.mdb"}) {
                QFile f(data.file(name));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(QByteArray(4096, 'x'));
            }
        });
    });
    {
        // "... Are you sure?": Yes; then "Attendance database locked. ...".
        ModalScript run({ModalScript::answer(), ModalScript::answer()});
        w.action("actFormat")->trigger();
        EXPECT_TRUE(run.done());
    }
    EXPECT_EQ(messages.texts(), QStringList{kCannotOpenLogDb});
    EXPECT_EQ(messages.shown.last().kind, "plain");
    EXPECT_TRUE(w.endedOnError());
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(program->store()->isOpen());
}

}  // namespace
