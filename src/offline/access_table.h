#pragma once
// The offline access table: holders marked OFFLINE in staffs, the two lists of the dialog,
// and the upload of the members to every PX series reader.

#include <QString>
#include <QStringList>
#include <vector>

#include "common/datetime.h"

namespace horalog {

class Connection;
class Messages;
class Progress;
class ReaderLinks;

namespace access_text {
inline constexpr const char* kTooMany =
    "PX900 is limited to 42 offline records. Please remove some members and retry.";
inline constexpr const char* kConfirm =
    "This action will overwrite all the authurization tables of the PX series' readers. Are "
    "you sure?";
inline constexpr const char* kUploaded = "Access table uploaded successfully.";
}  // namespace access_text

inline constexpr int kMaxAccessMembers = 42;

struct AccessRow {
    int cardno = 0;
    QString name;
    int gid = 0;
    QString workgroup;  // the group's DESCX, empty for a deleted group
};

class OfflineAccessTable {
public:
    // The list columns, in order; a click on a title sorts by that column.
    static QStringList Columns() { return {"CARDNO", "NAME", "WORKGROUP"}; }

    explicit OfflineAccessTable(Connection& src) : src_(src) {}

    // Rows of the relation offline joined with gid / holders not marked, sorted by a column
    // of Columns() (WORKGROUP sorts by the group name; unknown names sort by NAME).
    std::vector<AccessRow> members(const QString& sortColumn = "NAME");
    std::vector<AccessRow> nonMembers(const QString& sortColumn = "NAME");
    // Marks or unmarks the holder of a card; false when the update failed (nothing changed).
    bool setMember(int cardno, bool member);

private:
    Connection& src_;
};

QString MemberCaption(int count);     // "Allowed Member (n records)"
QString NonMemberCaption(int count);  // "Denied Member (n records)"

// "Upload": the members' cards in the list's order to every enabled PX series link: the
// 42-member limit, the confirmation, the model check, clear and add. True when it completed.
bool UploadAccessTable(ReaderLinks& links, const std::vector<int>& memberCards, Messages& messages,
                       Progress& progress, Clock now = SystemClock());

}  // namespace horalog
