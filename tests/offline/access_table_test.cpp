// The offline access table: the member lists over OFFLINE and the upload to PX series readers.
#include "offline/access_table.h"

#include "offline_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AccessTableTest : public OfflineReaderTest {
protected:
    void SetUp() override {
        OfflineReaderTest::SetUp();
        link().Model = 1;  // PX series
    }
    std::vector<int> Members(int n) {
        std::vector<int> cards;
        for (int i = 0; i < n; ++i) cards.push_back(100 + i);
        return cards;
    }
};

TEST_F(AccessTableTest, ListsFollowTheOfflineFlagAndSort) {
    AddHolder(30, "carol", true);
    AddHolder(10, "Bob", true);
    AddHolder(20, "alice", false);
    AddHolder(40, "Dave", false);
    OfflineAccessTable t(store.src());
    auto cards = [](const std::vector<AccessRow>& rows) {
        std::vector<int> out;
        for (const auto& r : rows) out.push_back(r.cardno);
        return out;
    };
    EXPECT_EQ(cards(t.members("NAME")), (std::vector<int>{10, 30}));
    EXPECT_EQ(cards(t.members("CARDNO")), (std::vector<int>{10, 30}));
    EXPECT_EQ(cards(t.nonMembers("NAME")), (std::vector<int>{20, 40}));
    EXPECT_EQ(t.members()[0].workgroup, "DEFAULT");

    EXPECT_TRUE(t.setMember(40, true));
    EXPECT_TRUE(t.setMember(30, false));
    EXPECT_FALSE(t.setMember(999, true));  // no such holder: nothing changes
    EXPECT_EQ(cards(t.members("CARDNO")), (std::vector<int>{10, 40}));
    EXPECT_EQ(cards(t.nonMembers("CARDNO")), (std::vector<int>{20, 30}));
    EXPECT_EQ(MemberCaption(2), "Allowed Member (2 records)");
    EXPECT_EQ(NonMemberCaption(0), "Denied Member (0 records)");
}

TEST_F(AccessTableTest, FortyTwoMembersUploadAndFortyThreeAreRefusedBeforeAnyReader) {
    ASSERT_FALSE(UploadAccessTable(links, Members(43), messages, progress));
    EXPECT_EQ(messages.texts(), QStringList{"PX900 is limited to 42 offline records. Please "
                                            "remove some members and retry."});
    EXPECT_TRUE(Printed().isEmpty());
    EXPECT_TRUE(progress.runs.isEmpty());

    messages.clear();
    ASSERT_TRUE(UploadAccessTable(links, Members(42), messages, progress));
    EXPECT_EQ(messages.texts(),
              (QStringList{"This action will overwrite all the authurization tables of the PX "
                           "series' readers. Are you sure?",
                           "Access table uploaded successfully."}));
    const QStringList printed = Printed();
    ASSERT_EQ(printed.size(), 44);
    EXPECT_EQ(printed[0], "~@");
    EXPECT_EQ(printed[1], "~CC");
    EXPECT_EQ(printed[2], "~A card 100");
    EXPECT_EQ(printed[43], "~A card 141");
    ASSERT_EQ(progress.runs.size(), 2);
    EXPECT_EQ(progress.runs[0].caption, "Check reader on COM2");
    EXPECT_EQ(progress.runs[0].maximum, 5);
    EXPECT_EQ(progress.runs[1].caption, "Uploading access table to COM2");
    EXPECT_EQ(progress.runs[1].position, 42);
    Type("");
    EXPECT_TRUE(lastState.endsWith("access 42")) << lastState.toStdString();
}

TEST_F(AccessTableTest, FailuresStopTheWholeUpload) {
    struct Case {
        const char* fault;
        int model;
        bool enabled;
        const char* message;
        int addsSent;
    } cases[] = {
        // five "B" answers to one card
        {"refuse-add on", 1, true, "Cannot upload access table to COM2.", 5},
        {"model 2", 1, true, "It is not an PX series reader on COM2.", 0},
        // an LT series reader or a disabled port is skipped
        {"refuse-add on", 0, true, "Access table uploaded successfully.", 0},
        {"refuse-add on", 1, false, "Access table uploaded successfully.", 0},
    };
    for (const Case& c : cases) {
        Type(QString("refuse-add off\nmodel 0\n") + c.fault);
        link().Model = c.model;
        link().Enable = c.enabled;
        messages.clear();
        UploadAccessTable(links, Members(3), messages, progress);
        EXPECT_EQ(messages.last(), c.message) << c.fault;
        EXPECT_EQ(CountPrinted("~A card"), c.addsSent) << c.fault;
        lines.clear();
    }
    // Cancelled at the question: nothing sent.
    link().Model = 1;
    link().Enable = true;
    messages.clear();
    messages.answerNext(false);
    EXPECT_FALSE(UploadAccessTable(links, Members(3), messages, progress));
    EXPECT_TRUE(Printed().isEmpty());
}

}  // namespace
