#pragma once
// Which strike sides of a body the fast engines compute. A side of length 0
// adds exactly 0, and two equal sides are one side counted twice.
namespace corvane {

// None: both 0, the anomaly is 0. One: one side of length y1, the other 0.
// Equal: both y1. Two: y1 and y2 differ.
enum class Sides { None, One, Equal, Two };

struct StrikeSides {
    Sides sides = Sides::None;
    double y1 = 0, y2 = 0;   // One / Equal: the side in use is y1
    double y1sq = 0, y2sq = 0;
};

inline StrikeSides planStrikeSides(double y1, double y2)
{
    StrikeSides p;
    if (y1 == 0 && y2 == 0) {
        p.sides = Sides::None;
    } else if (y1 == 0 || y2 == 0) {
        p.sides = Sides::One;
        p.y1 = y1 == 0 ? y2 : y1;
    } else if (y1 == y2) {
        p.sides = Sides::Equal;
        p.y1 = y1;
    } else {
        p.sides = Sides::Two;
        p.y1 = y1;
        p.y2 = y2;
    }
    p.y1sq = p.y1 * p.y1;
    p.y2sq = p.y2 * p.y2;
    return p;
}

}  // namespace corvane
