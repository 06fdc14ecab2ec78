#pragma once
// A fresh pair of live databases with the recording screen ports and a live log that records
// what it was told, plus helpers to fill logs and make other database files.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "storage/live_log_control.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/rows.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

namespace horalog::testing {

class MaintenanceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
        live.hide = [this] { liveCalls << "hide"; };
        live.reopenAtEnd = [this] { liveCalls << "reopen"; };
        live.showRecord = [this](const LogRecord& r) { shown = r; };
    }

    LogRecord addLog(Connection& att, DateTime t, int card, int mode = 1, int reader = 1) {
        LogRecord r{0, t, card, mode, reader, 0};
        LogTable(att).append(r);
        return r;
    }
    LogRecord addLog(DateTime t, int card, int mode = 1) {
        return addLog(store.att(), t, card, mode);
    }

    qint64 addHolder(Connection& src, int card, const QString& name, int group = 1) {
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.workgrp = group;
        return StaffTable(src).append(h);
    }

    void writeFile(const QString& path, const QByteArray& bytes = "jpeg") {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A data folder of its own (another installation): its live files are import sources.
    QString otherFolder() {
        EnsureDataFolder(other.path());
        return other.path();
    }

    TempDataFolder data;
    Tdsrc store{data.path()};
    QTemporaryDir other;
    RecordingMessages messages;
    RecordingProgress progress;
    RecordingFileDialogs dialogs;
    LiveLogControl live;
    QStringList liveCalls;
    std::optional<LogRecord> shown;
};

}  // namespace horalog::testing
