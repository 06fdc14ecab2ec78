// Photo pipeline timings: resampling a camera-sized picture to the stored size, and encoding
// and decoding a stored photo. One line per figure: median and mean time per call.
#include "people/photos.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace horalog;

namespace {

// Gradients with some noise, so the JPEG looks like a picture rather than static or a flat fill.
Picture TestPicture(int w, int h) {
    Picture p = WhitePicture(w, h);
    unsigned state = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = int((state >> 16) & 0x1F);
            std::uint8_t* px = p.pixel(x, y);
            px[0] = std::uint8_t(noise + x * 200 / w);
            px[1] = std::uint8_t(noise + y * 200 / h);
            px[2] = std::uint8_t(noise + (x + y) * 200 / (w + h));
        }
    return p;
}

void Report(const char* name, int calls, const std::function<void()>& call) {
    for (int i = 0; i < 3; ++i) call();  // warm up
    std::vector<double> us;
    us.reserve(calls);
    for (int i = 0; i < calls; ++i) {
        QElapsedTimer t;
        t.start();
        call();
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    double sum = 0;
    for (double v : us) sum += v;
    std::nth_element(us.begin(), us.begin() + us.size() / 2, us.end());
    std::printf("%-44s median %8.1f us  mean %8.1f us  (%d calls)\n", name, us[us.size() / 2],
                sum / calls, calls);
}

}  // namespace

int main() {
    const Picture camera = TestPicture(640, 480);
    int sink = 0;
    Report("ResamplePicture 640x480 -> 240x320", 200,
           [&] { sink += Resampled(camera, kPhotoWidth, kPhotoHeight).pixels[0]; });

    const Picture photo = Resampled(camera, kPhotoWidth, kPhotoHeight);
    QByteArray blob;
    Report("PhotoToBlob 240x320", 200, [&] { PhotoToBlob(blob, photo); });
    std::printf("%-44s %lld bytes\n", "PhotoToBlob 240x320 blob size", (long long)blob.size());

    Picture decoded;
    Report("PhotoFromBlob 240x320", 200, [&] { PhotoFromBlob(blob, decoded); });

    QByteArray stored;
    Report("HolderPhotoBlob 640x480 (resample + encode)", 200,
           [&] { HolderPhotoBlob(camera, stored); });
    return sink == -1;
}
