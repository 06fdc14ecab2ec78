#include "capture/speech.h"

#include <espeak-ng/speak_lib.h>

#include <QMutex>
#include <QtDebug>

namespace horalog {

QString Greeting(int hour) {
    if (hour < 12) return "Good Morning";
    if (hour < 19) return "Good Afternoon";
    if (hour < 21) return "Good Evening";
    return "Good Night";
}

void SpeakGreeting(Speech& speech, bool known, DateTime stamp, const QString& name) {
    if (known) {
        speech.speak(Greeting(stamp.msecsOfDay() / 3600000));
        speech.speak(name);
    } else {
        speech.speak("no registration");
    }
}

namespace {

// espeak-ng keeps one engine per process; it is set up on first use for one output kind.
enum class Output { None, Playback, Memory };
QMutex g_lock;
Output g_output = Output::None;
bool g_failed = false;
QByteArray* g_sink = nullptr;

int collect(short* wav, int count, espeak_EVENT*) {
    if (wav && count > 0 && g_sink) g_sink->append(reinterpret_cast<const char*>(wav), count * 2);
    return 0;
}

// Sets the engine up for the output; false (warned once) when that is impossible here.
bool ready(Output want, int* rate) {
    if (g_output == want) return true;
    if (g_failed && g_output == Output::None) return false;
    if (g_output != Output::None) espeak_Terminate();
    g_output = Output::None;
    int r = espeak_Initialize(want == Output::Playback ? AUDIO_OUTPUT_SYNCH_PLAYBACK
                                                       : AUDIO_OUTPUT_SYNCHRONOUS,
                              0, nullptr, 0);
    if (r <= 0 || espeak_SetVoiceByName("en") != EE_OK) {
        if (!g_failed) qWarning("speech: espeak-ng could not start (no audio or voice data)");
        g_failed = true;
        if (r > 0) espeak_Terminate();
        return false;
    }
    if (want == Output::Memory) espeak_SetSynthCallback(collect);
    if (rate) *rate = r;
    g_output = want;
    return true;
}

}  // namespace

void EspeakSpeech::speak(const QString& text) {
    QMutexLocker locker(&g_lock);
    if (!ready(Output::Playback, nullptr)) return;
    QByteArray utf8 = text.toUtf8();
    if (espeak_Synth(utf8.constData(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                     nullptr, nullptr) != EE_OK) {
        static bool warned = false;
        if (!warned) qWarning("speech: espeak-ng could not play (no audio device)");
        warned = true;
        return;
    }
    espeak_Synchronize();
}

QByteArray SynthesizeToMemory(const QString& text, int* sampleRate) {
    QMutexLocker locker(&g_lock);
    static int rate = 0;
    if (!ready(Output::Memory, &rate)) return {};
    if (sampleRate) *sampleRate = rate;
    QByteArray out;
    g_sink = &out;
    QByteArray utf8 = text.toUtf8();
    espeak_Synth(utf8.constData(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                 nullptr, nullptr);
    espeak_Synchronize();
    g_sink = nullptr;
    return out;
}

}  // namespace horalog
