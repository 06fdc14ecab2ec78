#pragma once

namespace horalog::testing {

// A loopback TCP port that was free a moment ago, for a server a test starts.
int FreeLoopbackPort();

}  // namespace horalog::testing
