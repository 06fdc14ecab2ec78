#pragma once
// Stores of named stations on one new server database, for tests of what several PCs share.
// The setting Station is the test program's: it is unset again when the object goes.

#include <memory>

#include "storage/engines.h"
#include "storage/settings.h"

namespace horalog::testing {

struct StationStores {
    ~StationStores() { WriteSettingText("Station", ""); }
    // The store of that station, open (the station is read at the open).
    std::unique_ptr<Tdsrc> open(const QString& station) {
        WriteSettingText("Station", station);
        auto store = std::make_unique<Tdsrc>(data.path(), url);
        store->OpenStore();
        return store;
    }
    TempDataFolder data;
    QString url;  // set by the test (HORALOG_NEW_SERVER_DATABASE)
};

}  // namespace horalog::testing
