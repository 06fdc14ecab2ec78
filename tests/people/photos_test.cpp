#include "people/photos.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include "support/recording_ports.h"

using namespace horalog;
using horalog::testing::RecordingFileDialogs;
using horalog::testing::RecordingMessages;
using horalog::testing::RecordingProgress;

namespace {

// A picture whose every byte depends on position and channel, so any mixed-up pixel shows.
Picture Pattern(int w, int h) {
    Picture p;
    p.width = w;
    p.height = h;
    p.pixels.resize(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k)
                p.pixel(x, y)[k] = std::uint8_t((x * 37 + y * 91 + k * 71 + x * y) % 256);
    return p;
}

// The resampling formulas written out once more, literally: every multiply-then-divide rounds
// to nearest, and every source read goes through a checked accessor. A read outside the
// source is only tolerated with weight 0 (it then contributes nothing).
Picture ReferenceResample(const Picture& src, int W, int H, bool* readOutside) {
    auto muldiv = [](long long a, long long b, long long c) { return (a * b + c / 2) / c; };
    Picture dst;
    dst.width = W;
    dst.height = H;
    dst.pixels.resize(std::size_t(W) * H * 3);
    const int Sw = src.width, Sh = src.height;
    if (Sw == W && Sh == H) return src;
    long long xstep = muldiv(Sw - 1, 65536, W);
    long long ystep = muldiv(Sh - 1, 65536, H);
    for (int y = 0; y < H; ++y) {
        long long sy = y * ystep;
        int r0 = int(sy >> 16);
        int r1 = r0 == Sh - 1 ? r0 : r0 + 1;
        long long fy = sy & 0xFFFF;
        long long T = 65536 - fy, B = fy + 1;
        for (int x = 0; x < W; ++x) {
            long long sx = x * xstep;
            int c0 = int(sx >> 16);
            long long fx = sx & 0xFFFF;
            long long eT = muldiv(fx, T, 65536), eB = muldiv(fx, B, 65536);
            for (int k = 0; k < 3; ++k) {
                auto at = [&](int r, int c, long long weight) -> long long {
                    if (r >= Sh || c >= Sw) {
                        if (weight != 0) *readOutside = true;
                        return 0;
                    }
                    return src.pixel(c, r)[k];
                };
                long long v = (T - eT) * at(r0, c0, T - eT) + eT * at(r0, c0 + 1, eT) +
                              (B - eB) * at(r1, c0, B - eB) + eB * at(r1, c0 + 1, eB);
                dst.pixel(x, y)[k] = std::uint8_t(v >> 16);
            }
        }
    }
    return dst;
}

TEST(ResamplePicture, MatchesTheFormulasByteForByte) {
    struct Case {
        int sw, sh, w, h;
    };
    const Case cases[] = {
        {1, 1, 240, 320},   {1, 9, 240, 320},     {9, 1, 240, 320},     {320, 240, 240, 320},
        {37, 53, 240, 320}, {640, 480, 240, 320}, {240, 320, 120, 160}, {5, 7, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h);
        const Picture src = Pattern(c.sw, c.sh);
        bool outside = false;
        const Picture expected = ReferenceResample(src, c.w, c.h, &outside);
        EXPECT_FALSE(outside);
        Picture got = src;
        ResamplePicture(got, c.w, c.h);
        ASSERT_EQ(got.width, c.w);
        ASSERT_EQ(got.height, c.h);
        EXPECT_TRUE(got.pixels == expected.pixels);
    }
}

TEST(ResamplePicture, OneColumnSourceFillsEveryColumnWithIt) {
    for (const Picture& src : {Pattern(1, 1), Pattern(1, 5)}) {
        const Picture got = Resampled(src, 240, 320);
        for (int y = 0; y < 320; ++y)
            for (int x = 1; x < 240; ++x)
                ASSERT_TRUE(std::equal(got.pixel(x, y), got.pixel(x, y) + 3, got.pixel(0, y)));
        EXPECT_TRUE(std::equal(got.pixel(0, 0), got.pixel(0, 0) + 3, src.pixel(0, 0)));
    }
}

TEST(ResamplePicture, WideEnlargementStaysOnTheLastColumn) {
    // 2 -> 1000 columns: the rounded step (66 instead of 65.536) lands the last columns on
    // source column 1 with a non-zero fraction; the neighbour must be column 1 again, never
    // the first pixel of the next row.
    Picture src = WhitePicture(2, 2);
    std::fill_n(src.pixel(0, 1), 6, 0);  // second row black
    Picture got = Resampled(src, 1000, 2);
    for (int x = 990; x < 1000; ++x) EXPECT_EQ(got.pixel(x, 0)[0], 255) << x;
}

TEST(ResamplePicture, SameSizeCopiesAndDegenerateSizes) {
    Picture src = Pattern(3, 2);
    EXPECT_EQ(Resampled(src, 3, 2), src);
    EXPECT_TRUE(Resampled(src, 0, 320).isEmpty());
    EXPECT_EQ(Resampled(Picture{}, 4, 5), WhitePicture(4, 5));
}

TEST(RotatePicture, TurnsCounterClockwiseWithProgress) {
    // 2 wide, 3 high:  a b      becomes 3 wide, 2 high:  b d f
    //                  c d                               a c e
    //                  e f
    Picture p;
    p.width = 2;
    p.height = 3;
    for (std::uint8_t v : {'a', 'b', 'c', 'd', 'e', 'f'})
        p.pixels.insert(p.pixels.end(), {v, std::uint8_t(v + 100), std::uint8_t(v + 50)});
    RecordingProgress progress;
    RotatePicture(p, progress);
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    std::string firstBytes;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) firstBytes += char(p.pixel(x, y)[0]);
    EXPECT_EQ(firstBytes, "bdface");
    EXPECT_EQ(p.pixel(0, 0)[1], 'b' + 100);
    EXPECT_EQ(p.pixel(0, 0)[2], 'b' + 50);
    ASSERT_EQ(progress.runs.size(), 1);
    EXPECT_EQ(progress.runs[0].caption, "Rotating");
    EXPECT_EQ(progress.runs[0].maximum, 3);
    EXPECT_EQ(progress.runs[0].position, 3);
    EXPECT_TRUE(progress.runs[0].closed);
}

struct JpegFrame {
    bool baseline = false, progressive = false;
    int width = 0, height = 0, components = 0;
};

// Reads the frame header from the markers of the stream itself.
JpegFrame ReadFrame(const QByteArray& jpeg) {
    JpegFrame f;
    auto u8 = [&](qsizetype i) { return int(static_cast<unsigned char>(jpeg[i])); };
    qsizetype i = 2;  // after SOI
    while (i + 9 < jpeg.size() && u8(i) == 0xFF) {
        const int marker = u8(i + 1);
        const int length = u8(i + 2) << 8 | u8(i + 3);
        if (marker == 0xC0 || marker == 0xC2) {
            f.baseline = marker == 0xC0;
            f.progressive = marker == 0xC2;
            f.height = u8(i + 5) << 8 | u8(i + 6);
            f.width = u8(i + 7) << 8 | u8(i + 8);
            f.components = u8(i + 9);
            break;
        }
        i += 2 + length;
    }
    return f;
}

TEST(HolderPhotoBlob, NewHolderWithoutPhotoStoresWhite240x320Jpeg) {
    // What the editor holds for a new holder: the cleared picture.
    Picture editor;
    ClearPicture(editor);
    EXPECT_EQ(editor, WhitePicture(100, 100));
    for (const Picture& held : {editor, Picture{}}) {
        QByteArray blob;
        ASSERT_TRUE(HolderPhotoBlob(held, blob));
        ASSERT_EQ(blob.left(2), QByteArray("\xFF\xD8"));
        const JpegFrame f = ReadFrame(blob);
        EXPECT_TRUE(f.baseline);
        EXPECT_EQ(f.width, 240);
        EXPECT_EQ(f.height, 320);
        EXPECT_EQ(f.components, 3);

        // A second, independent decoder.
        QBuffer buffer(&blob);
        QImageReader reader(&buffer, "jpeg");
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(240, 320));
        for (QPoint at : {QPoint(0, 0), QPoint(239, 319), QPoint(120, 160)})
            EXPECT_EQ(image.pixelColor(at), QColor(Qt::white));
    }
}

TEST(HolderPhotoBlob, LandscapePictureIsStretchedToPortrait) {
    Picture landscape = Pattern(320, 240);
    QByteArray blob;
    ASSERT_TRUE(HolderPhotoBlob(landscape, blob));
    Picture back;
    ASSERT_TRUE(PhotoFromBlob(blob, back));
    EXPECT_EQ(back.width, 240);
    EXPECT_EQ(back.height, 320);
}

TEST(PhotoBlob, RoundTripKeepsColoursWithinJpegLoss) {
    Picture src = WhitePicture(48, 64);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            std::uint8_t* p = src.pixel(x, y);
            p[0] = 200, p[1] = 40, p[2] = 10;  // B G R: a blue picture top half
        }
    QByteArray blob;
    ASSERT_TRUE(PhotoToBlob(blob, src));
    Picture back;
    ASSERT_TRUE(PhotoFromBlob(blob, back));
    ASSERT_EQ(back.width, 48);
    ASSERT_EQ(back.height, 64);
    const std::uint8_t* top = back.pixel(10, 10);
    EXPECT_NEAR(top[0], 200, 6);
    EXPECT_NEAR(top[1], 40, 6);
    EXPECT_NEAR(top[2], 10, 6);
    EXPECT_NEAR(back.pixel(10, 50)[0], 255, 3);
    // the colour order agrees with Qt's view of the same stream
    QImage viaQt = QImage::fromData(blob, "JPEG");
    EXPECT_NEAR(viaQt.pixelColor(10, 10).blue(), 200, 6);
    EXPECT_NEAR(viaQt.pixelColor(10, 10).red(), 10, 6);
}

TEST(PhotoFromBlob, NoPhotoLeavesThePictureAlone) {
    QByteArray good;
    ASSERT_TRUE(PhotoToBlob(good, Pattern(16, 16)));
    // a header that claims 65535 x 65535 pixels
    QByteArray huge = good;
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = char(0xFF);

    const QByteArray blobs[] = {QByteArray(), QByteArray("not a jpeg at all"), good.left(20), huge};
    for (const QByteArray& blob : blobs) {
        Picture p = WhitePicture(3, 3);
        EXPECT_FALSE(PhotoFromBlob(blob, p)) << blob.size();
        EXPECT_EQ(p, WhitePicture(3, 3));
    }
    // a failed stream does not spoil the next one
    Picture p;
    EXPECT_TRUE(PhotoFromBlob(good, p));
    EXPECT_EQ(p.width, 16);

    Picture empty;
    QByteArray untouched("x");
    EXPECT_FALSE(PhotoToBlob(untouched, empty));
    EXPECT_EQ(untouched, "x");
}

class PictureFiles : public ::testing::Test {
protected:
    QString path(const QString& name) { return dir.filePath(name); }
    QTemporaryDir dir;
    RecordingMessages messages;
};

TEST_F(PictureFiles, LoadsBitmapsAndJpegsByExtension) {
    const Picture src = Pattern(30, 20);
    ASSERT_TRUE(ToImage(src).save(path("a.bmp"), "BMP"));
    ASSERT_TRUE(SavePictureFile(src, path("b.JPEG")));

    Picture p;
    ASSERT_TRUE(LoadPictureFromPath(p, path("a.bmp"), 0, 0, messages));
    EXPECT_EQ(p, src);  // bitmaps are lossless
    ASSERT_TRUE(LoadPictureFromPath(p, path("b.JPEG"), 0, 0, messages));
    EXPECT_EQ(p.width, 30);
    EXPECT_EQ(p.height, 20);
    ASSERT_TRUE(LoadPictureFromPath(p, path("a.bmp"), 240, 320, messages));
    EXPECT_EQ(p, Resampled(src, 240, 320));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(PictureFiles, RefusedFilesLeaveThePictureUnchanged) {
    QFile png(path("c.png"));
    ASSERT_TRUE(png.open(QIODevice::WriteOnly));
    png.close();
    QFile bad(path("d.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("garbage");
    bad.close();

    struct Case {
        QString file;
        QString message;  // empty: nothing shown
    };
    const Case cases[] = {
        {"c.png", "Unknown file extension."},
        {"noextension", "Unknown file extension."},
        {"missing.jpg", ""},
        {"d.jpg", text::kPictureNotLoaded},
        {"missing.bmp", text::kPictureNotLoaded},
    };
    for (const auto& c : cases) {
        messages.clear();
        Picture p = WhitePicture(2, 2);
        EXPECT_FALSE(LoadPictureFromPath(p, path(c.file), 0, 0, messages)) << c.file.toStdString();
        EXPECT_EQ(p, WhitePicture(2, 2));
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(messages.shown[0].kind, "error");
        }
    }
}

TEST_F(PictureFiles, LoadAsksForAFileWithTheFilter) {
    ASSERT_TRUE(SavePictureFile(Pattern(8, 6), path("e.jpg")));
    RecordingFileDialogs files;
    files.answers = {"", path("e.jpg")};
    Picture p;
    EXPECT_FALSE(LoadPictureFile(p, 0, 0, files, messages));  // cancelled
    EXPECT_TRUE(LoadPictureFile(p, 0, 0, files, messages));
    EXPECT_EQ(p.width, 8);
    ASSERT_EQ(files.asked.size(), 2);
    EXPECT_TRUE(files.asked[0].endsWith(
        "Images (*.jpg *.jpeg *.bmp);;JPEG (*.jpg *.jpeg);;Bitmap (*.bmp);;All Files (*)"));
    EXPECT_FALSE(SavePictureFile(p, path("no/such/folder/x.jpg")));
}

}  // namespace
