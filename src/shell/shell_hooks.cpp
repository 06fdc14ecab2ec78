#include "shell/shell_hooks.h"

#include "common/format.h"

namespace horalog {

QString StatusClockText(DateTime now) {
    return FormatDateTime("dd/mmm/yyyy ddd  AM/PM hh:mm:ss", now);
}

}  // namespace horalog
