#pragma once
// The two engines as a test parameter: the embedded files of a temporary data folder, or a
// new database on the private PostgreSQL server, both with the schema made.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/paths.h"
#include "storage/postgres_driver.h"
#include "storage/store.h"
#include "support/private_postgres.h"
#include "support/temp_data.h"

namespace horalog::testing {

enum class Engine { Embedded, Server };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Embedded ? "Embedded" : "Server";
}

// One server per test program, stopped after its last test.
inline ::testing::Environment* const kPrivateServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new PrivatePostgresEnvironment);

inline const auto kBothEngines = ::testing::Values(Engine::Embedded, Engine::Server);

// A fixture with the store open on the engine: its log (att) and system (src) connections. On
// the server both are connections to the one database.
class EngineFixture : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Embedded) {
            EnsureDataFolder(data.path());
            store_ = std::make_unique<Tdsrc>(data.path());
        } else {
            HORALOG_NEW_SERVER_DATABASE(url);
            url_ = url;
            store_ = std::make_unique<Tdsrc>(data.path(), url);
        }
        store_->OpenStore();
    }
    Tdsrc& store() { return *store_; }
    Connection& att() { return store_->att(); }
    Connection& src() { return store_->src(); }
    QString url() const { return url_; }

    TempDataFolder data;

private:
    std::unique_ptr<Tdsrc> store_;
    QString url_;
};

// For a fixture whose store opens without a url: on the server the database is chosen the way
// --database chooses it, so every connection the code under test opens itself (web pages,
// reports) goes to the same database. Call in SetUp before the store opens; skips the test
// when no server is installed. The choice ends with the fixture.
#define HORALOG_CHOOSE_ENGINE(engine)                                     \
    if ((engine) == ::horalog::testing::Engine::Server) {                \
        HORALOG_NEW_SERVER_DATABASE(chosenUrl_);                         \
        ::horalog::SetCommandLineDatabaseUrl(chosenUrl_);                \
    }

struct EngineChoiceReset {
    ~EngineChoiceReset() { ::horalog::SetCommandLineDatabaseUrl(QString()); }
};

// A fixture (with a virtual engine() read in its SetUp) run once on each engine:
// INSTANTIATE_TEST_SUITE_P(Engines, Suite, kBothEngines, EngineName).
template <typename Fixture>
class OnBothEngines : public Fixture, public ::testing::WithParamInterface<Engine> {
protected:
    Engine engine() const override { return this->GetParam(); }
};

}  // namespace horalog::testing
