#pragma once
// A fresh pair of databases in a private data folder, and a read-only second connection to the
// system database for the failure paths (every write through it fails).

#include <gtest/gtest.h>

#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

namespace horalog::testing {

class PeopleStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
    }
    Connection& src() { return store.src(); }
    Connection& att() { return store.att(); }
    std::unique_ptr<Connection> readOnlySrc() {
        return OpenDatabase(store.sysDbPath(), kSysDbPassword, OpenMode::ReadOnly);
    }
    std::unique_ptr<Connection> readOnlyAtt() {
        return OpenDatabase(store.logDbPath(), kLogDbPassword, OpenMode::ReadOnly);
    }

    TempDataFolder data;
    Tdsrc store{data.path()};
    RecordingMessages messages;
};

}  // namespace horalog::testing
