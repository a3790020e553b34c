#pragma once

#include <QString>
#include <QtGlobal>

// A scale's number: its row in the scale list and its slot in the tester, 0 (HRC), 1 (HB),
// 2 (HV), then the user scales up to 15.
using ScaleNumber = qint16;
constexpr ScaleNumber ScaleSlots = 16;

// What one of the tester's scale slots holds, as it goes to the tester and comes back: the
// constants that turn a frequency into hardness, the range shown, the name and the points.
struct ScaleConstants {
  QString name;
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double min = 0.0;
  double max = 999.0;
  qint8 type = 0; // 0 straight line (A + B * f), 1 exponential (A * e^(f / B))
  qint16 points = 2;

  bool operator==(const ScaleConstants& other) const {
    return name == other.name && a == other.a && b == other.b && c == other.c && min == other.min &&
           max == other.max && type == other.type && points == other.points;
  }
  bool operator!=(const ScaleConstants& other) const { return !(*this == other); }
};
