// `horalog cards` and `horalog member-list`, the member list read back, and the card layout
// dialog's stored state.

#include "cli/card_command.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "printing/member_list.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

struct Outcome {
    int status;
    QString out, err;
};

Outcome RunCards(ReportSource& source, const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    HolderAccess access{[&] { return &source; }, [](int) { return QByteArray(); }};
    const int status = RunCardCommand(args, access, o, e, [] { return At("2004-06-30 10:00"); });
    return {status, out, err};
}

QString PdfText(const QString& path) {
    QProcess p;
    p.start("/usr/bin/pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Holders : ReportFixture {
    Holders() {
        source.AddGroup(OfficeGroup(2, "WORKSHOP"));
        HolderRecord h;
        h.cardno = 102;
        h.name = "BRUNO";
        h.workgrp = 2;
        h.memo = "Night shift\nKey 4";
        h.picked = true;
        source.AddHolder(h);
    }
};

TEST(CardCommand, BadCommandLinesAreOneLineAndStatus2) {
    Holders f;
    const std::pair<QStringList, const char*> cases[] = {
        {{"cards", "--style", "diagonal"},
         "horalog cards: bad style: diagonal (horizontal, vertical)\n"},
        {{"member-list", "--style", "vertical"}, "horalog member-list: unknown option --style\n"},
        {{"cards", "--persons", "group"}, "horalog cards: --persons group needs --group NAME\n"},
        {{"cards", "--pdf"}, "horalog cards: --pdf needs a value\n"},
        {{"member-list", "extra"}, "horalog member-list: unexpected argument extra\n"},
    };
    for (const auto& [args, err] : cases) {
        const Outcome r = RunCards(f.source, args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, err);
        EXPECT_TRUE(r.out.isEmpty());
    }
    for (const char* command : {"cards", "member-list"}) {
        const Outcome r = RunCards(f.source, {command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.contains("--persons all|group|list")) << r.out.toStdString();
    }
}

TEST(CardCommand, TextLinesFollowThePersonsChoice) {
    Holders f;
    struct Case {
        QStringList args;
        QString out;
    };
    const Case cases[] = {
        // all: group order, then name
        {{"cards"}, "101\tALICE\tOFFICE\n102\tBRUNO\tWORKSHOP\tNight shift\tKey 4\n"},
        {{"cards", "--group", "WORKSHOP"}, "102\tBRUNO\tWORKSHOP\tNight shift\tKey 4\n"},
        {{"member-list", "--persons", "list"},
         "Member List\n\nCard No.   Name                     Group               Remark\n"
         "102        BRUNO                    WORKSHOP            Night shift Key 4\n"},
    };
    for (const Case& c : cases) {
        const Outcome r = RunCards(f.source, c.args);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
    }
    // a group nobody is in prints nothing and says so
    const Outcome r = RunCards(f.source, {"member-list", "--group", "GONE"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "horalog member-list: no holder selected, nothing printed\n");
}

TEST(MemberList, HeadingsRowsAndFurtherPages) {
    Holders f;
    for (int i = 0; i < 120; ++i)
        f.source.AddHolder(1000 + i, QString("MEMBER%1").arg(i, 3, 10, QChar('0')), 1);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("members.pdf");
    const Outcome r = RunCards(f.source, {"member-list", "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList pages = PdfText(pdf).split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3);
    for (int p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p);
        for (const QString& s :
             {QString("Member List"), QString("Horalog"),
              QString("Printed on 30/Jun/2004 10:00:00"), QString("P. %1").arg(p + 1)})
            EXPECT_TRUE(pages[p].contains(s)) << s.toStdString();
        EXPECT_TRUE(pages[p].contains(QRegularExpression(R"(Card No\.\s+Name\s+Group\s+Remark)")));
    }
    const QString all = pages.join('\n');
    EXPECT_TRUE(all.contains(QRegularExpression(R"(102\s+BRUNO\s+WORKSHOP\s+Night shift Key 4)")));
    for (int i = 0; i < 120; ++i) {
        const QString name = QString("MEMBER%1").arg(i, 3, 10, QChar('0'));
        EXPECT_EQ(all.count(name), 1) << name.toStdString();
    }
    // the headings' columns, in millimetres from the page's left edge
    QProcess p;
    p.start("/usr/bin/pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const std::pair<const char*, double> columns[] = {
        {"Card", 25.0}, {"Name", 51.5}, {"Group", 98.0}, {"Remark", 145.7}};
    for (const auto& [word, mm] : columns) {
        const QRegularExpression re(
            QString(R"re(<word xMin="([\d.]+)"[^>]*>%1</word>)re").arg(word));
        const auto m = re.match(html);
        ASSERT_TRUE(m.hasMatch()) << word;
        EXPECT_NEAR(m.captured(1).toDouble() * 25.4 / 72, mm, 0.5) << word;
    }
}

TEST(CardLayoutSettings, SaveStoresInOrderAndStopsAtTheFirstFailure) {
    TempDataFolder data;
    CardLayout layout;
    layout.Load();
    // no picture files: both pictures are blank white
    EXPECT_EQ(layout.background, WhitePicture(100, 100));
    EXPECT_EQ(layout.options.titleText, "STAFF CARD");

    layout.options.remarkText = {"Dept", "Phone", "", ""};
    layout.options.remark = {true, true, false, false};
    layout.options.logo = true;
    layout.background = WhitePicture(30, 20);
    RecordingMessages messages;
    ASSERT_TRUE(layout.Save(messages));
    EXPECT_EQ(messages.texts(), QStringList{"Settings are saved."});
    EXPECT_TRUE(QFile::exists(data.file("cardback.jpg")));
    EXPECT_TRUE(QFile::exists(data.file("cardlogo.jpg")));
    // the stored names other versions read
    QSettings ini(SettingsFilePath(), QSettings::IniFormat);
    EXPECT_EQ(ini.value("CardRemakrString2").toString(), "Phone");
    EXPECT_EQ(ini.value("CardRemarkEnable2").toString(), "1");
    EXPECT_EQ(ini.value("CardBackEnable").toString(), "1");
    CardLayout again;
    again.Load();
    EXPECT_EQ(again.options.remarkText[1], "Phone");
    EXPECT_TRUE(again.options.logo);
    EXPECT_EQ(again.background.width, 30);

    // the background cannot be written: nothing after it is stored
    again.options.titleText = "VISITOR";
    SetDataFolder(data.file("no-such-folder"));
    messages.clear();
    EXPECT_FALSE(again.Save(messages));
    EXPECT_EQ(messages.texts(), QStringList{"Settings cannot be saved."});
    EXPECT_EQ(LoadCardOptions().titleText, "STAFF CARD");
    SetDataFolder(data.path());

    layout.SetStyle(CardStyle::Vertical);
    EXPECT_EQ(LoadCardOptions().style, CardStyle::Vertical);
    EXPECT_EQ(ini.value("Card_Style").toString(), "0");
}

// The built program, as a print shop run: cards with photos from the data folder.
TEST(CardProgram, CardsAndMemberListFromTheDataFolder) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        HolderRecord h;
        h.cardno = 101;
        h.name = "ALICE";
        ASSERT_TRUE(PhotoToBlob(h.photo, WhitePicture(kPhotoWidth, kPhotoHeight)));
        StaffTable(store.src()).append(h);
    }
    auto run = [&](const QStringList& args) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "HORALOG_DATA"})
            e.remove(name);
        QProcess p;
        p.setProcessEnvironment(e);
        p.start(BinaryPath("horalog"), QStringList{"--data", data.path()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return Outcome{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                       QString::fromUtf8(p.readAllStandardError())};
    };
    QTemporaryDir out;
    Outcome r = run({"cards", "--style", "vertical", "--pdf", out.filePath("c.pdf")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    // the vertical layout: the name's value column starts 17.0 mm into the card
    QProcess bbox;
    bbox.start("/usr/bin/pdftotext", {"-bbox", out.filePath("c.pdf"), "-"});
    ASSERT_TRUE(bbox.waitForFinished(30000));
    const auto m = QRegularExpression(R"re(<word xMin="([\d.]+)"[^>]*>ALICE</word>)re")
                       .match(QString::fromUtf8(bbox.readAllStandardOutput()));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_NEAR(m.captured(1).toDouble() * 25.4 / 72, 15.0 + 17.0, 0.5);
    r = run({"member-list"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("101        ALICE")) << r.out.toStdString();
    r = run({"cards", "--bogus"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "horalog cards: unknown option --bogus\n");
}

}  // namespace
