#pragma once
// Spoken feedback: the greeting of the hour, then the holder's name.

#include <QByteArray>
#include <QString>
#include <memory>

#include "common/datetime.h"

namespace horalog {

// Speaks a phrase and returns when it has been spoken.
class Speech {
public:
    virtual ~Speech() = default;
    virtual void speak(const QString& text) = 0;
};

// "Good Morning" (0-11), "Good Afternoon" (12-18), "Good Evening" (19-20), "Good Night" (21-23).
QString Greeting(int hour);

// Known holder: the greeting of the stamp's hour, then the name. No holder: "no registration".
void SpeakGreeting(Speech& speech, bool known, DateTime stamp, const QString& name);

// espeak-ng, played synchronously on the default audio device. A machine without audio or
// without voice data logs one warning and stays silent.
class EspeakSpeech : public Speech {
public:
    void speak(const QString& text) override;
};

// Renders a phrase to 16-bit mono samples in memory (no audio device needed); empty when the
// engine or its voice data is missing. Also tells the sample rate.
QByteArray SynthesizeToMemory(const QString& text, int* sampleRate = nullptr);

}  // namespace horalog
