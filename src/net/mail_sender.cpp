#include "net/mail_sender.h"

#include <curl/curl.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <mutex>

namespace horalog {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A header value that is not plain ASCII goes as an encoded word.
QByteArray headerText(const QString& text) {
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() > 126 || c.unicode() < 32) ascii = false;
    if (ascii) return text.toLatin1();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray rfc2822Now() {
    return QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1();
}

int onProgress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* flag = static_cast<const std::atomic<bool>*>(cancel);
    return flag && flag->load() ? 1 : 0;
}

struct Curl {
    CURL* h = curl_easy_init();
    curl_slist* rcpt = nullptr;
    curl_slist* headers = nullptr;
    curl_mime* mime = nullptr;
    ~Curl() {
        curl_slist_free_all(rcpt);
        curl_slist_free_all(headers);
        curl_mime_free(mime);
        if (h) curl_easy_cleanup(h);
    }
};

}  // namespace

void SplitSmtpServer(const QString& server, int defaultPort, QString& host, int& port) {
    QString s = server.trimmed();
    host = s;
    port = defaultPort;
    static const QRegularExpression withPort(R"(^(\[[^\]]+\]|[^:\[\]]+):(\d{1,5})$)");
    auto m = withPort.match(s);
    if (m.hasMatch()) {
        int p = m.captured(2).toInt();
        if (p >= 1 && p <= 65535) {
            host = m.captured(1);
            port = p;
        }
    }
}

QStringList MailRecipients(const QString& recipients) {
    QStringList out;
    static const QRegularExpression separators("[;,]");
    for (const QString& piece : recipients.split(separators)) {
        QString a = piece.trimmed();
        if (!a.isEmpty()) out << a;
    }
    return out;
}

bool SendMail(const QString& server, int port, const QString& attachment, const QString& body,
              const QString& subject, const QString& recipients, const QString& sender,
              const std::atomic<bool>* cancel) {
    initCurlOnce();
    QString host;
    int smtpPort;
    SplitSmtpServer(server, port, host, smtpPort);
    const QStringList to = MailRecipients(recipients + ",");
    if (host.isEmpty() || to.isEmpty()) return false;

    Curl c;
    if (!c.h) return false;
    const QByteArray url = QString("smtp://%1:%2").arg(host).arg(smtpPort).toUtf8();
    curl_easy_setopt(c.h, CURLOPT_URL, url.constData());
    curl_easy_setopt(c.h, CURLOPT_CONNECTTIMEOUT_MS, long(kSmtpConnectTimeoutMs));
    curl_easy_setopt(c.h, CURLOPT_TIMEOUT_MS, long(kSmtpExchangeTimeoutMs));
    curl_easy_setopt(c.h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c.h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c.h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c.h, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel));
    const QByteArray from = "<" + sender.trimmed().toUtf8() + ">";
    curl_easy_setopt(c.h, CURLOPT_MAIL_FROM, from.constData());
    for (const QString& a : to) {
        QByteArray r = "<" + a.toUtf8() + ">";
        c.rcpt = curl_slist_append(c.rcpt, r.constData());
    }
    curl_easy_setopt(c.h, CURLOPT_MAIL_RCPT, c.rcpt);

    const QByteArray hostPart =
        sender.contains('@') ? sender.section('@', 1).toUtf8() : QByteArray("horalog.local");
    const QList<QByteArray> headers = {
        "Date: " + rfc2822Now(),
        "From: " + sender.trimmed().toUtf8(),
        "To: " + to.join(", ").toUtf8(),
        "Subject: " + headerText(subject),
        "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@" +
            hostPart + ">",
    };
    for (const QByteArray& h : headers) c.headers = curl_slist_append(c.headers, h.constData());
    curl_easy_setopt(c.h, CURLOPT_HTTPHEADER, c.headers);

    // The body's lines, CR LF each, as quoted-printable UTF-8 text.
    static const QRegularExpression lineBreak("\r\n|\r|\n");
    const QByteArray text = body.split(lineBreak).join("\r\n").toUtf8();
    c.mime = curl_mime_init(c.h);
    curl_mimepart* part = curl_mime_addpart(c.mime);
    curl_mime_data(part, text.constData(), size_t(text.size()));
    curl_mime_type(part, "text/plain; charset=UTF-8");
    curl_mime_encoder(part, "quoted-printable");
    QFileInfo file(attachment);
    const QByteArray path = QFile::encodeName(attachment);
    if (!attachment.isEmpty() && file.isFile()) {
        part = curl_mime_addpart(c.mime);
        if (curl_mime_filedata(part, path.constData()) != CURLE_OK) return false;
        const QString suffix = file.suffix().toLower();
        curl_mime_type(
            part, suffix == "jpg" || suffix == "jpeg" ? "image/jpeg" : "application/octet-stream");
        curl_mime_encoder(part, "base64");
    }
    curl_easy_setopt(c.h, CURLOPT_MIMEPOST, c.mime);

    return curl_easy_perform(c.h) == CURLE_OK;
}

}  // namespace horalog
