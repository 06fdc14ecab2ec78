#pragma once

namespace horalog {

// Whether Qt can open a window here: a display server or an explicit platform plugin.
bool HasDisplay();

}  // namespace horalog
