#include <gtest/gtest.h>

#include "capture/speech.h"
#include "capture_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class RecordingSpeech : public Speech {
public:
    void speak(const QString& text) override { spoken << text; }
    QStringList spoken;
};

TEST(Speech, GreetingByHour) {
    struct Case {
        int h, m, s;
        const char* greeting;
    };
    const Case cases[] = {{0, 0, 0, "Good Morning"},     {11, 59, 59, "Good Morning"},
                          {12, 0, 0, "Good Afternoon"},  {18, 59, 59, "Good Afternoon"},
                          {19, 0, 0, "Good Evening"},    {20, 59, 59, "Good Evening"},
                          {21, 0, 0, "Good Night"},      {23, 59, 59, "Good Night"}};
    for (const auto& c : cases) {
        RecordingSpeech s;
        SpeakGreeting(s, true, EncodeDateTime(2004, 6, 26, c.h, c.m, c.s), "ANN");
        EXPECT_EQ(s.spoken, (QStringList{c.greeting, "ANN"})) << c.h << ":" << c.m;
    }
    RecordingSpeech s;
    SpeakGreeting(s, false, EncodeDateTime(2004, 6, 26, 9, 0, 0), "123");
    EXPECT_EQ(s.spoken, QStringList{"no registration"});
}

// The engine really produces audio for a phrase, rendered to memory.
TEST(Speech, EspeakRendersAudio) {
    int rate = 0;
    QByteArray samples = SynthesizeToMemory("Good Morning", &rate);
    ASSERT_GT(rate, 0);
    // more than a quarter of a second of 16-bit samples, and not silence
    ASSERT_GT(samples.size(), rate / 2);
    const auto* pcm = reinterpret_cast<const qint16*>(samples.constData());
    int loud = 0;
    for (int i = 0; i < samples.size() / 2; ++i)
        if (std::abs(pcm[i]) > 1000) ++loud;
    EXPECT_GT(loud, 100);
}

class SpokenFeedback : public CaptureFixture {};

TEST_F(SpokenFeedback, OnlyWhenEnabledAndOnlyForLiveReads) {
    RecordingSpeech speech;
    capture.setSpeech(&speech);
    holder(100, "ANN", {1});
    setup({{.port = 1, .mode = 1}});
    now = EncodeDateTime(2004, 6, 26, 18, 24, 6);
    present(1, CardFrame(100));
    EXPECT_TRUE(speech.spoken.isEmpty());  // SpeechEnable off
    WriteSettingBool("SpeechEnable", true);
    capture.HandleCardRead(false, 1, 100, now, -1);
    capture.HandleCardRead(false, 1, 555, now, -1);
    capture.HandleCardRead(true, 1, 100, now, 1);  // stored read: no feedback
    EXPECT_EQ(speech.spoken, (QStringList{"Good Afternoon", "ANN", "no registration"}));
}

}  // namespace
