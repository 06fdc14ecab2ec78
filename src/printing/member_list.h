#pragma once
// The member list: one 10-point row per chosen holder under four underlined headings, on A4
// portrait pages with the page header and footer of the printouts.

#include <QString>
#include <QStringList>
#include <vector>

#include "common/datetime.h"
#include "printing/card_document.h"

class QPagedPaintDevice;

namespace horalog {

inline constexpr const char* kMemberListTitle = "Member List";
// Left edges of the columns "Card No.", "Name", "Group", "Remark" (mm from the left margin).
inline constexpr double kMemberColumns[4] = {0.0, 26.5, 73.0, 120.7};
inline constexpr double kMemberMarginTop = 10, kMemberMarginBottom = 10, kMemberMarginLeft = 25,
                        kMemberMarginRight = 10;

struct MemberList {
    std::vector<CardHolder> rows;
    DateTime printedOn;
};

// Sets A4 portrait with the list's margins and draws every page; answers the pages drawn
// (0 when the device cannot be painted). Needs a QGuiApplication (fonts).
int RenderMemberList(const MemberList& list, QPagedPaintDevice& device);

// Renders to a PDF file; false with a reason when the file cannot be written.
bool WriteMemberListPdf(const MemberList& list, const QString& path, QString* error = nullptr);

// The list as text: the title, the headings, then one line per holder in padded columns.
QStringList MemberListTextLines(const MemberList& list);

}  // namespace horalog
