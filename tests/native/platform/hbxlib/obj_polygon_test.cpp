#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ObjPolygon.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Polygon {
  std::vector<ON_3fPoint> points;
  std::vector<int32_t> corners;
};

Polygon FromXY(const std::vector<std::pair<float, float>>& xy) {
  Polygon p;
  for (auto [x, y] : xy) {
    p.corners.push_back(static_cast<int32_t>(p.points.size()));
    p.points.emplace_back(x, y, 0.0f);
  }
  return p;
}

double SignedAreaXY(const ON_3fPoint& a, const ON_3fPoint& b, const ON_3fPoint& c) {
  return 0.5 * ((double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x));
}

double PolygonAreaXY(const Polygon& p) {
  double s = 0;
  for (size_t i = 0; i < p.corners.size(); ++i) {
    const ON_3fPoint& a = p.points[p.corners[i]];
    const ON_3fPoint& b = p.points[p.corners[(i + 1) % p.corners.size()]];
    s += double(a.x) * b.y - double(b.x) * a.y;
  }
  return 0.5 * s;
}

std::vector<int32_t> Cut(const Polygon& p) {
  std::vector<int32_t> t;
  hbx::TriangulatePolygon(p.corners.data(), p.corners.size(), p.points.data(), t);
  return t;
}

// A right triangulation of a simple polygon covers it exactly: n-2 triangles, each
// wound like the polygon, whose areas add up to the polygon's. A fan from the first
// corner of a concave polygon fails this, with triangles outside the polygon.
void ExpectExactCover(const Polygon& p, const char* what) {
  const std::vector<int32_t> t = Cut(p);
  ASSERT_EQ(t.size(), 3 * (p.corners.size() - 2)) << what;
  const double area = PolygonAreaXY(p);
  double sum = 0;
  for (size_t i = 0; i < t.size(); i += 3) {
    const double a = SignedAreaXY(p.points[t[i]], p.points[t[i + 1]], p.points[t[i + 2]]);
    EXPECT_GT(a * area, 0) << what << ": triangle " << i / 3 << " is wound against the polygon";
    sum += a;
  }
  EXPECT_NEAR(sum, area, 1e-4 * std::fabs(area)) << what;
}

TEST(ObjPolygon, ConcavePolygonsAreCoveredExactly) {
  // An arrow whose first corner sees its neighbours only across the outside.
  ExpectExactCover(FromXY({{0, 0}, {4, 2}, {0, 4}, {1, 2}}), "arrow");
  ExpectExactCover(FromXY({{1, 2}, {0, 0}, {4, 2}, {0, 4}, {0.5f, 2}}), "arrow starting at the notch");
  ExpectExactCover(FromXY({{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 3}, {0, 3}}), "L shape");
  ExpectExactCover(FromXY({{0, 0}, {0, 3}, {1, 3}, {1, 1}, {3, 1}, {3, 0}}), "L shape, clockwise");
  // A comb: many notches, each a trap for a fan.
  std::vector<std::pair<float, float>> comb = {{0, 0}, {10, 0}};
  for (int i = 9; i >= 0; --i) {
    comb.push_back({i + 1.0f, 3});
    comb.push_back({i + 0.5f, 1});
  }
  comb.push_back({0, 3});
  ExpectExactCover(FromXY(comb), "comb");
  // A star of many points.
  std::vector<std::pair<float, float>> star;
  for (int i = 0; i < 400; ++i) {
    const double a = 2 * kPi * i / 400, r = i % 2 ? 1.0 : 3.0;
    star.push_back({static_cast<float>(r * std::cos(a)), static_cast<float>(r * std::sin(a))});
  }
  ExpectExactCover(FromXY(star), "star");
}

// The polygon's own plane decides, whatever way it faces: a concave polygon tilted
// out of every coordinate plane keeps its winding in 3D.
TEST(ObjPolygon, WorksInTheBestFitPlaneOfATiltedPolygon) {
  Polygon flat = FromXY({{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 3}, {0, 3}});
  Polygon tilted = flat;
  const double c = std::cos(0.7), s = std::sin(0.7);
  for (ON_3fPoint& q : tilted.points) {  // turn about the axis (1, 1, 0) / sqrt 2, then about x
    const double x = q.x, y = q.y;
    const double y2 = y * c, z2 = y * s;
    q = ON_3fPoint(static_cast<float>(x * c - z2 * s), static_cast<float>(y2), static_cast<float>(x * s + z2 * c));
  }
  const std::vector<int32_t> a = Cut(flat), b = Cut(tilted);
  ASSERT_EQ(b.size(), 12u);
  // Same connectivity means the same, exact cover.
  EXPECT_EQ(a, b);
}

TEST(ObjPolygon, DegenerateInputEndsWithAtMostNMinus2Triangles) {
  struct Case {
    const char* what;
    Polygon p;
  } cases[] = {
      {"all corners on one line", FromXY({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}})},
      {"all corners at one point", FromXY({{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}})},
      {"pentagram, crossing itself", FromXY({{0, 3}, {2, -3}, {-3, 1}, {3, 1}, {-2, -3}})},
      {"figure eight", FromXY({{0, 0}, {2, 2}, {2, 0}, {0, 2}, {-1, 1}})},
  };
  for (const Case& c : cases) {
    const std::vector<int32_t> t = Cut(c.p);
    EXPECT_LE(t.size(), 3 * (c.p.corners.size() - 2)) << c.what;
    for (int32_t i : t) EXPECT_TRUE(i >= 0 && i < static_cast<int32_t>(c.p.points.size())) << c.what;
  }
  // A polygon that runs around a hole and back along the same bridge gives no
  // triangle that uses one vertex twice.
  Polygon keyhole = FromXY({{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {2, 4}, {4, 4}, {4, 2}, {2, 2}});
  keyhole.corners = {0, 1, 2, 3, 0, 5, 6, 7, 8, 5};
  const std::vector<int32_t> t = Cut(keyhole);
  EXPECT_FALSE(t.empty());
  double sum = 0;
  for (size_t i = 0; i < t.size(); i += 3) {
    EXPECT_TRUE(t[i] != t[i + 1] && t[i + 1] != t[i + 2] && t[i] != t[i + 2]);
    sum += SignedAreaXY(keyhole.points[t[i]], keyhole.points[t[i + 1]], keyhole.points[t[i + 2]]);
  }
  EXPECT_NEAR(sum, 36.0 - 4.0, 1e-3);  // the square less its hole
}

// A polygon of many thousand corners, crossing itself everywhere, still ends soon:
// the work is bounded.
TEST(ObjPolygon, HugeSelfCrossingPolygonEnds) {
  Polygon p;
  for (int i = 0; i < 20000; ++i) {
    const double a = 2 * kPi * i * 0.618034;
    p.corners.push_back(i);
    p.points.emplace_back(static_cast<float>(std::cos(a) * (1 + i % 7)), static_cast<float>(std::sin(a) * (1 + i % 5)), 0.0f);
  }
  const std::vector<int32_t> t = Cut(p);
  EXPECT_LE(t.size(), 3 * (p.corners.size() - 2));
}

}  // namespace
