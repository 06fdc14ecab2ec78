#include "printing/member_list.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include "common/format.h"
#include "printing/report_renderer.h"

namespace horalog {

namespace {

const char* const kHeadings[4] = {"Card No.", "Name", "Group", "Remark"};

QFont ListFont(double points) {
    QFont f(kCardFontFamily);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    return f;
}

// The memo on one row: its lines joined.
QString OneLine(const QString& text) {
    QString s = text;
    s.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
    return s.trimmed();
}

QStringList Cells(const CardHolder& h) {
    return {QString::number(h.cardno), h.name, h.group, OneLine(h.memo)};
}

class ListPainter {
public:
    ListPainter(const MemberList& list, QPagedPaintDevice& device)
        : list_(list), device_(device), painter_(&device) {
        scale_ = device.logicalDpiX() / 25.4;
        width_ = device.width();
        height_ = device.height();
        title_ = ListFont(18);
        title_.setUnderline(true);
        small_ = ListFont(9);
        heading_ = ListFont(10);
        heading_.setUnderline(true);
        row_ = ListFont(10);
        rowHeight_ = QFontMetricsF(row_, &device).height() * 1.2;
        titleHeight_ = QFontMetricsF(title_, &device).height();
        smallHeight_ = QFontMetricsF(small_, &device).height();
        footerHeight_ = smallHeight_ * 1.5;
    }

    int Run() {
        if (!painter_.isActive()) return 0;
        StartPage();
        for (const CardHolder& h : list_.rows) {
            if (y_ + rowHeight_ > height_ - footerHeight_) {
                FinishPage();
                device_.newPage();
                StartPage();
            }
            DrawRow(row_, Cells(h));
            y_ += rowHeight_;
        }
        FinishPage();
        painter_.end();
        return page_;
    }

private:
    double ColumnX(int c) const { return kMemberColumns[c] * scale_; }

    void DrawRow(const QFont& font, const QStringList& cells) {
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        const QFontMetricsF fm(font, &device_);
        for (int c = 0; c < 4; ++c) {
            // A cell never runs into the next column.
            const double right = c < 3 ? ColumnX(c + 1) - 1.0 * scale_ : width_;
            const QRectF cell(ColumnX(c), y_, right - ColumnX(c), rowHeight_);
            painter_.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                              fm.elidedText(cells[c], Qt::ElideRight, cell.width()));
        }
    }

    void StartPage() {
        ++page_;
        painter_.setPen(Qt::black);
        painter_.setFont(title_);
        painter_.drawText(QRectF(0, 0, width_, titleHeight_), Qt::AlignHCenter | Qt::AlignTop,
                          kMemberListTitle);
        painter_.setFont(small_);
        painter_.drawText(QRectF(0, titleHeight_, width_, smallHeight_ * 1.5),
                          Qt::AlignLeft | Qt::AlignVCenter, "Horalog");
        y_ = titleHeight_ + smallHeight_ * 2;
        DrawRow(heading_, {kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3]});
        y_ += rowHeight_ * 1.2;
    }

    void FinishPage() {
        painter_.setFont(small_);
        painter_.setPen(Qt::black);
        const QRectF row(0, height_ - footerHeight_, width_, footerHeight_);
        painter_.drawLine(row.topLeft(), row.topRight());
        painter_.drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                          "Printed on " + FormatDateTime("d/mmm/yyyy HH:mm:ss", list_.printedOn));
        painter_.drawText(row, Qt::AlignRight | Qt::AlignVCenter, "P. " + QString::number(page_));
    }

    const MemberList& list_;
    QPagedPaintDevice& device_;
    QPainter painter_;
    QFont title_, small_, heading_, row_;
    double scale_ = 1, width_ = 0, height_ = 0, y_ = 0;
    double rowHeight_ = 0, titleHeight_ = 0, smallHeight_ = 0, footerHeight_ = 0;
    int page_ = 0;
};

}  // namespace

int RenderMemberList(const MemberList& list, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kMemberMarginLeft, kMemberMarginTop, kMemberMarginRight, kMemberMarginBottom),
        QPageLayout::Millimeter));
    return ListPainter(list, device).Run();
}

bool WriteMemberListPdf(const MemberList& list, const QString& path, QString* error) {
    return WritePagesPdf([&list](QPagedPaintDevice& d) { return RenderMemberList(list, d); },
                         kMemberListTitle, path, error);
}

QStringList MemberListTextLines(const MemberList& list) {
    auto line = [](const QStringList& cells) {
        return (cells[0].leftJustified(10) + ' ' + cells[1].leftJustified(24) + ' ' +
                cells[2].leftJustified(19) + ' ' + cells[3])
            .trimmed();
    };
    QStringList lines{kMemberListTitle, QString()};
    lines << line({kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3]});
    for (const CardHolder& h : list.rows) lines << line(Cells(h));
    return lines;
}

}  // namespace horalog
