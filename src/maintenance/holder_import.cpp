#include "maintenance/holder_import.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <optional>

#include "people/door_rights.h"
#include "people/holders.h"
#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"
#include "maintenance/table_file.h"

namespace horalog {

namespace {

constexpr int kGroupNameMaxLength = 20;

// Where each known column is in the file; -1 when absent.
struct Columns {
    int card = -1, name = -1, group = -1, memo = -1, profile = -1;
    std::array<int, 8> com{-1, -1, -1, -1, -1, -1, -1, -1};
    bool anyCom() const {
        for (int c : com)
            if (c >= 0) return true;
        return false;
    }
};

std::optional<bool> RightValue(const QString& text) {
    const QString v = text.trimmed().toLower();
    if (v.isEmpty() || v == "0" || v == "no" || v == "false" || v == "n") return false;
    if (v == "1" || v == "yes" || v == "true" || v == "y" || v == "x") return true;
    return std::nullopt;
}

QString Field(const CsvRecord& r, int column) {
    return column >= 0 && column < r.fields.size() ? r.fields[column] : QString();
}

// A row as checked: what it sets.
struct GoodRow {
    int line = 0;
    int card = 0;
    QString name;
    QString group;  // upper case; empty: the default group for a new holder, kept otherwise
    std::optional<QString> memo;
    std::optional<DoorRights> rights;
    std::optional<int> profile;  // the time profile's id
};

}  // namespace

QStringList HolderFileColumns() {
    QStringList c{"CARDNO", "NAME", "GROUP", "MEMO"};
    for (int p = 1; p <= 8; ++p) c << QString("COM%1").arg(p);
    c << "PROFILE";
    return c;
}

HolderImportResult ImportHolderRecords(Connection& src, const std::vector<CsvRecord>& records,
                                       const HolderImportOptions& options, const QString& source) {
    HolderImportResult result;
    auto problem = [&](int line, const QString& why) { result.problems.push_back({line, why}); };
    if (records.empty()) {
        problem(1, "the file has no header row");
        return result;
    }

    // Header.
    Columns cols;
    const CsvRecord& header = records.front();
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString h = header.fields[i].trimmed().toUpper();
        int* slot = nullptr;
        if (h == "CARDNO")
            slot = &cols.card;
        else if (h == "NAME")
            slot = &cols.name;
        else if (h == "GROUP")
            slot = &cols.group;
        else if (h == "MEMO")
            slot = &cols.memo;
        else if (h == "PROFILE")
            slot = &cols.profile;
        else if (h.size() == 4 && h.startsWith("COM") && h[3] >= u'1' && h[3] <= u'8')
            slot = &cols.com[std::size_t(h[3].unicode() - u'1')];
        else if (h.isEmpty())
            continue;
        if (!slot) {
            problem(header.line, "unknown column " + header.fields[i].trimmed());
            continue;
        }
        if (*slot >= 0) problem(header.line, "column " + h + " appears twice");
        *slot = i;
    }
    if (cols.card < 0) problem(header.line, "no CARDNO column");
    if (cols.name < 0) problem(header.line, "no NAME column");
    if (!result.problems.empty()) return result;

    // Rows: every row is checked before anything is written.
    StaffTable staff(src);
    std::vector<GoodRow> good;
    QHash<int, int> lineOfCard;
    QHash<QString, int> lineOfName;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const CsvRecord& r = records[i];
        GoodRow row;
        row.line = r.line;
        QStringList why;
        bool okCard = false;
        const QString cardText = Field(r, cols.card).trimmed();
        const qint64 card = cardText.toLongLong(&okCard);
        if (!okCard || !IsHolderCard(card))
            why << QString("card number \"%1\" is not a whole number from %2 to %3")
                       .arg(cardText)
                       .arg(kMinHolderCard)
                       .arg(kMaxHolderCard);
        else if (lineOfCard.contains(int(card)))
            why << QString("card %1 is also on line %2").arg(card).arg(lineOfCard[int(card)]);
        row.card = int(card);
        row.name = Field(r, cols.name).trimmed();
        if (row.name.isEmpty())
            why << "the name is empty";
        else if (row.name.size() > kHolderNameMaxLength)
            why << QString("the name is longer than %1 characters").arg(kHolderNameMaxLength);
        else if (lineOfName.contains(HolderNameKey(row.name)))
            why << QString("the name %1 is also on line %2")
                       .arg(row.name)
                       .arg(lineOfName[HolderNameKey(row.name)]);
        else if (okCard) {
            const auto other = staff.byName(row.name);
            if (other && other->cardno != row.card)
                why << QString("the name %1 belongs to card %2").arg(row.name).arg(other->cardno);
        }
        row.group = Field(r, cols.group).trimmed().toUpper();
        if (row.group.size() > kGroupNameMaxLength)
            why << QString("the group name is longer than %1 characters").arg(kGroupNameMaxLength);
        else if (!row.group.isEmpty() && !options.createGroups && GroupIdOf(src, row.group) == 0)
            why << "there is no group " + row.group;
        if (cols.memo >= 0) row.memo = Field(r, cols.memo);
        if (cols.anyCom()) {
            DoorRights rights{};
            for (int p = 1; p <= 8; ++p) {
                const int c = cols.com[std::size_t(p - 1)];
                if (c < 0) continue;
                const auto v = RightValue(Field(r, c));
                if (!v)
                    why << QString("COM%1 is \"%2\", not 1 or 0").arg(p).arg(Field(r, c).trimmed());
                else
                    rights[std::size_t(p - 1)] = *v;
            }
            row.rights = rights;
        }
        if (cols.profile >= 0 && !Field(r, cols.profile).trimmed().isEmpty()) {
            const QString profile = Field(r, cols.profile).trimmed();
            const int id = ProfileIdOf(src, profile);
            if (id < 0)
                why << "there is no time profile " + profile;
            else
                row.profile = id;
        }
        if (!why.isEmpty()) {
            problem(r.line, why.join("; "));
            continue;
        }
        lineOfCard.insert(row.card, row.line);
        lineOfName.insert(HolderNameKey(row.name), row.line);
        good.push_back(std::move(row));
    }
    if (!result.problems.empty()) return result;

    // One transaction for the whole file.
    try {
        Transaction t(src);
        AuditLog audit(src);
        const DoorRights newRights = NewHolderRights();
        QHash<QString, int> groupIds;
        auto groupId = [&](const QString& name) {
            if (auto it = groupIds.find(name); it != groupIds.end()) return *it;
            int id = GroupIdOf(src, name);
            if (id == 0) {
                auto q = src.prepare("INSERT INTO gid (DESCX) VALUES (?)");
                q.bindAll(name);
                q.exec();
                id = int(src.lastInsertId());
                ++result.groupsAdded;
                audit.write(audit::kGroupAdded, name, QString(), "group added by an import");
            }
            groupIds.insert(name, id);
            return id;
        };
        for (const GoodRow& row : good) {
            auto before = staff.byCard(row.card);
            if (before) {
                HolderRecord after = *before;
                after.name = row.name;
                if (!row.group.isEmpty()) after.workgrp = groupId(row.group);
                if (row.memo) after.memo = MemoFromText(*row.memo);
                if (row.rights) after.com = *row.rights;
                if (row.profile) after.accessgrp = *row.profile;
                if (after.name == before->name && after.workgrp == before->workgrp &&
                    after.memo == before->memo && after.com == before->com &&
                    after.accessgrp == before->accessgrp)
                    continue;
                auto u = src.prepare(
                    "UPDATE staffs SET NAME = ?, WORKGRP = ?, MEMO = ?, COM1 = ?, COM2 = ?, "
                    "COM3 = ?, COM4 = ?, COM5 = ?, COM6 = ?, COM7 = ?, COM8 = ?, ACCESSGRP = ? "
                    "WHERE SEQ = ?");
                u.bindAll(after.name, after.workgrp, after.memo, after.com[0], after.com[1],
                          after.com[2], after.com[3], after.com[4], after.com[5], after.com[6],
                          after.com[7], after.accessgrp, after.seq);
                u.exec();
                audit.write(audit::kHolderChanged, HolderSubject(after),
                            HolderAuditText(src, *before), HolderAuditText(src, after));
                ++result.updated;
            } else {
                HolderRecord h;
                h.cardno = row.card;
                h.name = row.name;
                h.workgrp = row.group.isEmpty() ? 1 : groupId(row.group);
                h.memo = row.memo ? MemoFromText(*row.memo) : QString();
                h.com = row.rights ? *row.rights : newRights;
                h.accessgrp = row.profile.value_or(kAlwaysProfile);
                staff.append(h);
                audit.write(audit::kHolderAdded, HolderSubject(h), QString(),
                            HolderAuditText(src, h));
                ++result.added;
            }
        }
        audit.write(audit::kHoldersImported, source, QString(),
                    HolderImportSummary(HolderImportResult{
                        true, result.added, result.updated, result.groupsAdded, {}, {}}));
        t.commit();
    } catch (const DbError& e) {
        result.added = result.updated = result.groupsAdded = 0;
        result.error = e.text();
        return result;
    }
    result.ok = true;
    return result;
}

HolderImportResult ImportHolders(Connection& src, const QString& path,
                                 const HolderImportOptions& options) {
    std::vector<CsvRecord> records;
    HolderImportResult result;
    if (!ReadTableFile(path, records, result.error)) return result;
    return ImportHolderRecords(src, records, options, QFileInfo(path).fileName());
}

QString HolderImportSummary(const HolderImportResult& r) {
    if (!r.error.isEmpty()) return "The file was not imported: " + r.error;
    if (!r.ok) {
        QStringList lines{"The file was not imported."};
        for (const HolderImportProblem& p : r.problems)
            lines << QString("Line %1: %2").arg(p.line).arg(p.reason);
        return lines.join("\n");
    }
    QString s = QString("Added %1, updated %2").arg(r.added).arg(r.updated);
    // A new group has no hours: until they are set, its every day reads as an error.
    if (r.groupsAdded > 0)
        s += QString(
                 " (%1 new group(s) with no working hours yet: set them under Setup > Group "
                 "Definition)")
                 .arg(r.groupsAdded);
    return s;
}

namespace {

std::vector<QStringList> HolderRows(Connection& src) {
    std::vector<QStringList> rows;
    auto q = src.prepare(
        "SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, gid.DESCX AS DESCX, MEMO, COM1, "
        "COM2, COM3, COM4, COM5, COM6, COM7, COM8, timeprofile.NAME AS PROFILE FROM staffs "
        "LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
        "LEFT JOIN timeprofile ON staffs.ACCESSGRP = timeprofile.ID ORDER BY staffs.NAME");
    while (q.next()) {
        QStringList r{QString::number(q.integer("CARDNO")), q.text("NAME"),
                      q.isNull("DESCX") ? QString() : q.text("DESCX"),
                      TextFromMemo(q.text("MEMO"))};
        for (int p = 1; p <= 8; ++p) r << (q.boolean(QString("COM%1").arg(p)) ? "1" : "0");
        r << (q.isNull("PROFILE") ? QString(kAlwaysProfileName) : q.text("PROFILE"));
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

bool ExportHolders(Connection& src, const QString& path, QString& error) {
    std::vector<QStringList> rows;
    try {
        rows = HolderRows(src);
    } catch (const DbError& e) {
        error = e.text();
        return false;
    }
    // card and rights are numbers
    return WriteTableFile(path, "HOLDERS", HolderFileColumns(), rows,
                          [](int c) { return c == 0 || (c >= 4 && c < 12); }, error);
}

}  // namespace horalog
