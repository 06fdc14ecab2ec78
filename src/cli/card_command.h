#pragma once
// `horalog cards` and `horalog member-list`: identity cards and the member list for a print
// shop run or a batch of new starters, without a window. The card options and pictures are
// the stored ones of the card layout dialog.

#include <QByteArray>
#include <QStringList>
#include <QTextStream>
#include <functional>

#include "attendance/report_parameters.h"
#include "attendance/report_source.h"
#include "common/datetime.h"
#include "printing/card_document.h"

namespace horalog {

// What a command reads once its options are accepted: the holder source (nullptr after the
// opener wrote its own one-line error) and the photo of a card.
struct HolderAccess {
    std::function<ReportSource*()> open;
    std::function<QByteArray(int cardno)> photoOf;
};

// args are the words after the program name, starting with "cards" or "member-list". Text
// lines on out, or a PDF with --pdf FILE. Exit status: 0 done (an empty selection prints
// nothing and says so on err), 1 a store or file failure, 2 a bad option (one line on err).
int RunCardCommand(const QStringList& args, const HolderAccess& access, QTextStream& out,
                   QTextStream& err, const Clock& clock = SystemClock());

QString CardsCommandUsage();
QString MemberListCommandUsage();

}  // namespace horalog
