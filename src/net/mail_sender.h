#pragma once
// One mail through an SMTP server (libcurl), without authentication.

#include <QString>
#include <atomic>

namespace horalog {

inline constexpr int kSmtpPort = 25;
inline constexpr int kSmtpConnectTimeoutMs = 3000;
// The whole exchange of one mail, connect included, is cut off after this long.
inline constexpr int kSmtpExchangeTimeoutMs = 15000;

// Host and port of a server text: "host", "host:port" or "[v6address]:port"; the port given
// applies when the text names none.
void SplitSmtpServer(const QString& server, int defaultPort, QString& host, int& port);

// The addresses of a recipients text, split at ";" and ",", blanks trimmed, empty pieces
// dropped, as given otherwise.
QStringList MailRecipients(const QString& recipients);

// Sends subject and body (lines joined with CR LF) from sender to the recipients through
// the server (which may carry ":port", else port). The file at attachment is attached when
// it exists. False on any error while connecting or sending; never retries. cancel, when
// given and set from another thread, ends the exchange early with false.
bool SendMail(const QString& server, int port, const QString& attachment, const QString& body,
              const QString& subject, const QString& recipients, const QString& sender,
              const std::atomic<bool>* cancel = nullptr);

}  // namespace horalog
