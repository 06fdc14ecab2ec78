#include "shell/clock_face.h"

#include <cmath>
#include <numbers>

namespace horalog {

int HourHandAngle(int hour, int minute) {
    return (hour % 12) * 60 + minute;
}
int MinuteHandAngle(int minute) {
    return minute * 12;
}
int SecondHandAngle(int second) {
    return second * 12;
}

QPoint ClockPoint(QPoint centre, int length, int angle) {
    angle = ((angle % 720) + 720) % 720;
    // Mirror into the first quadrant: the four quadrants then get the same magnitudes, and a
    // value like 100 x sin 30 degrees truncates to 50, not to 49.
    const int quadrant = angle / 180;
    const int folded = quadrant == 0   ? angle
                       : quadrant == 1 ? 360 - angle
                       : quadrant == 2 ? angle - 360
                                       : 720 - angle;
    const double theta = folded * std::numbers::pi / 360.0;
    const int s = int(std::trunc(length * std::sin(theta) + 1e-9));
    const int c = int(std::trunc(length * std::cos(theta) + 1e-9));
    const int dx = quadrant < 2 ? s : -s;
    const int dy = quadrant == 0 || quadrant == 3 ? -c : c;  // y grows downwards
    return {centre.x() + dx, centre.y() + dy};
}

namespace {

ClockHand hand(QPoint c, int angle, int tail, int d, int side, int tip) {
    ClockHand h;
    h.angle = angle;
    h.points << ClockPoint(c, tail, angle + 360) << ClockPoint(c, side, angle - d + 720)
             << ClockPoint(c, tip, angle) << ClockPoint(c, side, angle + d);
    return h;
}

}  // namespace

ClockFace ClockFaceGeometry(QSize area, QTime time) {
    ClockFace f;
    const int cx = area.width() / 2;
    const int cy = area.height() / 2;
    const int r = qMin(cx, cy);
    f.centre = {cx, cy};
    f.radius = r;
    f.markFrom = 85 * r / 100;
    f.markTo = 95 * r / 100;
    f.markPen = r / 40;
    for (int a = 0; a < 720; a += 60)
        f.marks << QLine(ClockPoint(f.centre, f.markFrom, a), ClockPoint(f.centre, f.markTo, a));
    f.hour = hand(f.centre, HourHandAngle(time.hour(), time.minute()), r / 8, 240, r / 15,
                  int(std::trunc(0.6 * r)));
    f.minute = hand(f.centre, MinuteHandAngle(time.minute()), r / 6, 120, r / 20,
                    int(std::trunc(0.8 * r)));
    f.second = hand(f.centre, SecondHandAngle(time.second()), r / 5, 30, r / 20, r);
    return f;
}

}  // namespace horalog
