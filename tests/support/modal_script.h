#pragma once
// Works modal dialogs as they come up, also those opened from inside another one: each step
// names the caption of the dialog it expects and runs once that dialog is the active modal
// one. A dialog that comes up with no step left is noted and rejected, so a test never hangs.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace horalog::testing {

class ModalScript {
public:
    struct Step {
        QString caption;
        std::function<void(QDialog*)> run;
    };
    explicit ModalScript(std::initializer_list<Step> steps) : steps_(steps) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool done() const { return steps_.empty() && !busy_; }
    QStringList captions;    // caption of the dialog each step ran on
    QStringList unexpected;  // dialogs that came up with no step left

private:
    void poll() {
        if (busy_) return;
        QPointer<QDialog> d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible()) return;
        if (steps_.empty()) {
            unexpected << d->windowTitle();
            d->reject();
            return;
        }
        if (d->windowTitle() != steps_.front().caption) return;
        Step s = steps_.front();
        steps_.pop_front();
        captions << d->windowTitle();
        // Run outside the timer's own call, so a step may open a nested modal dialog that
        // later polls work.
        busy_ = true;
        QTimer::singleShot(0, [this, d, s] {
            busy_ = false;
            if (d) s.run(d);
        });
    }
    std::deque<Step> steps_;
    QTimer timer_;
    bool busy_ = false;
};

}  // namespace horalog::testing
