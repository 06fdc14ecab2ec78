#include "attendance/card_holders.h"

namespace horalog {

std::vector<CardHolder> PrintedHolders(const std::vector<SelectedHolder>& holders) {
    std::vector<CardHolder> out;
    out.reserve(holders.size());
    for (const SelectedHolder& s : holders)
        out.push_back({s.holder.cardno, s.holder.name, s.groupName, s.holder.memo});
    return out;
}

}  // namespace horalog
