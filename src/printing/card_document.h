#pragma once
// Identity cards: the two card layouts in millimetres and their pages on A4 portrait, drawn on
// any paged device (the PDF writer here, the printer and the preview in the window).

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "printing/card_options.h"

class QPagedPaintDevice;

namespace horalog {

// A card's layout; every length in millimetres from the card's top-left corner.
struct CardGeometry {
    double width, height;
    double titleX, titleY, titlePoints;
    bool titleRightAligned;  // vertical: titleX is the title's right edge
    QRectF logo, photo;
    double valueX;
    std::array<double, 7> valueY;  // card number, name, group, remarks 1 to 4
    std::array<double, 7> labelY;
    std::array<double, 7> ruleY;  // rules under the values, ruleLength long from valueX
    double ruleLength;
    // Page: cards per row, the gap between columns and the distance between row tops.
    int perRow;
    double columnGap, rowPitch;
};

const CardGeometry& CardGeometryOf(CardStyle style);

// Card page margins (mm).
inline constexpr double kCardMarginTop = 10, kCardMarginBottom = 10, kCardMarginLeft = 15,
                        kCardMarginRight = 15;
inline constexpr int kRemarkLength = 38;
inline constexpr double kLabelPoints = 7, kValuePoints = 10;
inline constexpr const char* kCardFontFamily = "Liberation Sans";

// One card: the holder's columns; the photo is read when its card is drawn.
struct CardHolder {
    int cardno = 0;
    QString name;
    QString group;  // the group's DESCX, empty when the group does not exist
    QString memo;
};

// The remark values of a card: the first four lines of the memo, each cut to 38 characters,
// empty where the memo has fewer lines.
std::array<QString, 4> CardRemarkValues(const QString& memo);

// Where card `index` (0-based, in the holders' order) goes: its page and its top-left corner
// in millimetres from the page's printable top-left (inside the margins).
struct CardPlace {
    int page;
    QPointF topLeft;
};
CardPlace PlaceOfCard(CardStyle style, int index);
int CardsPerPage(CardStyle style);

struct CardJob {
    CardOptions options;
    QImage background;  // stretched over every card; none gives a white card
    QImage logo;        // drawn only with options.logo
    std::vector<CardHolder> holders;
    // The holder's PHOTO blob; empty or undecodable leaves the photo area empty.
    std::function<QByteArray(int cardno)> photoOf;
};

// Sets A4 portrait with the card margins and draws every card; answers the pages drawn
// (0 when there is no card or the device cannot be painted). Needs a QGuiApplication (fonts).
int RenderCards(const CardJob& job, QPagedPaintDevice& device);

// Renders to a PDF file; false with a reason when the file cannot be written.
bool WriteCardsPdf(const CardJob& job, const QString& path, QString* error = nullptr);

// A card run over the layout dialog's state: its options and pictures and these holders.
CardJob MakeCardJob(const CardLayout& layout, std::vector<CardHolder> holders,
                    std::function<QByteArray(int cardno)> photoOf);

}  // namespace horalog
