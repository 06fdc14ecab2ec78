#include "printing/card_document.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

#include "people/photos.h"
#include "printing/report_renderer.h"

namespace horalog {

namespace {

// clang-format off
const CardGeometry kHorizontal{
    .width = 85.0, .height = 54.0,
    .titleX = 3.2, .titleY = 4.0, .titlePoints = 14, .titleRightAligned = false,
    .logo = QRectF(68.8, 1.3, 14.1, 14.1),
    .photo = QRectF(2.6, 18.5, 24.0, 32.0),
    .valueX = 47.4,
    .valueY = {14.6, 19.8, 25.1, 30.4, 35.7, 41.0, 46.3},
    .labelY = {15.4, 20.7, 26.0, 31.3, 36.6, 41.9, 47.2},
    .ruleY = {18.5, 23.8, 29.3, 34.4, 39.7, 45.0, 50.3},
    .ruleLength = 35.3,
    .perRow = 2, .columnGap = 10.0, .rowPitch = 56.0,
};

const CardGeometry kVertical{
    .width = 54.0, .height = 85.0,
    .titleX = 51.4, .titleY = 3.5, .titlePoints = 12, .titleRightAligned = true,
    .logo = QRectF(2.2, 2.2, 9.0, 9.0),
    .photo = QRectF(15.0, 12.9, 24.1, 32.0),
    .valueX = 17.0,
    .valueY = {46.2, 51.5, 56.8, 62.1, 67.3, 72.6, 77.9},
    .labelY = {47.1, 52.4, 57.7, 63.0, 68.3, 73.6, 78.9},
    .ruleY = {50.2, 55.4, 61.0, 66.0, 71.3, 76.6, 81.9},
    .ruleLength = 35.2,
    .perRow = 3, .columnGap = 5.0, .rowPitch = 87.3,
};
// clang-format on

constexpr double kA4Height = 297.0;
constexpr double kPrintableHeight = kA4Height - kCardMarginTop - kCardMarginBottom;

int RowsPerPage(const CardGeometry& g) {
    // A row fits when its card ends inside the bottom margin.
    return int(std::floor((kPrintableHeight - g.height) / g.rowPitch + 1e-9)) + 1;
}

QFont CardFont(double points, bool bold = false) {
    QFont f(kCardFontFamily);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Draws one card with lengths in millimetres, whatever the device's resolution.
class CardPainter {
public:
    CardPainter(QPainter& painter, const CardJob& job)
        : p_(painter),
          job_(job),
          g_(CardGeometryOf(job.options.style)),
          scale_(painter.device()->logicalDpiX() / 25.4),
          title_(CardFont(g_.titlePoints, true)),
          label_(CardFont(kLabelPoints)),
          value_(CardFont(kValuePoints)) {
        const QFontMetricsF lm(label_, p_.device()), vm(value_, p_.device());
        labelHeight_ = lm.height();
        valueHeight_ = vm.height();
        titleHeight_ = QFontMetricsF(title_, p_.device()).height();
        for (int k = 0; k < 4; ++k)
            if (job.options.remark[k]) labels_[3 + k] = job.options.remarkText[k] + ":";
    }

    void Draw(QPointF topLeftMm, const CardHolder& h) {
        p_.save();
        p_.translate(topLeftMm * scale_);
        const QRectF card = Mm(QRectF(0, 0, g_.width, g_.height));
        // Nothing of a card may run onto its neighbour.
        p_.setClipRect(card);
        if (!job_.background.isNull()) p_.drawImage(card, job_.background);
        if (job_.options.logo && !job_.logo.isNull()) p_.drawImage(Mm(g_.logo), job_.logo);
        DrawPhoto(h.cardno);
        if (job_.options.title) DrawTitle();

        const auto remarks = CardRemarkValues(h.memo);
        const QString values[7] = {QString::number(h.cardno),
                                   h.name,
                                   h.group,
                                   remarks[0],
                                   remarks[1],
                                   remarks[2],
                                   remarks[3]};
        const double valueX = g_.valueX * scale_;
        const double valueRoom = (g_.width - g_.valueX) * scale_;
        for (int i = 0; i < 7; ++i) {
            const double vy = g_.valueY[i] * scale_, ry = g_.ruleY[i] * scale_;
            if (!labels_[i].isEmpty()) {
                p_.setFont(label_);
                p_.setPen(Qt::black);
                p_.drawText(QRectF(0, g_.labelY[i] * scale_, valueX, labelHeight_),
                            Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, labels_[i]);
            }
            if (!job_.options.transparent)
                p_.fillRect(
                    QRectF(valueX, vy, g_.ruleLength * scale_, std::min(valueHeight_, ry - vy)),
                    Qt::white);
            p_.setFont(value_);
            p_.setPen(Qt::black);
            p_.drawText(QRectF(valueX, vy, valueRoom, valueHeight_),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, values[i]);
            p_.setPen(QPen(Qt::black, 0.2 * scale_));
            p_.drawLine(QPointF(valueX, ry), QPointF(valueX + g_.ruleLength * scale_, ry));
        }
        if (job_.options.frame) {
            const double w = 0.3 * scale_;
            p_.setPen(QPen(Qt::black, w));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(card.adjusted(w / 2, w / 2, -w / 2, -w / 2));
        }
        p_.restore();
    }

private:
    QRectF Mm(const QRectF& r) const {
        return QRectF(r.x() * scale_, r.y() * scale_, r.width() * scale_, r.height() * scale_);
    }

    void DrawPhoto(int cardno) {
        // A fresh picture per card: a holder without a photo never shows the one before.
        if (!job_.photoOf) return;
        Picture photo;
        if (!PhotoFromBlob(job_.photoOf(cardno), photo)) return;
        p_.drawImage(Mm(g_.photo), ToImage(photo));
    }

    void DrawTitle() {
        p_.setFont(title_);
        p_.setPen(Qt::black);
        const double y = g_.titleY * scale_;
        if (g_.titleRightAligned)
            p_.drawText(QRectF(0, y, g_.titleX * scale_, titleHeight_),
                        Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, job_.options.titleText);
        else
            p_.drawText(
                QRectF(g_.titleX * scale_, y, (g_.width - g_.titleX) * scale_, titleHeight_),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, job_.options.titleText);
    }

    QPainter& p_;
    const CardJob& job_;
    const CardGeometry& g_;
    double scale_;  // device units per millimetre
    QFont title_, label_, value_;
    double labelHeight_ = 0, valueHeight_ = 0, titleHeight_ = 0;
    QString labels_[7] = {"Card No.:", "Name:", "Group:"};
};

}  // namespace

const CardGeometry& CardGeometryOf(CardStyle style) {
    return style == CardStyle::Horizontal ? kHorizontal : kVertical;
}

std::array<QString, 4> CardRemarkValues(const QString& memo) {
    std::array<QString, 4> out;
    QString text = memo;
    text.replace("\r\n", "\n").replace('\r', '\n');
    const QStringList lines = text.split('\n');
    for (int k = 0; k < 4 && k < lines.size(); ++k) out[k] = lines[k].left(kRemarkLength);
    return out;
}

int CardsPerPage(CardStyle style) {
    const CardGeometry& g = CardGeometryOf(style);
    return g.perRow * RowsPerPage(g);
}

CardPlace PlaceOfCard(CardStyle style, int index) {
    const CardGeometry& g = CardGeometryOf(style);
    const int perPage = CardsPerPage(style);
    const int onPage = index % perPage;
    const int row = onPage / g.perRow, column = onPage % g.perRow;
    return {index / perPage, QPointF(column * (g.width + g.columnGap), row * g.rowPitch)};
}

int RenderCards(const CardJob& job, QPagedPaintDevice& device) {
    if (job.holders.empty()) return 0;
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kCardMarginLeft, kCardMarginTop, kCardMarginRight, kCardMarginBottom),
                    QPageLayout::Millimeter));
    QPainter painter(&device);
    if (!painter.isActive()) return 0;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    CardPainter card(painter, job);
    int page = 0;
    for (size_t i = 0; i < job.holders.size(); ++i) {
        const CardPlace place = PlaceOfCard(job.options.style, int(i));
        if (place.page != page) {
            device.newPage();
            page = place.page;
        }
        card.Draw(place.topLeft, job.holders[i]);
    }
    painter.end();
    return page + 1;
}

bool WriteCardsPdf(const CardJob& job, const QString& path, QString* error) {
    return WritePagesPdf([&job](QPagedPaintDevice& d) { return RenderCards(job, d); },
                         "Member Cards", path, error);
}

CardJob MakeCardJob(const CardLayout& layout, std::vector<CardHolder> holders,
                    std::function<QByteArray(int cardno)> photoOf) {
    CardJob job;
    job.options = layout.options;
    job.background = ToImage(layout.background);
    job.logo = ToImage(layout.logo);
    job.holders = std::move(holders);
    job.photoOf = std::move(photoOf);
    return job;
}

}  // namespace horalog
