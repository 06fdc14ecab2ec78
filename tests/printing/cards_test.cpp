// Identity cards and the member list, read back from the PDF: word positions with
// pdftotext -bbox, colours with pdftoppm.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <map>

#include "attendance/report_fixture.h"
#include "cli/card_command.h"
#include "printing/card_document.h"
#include "printing/member_list.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;

struct Word {
    QString text;
    int page;
    double x0, y0, x1, y1;  // millimetres from the page's top-left corner
};

std::vector<Word> PdfWords(const QString& path) {
    QProcess p;
    p.start("/usr/bin/pdftotext", {"-bbox", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<Word> words;
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0) == "<page ") {
            ++page;
            continue;
        }
        words.push_back(
            {m.captured(5).replace("&amp;", "&").replace("&lt;", "<"), page,
             m.captured(1).toDouble() * kMmPerPoint, m.captured(2).toDouble() * kMmPerPoint,
             m.captured(3).toDouble() * kMmPerPoint, m.captured(4).toDouble() * kMmPerPoint});
    }
    return words;
}

std::vector<Word> Find(const std::vector<Word>& words, const QString& text) {
    std::vector<Word> out;
    for (const Word& w : words)
        if (w.text == text) out.push_back(w);
    return out;
}

// The first page at 72 dots per inch.
QImage PageImage(const QString& pdf) {
    QProcess p;
    const QString stem = pdf + "-page";
    p.start("/usr/bin/pdftoppm",
            {"-r", "72", "-f", "1", "-l", "1", "-singlefile", "-png", pdf, stem});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QImage(stem + ".png");
}

QImage Filled(QColor colour, int w = 40, int h = 40) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QByteArray PhotoBlob(QColor colour) {
    QByteArray blob;
    EXPECT_TRUE(PhotoToBlob(blob, FromImage(Filled(colour, kPhotoWidth, kPhotoHeight))));
    return blob;
}

CardHolder Holder(int card, const QString& name, const QString& memo = {}) {
    return {card, name, "OFFICE", memo};
}

CardJob Job(CardStyle style, std::vector<CardHolder> holders) {
    CardJob job;
    job.options.style = style;
    job.holders = std::move(holders);
    return job;
}

QString Write(const CardJob& job, const QTemporaryDir& dir, const char* name = "cards.pdf") {
    const QString path = dir.filePath(name);
    QString why;
    EXPECT_TRUE(WriteCardsPdf(job, path, &why)) << why.toStdString();
    return path;
}

// Page position of a card element: the margins, the card's place, the element.
constexpr double kLeft = 15.0, kTop = 10.0;

TEST(CardPage, WordsSitWhereTheLayoutSays) {
    struct Case {
        CardStyle style;
        double columnPitch;  // card width + gap
        double valueX, cardNoY, labelY, nameY, remarkLabelY;
        const char* titleWord;
        double titleX;  // left edge (horizontal) or right edge (vertical)
        double titleY;
    };
    const Case cases[] = {
        {CardStyle::Horizontal, 95.0, 47.4, 14.6, 15.4, 19.8, 31.3, "STAFF", 3.2, 4.0},
        {CardStyle::Vertical, 59.0, 17.0, 46.2, 47.1, 51.5, 63.0, "CARD", 51.4, 3.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style == CardStyle::Horizontal ? "horizontal" : "vertical");
        QTemporaryDir dir;
        const auto words =
            PdfWords(Write(Job(c.style, {Holder(101, "ALICE"), Holder(102, "BRUNO")}), dir));
        auto one = [&](const QString& text, int index = 0) {
            const auto found = Find(words, text);
            EXPECT_GT(int(found.size()), index) << text.toStdString();
            return int(found.size()) > index ? found[index] : Word{};
        };
        const double tol = 0.5;
        // The label ends where its value begins.
        EXPECT_NEAR(one("No.:").x1, kLeft + c.valueX, tol);
        EXPECT_NEAR(one("Card").y0, kTop + c.labelY, tol);
        EXPECT_NEAR(one("101").x0, kLeft + c.valueX, tol);
        EXPECT_NEAR(one("101").y0, kTop + c.cardNoY, tol);
        EXPECT_NEAR(one("ALICE").x0, kLeft + c.valueX, tol);
        EXPECT_NEAR(one("ALICE").y0, kTop + c.nameY, tol);
        EXPECT_NEAR(one("Remark:").x1, kLeft + c.valueX, tol);
        EXPECT_NEAR(one("Remark:").y0, kTop + c.remarkLabelY, tol);
        const Word title = one(c.titleWord);
        EXPECT_NEAR(c.style == CardStyle::Horizontal ? title.x0 : title.x1, kLeft + c.titleX, tol);
        EXPECT_NEAR(title.y0, kTop + c.titleY, tol);
        // the second card of the row, one column pitch to the right
        EXPECT_NEAR(one("BRUNO").x0, kLeft + c.columnPitch + c.valueX, tol);
        EXPECT_NEAR(one("BRUNO").y0, kTop + c.nameY, tol);
        EXPECT_NEAR(one(c.titleWord, 1).y0, kTop + c.titleY, tol);
    }
}

TEST(CardPage, CardsFillRowsThenPages) {
    struct Case {
        CardStyle style;
        int holders;
        std::vector<std::vector<int>> rowsPerPage;  // cards in each row of each page
        double columnPitch, rowPitch, valueX, nameY;
    };
    const Case cases[] = {
        {CardStyle::Vertical, 7, {{3, 3, 1}}, 59.0, 87.3, 17.0, 51.5},
        {CardStyle::Horizontal, 9, {{2, 2, 2, 2}, {1}}, 95.0, 56.0, 47.4, 19.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holders);
        std::vector<CardHolder> holders;
        for (int i = 0; i < c.holders; ++i)
            holders.push_back(Holder(200 + i, QString("HOLDER%1").arg(i)));
        QTemporaryDir dir;
        const auto words = PdfWords(Write(Job(c.style, holders), dir));
        int next = 0;
        for (size_t page = 0; page < c.rowsPerPage.size(); ++page) {
            for (size_t row = 0; row < c.rowsPerPage[page].size(); ++row) {
                for (int column = 0; column < c.rowsPerPage[page][row]; ++column, ++next) {
                    const auto found = Find(words, QString("HOLDER%1").arg(next));
                    ASSERT_EQ(found.size(), 1u) << next;
                    EXPECT_EQ(found[0].page, int(page)) << next;
                    EXPECT_NEAR(found[0].x0, kLeft + column * c.columnPitch + c.valueX, 0.5)
                        << next;
                    EXPECT_NEAR(found[0].y0, kTop + row * c.rowPitch + c.nameY, 0.5) << next;
                }
            }
        }
        EXPECT_EQ(next, c.holders);
    }
}

TEST(CardPage, RemarkValuesAreTheFirstFourMemoLinesCutTo38) {
    const QString fifty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx";
    ASSERT_EQ(fifty.size(), 50);
    const QString memo = fifty + "\r\nSECOND\nTHIRD\nFOURTH\nFIFTH\nSIXTH";
    CardJob job = Job(CardStyle::Horizontal, {Holder(101, "ALICE", memo)});
    job.options.remark = {true, false, true, false};  // line 2 unticked: value without label
    job.options.remarkText = {"Note", "Phone", "Room", "Unused"};
    QTemporaryDir dir;
    const auto words = PdfWords(Write(job, dir));
    QStringList texts;
    for (const Word& w : words) texts << w.text;
    EXPECT_TRUE(texts.contains(fifty.left(38))) << texts.join(' ').toStdString();
    EXPECT_FALSE(texts.contains(fifty.left(39)));
    for (const char* present : {"SECOND", "THIRD", "FOURTH", "Note:", "Room:"})
        EXPECT_TRUE(texts.contains(present)) << present;
    for (const char* absent : {"FIFTH", "SIXTH", "Phone:", "Unused:"})
        EXPECT_FALSE(texts.contains(absent)) << absent;
    // the unlabelled value keeps its own line
    const auto second = Find(words, "SECOND");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NEAR(second[0].y0, kTop + 35.7, 0.5);

    EXPECT_EQ(CardRemarkValues("one"), (std::array<QString, 4>{"one", "", "", ""}));
}

TEST(CardPage, PicturesBackgroundsAndTheMissingPhoto) {
    const QColor blue(0, 0, 200), red(220, 0, 0), green(0, 180, 0);
    // Points of the first two cards of a horizontal page, in millimetres on the page.
    const QPointF photo1(kLeft + 2.6 + 12, kTop + 18.5 + 16);
    const QPointF photo2 = photo1 + QPointF(95, 0);
    const QPointF logo1(kLeft + 68.8 + 7, kTop + 1.3 + 7);
    const QPointF valueGap(kLeft + 47.4 + 30, kTop + 14.6 + 2);  // beside the short "101"
    struct Case {
        bool transparent, logo;
        QColor valueGap, logo1;
    };
    const Case cases[] = {{true, false, blue, blue}, {false, true, Qt::white, green}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transparent);
        CardJob job = Job(CardStyle::Horizontal, {Holder(101, "ALICE"), Holder(102, "BRUNO")});
        job.background = Filled(blue);
        job.logo = Filled(green);
        job.options.logo = c.logo;
        job.options.transparent = c.transparent;
        const QByteArray alice = PhotoBlob(red);
        // BRUNO's blob does not decode: his photo area shows the background.
        job.photoOf = [&](int card) { return card == 101 ? alice : QByteArray("not a jpeg"); };
        QTemporaryDir dir;
        const QImage page = PageImage(Write(job, dir));
        ASSERT_FALSE(page.isNull());
        auto at = [&](QPointF mm) {
            return page.pixelColor(int(mm.x() / 25.4 * 72), int(mm.y() / 25.4 * 72));
        };
        auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <
                   60;
        };
        EXPECT_TRUE(near(at(photo1), red)) << at(photo1).name().toStdString();
        EXPECT_TRUE(near(at(photo2), blue)) << at(photo2).name().toStdString();
        EXPECT_TRUE(near(at(valueGap), c.valueGap)) << at(valueGap).name().toStdString();
        EXPECT_TRUE(near(at(logo1), c.logo1)) << at(logo1).name().toStdString();
    }
}

}  // namespace
