// A reader port that cannot be opened is named in the window in one line, with the reason,
// and the line goes once the port opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>

#include "reader/reader_ports.h"
#include "reader/serial_device.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "shell/ui/rooms.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/pty.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(PortProblems, EachPortThatCannotOpenSaysWhyInTheWindow) {
    QTemporaryDir lockDir;
    qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
    TempDataFolder data;
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE reader SET ENABLE = 1 WHERE PORTNO IN (1, 2, 3)");
    }
    const QString missing = data.file("no-such-tty");
    WriteSettingText("PortDevice1", pty.slavePath());
    WriteSettingText("PortDevice2", missing);
    QTemporaryDir other;
    const QString plainFile = other.filePath("plain");
    {
        QFile f(plainFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    WriteSettingText("PortDevice3", plainFile);  // exists, but is no serial device
    // Another program holds the reader of COM1.
    auto holder = std::make_unique<SerialDevice>();
    holder->SetPortName(pty.slavePath());
    holder->Open();

    RecordingMessages messages;
    Program program(messages);
    ASSERT_TRUE(program.start(data.path()));
    TTimeRec& w = *program.window();
    QObject::disconnect(&w, &TTimeRec::closed, qApp, nullptr);
    const QStringList lines = w.portProblems()->text().split('\n');
    ASSERT_EQ(lines.size(), 3) << w.portProblems()->text().toStdString();
    EXPECT_EQ(lines[0], QString("COM1 (%1) is in use by another program").arg(pty.slavePath()));
    EXPECT_EQ(lines[1], QString("COM2 (%1) does not exist").arg(missing));
    EXPECT_TRUE(lines[2].startsWith(QString("COM3 (%1) cannot be opened").arg(plainFile)))
        << lines[2].toStdString();
    EXPECT_FALSE(w.portProblems()->isHidden());

    // The other program lets go of COM1, COM2 is switched off; COM3 stays as it is.
    holder.reset();
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE reader SET ENABLE = 0 WHERE PORTNO = 2");
    }
    w.OpenReaderPorts();
    EXPECT_EQ(w.portProblems()->text(), lines[2]);
    EXPECT_TRUE(CaptureRoom::of(w)->links()->link(1)->IsOpen());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE reader SET ENABLE = 0 WHERE PORTNO = 3");
    }
    w.OpenReaderPorts();
    EXPECT_TRUE(w.portProblems()->isHidden());
    w.close();
}

}  // namespace
