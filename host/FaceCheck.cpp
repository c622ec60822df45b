#include "FaceCheck.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

struct Vec {
  double x, y, z;
};
Vec Sub(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }
Vec Scaled(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

}  // namespace

std::string PlanarFaceProblem(const PlanarFace& face) {
  const int n = face.count;
  Vec p[4];
  Vec centre{0, 0, 0};
  for (int k = 0; k < n; ++k) {
    const double* c = &face.corners[static_cast<size_t>(3 * k)];
    p[k] = {c[0], c[1], c[2]};
    centre = {centre.x + c[0] / n, centre.y + c[1] / n, centre.z + c[2] / n};
  }
  const Vec normal{face.normal[0], face.normal[1], face.normal[2]};
  const double normalLength = Length(normal);
  if (normalLength < 1e-12) return "the normal is zero";

  double size = 0, reach = 0;
  for (int a = 0; a < n; ++a) {
    reach = std::max({reach, std::fabs(p[a].x), std::fabs(p[a].y), std::fabs(p[a].z)});
    for (int b = a + 1; b < n; ++b) size = std::max(size, Length(Sub(p[a], p[b])));
  }
  // The area vector of the corner loop (twice its area), taken about the centre
  // to keep the rounding small far from the origin.
  Vec area{0, 0, 0};
  for (int k = 0; k < n; ++k) {
    const Vec c = Cross(Sub(p[k], centre), Sub(p[(k + 1) % n], centre));
    area = {area.x + c.x, area.y + c.y, area.z + c.z};
  }
  const double areaLength = Length(area);
  // No area: the loop's width across its longest extent is within rounding of
  // zero, rounding that grows with the distance from the origin.
  if (!(areaLength > 1e-12 * size * std::max(size, reach))) return "the corners span no area";

  const double tolerance = kFacePlaneTolerance * size;
  auto farthest = [&](const Vec& unit) {
    double d = 0;
    for (int k = 0; k < n; ++k) d = std::max(d, std::fabs(Dot(Sub(p[k], centre), unit)));
    return d;
  };
  const Vec winding = Scaled(area, 1 / areaLength);
  const Vec given = Scaled(normal, 1 / normalLength);
  if (farthest(winding) > tolerance) return "the corners do not lie in one plane";
  if (Dot(given, winding) <= 0) return "the normal points against the corners' winding";
  if (farthest(given) > tolerance) return "the normal is not perpendicular to the face";
  return {};
}

}  // namespace standin
