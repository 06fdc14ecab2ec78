#pragma once
// The two engines as a test parameter: the embedded files of a temporary data folder, or a
// new database on the private PostgreSQL server, both with the schema made.

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

}  // namespace horalog::testing
