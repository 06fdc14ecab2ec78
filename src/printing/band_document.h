#pragma once
// A report as a list of bands: what preview, printing, PDF and plain text all draw from.

#include <QString>
#include <vector>

#include "common/datetime.h"

namespace horalog {

enum class BandKind {
    Heading,    // holder or category heading: 11 point, boxed
    Detail,     // fixed-pitch 9 point line
    Total,      // boxed total line
    Blank,      // an empty line between holders or categories
    PageBreak,  // the next band starts a new page
};

enum class BandFill { None, White, Yellow };

struct Band {
    BandKind kind = BandKind::Detail;
    QString text;
    BandFill fill = BandFill::None;
};

struct ReportDocument {
    QString title;       // centred at the top of every page
    QString rangeText;   // at the right of the page header
    DateTime printedOn;  // the footer's "Printed on "
    std::vector<Band> bands;

    bool Empty() const { return bands.empty(); }
};

// Collects bands and keeps the alternating background of detail lines.
class BandWriter {
public:
    BandWriter(ReportDocument& doc, bool enhanced) : doc_(doc), enhanced_(enhanced) {}

    // A heading resets the detail colour to white; a page break comes first when asked and
    // something is already on the page.
    void Heading(const QString& text, bool newPage) {
        if (newPage && !doc_.bands.empty())
            doc_.bands.push_back({BandKind::PageBreak, {}, BandFill::None});
        doc_.bands.push_back(
            {BandKind::Heading, text, enhanced_ ? BandFill::Yellow : BandFill::None});
        yellowNext_ = false;
    }
    // Detail lines alternate white and yellow with "Enhanced Printing".
    void Detail(const QString& text) {
        BandFill fill = BandFill::None;
        if (enhanced_) fill = yellowNext_ ? BandFill::Yellow : BandFill::White;
        yellowNext_ = !yellowNext_;
        doc_.bands.push_back({BandKind::Detail, text, fill});
    }
    // A detail line without the alternating colour.
    void PlainDetail(const QString& text) {
        doc_.bands.push_back({BandKind::Detail, text, BandFill::None});
    }
    void Total(const QString& text) {
        doc_.bands.push_back({BandKind::Total, text, BandFill::None});
    }
    void Blank() { doc_.bands.push_back({BandKind::Blank, {}, BandFill::None}); }

private:
    ReportDocument& doc_;
    bool enhanced_;
    bool yellowNext_ = false;
};

}  // namespace horalog
