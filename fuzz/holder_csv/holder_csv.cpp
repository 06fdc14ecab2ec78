// Any bytes as a holder file: CSV text, or a workbook when they start like a zip archive,
// read and imported into a real system database (a good file adds or updates holders, a bad
// one must be refused without a write).
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

#include "maintenance/holder_import.h"
#include "storage/store.h"

namespace {
QTemporaryDir* g_folder = nullptr;
horalog::Tdsrc* g_store = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    g_folder = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", g_folder->filePath("config").toUtf8());
    static QCoreApplication app(*argc, *argv);
    horalog::EnsureDataFolder(g_folder->filePath("data"));
    g_store = new horalog::Tdsrc(g_folder->filePath("data"));
    g_store->OpenStore();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = g_folder->filePath(bytes.startsWith("PK") ? "holders.xlsx" : "holders.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write(bytes);
    f.close();
    const horalog::HolderImportResult r =
        horalog::ImportHolders(g_store->src(), path, horalog::HolderImportOptions{});
    // A refusal names at least one reason; an import names none.
    if (!r.ok && r.error.isEmpty() && r.problems.empty()) __builtin_trap();
    if (r.ok && !r.problems.empty()) __builtin_trap();
    return 0;
}
