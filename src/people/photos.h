#pragma once
// Holder photos and captured pictures: a plain 24-bit picture, its JPEG form (the PHOTO blob
// of staffs and the picture files) and the editor's operations on it (load, rotate, clear,
// resample).

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "common/ports.h"

namespace horalog {

// A 24-bit picture: B G R bytes per pixel, rows top to bottom, no padding between rows.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3

    bool isEmpty() const { return width <= 0 || height <= 0; }
    std::uint8_t* pixel(int x, int y) { return pixels.data() + (std::size_t(y) * width + x) * 3; }
    const std::uint8_t* pixel(int x, int y) const {
        return pixels.data() + (std::size_t(y) * width + x) * 3;
    }
    friend bool operator==(const Picture&, const Picture&) = default;
};

// Size and quality of a stored holder photo.
inline constexpr int kPhotoWidth = 240;
inline constexpr int kPhotoHeight = 320;
inline constexpr int kPhotoQuality = 90;

namespace text {
inline constexpr const char* kUnknownFileExtension = "Unknown file extension.";
inline constexpr const char* kRotating = "Rotating";
inline constexpr const char* kPictureNotLoaded = "The picture file cannot be read.";
// File dialog filter of "Load Photo": pictures, JPEG only, bitmaps only, everything.
inline constexpr const char* kPictureFilter =
    "Images (*.jpg *.jpeg *.bmp);;JPEG (*.jpg *.jpeg);;Bitmap (*.bmp);;All Files (*)";
}  // namespace text

// A picture of the given size filled white.
Picture WhitePicture(int width, int height);

// Decodes a JPEG stream into picture. An empty or undecodable blob answers false and leaves
// picture unchanged: the holder has no photo.
bool PhotoFromBlob(const QByteArray& blob, Picture& picture);

// Encodes picture as a baseline JPEG of quality 90 with three colour components, at the
// picture's own size. False (blob unchanged) for an empty picture or when encoding fails.
bool PhotoToBlob(QByteArray& blob, const Picture& picture);

// The PHOTO blob of a saved holder: whatever the editor holds, resampled to 240 x 320 and
// encoded; a white 240 x 320 picture when the editor holds none (empty picture).
bool HolderPhotoBlob(const Picture& editorPicture, QByteArray& blob);

// Resamples to exactly width x height with the bilinear 16.16 fixed-point scheme of the
// photo editor, so stored photos come out byte for byte the same. Never reads outside the
// source. An empty source gives a white picture; a target size of 0 gives an empty picture.
void ResamplePicture(Picture& picture, int width, int height);
Picture Resampled(const Picture& source, int width, int height);

// Turns the picture by 90 degrees counter-clockwise, with the progress window "Rotating"
// advanced once per source row.
void RotatePicture(Picture& picture, Progress& progress);

// Makes the picture 100 x 100 white.
void ClearPicture(Picture& picture);

// Asks for a picture file and loads it (LoadPictureFromPath). False when cancelled or not
// loaded; the picture is then unchanged.
bool LoadPictureFile(Picture& picture, int width, int height, FileDialogs& files,
                     Messages& messages);

// Loads a picture file chosen by its upper-cased extension: ".BMP" a bitmap, ".JPG" and
// ".JPEG" a JPEG (a missing JPEG file leaves the picture unchanged, silently); any other
// extension shows "Unknown file extension.". A file that exists but does not decode shows
// kPictureNotLoaded. With width and height both non-zero the image is resampled to that size,
// otherwise it keeps its own size. Answers whether the picture was replaced.
bool LoadPictureFromPath(Picture& picture, const QString& path, int width, int height,
                         Messages& messages);

// Writes the picture as a JPEG file (quality 90); false when encoding or writing fails.
bool SavePictureFile(const Picture& picture, const QString& path);

// Conversions for the screen and printing, which work on QImage.
QImage ToImage(const Picture& picture);
Picture FromImage(const QImage& image);

}  // namespace horalog
