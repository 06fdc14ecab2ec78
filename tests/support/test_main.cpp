// Shared main of every test program: offscreen widgets, English (United States) locale and a
// private settings store per process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#include "common/paths.h"
#include "support/private_postgres.h"

namespace {
// HORALOG_TEST_ENGINE=server: every store a test opens without naming its engine opens a new
// database on the private server instead of the data folder's files (a survey of what the
// rooms do on the server; tests bound to files fail there by nature).
class EveryStoreOnTheServer : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        QString why;
        auto* server = horalog::testing::PrivatePostgres::Get(&why);
        if (server) horalog::SetCommandLineDatabaseUrl(server->newDatabase());
    }
};
}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", qgetenv("HORALOG_TEST_TZ").isEmpty() ? "UTC" : qgetenv("HORALOG_TEST_TZ"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (qgetenv("HORALOG_TEST_ENGINE") == "server") {
        ::testing::UnitTest::GetInstance()->listeners().Append(new EveryStoreOnTheServer);
        ::testing::AddGlobalTestEnvironment(new horalog::testing::PrivatePostgresEnvironment);
    }
    return RUN_ALL_TESTS();
}
