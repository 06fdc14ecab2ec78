#pragma once
// What a card run prints besides the holders: the options of the card layout dialog, stored
// under their settings names, and the two card pictures kept in the data folder.

#include <QString>
#include <array>

#include "common/ports.h"
#include "people/photos.h"

namespace horalog {

enum class CardStyle { Horizontal, Vertical };

inline constexpr const char* kCardBackFile = "cardback.jpg";
inline constexpr const char* kCardLogoFile = "cardlogo.jpg";

struct CardOptions {
    CardStyle style = CardStyle::Horizontal;
    bool frame = true;  // "Print Frame": the card outline
    bool logo = false;  // "Print Logo"
    bool title = true;  // "Title Line"
    QString titleText = "STAFF CARD";
    std::array<bool, 4> remark{true, false, false, false};  // "Remark Line 1" to 4
    std::array<QString, 4> remarkText{"Remark", "", "", ""};
    bool transparent = true;  // values over the background rather than on white
    bool preview = true;      // "Print Preview"
};

// The options as stored by the last "Save" (defaults for a fresh user); the style from
// Card_Style.
CardOptions LoadCardOptions();

// Card_Style, written on every change of style.
void StoreCardStyle(CardStyle style);

// The width in pixels of the background preview for a style.
int BackgroundPreviewWidth(CardStyle style);

// The state of the card layout dialog: its options and its two pictures.
class CardLayout {
public:
    // Options from the settings; both pictures cleared, then loaded from cardback.jpg and
    // cardlogo.jpg of the data folder when those exist and decode.
    void Load();

    // "Save": background file, CardBackEnable, CardBackFrame, logo file, then the other
    // options, each in turn; the first failure stops the sequence and shows "Settings cannot
    // be saved.", else "Settings are saved.". Answers whether everything was stored.
    bool Save(Messages& messages) const;

    // A style change is stored at once.
    void SetStyle(CardStyle style);

    CardOptions options;
    Picture background;
    Picture logo;
};

}  // namespace horalog
