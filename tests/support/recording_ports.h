#pragma once
// Recording doubles of the screen ports: they keep what was shown and answer from a queue.

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>

#include "common/ports.h"

namespace horalog::testing {

struct ShownMessage {
    QString kind;  // "error", "warning", "information", "confirm", "warningYesNo", "plain"
    QString text;
};

class RecordingMessages : public Messages {
public:
    void error(const QString& t) override { record("error", t); }
    void warning(const QString& t) override { record("warning", t); }
    void information(const QString& t) override { record("information", t); }
    bool confirm(const QString& t) override { record("confirm", t); return answer(); }
    bool warningYesNo(const QString& t) override { record("warningYesNo", t); return answer(); }
    void plain(const QString& t) override { record("plain", t); }

    // Answers for the next questions, in order; true (OK / Yes) when the queue is empty.
    void answerNext(bool a) { answers.push_back(a); }
    QStringList texts() const {
        QStringList out;
        for (const auto& m : shown) out << m.text;
        return out;
    }
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); answers.clear(); }

    QList<ShownMessage> shown;
    std::deque<bool> answers;

private:
    void record(const char* kind, const QString& t) { shown.append({kind, t}); }
    bool answer() {
        if (answers.empty()) return true;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

class RecordingProgress : public Progress {
public:
    struct Run {
        QString caption;
        int maximum = 0;
        int position = 0;
        bool closed = false;
        QStringList captions;  // set after opening, in order
    };
    std::unique_ptr<ProgressWindow> open(const QString& caption, int maximum) override;
    QList<Run> runs;
};

class RecordingFileDialogs : public FileDialogs {
public:
    QString openFile(const QString& title, const QString& start, const QString& filter) override {
        asked << title + "|" + start + "|" + filter;
        return next();
    }
    QString saveFile(const QString& title, const QString& start, const QString& filter) override {
        asked << title + "|" + start + "|" + filter;
        return next();
    }
    std::deque<QString> answers;  // empty answer = cancelled
    QStringList asked;

private:
    QString next() {
        if (answers.empty()) return QString();
        QString a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace horalog::testing
