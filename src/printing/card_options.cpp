#include "printing/card_options.h"

#include <QFile>
#include <QSettings>
#include <functional>

#include "common/paths.h"
#include "common/texts.h"
#include "storage/settings.h"

namespace horalog {

namespace {

// The stored names keep their historic spelling ("Remakr"): settings written by earlier
// versions are read under them.
QString RemarkEnableName(int k) {
    return QString("CardRemarkEnable%1").arg(k + 1);
}
QString RemarkTextName(int k) {
    return QString("CardRemakrString%1").arg(k + 1);
}

// The settings store reports a write it could not make through its status.
bool SettingsWritable() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quorvane", "Horalog");
    s.sync();
    return s.status() == QSettings::NoError && s.isWritable();
}

void LoadPicture(Picture& picture, const QString& path) {
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    Picture loaded;
    if (PhotoFromBlob(file.readAll(), loaded)) picture = std::move(loaded);
}

}  // namespace

CardOptions LoadCardOptions() {
    CardOptions o;
    o.style = ReadSettingBool("Card_Style", true) ? CardStyle::Horizontal : CardStyle::Vertical;
    o.frame = ReadSettingBool("CardBackFrame", o.frame);
    o.logo = ReadSettingBool("CardLogoEnable", o.logo);
    o.title = ReadSettingBool("CardTitleEnable", o.title);
    o.titleText = ReadSettingText("CardTitleString", o.titleText);
    for (int k = 0; k < 4; ++k) {
        o.remark[k] = ReadSettingBool(RemarkEnableName(k), o.remark[k]);
        o.remarkText[k] = ReadSettingText(RemarkTextName(k), o.remarkText[k]);
    }
    o.transparent = ReadSettingBool("CardTransparent", o.transparent);
    o.preview = ReadSettingBool("CardPreview", o.preview);
    return o;
}

void StoreCardStyle(CardStyle style) {
    WriteSettingBool("Card_Style", style == CardStyle::Horizontal);
}

int BackgroundPreviewWidth(CardStyle style) {
    return style == CardStyle::Horizontal ? 128 : 54;
}

void CardLayout::Load() {
    options = LoadCardOptions();
    ClearPicture(background);
    ClearPicture(logo);
    LoadPicture(background, DataFile(kCardBackFile));
    LoadPicture(logo, DataFile(kCardLogoFile));
}

void CardLayout::SetStyle(CardStyle style) {
    options.style = style;
    StoreCardStyle(style);
}

bool CardLayout::Save(Messages& messages) const {
    const CardOptions& o = options;
    // Each step runs only when the ones before it succeeded; values stored before a failure
    // stay stored.
    const std::function<bool()> steps[] = {
        [&] { return SavePictureFile(background, DataFile(kCardBackFile)); },
        [&] {
            WriteSettingBool("CardBackEnable", true);
            WriteSettingBool("CardBackFrame", o.frame);
            return SettingsWritable();
        },
        [&] { return SavePictureFile(logo, DataFile(kCardLogoFile)); },
        [&] {
            WriteSettingBool("CardLogoEnable", o.logo);
            WriteSettingBool("CardPreview", o.preview);
            WriteSettingBool("CardTransparent", o.transparent);
            WriteSettingBool("CardTitleEnable", o.title);
            for (int k = 0; k < 4; ++k) WriteSettingBool(RemarkEnableName(k), o.remark[k]);
            WriteSettingText("CardTitleString", o.titleText);
            for (int k = 0; k < 4; ++k) WriteSettingText(RemarkTextName(k), o.remarkText[k]);
            return SettingsWritable();
        },
    };
    for (const auto& step : steps) {
        if (!step()) {
            messages.error(text::kSettingsNotSaved);
            return false;
        }
    }
    messages.information(text::kSettingsSaved);
    return true;
}

}  // namespace horalog
