#include "shell/clock_face.h"

#include <gtest/gtest.h>

#include "shell/shell_hooks.h"

using namespace horalog;

namespace {

struct FaceCase {
    int width, height;
    QTime time;
    int radius, markFrom, markTo, markPen;
    int hourAngle, minuteAngle, secondAngle;
};

TEST(ClockFace, GeometryTable) {
    const FaceCase cases[] = {
        {280, 319, QTime(12, 0, 0), 140, 119, 133, 3, 0, 0, 0},
        {280, 319, QTime(6, 30, 0), 140, 119, 133, 3, 390, 360, 0},
        {280, 319, QTime(18, 30, 15), 140, 119, 133, 3, 390, 360, 180},
        {200, 100, QTime(23, 59, 59), 50, 42, 47, 1, 719, 708, 708},
        {39, 39, QTime(0, 0, 1), 19, 16, 18, 0, 0, 0, 12},
    };
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(
            (c.time.toString() + QString(" %1x%2").arg(c.width).arg(c.height)).toStdString());
        ClockFace f = ClockFaceGeometry(QSize(c.width, c.height), c.time);
        EXPECT_EQ(f.centre, QPoint(c.width / 2, c.height / 2));
        EXPECT_EQ(f.radius, c.radius);
        EXPECT_EQ(f.markFrom, c.markFrom);
        EXPECT_EQ(f.markTo, c.markTo);
        EXPECT_EQ(f.markPen, c.markPen);
        EXPECT_EQ(f.marks.size(), 12);
        EXPECT_EQ(f.hour.angle, c.hourAngle);
        EXPECT_EQ(f.minute.angle, c.minuteAngle);
        EXPECT_EQ(f.second.angle, c.secondAngle);
        for (const ClockHand* h : {&f.hour, &f.minute, &f.second}) EXPECT_EQ(h->points.size(), 4);
    }
}

TEST(ClockFace, NoonHourHandPointsUpWithItsTailDown) {
    ClockFace f = ClockFaceGeometry(QSize(280, 319), QTime(12, 0, 0));
    const QPoint c(140, 159);
    // tail (r div 8 = 17 down), first side at -240 (r div 15 = 9), tip (Trunc(0.6 r) = 84 up),
    // second side at +240
    EXPECT_EQ(f.hour.points[0], c + QPoint(0, 17));
    EXPECT_EQ(f.hour.points[2], c + QPoint(0, -84));
    // the sides are mirror images: 8 o'clock and 4 o'clock at length 9
    EXPECT_EQ(f.hour.points[1], c + QPoint(-7, 4));
    EXPECT_EQ(f.hour.points[3], c + QPoint(7, 4));
    // second hand: tip at length r, tail at r div 5
    EXPECT_EQ(f.second.points[2], c + QPoint(0, -140));
    EXPECT_EQ(f.second.points[0], c + QPoint(0, 28));
    // marks at twelve and at three o'clock
    EXPECT_EQ(f.marks[0], QLine(c + QPoint(0, -119), c + QPoint(0, -133)));
    EXPECT_EQ(f.marks[3], QLine(c + QPoint(119, 0), c + QPoint(133, 0)));
}

TEST(ClockFace, PointsAreSymmetricInAllFourQuadrants) {
    const QPoint c(100, 100);
    struct {
        int angle;
        QPoint expected;
    } cases[] = {
        {0, {100, 0}},    {60, {150, 14}}, {180, {200, 100}}, {300, {150, 186}}, {360, {100, 200}},
        {420, {50, 186}}, {540, {0, 100}}, {660, {50, 14}},   {720, {100, 0}},   {-60, {50, 14}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(ClockPoint(c, 100, k.angle), k.expected) << "angle " << k.angle;
}

TEST(SecondTick, StatusClockText) {
    EXPECT_EQ(StatusClockText(EncodeDateTime(2004, 6, 26, 18, 24, 6)),
              "26/Jun/2004 Sat  PM 06:24:06");
    EXPECT_EQ(StatusClockText(EncodeDateTime(2004, 1, 5, 0, 0, 9)), "05/Jan/2004 Mon  AM 12:00:09");
}

}  // namespace
