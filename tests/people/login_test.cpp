#include "people/login.h"

#include <gtest/gtest.h>

#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

TEST(PasswordHash, VerifiesExactlyAndCaseSensitively) {
    const QString stored = HashPassword("Secret");
    EXPECT_TRUE(stored.startsWith("pbkdf2-sha256$"));
    EXPECT_FALSE(stored.contains("Secret"));
    EXPECT_NE(HashPassword("Secret"), stored);  // a fresh salt each time
    struct {
        const char* typed;
        bool match;
    } cases[] = {{"Secret", true},   {"secret", false}, {"SECRET", false},
                 {"Secret ", false}, {"", false},       {"Secre", false}};
    for (const auto& c : cases) EXPECT_EQ(VerifyPassword(c.typed, stored), c.match) << c.typed;
    EXPECT_TRUE(
        VerifyPassword(QString::fromUtf8("pässwörd"), HashPassword(QString::fromUtf8("pässwörd"))));
}

TEST(PasswordHash, StoredFormsThisProgramDoesNotWriteMatchNothing) {
    // An empty stored text stands for the empty password.
    EXPECT_TRUE(VerifyPassword("", ""));
    EXPECT_FALSE(VerifyPassword("x", ""));
    for (const char* stored : {"Secret", "A1B2C3", "pbkdf2-sha256$abc$AAAA$AAAA",
                               "pbkdf2-sha256$1000$$", "md5$1$AAAA$AAAA"}) {
        EXPECT_FALSE(VerifyPassword("Secret", stored)) << stored;
        EXPECT_FALSE(VerifyPassword("", stored)) << stored;
    }
}

class PasswordRowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
    }
    int rows() {
        auto q = store.src().prepare("SELECT count(*) FROM passwd");
        q.next();
        return q.value(0).toInt();
    }
    TempDataFolder data;
    Tdsrc store{data.path()};
};

TEST_F(PasswordRowTest, NoRowNoPasswordAnyRowIsOne) {
    EXPECT_FALSE(PasswordRegistered(store.src()));
    EXPECT_FALSE(PasswordMatches(store.src(), ""));
    StorePassword(store.src(), "");
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(PasswordRegistered(store.src()));
    EXPECT_TRUE(PasswordMatches(store.src(), ""));
    EXPECT_FALSE(PasswordMatches(store.src(), " "));
    StorePassword(store.src(), "Two");
    EXPECT_EQ(rows(), 1);  // the first row is replaced, never a second one
    EXPECT_TRUE(PasswordMatches(store.src(), "Two"));
    EXPECT_FALSE(PasswordMatches(store.src(), ""));
    // A row left with an empty text by an older file is the empty password.
    store.src().execute("UPDATE passwd SET PASSWORD = ''");
    EXPECT_TRUE(PasswordMatches(store.src(), ""));
}

TEST_F(PasswordRowTest, OnlyTheFirstRowCounts) {
    store.src().execute("INSERT INTO passwd (PASSWORD) VALUES ('')");
    store.src().execute("INSERT INTO passwd (PASSWORD) VALUES ('junk')");
    EXPECT_TRUE(PasswordMatches(store.src(), ""));
    StorePassword(store.src(), "New");
    EXPECT_TRUE(PasswordMatches(store.src(), "New"));
}

TEST_F(PasswordRowTest, RefusedStoreKeepsTheOldPassword) {
    StorePassword(store.src(), "Old");
    store.src().execute(
        "CREATE TRIGGER no_change BEFORE UPDATE ON passwd BEGIN SELECT RAISE(ABORT, 'locked'); "
        "END");
    // Driven through the flow with scripted dialogs: old password, then the new one twice.
    struct Prompts : PasswordPrompts {
        bool askPassword(const QString&, const std::function<bool(const QString&)>& a) override {
            return a("Old");
        }
        bool askNewPassword(const std::function<bool(const QString&, const QString&,
                                                     const std::function<void()>&)>& a) override {
            return a("New", "New", {});
        }
    } prompts;
    RecordingMessages messages;
    EXPECT_FALSE(RunSetPassword(store.src(), messages, prompts));
    EXPECT_EQ(messages.texts(), QStringList{"Fail to update the database record. Please retry."});
    EXPECT_TRUE(PasswordMatches(store.src(), "Old"));
    EXPECT_EQ(rows(), 1);
}

}  // namespace
