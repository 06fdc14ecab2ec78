#include "people/photos.h"

#include <turbojpeg.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <memory>

namespace horalog {

namespace {

// A blob that claims more pixels than this is refused before anything is allocated: a few
// header bytes must not make the program reserve gigabytes. Camera pictures stay well below.
constexpr qint64 kMaxDecodedPixels = 64LL * 1024 * 1024;

struct TjDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

// A fresh handle per call: after a failed read a handle can stay in a state that refuses the
// next stream, and the web reporter decodes photos on threads of its own.
TjHandle Decompressor() {
    return TjHandle(tjInitDecompress());
}
TjHandle Compressor() {
    return TjHandle(tjInitCompress());
}

// Multiply-then-divide rounded to nearest; every operand here is non-negative.
inline std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    return (a * b + c / 2) / c;
}

}  // namespace

Picture WhitePicture(int width, int height) {
    Picture p;
    if (width <= 0 || height <= 0) return p;
    p.width = width;
    p.height = height;
    p.pixels.assign(std::size_t(width) * height * 3, 0xFF);
    return p;
}

bool PhotoFromBlob(const QByteArray& blob, Picture& picture) {
    if (blob.isEmpty()) return false;
    const TjHandle handle = Decompressor();
    tjhandle tj = handle.get();
    if (!tj) return false;
    auto* data = reinterpret_cast<const unsigned char*>(blob.constData());
    const auto size = static_cast<unsigned long>(blob.size());
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(tj, data, size, &width, &height, &subsamp, &colorspace) != 0)
        return false;
    if (width <= 0 || height <= 0 || qint64(width) * height > kMaxDecodedPixels) return false;
    Picture decoded;
    decoded.width = width;
    decoded.height = height;
    decoded.pixels.resize(std::size_t(width) * height * 3);
    // A warning (a truncated stream, stray bytes) still delivers the picture: showing most of
    // a photo beats replacing it with white on the next save.
    if (tjDecompress2(tj, data, size, decoded.pixels.data(), width, width * 3, height, TJPF_BGR,
                      0) != 0 &&
        tjGetErrorCode(tj) != TJERR_WARNING)
        return false;
    picture = std::move(decoded);
    return true;
}

bool PhotoToBlob(QByteArray& blob, const Picture& picture) {
    if (picture.isEmpty() ||
        picture.pixels.size() != std::size_t(picture.width) * picture.height * 3)
        return false;
    const TjHandle handle = Compressor();
    tjhandle tj = handle.get();
    if (!tj) return false;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    // tjCompress2 writes baseline JPEG (8-bit tables forced) unless asked for progressive.
    const int rc =
        tjCompress2(tj, picture.pixels.data(), picture.width, picture.width * 3, picture.height,
                    TJPF_BGR, &out, &outSize, TJSAMP_420, kPhotoQuality, 0);
    if (rc == 0 && out) blob = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    tjFree(out);
    return rc == 0;
}

bool HolderPhotoBlob(const Picture& editorPicture, QByteArray& blob) {
    if (editorPicture.isEmpty()) return PhotoToBlob(blob, WhitePicture(kPhotoWidth, kPhotoHeight));
    return PhotoToBlob(blob, Resampled(editorPicture, kPhotoWidth, kPhotoHeight));
}

Picture Resampled(const Picture& source, int width, int height) {
    if (width <= 0 || height <= 0) return Picture{};
    if (source.isEmpty()) return WhitePicture(width, height);
    if (source.width == width && source.height == height) return source;

    const int sw = source.width, sh = source.height;
    const std::int64_t xStep = MulDiv(sw - 1, 65536, width);
    const std::int64_t yStep = MulDiv(sh - 1, 65536, height);

    // Column positions are the same for every row. The step is rounded up to half a unit, so
    // on wide enlargements the last columns can land on the source's last column with a
    // non-zero fraction; their right-hand neighbour is then the last column itself.
    struct Column {
        int c0, c1;
        std::int64_t fx;
    };
    std::vector<Column> columns(width);
    for (int x = 0; x < width; ++x) {
        const std::int64_t sx = x * xStep;
        const int c0 = std::min<std::int64_t>(sx >> 16, sw - 1);
        columns[x] = {c0, std::min(c0 + 1, sw - 1), sx & 0xFFFF};
    }

    Picture target;
    target.width = width;
    target.height = height;
    target.pixels.resize(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::int64_t sy = y * yStep;
        const int r0 = std::min<std::int64_t>(sy >> 16, sh - 1);
        const int r1 = r0 < sh - 1 ? r0 + 1 : r0;
        const std::int64_t fy = sy & 0xFFFF;
        const std::int64_t top = 65536 - fy;
        const std::int64_t bottom = fy + 1;
        const std::uint8_t* row0 = source.pixel(0, r0);
        const std::uint8_t* row1 = source.pixel(0, r1);
        std::uint8_t* out = target.pixel(0, y);
        for (int x = 0; x < width; ++x) {
            const Column& c = columns[x];
            const std::int64_t eT = MulDiv(c.fx, top, 65536);
            const std::int64_t eB = MulDiv(c.fx, bottom, 65536);
            const std::int64_t w00 = top - eT, w01 = eT, w10 = bottom - eB, w11 = eB;
            const std::uint8_t* p00 = row0 + c.c0 * 3;
            const std::uint8_t* p01 = row0 + c.c1 * 3;
            const std::uint8_t* p10 = row1 + c.c0 * 3;
            const std::uint8_t* p11 = row1 + c.c1 * 3;
            for (int k = 0; k < 3; ++k)
                out[k] =
                    std::uint8_t((w00 * p00[k] + w01 * p01[k] + w10 * p10[k] + w11 * p11[k]) >> 16);
            out += 3;
        }
    }
    return target;
}

void ResamplePicture(Picture& picture, int width, int height) {
    if (picture.width == width && picture.height == height) return;
    picture = Resampled(picture, width, height);
}

void RotatePicture(Picture& picture, Progress& progress) {
    const int oldWidth = picture.width, oldHeight = picture.height;
    auto window = progress.open(text::kRotating, oldHeight);
    if (picture.isEmpty()) return;
    Picture turned;
    turned.width = oldHeight;
    turned.height = oldWidth;
    turned.pixels.resize(picture.pixels.size());
    // New column i, row j takes old row i, column (old width - 1 - j).
    for (int i = 0; i < oldHeight; ++i) {
        for (int j = 0; j < oldWidth; ++j)
            std::copy_n(picture.pixel(oldWidth - 1 - j, i), 3, turned.pixel(i, j));
        window->step();
    }
    picture = std::move(turned);
}

void ClearPicture(Picture& picture) {
    picture = WhitePicture(100, 100);
}

bool LoadPictureFile(Picture& picture, int width, int height, FileDialogs& files,
                     Messages& messages) {
    const QString path = files.openFile(QString(), QString(), text::kPictureFilter);
    if (path.isEmpty()) return false;
    return LoadPictureFromPath(picture, path, width, height, messages);
}

bool LoadPictureFromPath(Picture& picture, const QString& path, int width, int height,
                         Messages& messages) {
    const QString extension = QFileInfo(path).suffix().toUpper();
    Picture loaded;
    if (extension == "BMP") {
        QImage image;
        if (!image.load(path, "BMP")) {
            messages.error(text::kPictureNotLoaded);
            return false;
        }
        loaded = FromImage(image);
    } else if (extension == "JPG" || extension == "JPEG") {
        QFile file(path);
        if (!file.exists()) return false;
        if (!file.open(QIODevice::ReadOnly) || !PhotoFromBlob(file.readAll(), loaded)) {
            messages.error(text::kPictureNotLoaded);
            return false;
        }
    } else {
        messages.error(text::kUnknownFileExtension);
        return false;
    }
    if (width != 0 && height != 0) ResamplePicture(loaded, width, height);
    picture = std::move(loaded);
    return true;
}

bool SavePictureFile(const Picture& picture, const QString& path) {
    QByteArray jpeg;
    if (!PhotoToBlob(jpeg, picture)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(jpeg) != jpeg.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage ToImage(const Picture& picture) {
    if (picture.isEmpty()) return QImage();
    QImage image(picture.width, picture.height, QImage::Format_BGR888);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixel(0, y), std::size_t(picture.width) * 3, image.scanLine(y));
    return image;
}

Picture FromImage(const QImage& image) {
    if (image.isNull()) return Picture{};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    Picture p;
    p.width = bgr.width();
    p.height = bgr.height();
    p.pixels.resize(std::size_t(p.width) * p.height * 3);
    for (int y = 0; y < p.height; ++y)
        std::copy_n(bgr.constScanLine(y), std::size_t(p.width) * 3, p.pixel(0, y));
    return p;
}

}  // namespace horalog
