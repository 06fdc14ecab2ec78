#pragma once
// Geometry of the analog clock face: where the hour marks and the three hands lie for a paint
// area and a time. The widget only paints what this answers.

#include <QLine>
#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QSize>
#include <QTime>

namespace horalog {

// Angles run 0..719 (half degrees), 0 at twelve o'clock, clockwise.
int HourHandAngle(int hour, int minute);
int MinuteHandAngle(int minute);
int SecondHandAngle(int second);

// The point at length l and angle a from the centre. Each offset is truncated on its own
// magnitude (the angle folded into the first quadrant), so the face is symmetric.
QPoint ClockPoint(QPoint centre, int length, int angle);

struct ClockHand {
    int angle = 0;
    QPolygon points;  // tail, first side, tip, second side
};

struct ClockFace {
    QPoint centre;
    int radius = 0;
    int markFrom = 0;  // length where the hour marks start
    int markTo = 0;    // and end
    int markPen = 0;   // pen width of the marks
    QList<QLine> marks;
    ClockHand hour, minute, second;  // painted in this order
};

ClockFace ClockFaceGeometry(QSize area, QTime time);

}  // namespace horalog
