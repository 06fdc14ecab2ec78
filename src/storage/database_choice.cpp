#include "storage/database_choice.h"

#include "common/paths.h"
#include "storage/settings.h"

namespace horalog {

QString ChosenDatabaseUrl() {
    const QString url = CommandLineDatabaseUrl();
    return url.isEmpty() ? ReadSettingText(kDatabaseUrlSetting, QString()) : url;
}

}  // namespace horalog
