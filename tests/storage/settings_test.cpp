#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>

#include "common/format.h"
#include "storage/settings.h"
#include "storage/ui/layouts.h"

using namespace horalog;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { wipe(); }
    void TearDown() override { wipe(); }
    static void wipe() {
        QSettings s(SettingsFilePath(), QSettings::IniFormat);
        s.clear();
    }
    // Stores raw text the way another program or a hand edit would.
    static void raw(const QString& name, const QString& text) { WriteSettingText(name, text); }
};

TEST_F(SettingsTest, FreshStoreGivesDefaults) {
    EXPECT_FALSE(ReadSettingBool("HideOnStartup", false));
    EXPECT_TRUE(ReadSettingBool("EmailStaffOnly", true));
    EXPECT_EQ(ReadSettingInt("LastOtMinimum", 15), 15);
    EXPECT_EQ(ReadSettingText("WebTitle", "Web Attendance Reporter"), "Web Attendance Reporter");
    EXPECT_EQ(ReadSettingTime("LastStdStart", EncodeTime(9, 0, 0)), EncodeTime(9, 0, 0));
    EXPECT_FALSE(SettingExists("HideOnStartup"));
    WriteSettingBool("HideOnStartup", true);
    EXPECT_TRUE(SettingExists("HideOnStartup"));
}

TEST_F(SettingsTest, ParseRulesOfStoredText) {
    struct Case {
        const char* text;
        bool asBool;  // read with default false
        int asInt;    // read with default 7
    };
    const Case cases[] = {
        {"1", true, 1},     {"0", false, 0},    {"2", true, 2},    {"-5", true, -5},
        {"yes", false, 7},  {"12ab", false, 7}, {"", false, 7},    {"true", false, 7},
    };
    for (const auto& c : cases) {
        raw("Value", c.text);
        EXPECT_EQ(ReadSettingBool("Value", false), c.asBool) << c.text;
        EXPECT_EQ(ReadSettingInt("Value", 7), c.asInt) << c.text;
        EXPECT_EQ(ReadSettingText("Value", "x"), c.text);
    }
    // a word read as boolean gives the default, whichever it is
    raw("Value", "word");
    EXPECT_TRUE(ReadSettingBool("Value", true));
}

TEST_F(SettingsTest, StoredForms) {
    WriteSettingBool("B", true);
    WriteSettingInt("I", -42);
    WriteSettingTime("T", EncodeTime(17, 30, 0));
    EXPECT_EQ(ReadSettingText("B", ""), "1");
    EXPECT_EQ(ReadSettingText("I", ""), "-42");
    EXPECT_EQ(ReadSettingText("T", ""), FormatDateTime(LongTimeFormat(), EncodeTime(17, 30, 0)));
    EXPECT_EQ(ReadSettingTime("T", DateTime()), EncodeTime(17, 30, 0));
    WriteSettingText("Empty", "");
    EXPECT_TRUE(SettingExists("Empty"));
    EXPECT_EQ(ReadSettingText("Empty", "def"), "");
}

TEST_F(SettingsTest, TimeReadsDefaultOnEmptyOrBadText) {
    const DateTime def = EncodeTime(9, 0, 0);
    raw("T", "");
    EXPECT_EQ(ReadSettingTime("T", def), def);
    raw("T", "half past nine");
    EXPECT_EQ(ReadSettingTime("T", def), def);
    raw("T", "17:00");
    EXPECT_EQ(ReadSettingTime("T", def), EncodeTime(17, 0, 0));
}

TEST_F(SettingsTest, WindowLayoutMaximizedKeepsLastNormalBounds) {
    QWidget w;
    w.setGeometry(30, 40, 500, 400);
    SaveFormLayout("TestForm", &w);
    EXPECT_EQ(ReadSettingText("TestForm_MAX", ""), "0");
    EXPECT_EQ(ReadSettingInt("TestForm_LEFT", 0), 30);
    EXPECT_EQ(ReadSettingInt("TestForm_WIDTH", 0), 500);

    w.setWindowState(Qt::WindowMaximized);
    w.show();
    ASSERT_TRUE(w.isMaximized());
    SaveFormLayout("TestForm", &w);
    EXPECT_EQ(ReadSettingText("TestForm_MAX", ""), "1");
    EXPECT_EQ(ReadSettingInt("TestForm_WIDTH", 0), 500);  // bounds untouched

    QWidget again;
    LoadFormLayout("TestForm", &again);
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
    WriteSettingBool("TestForm_MAX", false);
    LoadFormLayout("TestForm", &again);
    EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(again.geometry().width(), 500);
    EXPECT_EQ(again.geometry().left(), 30);

    QWidget fresh;
    LoadFormLayout("Unknown", &fresh);
    EXPECT_EQ(fresh.geometry(), QRect(0, 0, 640, 480));
}

// Where a window opens: saved bounds stay while a screen shows its title bar, otherwise the
// window comes back centred on the primary screen; never larger than the screen.
TEST(WindowPlace, SavedBoundsStayOnAScreenOrComeBack) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1024, 768)};
    struct Case {
        const char* what;
        std::optional<QRect> saved;
        QSize first;
        QList<QRect> screens;
        QRect placed;
    };
    const Case cases[] = {
        {"first start, centred", std::nullopt, QSize(960, 680), screens, QRect(160, 60, 960, 680)},
        {"first start, larger than the screen", std::nullopt, QSize(2000, 2000), screens,
         QRect(0, 32, 1280, 768)},
        {"saved on the primary screen", QRect(100, 100, 800, 600), QSize(), screens,
         QRect(100, 100, 800, 600)},
        {"saved on the second screen", QRect(1400, 200, 600, 400), QSize(), screens,
         QRect(1400, 200, 600, 400)},
        {"saved on a screen that is gone", QRect(3000, 200, 600, 400), QSize(), screens,
         QRect(340, 200, 600, 400)},
        {"saved with the title bar above the edge", QRect(0, 0, 640, 504), QSize(), screens,
         QRect(320, 148, 640, 504)},
        {"saved larger than its screen", QRect(10, 40, 3000, 2000), QSize(), screens,
         QRect(10, 40, 1280, 800)},
        {"no screen known", QRect(-500, -500, 300, 200), QSize(), {}, QRect(-500, -500, 300, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceWindow(c.saved, c.screens, c.first), c.placed);
    }
}

TEST_F(SettingsTest, GridColumnsAddedLaterGetTypeDefaults) {
    QStandardItemModel model(0, 4);
    const FieldKind kinds[] = {FieldKind::Text, FieldKind::Boolean, FieldKind::DateTime,
                               FieldKind::Other};
    for (int i = 0; i < 4; ++i)
        model.setHeaderData(i, Qt::Horizontal, int(kinds[i]), kFieldKindRole);
    QTableView grid;
    grid.setModel(&model);
    WriteSettingInt("TestGrid_0", 77);  // stored before the other columns existed
    LoadGridLayout("TestGrid", &grid);
    EXPECT_EQ(grid.columnWidth(0), 77);
    EXPECT_EQ(grid.columnWidth(1), 50);
    EXPECT_EQ(grid.columnWidth(2), 150);
    EXPECT_EQ(grid.columnWidth(3), 100);
    grid.setColumnWidth(3, 33);
    SaveGridLayout("TestGrid", &grid);
    EXPECT_EQ(ReadSettingInt("TestGrid_3", 0), 33);

    QStandardItemModel empty;
    QTableView none;
    none.setModel(&empty);
    SaveGridLayout("NoGrid", &none);
    EXPECT_FALSE(SettingExists("NoGrid_0"));
}

}  // namespace
