// E-mail through a real SMTP server on loopback (aiosmtpd, started by the test).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "common/paths.h"
#include "net/mail_queue.h"
#include "net/mail_sender.h"
#include "net/mail_settings.h"
#include "net/ui/email_settings_dialog.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"
#include "support/free_port.h"

using namespace horalog;
using horalog::testing::RecordingMessages;
using horalog::testing::SourcePath;
using horalog::testing::TempDataFolder;

namespace {

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// The SMTP server: every message it receives becomes a JSON file in its folder.
class SmtpSink {
public:
    explicit SmtpSink(int port) {
        proc_.start("/usr/bin/python3",
                    {SourcePath("tests/net/smtp_sink.py"), QString::number(port), dir_.path()});
        ready_ = proc_.waitForReadyRead(15000) && proc_.readAll().startsWith("ready");
    }
    ~SmtpSink() {
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(5000)) {
            proc_.kill();
            proc_.waitForFinished();
        }
    }
    bool ready() const { return ready_; }
    QList<QJsonObject> messages() const {
        QList<QJsonObject> out;
        QDir d(dir_.path());
        for (const QString& f : d.entryList({"*.json"}, QDir::Files, QDir::Name)) {
            QFile file(d.filePath(f));
            file.open(QIODevice::ReadOnly);
            out << QJsonDocument::fromJson(file.readAll()).object();
        }
        return out;
    }

private:
    QTemporaryDir dir_;
    QProcess proc_;
    bool ready_ = false;
};

QStringList bodyLines(const QJsonObject& m) {
    static const QRegularExpression br("\r?\n");
    QStringList lines = m["body"].toString().split(br);
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
        port = horalog::testing::FreeLoopbackPort();
        WriteSettingText("EmailSmtpServer", QString("127.0.0.1:%1").arg(port));
        WriteSettingText("EmailRecipant", "boss@example.test; hr@example.test");
        WriteSettingText("EmailSender", "horalog@example.test");
        WriteSettingInt("EmailIntervals", 0);
        WriteSettingBool("EmailEnabled", true);
        QObject::connect(&queue, &MailQueue::runFinished, [this] { ++runs; });
    }
    void TearDown() override { WriteSettingBool("EmailEnabled", false); }

    qint64 queueMail(const QString& title, const QString& msg, const QString& attach) {
        auto q = store.src().prepare("INSERT INTO emails (TITLE, MSG, ATTACH) VALUES (?, ?, ?)");
        q.bindAll(title, msg, attach);
        q.exec();
        return store.src().lastInsertId();
    }
    QList<qint64> queued() {
        QList<qint64> out;
        auto q = store.src().prepare("SELECT SEQ FROM emails ORDER BY SEQ");
        while (q.next()) out << q.int64("SEQ");
        return out;
    }
    bool runOnce() {
        int before = runs;
        queue.tick();
        return waitFor([&] { return runs > before; }, 20000);
    }

    TempDataFolder data;
    Tdsrc store{data.path()};
    int port = 0;
    int runs = 0;
    QStringList status;
    MailQueue queue{store, [this](const QString& s) { status << s; }};
};

const QString kTitle = "[2004/06/26 PM06:24:06] ANN, SALES";
const QString kMsg =
    "ANN [123]\r\nSALES\r\nJune 26, 2004 Saturday  PM06:24:06\r\nIN\r\nFront door\r\nDENIED\r\n";

TEST_F(MailTest, EachRecordSendsAtTheNextTickAndDeletesTheRow) {
    SmtpSink sink(port);
    ASSERT_TRUE(sink.ready());
    queue.arm();
    EXPECT_TRUE(queue.timer().isActive());
    EXPECT_EQ(queue.timer().interval(), 1000);

    queueMail(kTitle, kMsg, PhotosFolder() + "/040626-182406-123.jpg");  // never captured
    ASSERT_TRUE(waitFor([&] { return queued().isEmpty() && runs > 0; }, 5000));
    EXPECT_EQ(runs, 1);  // the first tick did it
    ASSERT_TRUE(waitFor([&] { return sink.messages().size() == 1; }, 5000));
    QJsonObject m = sink.messages()[0];
    EXPECT_EQ(m["subject"].toString(), kTitle);
    EXPECT_EQ(m["from"].toString(), "horalog@example.test");
    EXPECT_EQ(m["rcpt"].toArray().toVariantList(),
              QVariantList({"boss@example.test", "hr@example.test"}));
    EXPECT_EQ(bodyLines(m), kMsg.split("\r\n").mid(0, 6));
    EXPECT_TRUE(m["attachments"].toArray().isEmpty());
    EXPECT_EQ(status, QStringList({"Email sending: " + kTitle, ""}));
    // Still enabled: re-armed for the next second.
    EXPECT_TRUE(queue.timer().isActive());
}

TEST_F(MailTest, CapturedPictureIsAttached) {
    SmtpSink sink(port);
    ASSERT_TRUE(sink.ready());
    QByteArray jpeg("\xff\xd8\xff\xe0 not really a picture \x00\x01\x02\xff\xd9", 30);
    QString path = PhotosFolder() + "/040626-182406-123.jpg";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(jpeg);
    f.close();
    queueMail(QString::fromUtf8("[2004/06/26 PM06:24:06] Jörg"), "Jörg [123]\r\n", path);
    ASSERT_TRUE(runOnce());
    ASSERT_EQ(sink.messages().size(), 1);
    QJsonObject m = sink.messages()[0];
    EXPECT_EQ(m["subject"].toString(), QString::fromUtf8("[2004/06/26 PM06:24:06] Jörg"));
    EXPECT_EQ(bodyLines(m), QStringList{QString::fromUtf8("Jörg [123]")});
    QJsonArray att = m["attachments"].toArray();
    ASSERT_EQ(att.size(), 1);
    EXPECT_EQ(att[0].toObject()["filename"].toString(), "040626-182406-123.jpg");
    EXPECT_EQ(att[0].toObject()["type"].toString(), "image/jpeg");
    EXPECT_EQ(QByteArray::fromBase64(att[0].toObject()["data"].toString().toLatin1()), jpeg);
    EXPECT_TRUE(queued().isEmpty());
}

// Server down: the error shows, nothing is deleted, and the next tick starts again from the
// same head row; once the server is back one tick sends the whole queue, oldest first.
TEST_F(MailTest, ServerDownKeepsTheQueueAndRetriesTheHead) {
    qint64 first = queueMail("first", "1\r\n", "");
    qint64 second = queueMail("second", "2\r\n", "");
    ASSERT_TRUE(runOnce());
    EXPECT_EQ(status, QStringList({"Email sending: first", "Email sent error."}));
    EXPECT_EQ(queued(), QList<qint64>({first, second}));
    EXPECT_TRUE(queue.timer().isActive());

    status.clear();
    ASSERT_TRUE(runOnce());
    EXPECT_EQ(status, QStringList({"Email sending: first", "Email sent error."}));

    SmtpSink sink(port);
    ASSERT_TRUE(sink.ready());
    status.clear();
    ASSERT_TRUE(runOnce());
    EXPECT_EQ(status, QStringList({"Email sending: first", "", "Email sending: second", ""}));
    EXPECT_TRUE(queued().isEmpty());
    auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[0]["subject"].toString(), "first");
    EXPECT_EQ(mails[1]["subject"].toString(), "second");
}

// A server that takes the connection and never answers: the event loop keeps running while
// the mail waits, and closing abandons the mail without losing it.
TEST_F(MailTest, SilentServerNeverBlocksTheEventLoop) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    queueMail("stuck", "x\r\n", "");
    queue.tick();
    EXPECT_TRUE(queue.runActive());
    int beats = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++beats; });
    beat.start(50);
    waitFor([] { return false; }, 1000);
    EXPECT_GE(beats, 10);  // about 20 beats in that second unless the loop was held up
    EXPECT_TRUE(queue.runActive());
    QElapsedTimer t;
    t.start();
    queue.stop();
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(queue.runActive());
    EXPECT_FALSE(queue.timer().isActive());
    EXPECT_EQ(queued().size(), 1);
    ::close(fd);
}

// At start the timer is armed from the previous run's setting, which is then forced off:
// what is still queued goes out once, and the run's end stops the timer.
TEST_F(MailTest, StartSendsWhatIsQueuedOnceThenStops) {
    SmtpSink sink(port);
    ASSERT_TRUE(sink.ready());
    queueMail("left over", "x\r\n", "");
    queue.armAtStart();
    EXPECT_TRUE(queue.timer().isActive());
    EXPECT_FALSE(ReadSettingBool("EmailEnabled", true));
    ASSERT_TRUE(waitFor([&] { return runs == 1; }, 5000));
    EXPECT_TRUE(queued().isEmpty());
    EXPECT_EQ(sink.messages().size(), 1);
    EXPECT_FALSE(queue.timer().isActive());
}

TEST(MailTimer, IntervalsAndArming) {
    struct Case {
        int minutes;
        int ms;
    } cases[] = {{0, 1000}, {5, 300000}, {15, 900000}, {240, 14400000}, {-5, 1000}};
    for (const Case& c : cases) EXPECT_EQ(MailTimerInterval(c.minutes), c.ms) << c.minutes;

    TempDataFolder data;
    EnsureDataFolder(data.path());
    Tdsrc store(data.path());
    store.OpenStore();
    MailQueue queue(store, nullptr);
    WriteSettingInt("EmailIntervals", 15);
    WriteSettingBool("EmailEnabled", false);
    queue.arm();
    EXPECT_FALSE(queue.timer().isActive());
    WriteSettingBool("EmailEnabled", true);
    queue.arm();
    EXPECT_TRUE(queue.timer().isActive());
    EXPECT_EQ(queue.timer().interval(), 900000);
    WriteSettingBool("EmailEnabled", false);
}

TEST(MailAddresses, ServerPortAndRecipients) {
    struct Case {
        const char* server;
        const char* host;
        int port;
    } cases[] = {{"mail.example.test", "mail.example.test", 25},
                 {" mail.example.test:2525 ", "mail.example.test", 2525},
                 {"10.0.0.5:587", "10.0.0.5", 587},
                 {"[::1]:2525", "[::1]", 2525},
                 {"host:99999", "host:99999", 25}};
    for (const Case& c : cases) {
        QString host;
        int port = 0;
        SplitSmtpServer(c.server, 25, host, port);
        EXPECT_EQ(host, c.host) << c.server;
        EXPECT_EQ(port, c.port) << c.server;
    }
    EXPECT_EQ(MailRecipients("a@x.test; b@x.test,c@x.test,"),
              QStringList({"a@x.test", "b@x.test", "c@x.test"}));
    EXPECT_TRUE(MailRecipients(" ; ,").isEmpty());
}

class EmailDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSettingText("EmailSmtpServer", "smtp.example.test");
        WriteSettingText("EmailRecipant", "boss@example.test");
        WriteSettingText("EmailSender", "me@example.test");
        WriteSettingInt("EmailIntervals", 0);
        WriteSettingBool("EmailEnabled", false);
    }
    RecordingMessages messages;
};

TEST_F(EmailDialogTest, BlankEntriesAreRefusedInOrder) {
    struct Case {
        const char* server;
        const char* recipients;
        const char* sender;
        const char* message;
        int focus;  // 0 server, 1 recipients, 2 sender
    } cases[] = {
        {"  ", "a@x.test", "b@x.test", kInvalidSmtpServer, 0},
        {" smtp ", "", "", kInvalidRecipients, 1},
        {"smtp", " a@x.test ", "   ", kInvalidSender, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        messages.clear();
        TEmailSettings dialog(messages);
        dialog.show();
        dialog.eServer->setText(c.server);
        dialog.eRecipients->setText(c.recipients);
        dialog.eSender->setText(c.sender);
        dialog.confirm();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].kind, "error");
        EXPECT_EQ(messages.shown[0].text, c.message);
        QLineEdit* boxes[] = {dialog.eServer, dialog.eRecipients, dialog.eSender};
        EXPECT_EQ(dialog.focusWidget(), boxes[c.focus]);
        EXPECT_EQ(boxes[c.focus]->text(), "");  // blanks are trimmed away
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(ReadSettingText("EmailSmtpServer", ""), "smtp.example.test");  // nothing stored
    }
}

TEST_F(EmailDialogTest, LoadsAndStoresTheSettings) {
    {
        TEmailSettings dialog(messages);
        EXPECT_TRUE(dialog.rbEachRecord->isChecked());
        EXPECT_EQ(dialog.seMinutes->value(), 30);
        EXPECT_FALSE(dialog.seMinutes->isEnabled());
        EXPECT_TRUE(dialog.cbStaffOnly->isChecked());  // default true
        EXPECT_FALSE(dialog.ePassword->isVisibleTo(&dialog));
        EXPECT_FALSE(dialog.cbUsePassword->isVisibleTo(&dialog));
        dialog.rbRegular->setChecked(true);
        EXPECT_TRUE(dialog.seMinutes->isEnabled());
        dialog.seMinutes->setValue(45);
        dialog.eSender->setText("  me2@example.test ");
        dialog.cbEnable->setChecked(true);
        dialog.cbStaffOnly->setChecked(false);
        dialog.cbSendCapture->setChecked(true);
        dialog.confirm();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(messages.shown.isEmpty());
    }
    EXPECT_EQ(ReadSettingInt("EmailIntervals", -1), 45);
    EXPECT_EQ(ReadSettingText("EmailSender", ""), "me2@example.test");
    EXPECT_TRUE(ReadSettingBool("EmailEnabled", false));
    EXPECT_FALSE(ReadSettingBool("EmailStaffOnly", true));
    EXPECT_TRUE(ReadSettingBool("EmailSendCapture", false));
    TEmailSettings again(messages);
    EXPECT_TRUE(again.rbRegular->isChecked());
    EXPECT_EQ(again.seMinutes->value(), 45);
    EXPECT_TRUE(again.seMinutes->isEnabled());
    WriteSettingBool("EmailEnabled", false);
}

}  // namespace
