#include "printing/report_renderer.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "common/format.h"

namespace horalog {

namespace {

QFont MakeFont(bool fixed, qreal points) {
    QFont f(fixed ? "DejaVu Sans Mono" : "DejaVu Sans");
    f.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    f.setFixedPitch(fixed);
    f.setPointSizeF(points);
    return f;
}

const QColor kYellow(255, 255, 160);

class PageRenderer {
public:
    PageRenderer(const ReportDocument& doc, QPagedPaintDevice& device)
        : doc_(doc), device_(device), painter_(&device) {
        width_ = device.width();
        height_ = device.height();
        detail_ = MakeFont(true, 9);
        heading_ = MakeFont(false, 11);
        title_ = MakeFont(false, 18);
        title_.setUnderline(true);
        small_ = MakeFont(false, 9);
        lineHeight_ = QFontMetricsF(detail_, &device).height() * 1.15;
        headingHeight_ = QFontMetricsF(heading_, &device).height() * 1.6;
        totalHeight_ = lineHeight_ * 1.5;
        const qreal titleHeight = QFontMetricsF(title_, &device).height();
        const qreal smallHeight = QFontMetricsF(small_, &device).height();
        headerHeight_ = titleHeight + smallHeight * 1.5;
        footerHeight_ = smallHeight * 1.5;
    }

    int Run() {
        if (!painter_.isActive()) return 0;
        StartPage();
        bool pageHasBands = false;
        for (const auto& band : doc_.bands) {
            if (band.kind == BandKind::PageBreak) {
                if (pageHasBands) NewPage();
                pageHasBands = false;
                continue;
            }
            const qreal h = HeightOf(band.kind);
            if (y_ + h > height_ - footerHeight_ && pageHasBands) NewPage();
            DrawBand(band, h);
            y_ += h;
            pageHasBands = true;
        }
        FinishPage();
        painter_.end();
        return page_;
    }

private:
    qreal HeightOf(BandKind kind) const {
        switch (kind) {
            case BandKind::Heading:
                return headingHeight_;
            case BandKind::Total:
                return totalHeight_;
            default:
                return lineHeight_;
        }
    }

    void StartPage() {
        ++page_;
        const qreal titleHeight = QFontMetricsF(title_, &device_).height();
        painter_.setPen(Qt::black);
        painter_.setFont(title_);
        painter_.drawText(QRectF(0, 0, width_, titleHeight), Qt::AlignHCenter | Qt::AlignTop,
                          doc_.title);
        painter_.setFont(small_);
        const QRectF row(0, titleHeight, width_, headerHeight_ - titleHeight);
        painter_.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, "Horalog");
        painter_.drawText(row, Qt::AlignRight | Qt::AlignVCenter, doc_.rangeText);
        painter_.drawLine(QPointF(0, headerHeight_), QPointF(width_, headerHeight_));
        y_ = headerHeight_ + lineHeight_ * 0.5;
    }

    void FinishPage() {
        painter_.setFont(small_);
        painter_.setPen(Qt::black);
        const QRectF row(0, height_ - footerHeight_, width_, footerHeight_);
        painter_.drawLine(row.topLeft(), row.topRight());
        painter_.drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                          "Printed on " + FormatDateTime("d/mmm/yyyy HH:mm:ss", doc_.printedOn));
        painter_.drawText(row, Qt::AlignRight | Qt::AlignVCenter, "P. " + QString::number(page_));
    }

    void NewPage() {
        FinishPage();
        device_.newPage();
        StartPage();
    }

    // A line too wide for the page is drawn smaller rather than cut off.
    QFont Fitted(const QFont& font, const QString& text, qreal room) const {
        const qreal w = QFontMetricsF(font, &device_).horizontalAdvance(text);
        if (w <= room) return font;
        QFont f = font;
        f.setPointSizeF(std::max(4.0, font.pointSizeF() * room / w * 0.98));
        return f;
    }

    void DrawBand(const Band& band, qreal h) {
        const QRectF rect(0, y_, width_, h);
        if (band.fill != BandFill::None)
            painter_.fillRect(rect, band.fill == BandFill::Yellow ? kYellow : QColor(Qt::white));
        if (band.kind == BandKind::Blank) return;
        const qreal pad = width_ * 0.005;
        const QFont& base = band.kind == BandKind::Heading ? heading_ : detail_;
        painter_.setFont(Fitted(base, band.text, width_ - 2 * pad));
        painter_.setPen(Qt::black);
        if (band.kind == BandKind::Heading || band.kind == BandKind::Total)
            painter_.drawRect(rect.adjusted(0, h * 0.08, 0, -h * 0.08));
        painter_.drawText(rect.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          band.text);
    }

    const ReportDocument& doc_;
    QPagedPaintDevice& device_;
    QPainter painter_;
    QFont detail_, heading_, title_, small_;
    qreal width_ = 0, height_ = 0, y_ = 0;
    qreal lineHeight_ = 0, headingHeight_ = 0, totalHeight_ = 0, headerHeight_ = 0,
          footerHeight_ = 0;
    int page_ = 0;
};

}  // namespace

int RenderDocument(const ReportDocument& doc, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 10, 15, 10), QPageLayout::Millimeter));
    return PageRenderer(doc, device).Run();
}

bool WritePagesPdf(const PagePainter& paint, const QString& title, const QString& path,
                   QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator("Horalog");
        if (paint(writer) == 0) {
            if (error) *error = "cannot draw the pages";
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteReportPdf(const ReportDocument& doc, const QString& path, QString* error) {
    return WritePagesPdf([&doc](QPagedPaintDevice& d) { return RenderDocument(doc, d); },
                         doc.title, path, error);
}

QStringList DocumentTextLines(const ReportDocument& doc) {
    QStringList lines{doc.title, doc.rangeText, QString()};
    for (const auto& band : doc.bands) {
        if (band.kind == BandKind::PageBreak) continue;
        lines << band.text;
    }
    return lines;
}

}  // namespace horalog
