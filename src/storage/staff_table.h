#pragma once
// Card holders (table staffs of the system database).

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "storage/database.h"

namespace horalog {

struct HolderRecord {
    qint64 seq = 0;
    int cardno = 0;
    QString name;
    int workgrp = 1;
    int timegrp = 0;
    int accessgrp = 0;
    QByteArray photo;  // JPEG stream; empty = no photo
    bool offline = false;
    std::array<bool, 8> com{};  // access on the reader of port 1 to 8
    QString memo;
    bool picked = false;

    bool allowedOn(int port) const { return port >= 1 && port <= 8 && com[port - 1]; }
};

class StaffTable {
public:
    explicit StaffTable(Connection& src) : c_(src) {}

    // Lookups through the unique indexes on CARDNO and NAME (names compare without regard
    // to letter case). The photo is read only when asked for.
    std::optional<HolderRecord> byCard(int cardno, bool withPhoto = false);
    std::optional<HolderRecord> byName(const QString& name, bool withPhoto = false);
    qint64 append(HolderRecord& h);
    void update(const HolderRecord& h);  // every column by SEQ
    bool removeByCard(int cardno);
    qint64 count();
    // All holders in name order, without photos.
    std::vector<HolderRecord> all();

    static HolderRecord fromRow(const Statement& q, bool withPhoto);
    // Every column fromRow reads, but the photo.
    static const char* const kColumns;

private:
    std::optional<HolderRecord> one(const QString& where, const QVariant& v, bool withPhoto);
    Connection& c_;
};

}  // namespace horalog
