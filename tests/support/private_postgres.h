#pragma once
// A PostgreSQL server of the test program's own: a fresh cluster in a temporary folder, on a
// private port with its socket in that folder (no TCP), trust authentication, started on first
// use and stopped and removed when the program ends (PrivatePostgresEnvironment, or at exit).
// When running as root the server runs as the user postgres (initdb refuses root).

#include <gtest/gtest.h>

#include <QString>
#include <memory>

namespace horalog::testing {

class PrivatePostgres {
public:
    // The running server; nullptr when the server programs are not installed (why says so).
    // A server that is installed but does not start fails the calling test.
    static PrivatePostgres* Get(QString* why);
    // Stops and removes the server, when one was started.
    static void StopAll();

    ~PrivatePostgres();

    // Creates a new empty database and answers its url.
    QString newDatabase();
    // The url of a database on this server as user.
    QString url(const QString& database, const QString& user = "postgres") const;
    QString socketFolder() const { return folder_; }
    // Stops the server as an administrator does (fast: sessions are ended) and starts it
    // again on the same port and folder, for tests of a server that goes away.
    void stopServer();
    void startServer();
    int port() const { return port_; }

private:
    PrivatePostgres() = default;
    void start();
    void startCluster();
    void startWatchdog();
    void stop();

    QString bin_, folder_;
    int port_ = 0;
    int databases_ = 0;
    bool running_ = false;
};

// Stops the server after the last test of the program.
class PrivatePostgresEnvironment : public ::testing::Environment {
public:
    void TearDown() override { PrivatePostgres::StopAll(); }
};

}  // namespace horalog::testing

// In a test: the url of a new empty database on the private server, or the test is skipped
// when no server is installed.
#define HORALOG_NEW_SERVER_DATABASE(urlVariable)                         \
    QString urlVariable;                                                 \
    {                                                                    \
        QString why_;                                                    \
        auto* server_ = ::horalog::testing::PrivatePostgres::Get(&why_); \
        if (!server_) GTEST_SKIP() << why_.toStdString();                \
        urlVariable = server_->newDatabase();                            \
    }
