#pragma once
// A selection of holders as the cards and the member list print them.

#include <vector>

#include "attendance/report_parameters.h"
#include "printing/card_document.h"

namespace horalog {

std::vector<CardHolder> PrintedHolders(const std::vector<SelectedHolder>& holders);

}  // namespace horalog
