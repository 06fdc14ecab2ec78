#include "people/holders.h"

#include <gtest/gtest.h>

#include "people/groups.h"

using namespace horalog;

namespace {

auto Fields(const HolderRecord& h) {
    return std::tuple(h.seq, h.cardno, h.name, h.workgrp, h.timegrp, h.accessgrp, h.photo,
                      h.offline, h.com, h.memo, h.picked);
}

TEST(HolderNames, EqualityFoldsAsciiLettersOnly) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Ann Lee", "ANN LEE", true},
        {"Ann Lee", "Ann Lee", true},
        {"Ann Lee", "Ann Lee ", false},  // names are trimmed before they get here
        {"Ann Lee", "Ann Le", false},
        {"Żaneta", "żaneta", false},  // only A to Z fold, as the NOCASE index does
        {"Żaneta", "ŻANETA", true},   // the ASCII letters fold, Ż is the same character
        {"Żaneta", "Żaneta", true},
        {"José", "JOSé", true},
        {"[ann]", "[ANN]", true},
        {"@", "`", false},  // neighbours of the letters do not fold
        {"", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + "|" + c.b);
        EXPECT_EQ(SameHolderName(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.same);
        EXPECT_EQ(HolderNameKey(QString::fromUtf8(c.a)) == HolderNameKey(QString::fromUtf8(c.b)),
                  c.same);
    }
    EXPECT_TRUE(HolderNameBeginsWith("Ann Lee", "ann"));
    EXPECT_TRUE(HolderNameBeginsWith("Ann Lee", ""));
    EXPECT_FALSE(HolderNameBeginsWith("Ann Lee", "Lee"));
    EXPECT_FALSE(HolderNameBeginsWith("Ann", "Ann Lee"));
    EXPECT_FALSE(HolderNameBeginsWith(QString::fromUtf8("Żan"), QString::fromUtf8("żan")));
    EXPECT_TRUE(SameGroupName("office", "OFFICE"));
    EXPECT_FALSE(SameGroupName(QString::fromUtf8("BIURO Ł"), QString::fromUtf8("biuro ł")));
}

TEST(HolderCards, TwentyFourBitRange) {
    for (qint64 card : {1LL, 123LL, 16777215LL}) EXPECT_TRUE(IsHolderCard(card)) << card;
    for (qint64 card : {0LL, -1LL, 16777216LL}) EXPECT_FALSE(IsHolderCard(card)) << card;
}

TEST(ConfirmHolder, NameChecksAndPhotoResampledFirst) {
    const QStringList used{"ANN LEE"};
    auto taken = [&](const QString& n) {
        for (const auto& u : used)
            if (SameHolderName(u, n)) return true;
        return false;
    };
    struct Case {
        QString typed;
        bool existing;
        QString trimmed;
        const char* message;  // nullptr: accepted
        bool resampled;
    };
    const Case cases[] = {
        {"  Bob  ", false, "Bob", nullptr, true},
        {"   ", false, "", "Incorrect name.", false},
        {"", true, "", "Incorrect name.", false},
        {QString(17, 'x'), false, QString(17, 'x'), "Incorrect name.", false},
        {QString(16, 'x'), false, QString(16, 'x'), nullptr, true},
        {" ann lee", false, "ann lee", "Name has been used.", true},  // resampled all the same
        {"Ann Lee", true, "Ann Lee", nullptr, true},  // the holder's own, read-only name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QString name = c.typed;
        Picture picture = WhitePicture(320, 240);
        const auto result = ConfirmHolder(name, picture, c.existing, taken);
        EXPECT_EQ(name, c.trimmed);
        EXPECT_EQ(result.ok, c.message == nullptr);
        if (c.message) {
            EXPECT_EQ(result.focus, HolderField::Name);
            EXPECT_EQ(result.message, c.message);
        }
        EXPECT_EQ(picture.width == 240 && picture.height == 320, c.resampled);
    }
}

TEST(HolderSaveAction, EditAppendRefuseDeleteOrNothing) {
    struct Case {
        const char* name;
        bool cardHasHolder, nameHasHolder;
        HolderSave expected;
    };
    const Case cases[] = {
        {"Bob", true, true, HolderSave::RefuseDuplicate},  // renamed to another holder's name
        {"Bob", true, false, HolderSave::Edit},
        {"Bob", false, false, HolderSave::Append},
        {"Bob", false, true, HolderSave::RefuseDuplicate},
        {"", true, false, HolderSave::Delete},
        {"", false, false, HolderSave::Nothing},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HolderSaveAction(c.name, c.cardHasHolder, c.nameHasHolder), c.expected)
            << c.name << c.cardHasHolder << c.nameHasHolder;
}

TEST(HolderFromEditor, CarriesFlagsOfTheExistingHolderOnly) {
    HolderRecord old;
    old.seq = 9;
    old.cardno = 77;
    old.name = "Bob";
    old.workgrp = 3;
    old.timegrp = 4;
    old.accessgrp = 5;
    old.offline = true;
    old.com = {true, false, true, false, false, false, false, true};
    old.picked = true;
    old.memo = "old\r\n";

    const HolderRecord edited = HolderFromEditor(&old, 77, "Bob", 0, "line 1\nline 2", "JPEG");
    HolderRecord expected = old;
    expected.workgrp = 0;  // a deleted group: nothing selected, stored as 0
    expected.memo = "line 1\r\nline 2\r\n";
    expected.photo = "JPEG";
    EXPECT_EQ(Fields(edited), Fields(expected));

    const HolderRecord added = HolderFromEditor(nullptr, 88, "Ann", 2, "", "JPEG");
    HolderRecord fresh;
    fresh.timegrp = fresh.accessgrp = 0;
    fresh.offline = fresh.picked = false;
    fresh.com.fill(false);
    fresh.cardno = 88;
    fresh.name = "Ann";
    fresh.workgrp = 2;
    fresh.photo = "JPEG";
    EXPECT_EQ(Fields(added),
              Fields(fresh));  // no access, not offline, carried columns 0, not picked
}

TEST(HolderMemo, LinesEndedByCrLf) {
    struct Case {
        const char* box;
        const char* memo;
        const char* backInBox;
    };
    const Case cases[] = {
        {"", "", ""},
        {"one", "one\r\n", "one"},
        {"one\ntwo", "one\r\ntwo\r\n", "one\ntwo"},
        {"one\n", "one\r\n", "one"},
        {"one\n\nthree", "one\r\n\r\nthree\r\n", "one\n\nthree"},
        {"\n", "\r\n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MemoFromText(c.box), c.memo) << c.box;
        EXPECT_EQ(TextFromMemo(c.memo), c.backInBox) << c.box;
    }
}

}  // namespace
