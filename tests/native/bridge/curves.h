// Small curves and the text the host's call log gives for numbers, for the sketch
// builder tests.
#pragma once

#include <charconv>
#include <initializer_list>
#include <string>
#include <vector>

#include "opennurbs.h"

namespace testcurve {

inline ON_3dPointArray Points(std::initializer_list<ON_3dPoint> points) {
  ON_3dPointArray out;
  for (const ON_3dPoint& p : points) out.Append(p);
  return out;
}

// A non-rational curve of `order` on the CVs with the knots as openNURBS stores
// them (order + CV count - 2).
inline ON_NurbsCurve Make(int order, std::initializer_list<ON_3dPoint> cvs, std::initializer_list<double> knots) {
  ON_NurbsCurve c(3, false, order, static_cast<int>(cvs.size()));
  int i = 0;
  for (const ON_3dPoint& p : cvs) c.SetCV(i++, p);
  i = 0;
  for (double k : knots) c.SetKnot(i++, k);
  return c;
}

// An open cubic Bezier: 4 CVs, distinct ends, bent out of any plane.
inline ON_NurbsCurve OpenCubic() {
  return Make(4, {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, 0, 0}}, {0, 0, 0, 1, 1, 1});
}

// A periodic cubic round the square of side 2: 7 CVs.
inline ON_NurbsCurve PeriodicCubic() {
  const ON_3dPoint square[4] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
  ON_NurbsCurve c;
  c.CreatePeriodicUniformNurbs(3, 4, 4, square);
  return c;
}

// A clamped cubic whose first and last CVs coincide: closed, not periodic.
inline ON_NurbsCurve ClosedClampedCubic() {
  return Make(4, {{0, 0, 0}, {2, 0, 1}, {2, 2, 0}, {0, 2, 1}, {0, 0, 0}}, {0, 0, 0, 1, 2, 2, 2});
}

// The arc of `radius` about `centre` in the plane of the two axes, over [0, angle].
inline ON_Arc ArcIn(const ON_3dPoint& centre, const ON_3dVector& x, const ON_3dVector& y, double radius,
                    double angle) {
  return ON_Arc(ON_Circle(ON_Plane(centre, x, y), radius), angle);
}

inline ON_NurbsCurve NurbForm(const ON_Arc& arc) {
  ON_NurbsCurve c;
  arc.GetNurbForm(c);
  return c;
}

// A number as the call log writes it (shortest round trip).
inline std::string Num(double v) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, r.ptr);
}

// Numbers as the log joins arguments: "1,0.5,-2".
inline std::string Join(const std::vector<double>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += Num(values[i]);
  }
  return out;
}

// x, y, z of each point times the scale, as the builders hand them to the host.
inline std::vector<double> Scaled(const std::vector<ON_3dPoint>& points, double scale) {
  std::vector<double> out;
  for (const ON_3dPoint& p : points) out.insert(out.end(), {p.x * scale, p.y * scale, p.z * scale});
  return out;
}

}  // namespace testcurve
