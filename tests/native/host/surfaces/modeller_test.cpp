// The stand-in host's kernel (native build): body method 12 sews the faces of
// surfaces into solids whose volume the test knows, and refuses faces that do not
// close; surface method 57 refuses a loop that leaves its surface. Calls go through
// literal table positions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "surface_arrays.h"

namespace {

using namespace surfaces;

class Modeller : public standin::StandInHostTest {
 protected:
  void SetUp() override { ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK); }
  CountedPtr<HostBody> NewBody() {
    CountedPtr<HostBody> body;
    EXPECT_EQ(At<31>(part.Get(), body.Out()), S_OK);
    return body;
  }
  const standin::Body& Temporary() const { return *host.ActiveDocument()->TemporaryBodies().back(); }
  const std::vector<std::unique_ptr<standin::Body>>& Built() const { return host.ActiveDocument()->Bodies(); }
  HRESULT Build(HostBody* body) {
    CountedPtr<IDispatch> built;
    return At<12>(body, built.Out());
  }
  // The verdict on the body built last.
  standin::SolidVerdict Verdict() const {
    EXPECT_FALSE(Built().empty());
    if (Built().empty()) return {};
    const auto& v = Built().back()->Surfaces().Solid();
    EXPECT_TRUE(v.has_value());
    return v.value_or(standin::SolidVerdict{});
  }

  CountedPtr<HostPartDocument> part;
};

TEST_F(Modeller, ReliefSlabIsOneClosedValidSolidOfTheReliefsVolume) {
  struct Case {
    const char* name;
    double scale;
    bool flat;
    bool trimmedTop;  // the top trimmed by its own boundary instead of bounded by its domain
  };
  const Case cases[] = {
      {"metres, flat base", 1, true, false},         {"millimetres, flat base", 0.001, true, false},
      {"inches, flat base", 0.0254, true, false},    {"metres, offset base", 1, false, false},
      {"millimetres, offset base", 0.001, false, false}, {"inches, offset base", 0.0254, false, false},
      {"millimetres, flat base, trimmed top", 0.001, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Relief relief{c.scale};
    const Slab slab(relief, 2, c.flat);
    CountedPtr<HostBody> body = NewBody();
    if (c.trimmedTop) {
      CountedPtr<HostSurface> top;
      ASSERT_EQ(relief.Surface().MakeOn(body.Get(), top), S_OK);
      ASSERT_EQ(LoopIn({slab.top[0], slab.top[1], slab.top[2], slab.top[3]}).AddTo(top.Get()), S_OK);
      VARIANT_BOOL made = VARIANT_FALSE;
      ASSERT_EQ(At<19>(body.Get(), &made), S_OK);
      ASSERT_EQ(made, VARIANT_TRUE);
    } else {
      AddBoundedSurface(body.Get(), relief.Surface(), {0, 10, 0, 20});
    }
    slab.AddSides(body.Get());
    slab.AddBase(body.Get());
    ASSERT_EQ(Build(body.Get()), S_OK) << Temporary().BuildProblem();
    EXPECT_EQ(Built().back()->Surfaces().Faces().size(), 6u);
    const standin::SolidVerdict v = Verdict();
    EXPECT_TRUE(v.closed);
    EXPECT_TRUE(v.valid);
    EXPECT_EQ(v.solids, 1);
    EXPECT_NEAR(v.volume / slab.Volume(), 1.0, 1e-6) << v.volume << " m3, expected " << slab.Volume();
  }
}

// Arrays a client could get wrong: the kernel, or the host's checks before it,
// must not let the body build. The relief has 5 x 4 control points here: a square
// grid of one patch transposed is the same surface with u and v exchanged.
TEST_F(Modeller, TheKernelCatchesTheFaultsThatMatter) {
  const Relief relief{0.001, 5};
  const Slab slab(relief, 2, true);
  struct Case {
    const char* name;
    BSplineIn top;
    HRESULT surfaceResult;  // of method 50
  };
  auto withUKnots = [&](std::vector<double> knots) {
    BSplineIn s = relief.Surface();
    s.uKnots = std::move(knots);
    return s;
  };
  const Case cases[] = {
      {"as it should be", relief.Surface(), S_OK},
      // A valid B-spline, but not the relief: its edges miss the sides.
      {"control points with v running fastest", relief.Surface(0, true), S_OK},
      // The stored knots, each end once less, at the start of an array of the
      // length the header gives: the rest as a zeroed array leaves it, or filled
      // with the last knot.
      {"end knots not repeated, array tail zero", withUKnots({0, 0, 0, 5, 10, 10, 10, 0, 0}), E_INVALIDARG},
      {"end knots not repeated, the last knot filling the tail", withUKnots({0, 0, 0, 5, 10, 10, 10, 10, 10}),
       E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t builtBefore = Built().size();
    CountedPtr<HostBody> body = NewBody();
    CountedPtr<HostSurface> top;
    ASSERT_EQ(c.top.MakeOn(body.Get(), top), c.surfaceResult) << Temporary().Surfaces().LastRefusal();
    if (top) {
      const double range[4] = {0, 10, 0, 20};
      ASSERT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, static_cast<const double*>(range)), S_OK);
    }
    slab.AddSides(body.Get());
    slab.AddBase(body.Get());
    const bool good = c.surfaceResult == S_OK && std::string(c.name) == "as it should be";
    EXPECT_EQ(Build(body.Get()), good ? S_OK : E_FAIL) << Temporary().BuildProblem();
    EXPECT_EQ(Built().size(), builtBefore + (good ? 1 : 0));
    if (!good) {
      EXPECT_NE(Temporary().BuildProblem().find("do not close"), std::string::npos) << Temporary().BuildProblem();
    }
  }
}

TEST_F(Modeller, GapsOverlapsAndOpenSheetsAreRefused) {
  const Relief relief{0.001};
  const Slab slab(relief, 2, true);
  // A fin standing on the top edge v = 0: that edge then has three faces.
  const double h = 0.002;
  const LoopIn fin({slab.top[0], Line(slab.top[0].points.front(), Moved(slab.top[0], {0, 0, h}).points.front()),
                    Moved(slab.top[0], {0, 0, h}),
                    Line(slab.top[0].points.back(), Moved(slab.top[0], {0, 0, h}).points.back())});
  struct Case {
    const char* name;
    std::array<double, 4> topRange;
    bool sides, base, baseTwice, withFin;
  };
  const Case cases[] = {
      {"the top short of the side u = 10 (a gap)", {0, 9.9, 0, 20}, true, true, false, false},
      {"no base (an open box)", {0, 10, 0, 20}, true, false, false, false},
      {"the top alone, as for thickness 0 (an open sheet)", {0, 10, 0, 20}, false, false, false, false},
      {"the base twice (an overlap)", {0, 10, 0, 20}, true, true, true, false},
      {"a fin on an edge (an overlap)", {0, 10, 0, 20}, true, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountedPtr<HostBody> body = NewBody();
    AddBoundedSurface(body.Get(), relief.Surface(), c.topRange);
    if (c.sides) slab.AddSides(body.Get());
    if (c.base) slab.AddBase(body.Get());
    if (c.baseTwice) slab.AddBase(body.Get());
    if (c.withFin) AddTrimmedPlane(body.Get(), PlaneIn{slab.top[0].points.front(), {0, -1, 0}}, fin);
    EXPECT_EQ(Build(body.Get()), E_FAIL);
    EXPECT_TRUE(Built().empty());
    // An overlap leaves the extra face's edges unsewn.
    EXPECT_NE(Temporary().BuildProblem().find("do not close"), std::string::npos) << Temporary().BuildProblem();
  }
}

TEST_F(Modeller, LoopsMustLieOnTheirSurface) {
  CountedPtr<HostBody> body = NewBody();
  auto square = [](double z) {
    return LoopIn({Line({0, 0, z}, {1, 0, z}), Line({0, 0, z}, {0, 1, z}), Line({0, 1, z}, {1, 1, z}),
                   Line({1, 0, z}, {1, 1, z})});
  };
  CountedPtr<HostSurface> plane;
  ASSERT_EQ((PlaneIn{{0, 0, 0}, {0, 0, 1}}.MakeOn(body.Get(), plane)), S_OK);
  EXPECT_EQ(square(1e-5).AddTo(plane.Get()), E_INVALIDARG);
  const standin::Surface& kept = *Temporary().Surfaces().Surfaces().back();
  EXPECT_NE(kept.LastRefusal().find("leaves the surface"), std::string::npos) << kept.LastRefusal();
  EXPECT_EQ(square(5e-7).AddTo(plane.Get()), S_OK);

  // On the relief: its boundary lies on it; the boundary lifted by 0.01 mm does not.
  const Relief relief{0.001};
  CountedPtr<HostSurface> top;
  ASSERT_EQ(relief.Surface().MakeOn(body.Get(), top), S_OK);
  std::vector<CurveIn> lifted, edges;
  for (int k = 0; k < 4; ++k) {
    edges.push_back(relief.Edge(k));
    lifted.push_back(Moved(relief.Edge(k), {0, 0, 1e-5}));
  }
  EXPECT_EQ(LoopIn(lifted).AddTo(top.Get()), E_INVALIDARG);
  EXPECT_EQ(LoopIn(edges).AddTo(top.Get()), S_OK);
}

// Planar faces of method 72 in a body with surface faces become kernel faces too;
// a body of planar faces only keeps the planar check and gets no verdict.
TEST_F(Modeller, PlanarFacesSewWithSurfaceFaces) {
  const double side = 0.01;
  const P3 cube[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  const std::vector<std::vector<int>> quads = {{0, 3, 2, 1}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5}};
  auto corner = [&](int i) { return P3{side * cube[i][0], side * cube[i][1], side * cube[i][2]}; };
  auto addQuads = [&](HostBody* body, const std::vector<std::vector<int>>& faces, double bend = 0,
                      HRESULT expected = S_OK) {
    for (const auto& q : faces) {
      double xyz[12];
      for (size_t c = 0; c < 4; ++c)
        for (size_t a = 0; a < 3; ++a) xyz[3 * c + a] = corner(q[c])[a];
      // The outward normal of the unbent face, from its corners' winding.
      const P3 a = corner(q[0]), b = corner(q[1]), c = corner(q[2]);
      const double normal[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                                (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                                (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
      xyz[2] += bend;  // lifts the first corner out of the face's plane
      ASSERT_EQ(At<72>(body, LONG{4}, static_cast<const double*>(xyz), static_cast<const double*>(normal)), expected);
    }
  };
  const LoopIn topLoop({Line(corner(4), corner(5)), Line(corner(4), corner(7)), Line(corner(7), corner(6)),
                        Line(corner(5), corner(6))});
  {
    CountedPtr<HostBody> body = NewBody();
    addQuads(body.Get(), quads);
    AddTrimmedPlane(body.Get(), PlaneIn{corner(4), {0, 0, 1}}, topLoop);
    ASSERT_EQ(Build(body.Get()), S_OK) << Temporary().BuildProblem();
    const standin::SolidVerdict v = Verdict();
    EXPECT_TRUE(v.valid);
    EXPECT_NEAR(v.volume, side * side * side, 1e-12);
    EXPECT_EQ(Built().back()->Faces().size(), 5u);
  }
  {
    CountedPtr<HostBody> body = NewBody();
    // A bent face is refused where it is added, so it never reaches the kernel,
    // and the body has a hole.
    addQuads(body.Get(), {quads[0]}, 0.001, E_INVALIDARG);
    addQuads(body.Get(), {quads.begin() + 1, quads.end()});
    AddTrimmedPlane(body.Get(), PlaneIn{corner(4), {0, 0, 1}}, topLoop);
    EXPECT_EQ(Build(body.Get()), E_FAIL);
  }
  {
    CountedPtr<HostBody> body = NewBody();
    addQuads(body.Get(), quads);
    addQuads(body.Get(), {{4, 5, 6, 7}});
    ASSERT_EQ(Build(body.Get()), S_OK);
    EXPECT_FALSE(Built().back()->Surfaces().Solid());
  }
}

// Method 53 on a plane: the range is a rectangle along the plane's axes, x the
// projection of the world axis least aligned with the normal, y = normal x x.
TEST_F(Modeller, PlaneRangesRunAlongThePlaneAxes) {
  struct Face {
    P3 origin, normal;
    std::array<double, 4> range;
  };
  // The unit cube, each face's range worked out by hand from that rule.
  const std::vector<Face> cube = {
      {{0, 0, 0}, {-1, 0, 0}, {0, 1, -1, 0}},  // x axis (0, 1, 0), y axis (0, 0, -1)
      {{1, 0, 0}, {1, 0, 0}, {0, 1, 0, 1}},    // (0, 1, 0), (0, 0, 1)
      {{0, 0, 0}, {0, -1, 0}, {0, 1, 0, 1}},   // (1, 0, 0), (0, 0, 1)
      {{0, 1, 0}, {0, 1, 0}, {0, 1, -1, 0}},   // (1, 0, 0), (0, 0, -1)
      {{0, 0, 0}, {0, 0, -1}, {0, 1, -1, 0}},  // (1, 0, 0), (0, -1, 0)
      {{0, 0, 1}, {0, 0, 1}, {0, 1, 0, 1}},    // (1, 0, 0), (0, 1, 0)
  };
  auto build = [&](const std::vector<Face>& faces) {
    CountedPtr<HostBody> body = NewBody();
    for (const Face& f : faces) {
      CountedPtr<HostSurface> s;
      EXPECT_EQ((PlaneIn{f.origin, f.normal}.MakeOn(body.Get(), s)), S_OK);
      EXPECT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, f.range.data()), S_OK);
    }
    return Build(body.Get());
  };
  ASSERT_EQ(build(cube), S_OK) << Temporary().BuildProblem();
  EXPECT_NEAR(Verdict().volume, 1.0, 1e-9);
  std::vector<Face> wrong = cube;
  wrong[4].range = {0, 1, 0, 1};  // the bottom's rectangle on the wrong side of its x axis
  EXPECT_EQ(build(wrong), E_FAIL);
}

}  // namespace
