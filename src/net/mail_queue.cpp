#include "net/mail_queue.h"

#include "net/mail_sender.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

int MailTimerInterval(int minutes) {
    return minutes > 0 ? minutes * 60000 : 1000;
}

MailQueue::MailQueue(Tdsrc& store, StatusLine status, QObject* parent)
    : QObject(parent), store_(store), status_(std::move(status)) {
    timer_.setObjectName("emailtimer");
    connect(&timer_, &QTimer::timeout, this, &MailQueue::tick);
}

MailQueue::~MailQueue() {
    stop();
}

void MailQueue::arm() {
    timer_.stop();
    timer_.setInterval(MailTimerInterval(ReadSettingInt("EmailIntervals", 0)));
    if (ReadSettingBool("EmailEnabled", false)) timer_.start();
}

void MailQueue::armAtStart() {
    arm();
    WriteSettingBool("EmailEnabled", false);
}

void MailQueue::stop() {
    timer_.stop();
    ++generation_;  // a result still on its way is dropped
    cancel_ = true;
    joinWorker();
    cancel_ = false;
    active_ = false;
}

void MailQueue::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

void MailQueue::tick() {
    timer_.stop();
    if (active_) return;
    active_ = true;
    sendHead();
}

void MailQueue::sendHead() {
    qint64 seq;
    QString title, msg, attach;
    try {
        auto q =
            store_.src().prepare("SELECT SEQ, TITLE, MSG, ATTACH FROM emails ORDER BY SEQ LIMIT 1");
        if (!q.next()) return finish();
        seq = q.int64("SEQ");
        title = q.text("TITLE");
        msg = q.text("MSG");
        attach = q.text("ATTACH");
    } catch (const std::exception&) {
        return finish();
    }
    if (status_) status_(kEmailSending + title);
    const QString sender = ReadSettingText("EmailSender", "");
    const QString recipients = ReadSettingText("EmailRecipant", "");
    const QString server = ReadSettingText("EmailSmtpServer", "");
    joinWorker();
    const int generation = generation_;
    worker_ = std::thread([=, this] {
        bool ok = SendMail(server, kSmtpPort, attach, msg, title, recipients, sender, &cancel_);
        QMetaObject::invokeMethod(
            this, [=, this] { onSent(generation, seq, title, ok); }, Qt::QueuedConnection);
    });
}

void MailQueue::onSent(int generation, qint64 seq, const QString& title, bool ok) {
    if (generation != generation_) return;
    joinWorker();
    emit mailDone(title, ok);
    if (!ok) {
        // The row stays at the head of the queue and is tried first at the next tick.
        if (status_) status_(kEmailSentError);
        return finish();
    }
    try {
        auto q = store_.src().prepare("DELETE FROM emails WHERE SEQ = ?");
        q.bindAll(seq);
        q.exec();
    } catch (const std::exception&) {
        return finish();
    }
    if (status_) status_(QString());
    sendHead();
}

void MailQueue::finish() {
    active_ = false;
    arm();
    emit runFinished();
}

}  // namespace horalog
