// The stand-in host's surfaces, in both builds: body methods 50, 46, 19 and 53 and
// surface method 57 keep the arrays as received and refuse, as a modeller would,
// arrays that are no valid geometry. Calls go through literal table positions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "surface_arrays.h"

namespace {

using namespace surfaces;
using standin::Fault;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Order 3 in u and 2 in v, 4 x 2 control points, point (i, j) at (i, j, i + 10 j).
BSplineIn SmallSurface() {
  BSplineIn s{{3, 2, 2, 4, 0, 0, 3, 0}, {0, 0, 0, 0.5, 1, 1, 1}, {0, 0, 2, 2}, {}};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 4; ++i) s.points.insert(s.points.end(), {double(i), double(j), double(i + 10 * j)});
  return s;
}

// The unit square in z = 0 as four lines, each in a direction of its own (not head
// to tail), as a side of a slab is trimmed.
std::vector<CurveIn> SquareLines(double z = 0) {
  return {Line({0, 0, z}, {1, 0, z}), Line({0, 0, z}, {0, 1, z}), Line({0, 1, z}, {1, 1, z}),
          Line({1, 0, z}, {1, 1, z})};
}

class HostSurfaces : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK);
    ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
    model = host.ActiveDocument()->TemporaryBodies().back().get();
  }
  const standin::BodySurfaces& Surfaces() const { return model->Surfaces(); }
  // A plane z = 0 on the body, released at once: the body keeps it.
  void AddFloor() {
    CountedPtr<HostSurface> s;
    ASSERT_EQ((PlaneIn{{0, 0, 0}, {0, 0, 1}}.MakeOn(body.Get(), s)), S_OK);
    floor = s.Get();
  }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostBody> body;
  standin::Body* model = nullptr;
  HostSurface* floor = nullptr;  // no reference of the test's own
};

TEST_F(HostSurfaces, BSplineSurfaceIsKeptAsReceived) {
  const BSplineIn in = SmallSurface();
  CountedPtr<HostSurface> surface;
  ASSERT_EQ(in.MakeOn(body.Get(), surface), S_OK);
  ASSERT_TRUE(surface);
  EXPECT_EQ(host.Log().Args("HostBody", 50).back(),
            "[3,2,2,4,0,0,3,0],[0,0,0,0.5,1,1,1],[0,0,2,2],"
            "[0,0,0,1,0,1,2,0,2,3,0,3,0,1,10,1,1,11,2,1,12,3,1,13],&");
  ASSERT_EQ(Surfaces().Surfaces().size(), 1u);
  const standin::SurfaceArrays& kept = Surfaces().Surfaces()[0]->Arrays();
  EXPECT_EQ(kept.kind, standin::SurfaceKind::BSpline);
  EXPECT_EQ(kept.header, in.header);
  EXPECT_EQ(kept.uKnots, in.uKnots);
  EXPECT_EQ(kept.vKnots, in.vKnots);
  EXPECT_EQ(kept.points, in.points);
  EXPECT_EQ(kept.Domain(), (std::array<double, 4>{0, 1, 0, 2}));
  // The surface answers its role and carries one reference, which the test gives back.
  EXPECT_EQ(static_cast<void*>(surface.Get()), Surfaces().Surfaces()[0]->Interface());
  void* again = nullptr;
  ASSERT_EQ(surface->QueryInterface(standin::kRoleSurface.iid, &again), S_OK);
  static_cast<IUnknown*>(again)->Release();
  surface.Reset();
  EXPECT_TRUE(Surfaces().Faces().empty());  // a surface is no face yet
}

TEST_F(HostSurfaces, BSplineSurfaceRefusals) {
  struct Case {
    const char* name;
    BSplineIn in;
  };
  auto with = [](auto change) {
    BSplineIn s = SmallSurface();
    change(s);
    return s;
  };
  const Case cases[] = {
      {"header entry 7 not 3", with([](BSplineIn& s) { s.header[6] = 4; })},
      {"header entry 8 not 0", with([](BSplineIn& s) { s.header[7] = 1; })},
      {"order u 1", with([](BSplineIn& s) { s.header[0] = 1; })},
      {"order v 27", with([](BSplineIn& s) { s.header[1] = 27; })},
      {"fewer CVs in u than the order", with([](BSplineIn& s) { s.header[3] = 2; })},
      {"CV count v 0", with([](BSplineIn& s) { s.header[2] = 0; })},
      {"negative CV count", with([](BSplineIn& s) { s.header[3] = -4; })},
      {"more CVs than any surface has (not read)", with([](BSplineIn& s) { s.header[2] = s.header[3] = 1 << 20; })},
      {"periodic flag 2", with([](BSplineIn& s) { s.header[4] = 2; })},
      {"u knots decrease", with([](BSplineIn& s) { s.uKnots = {0, 0, 0, 0.5, 0.4, 1, 1}; })},
      {"a u knot four times at an end of order 3", with([](BSplineIn& s) { s.uKnots = {0, 0, 0, 0, 1, 1, 1}; })},
      {"a v knot twice inside order 2", with([](BSplineIn& s) {
         s.header[2] = 3;
         s.vKnots = {0, 0, 1, 1, 2};
         s.points.resize(36, 0.0);
       })},
      {"u knots with no span", with([](BSplineIn& s) { s.uKnots = {0, 0, 0, 0, 0, 0, 1}; })},
      {"a knot not a number", with([](BSplineIn& s) { s.vKnots[1] = kNaN; })},
      {"a control point infinite", with([](BSplineIn& s) { s.points[7] = kInf; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountedPtr<HostSurface> surface;
    EXPECT_EQ(c.in.MakeOn(body.Get(), surface), E_INVALIDARG);
    EXPECT_FALSE(surface);
    EXPECT_FALSE(Surfaces().LastRefusal().empty());
  }
  const BSplineIn good = SmallSurface();
  const LONG* header = good.header.data();
  const double* knots = good.uKnots.data();
  const double* points = good.points.data();
  HostSurface* out = nullptr;
  EXPECT_EQ(At<50>(body.Get(), static_cast<const LONG*>(nullptr), knots, knots, points, &out), E_INVALIDARG);
  EXPECT_EQ(At<50>(body.Get(), header, static_cast<const double*>(nullptr), knots, points, &out), E_INVALIDARG);
  EXPECT_EQ(At<50>(body.Get(), header, knots, knots, static_cast<const double*>(nullptr), &out), E_INVALIDARG);
  EXPECT_EQ(At<50>(body.Get(), header, knots, knots, points, static_cast<HostSurface**>(nullptr)), E_POINTER);
  EXPECT_EQ(out, nullptr);
  EXPECT_TRUE(Surfaces().Surfaces().empty());
}

TEST_F(HostSurfaces, PlaneIsKeptAsReceivedAndBadOnesRefused) {
  CountedPtr<HostSurface> surface;
  ASSERT_EQ((PlaneIn{{2.54, 0, 0}, {0, 0, 1}}.MakeOn(body.Get(), surface)), S_OK);
  EXPECT_EQ(host.Log().Args("HostBody", 46).back(), "[2.54,0,0],[0,0,1],&");
  const standin::SurfaceArrays& kept = Surfaces().Surfaces().back()->Arrays();
  EXPECT_EQ(kept.kind, standin::SurfaceKind::Plane);
  EXPECT_EQ(kept.origin, (P3{2.54, 0, 0}));
  EXPECT_EQ(kept.normal, (P3{0, 0, 1}));

  const PlaneIn bad[] = {{{kNaN, 0, 0}, {0, 0, 1}}, {{0, 0, 0}, {0, kInf, 1}}, {{0, 0, 0}, {0, 0, 0}}};
  for (const PlaneIn& p : bad) {
    EXPECT_EQ(p.MakeOn(body.Get(), surface), E_INVALIDARG);
    EXPECT_FALSE(surface);
  }
  const double xyz[3] = {0, 0, 1};
  HostSurface* out = nullptr;
  EXPECT_EQ(At<46>(body.Get(), static_cast<const double*>(nullptr), xyz, &out), E_INVALIDARG);
  EXPECT_EQ(At<46>(body.Get(), xyz, static_cast<const double*>(nullptr), &out), E_INVALIDARG);
  EXPECT_EQ(At<46>(body.Get(), xyz, xyz, static_cast<HostSurface**>(nullptr)), E_POINTER);
  EXPECT_EQ(Surfaces().Surfaces().size(), 1u);
}

// The axes that give a plane's parameters (and so method 53's range on a plane).
TEST(PlaneAxes, LeastAlignedWorldAxisProjectedThenNormalCrossX) {
  struct Case {
    P3 normal, x, y;
  };
  const double r = std::sqrt(0.5);
  const Case cases[] = {
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
      {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},  {{-2, 0, 0}, {0, 1, 0}, {0, 0, -1}},
      {{1, 1, 0}, {0, 0, 1}, {r, -r, 0}},
  };
  for (const Case& c : cases) {
    const auto axes = standin::PlaneAxes(c.normal);
    for (size_t a = 0; a < 3; ++a) {
      EXPECT_NEAR(axes[0][a], c.x[a], 1e-15);
      EXPECT_NEAR(axes[1][a], c.y[a], 1e-15);
    }
  }
}

TEST_F(HostSurfaces, TrimmingLoopIsKeptAsReceived) {
  AddFloor();
  // A cubic from (0, 0) to (1, 0), then three lines, each in its own direction;
  // a loop of one closed curve on a second plane.
  std::vector<CurveIn> curves = SquareLines();
  curves[0] = CurveIn{4, {0, 0, 0, 0, 2, 2, 2, 2}, {{0, 0, 0}, {0.3, 0.2, 0}, {0.6, -0.2, 0}, {1, 0, 0}}};
  const LoopIn loop(curves);
  ASSERT_EQ(loop.AddTo(floor), S_OK);
  EXPECT_EQ(host.Log().Args("HostSurface", 57).back(),
            "4,[4,2,2,2],[-3,3,3,3],[0,0,0,0],[8,4,4,4],[4,2,2,2],"
            "[0,0,0,0,2,2,2,2,0,0,1,1,0,0,1,1,0,0,1,1],"
            "[0,0,0,0.3,0.2,0,0.6,-0.2,0,1,0,0,0,0,0,0,1,0,0,1,0,1,1,0,1,0,0,1,1,0],null");
  const standin::Surface& s = *Surfaces().Surfaces().back();
  ASSERT_EQ(s.Loops().size(), 1u);
  const standin::TrimLoop& kept = s.Loops()[0];
  EXPECT_EQ(kept.orders, loop.orders);
  EXPECT_EQ(kept.dimensions, (std::vector<LONG>{-3, 3, 3, 3}));
  EXPECT_EQ(kept.knotCounts, loop.knotCounts);
  EXPECT_EQ(kept.cvCounts, loop.cvCounts);
  EXPECT_EQ(kept.knots, loop.knots);
  EXPECT_EQ(kept.points, loop.points);
  EXPECT_EQ(kept.Curve(2).points[1], 1.0);  // the third curve starts at (0, 1, 0)

  CountedPtr<HostSurface> second;
  ASSERT_EQ((PlaneIn{{0, 0, 0}, {0, 0, 1}}.MakeOn(body.Get(), second)), S_OK);
  const CurveIn closed{3, {0, 0, 0, 1, 2, 2, 2}, {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 0, 0}}};
  EXPECT_EQ(LoopIn({closed}).AddTo(second.Get()), S_OK) << Surfaces().Surfaces().back()->LastRefusal();
  EXPECT_EQ(host.Log().Args("HostSurface", 57).back().substr(0, 15), "1,[3],[-3],[0],");
}

TEST_F(HostSurfaces, TrimmingLoopRefusals) {
  AddFloor();
  struct Case {
    const char* name;
    LoopIn loop;
    LONG n = 0;  // 0: the loop's own count
  };
  auto with = [](std::vector<CurveIn> curves, auto change) {
    LoopIn l(curves);
    change(l);
    return l;
  };
  auto same = [](LoopIn&) {};
  const auto square = SquareLines();
  const Case cases[] = {
      {"no curve", with({}, same)},
      {"n -1", with(square, same), -1},
      {"n beyond the loop's largest", with(square, same), 100'001},
      {"first dimension entry 3", with(square, [](LoopIn& l) { l.dimensions[0] = 3; })},
      {"a later dimension entry -3", with(square, [](LoopIn& l) { l.dimensions[2] = -3; })},
      {"a 2D curve", with(square, [](LoopIn& l) { l.dimensions[1] = 2; })},
      {"periodic flag -1", with(square, [](LoopIn& l) { l.periodic[3] = -1; })},
      {"knot count not order + CV count", with(square, [](LoopIn& l) { l.knotCounts[1] = 3; })},
      {"order 1", with(square, [](LoopIn& l) { l.orders[0] = 1; })},
      {"fewer CVs than the order", with(square, [](LoopIn& l) {
         l.orders[0] = 3;
         l.knotCounts[0] = 5;
       })},
      {"knots decrease", with(square, [](LoopIn& l) { l.knots[5] = -1; })},
      {"a point not a number", with(square, [](LoopIn& l) { l.points[4] = kNaN; })},
      {"the last argument not null", with(square, [](LoopIn& l) { l.reserved = &l; })},
      {"three sides, open", with({square[0], square[1], square[2]}, same)},
      {"a curve 1e-5 off its neighbours", with({square[0], Moved(square[1], {0, 0, 1e-5}), square[2], square[3]}, same)},
      {"closed before its last curve", with({square[0], square[1], square[2], square[3], square[0]}, same)},
      {"one open curve", with({square[0]}, same)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LONG n = c.n ? c.n : static_cast<LONG>(c.loop.cvCounts.size());
    const HRESULT hr = At<57>(floor, n, c.loop.orders.data(), c.loop.dimensions.data(), c.loop.periodic.data(),
                              c.loop.knotCounts.data(), c.loop.cvCounts.data(), c.loop.knots.data(),
                              c.loop.points.data(), c.loop.reserved);
    EXPECT_EQ(hr, E_INVALIDARG);
    const standin::Surface& s = *Surfaces().Surfaces().back();
    EXPECT_TRUE(s.Loops().empty());
    EXPECT_FALSE(s.LastRefusal().empty());
  }
  const LoopIn good(square);
  const LONG* nullLongs = nullptr;
  EXPECT_EQ(At<57>(floor, LONG{4}, nullLongs, good.dimensions.data(), good.periodic.data(), good.knotCounts.data(),
                   good.cvCounts.data(), good.knots.data(), good.points.data(), good.reserved),
            E_INVALIDARG);
  EXPECT_EQ(At<57>(floor, LONG{4}, good.orders.data(), good.dimensions.data(), good.periodic.data(),
                   good.knotCounts.data(), good.cvCounts.data(), good.knots.data(),
                   static_cast<const double*>(nullptr), good.reserved),
            E_INVALIDARG);
  // A curve joins within the model's tolerance; a surface takes one loop.
  ASSERT_EQ(LoopIn({square[0], Moved(square[1], {0, 0, 5e-7}), square[2], square[3]}).AddTo(floor), S_OK);
  EXPECT_EQ(good.AddTo(floor), E_FAIL);
  EXPECT_EQ(Surfaces().Surfaces().back()->Loops().size(), 1u);
}

TEST_F(HostSurfaces, FacesComeFromTheLastSurfaceInOrder) {
  const double range[4] = {0, 1, 0, 2};
  VARIANT_BOOL made = VARIANT_TRUE;
  EXPECT_EQ(At<19>(body.Get(), &made), S_OK);  // no surface yet
  EXPECT_EQ(made, VARIANT_FALSE);
  EXPECT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, static_cast<const double*>(range)), E_FAIL);

  AddFloor();
  made = VARIANT_TRUE;
  EXPECT_EQ(At<19>(body.Get(), &made), S_OK);  // the plane has no loop
  EXPECT_EQ(made, VARIANT_FALSE);
  EXPECT_EQ(At<19>(body.Get(), static_cast<VARIANT_BOOL*>(nullptr)), E_POINTER);
  ASSERT_EQ(LoopIn(SquareLines()).AddTo(floor), S_OK);
  EXPECT_EQ(At<19>(body.Get(), &made), S_OK);
  EXPECT_EQ(made, VARIANT_TRUE);

  CountedPtr<HostSurface> surface;
  ASSERT_EQ(SmallSurface().MakeOn(body.Get(), surface), S_OK);
  struct Bad {
    LONG first, second;
    std::array<double, 4> range;
  };
  const Bad bad[] = {
      {0, 1, {0, 1, 0, 2}},    {1, 2, {0, 1, 0, 2}},      {1, 1, {0, 1, kNaN, 2}},
      {1, 1, {1, 0, 0, 2}},    {1, 1, {0, 1, 2, 2}},      {1, 1, {-0.1, 1, 0, 2}},
      {1, 1, {0, 1, 0, 2.5}},
  };
  for (const Bad& b : bad) EXPECT_EQ(At<53>(body.Get(), b.first, b.second, b.range.data()), E_INVALIDARG);
  EXPECT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, static_cast<const double*>(nullptr)), E_INVALIDARG);
  ASSERT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, static_cast<const double*>(range)), S_OK);
  EXPECT_EQ(host.Log().Args("HostBody", 53).back(), "1,1,[0,1,0,2]");
  const double inner[4] = {0.25, 0.5, 0.5, 1};
  ASSERT_EQ(At<53>(body.Get(), LONG{1}, LONG{1}, static_cast<const double*>(inner)), S_OK);

  const auto& faces = Surfaces().Faces();
  ASSERT_EQ(faces.size(), 3u);
  EXPECT_EQ(faces[0].surface, 0u);
  EXPECT_TRUE(faces[0].trimmed);
  EXPECT_EQ(faces[1].surface, 1u);
  EXPECT_FALSE(faces[1].trimmed);
  EXPECT_EQ(faces[1].range, (std::array<double, 4>{0, 1, 0, 2}));
  EXPECT_EQ(faces[2].range, (std::array<double, 4>{0.25, 0.5, 0.5, 1}));
}

// The unit cube of six planes, each trimmed by the four lines of its square.
void AddCube(HostBody* body) {
  for (size_t a = 0; a < 3; ++a)
    for (int side = 0; side < 2; ++side) {
      const size_t b = (a + 1) % 3, c = (a + 2) % 3;
      auto q = [&](double u, double v) {
        P3 p{};
        p[a] = side;
        p[b] = u;
        p[c] = v;
        return p;
      };
      P3 normal{};
      normal[a] = side ? 1 : -1;
      AddTrimmedPlane(body, PlaneIn{q(0, 0), normal},
                      LoopIn({Line(q(0, 0), q(1, 0)), Line(q(0, 0), q(0, 1)), Line(q(0, 1), q(1, 1)),
                              Line(q(1, 0), q(1, 1))}));
    }
}

// Method 12 on a body with surface faces: a closed set builds, with the kernel's
// verdict where there is one; the built body and its surfaces take nothing more.
TEST_F(HostSurfaces, ClosedFacesBuildAndTheBuiltBodyTakesNoMore) {
  AddCube(body.Get());
  ASSERT_EQ(Surfaces().Faces().size(), 6u);
  const auto first = CountedPtr<HostSurface>::Share(Surfaces().Surfaces()[0]->Interface());
  CountedPtr<IDispatch> built;
  ASSERT_EQ(At<12>(body.Get(), built.Out()), S_OK);
  standin::Document& doc = *host.ActiveDocument();
  ASSERT_EQ(doc.Bodies().size(), 1u);
  const standin::Body& b = *doc.Bodies()[0];
  EXPECT_EQ(b.Surfaces().Faces().size(), 6u);
  EXPECT_EQ(b.Surfaces().Surfaces().size(), 6u);
  EXPECT_TRUE(Surfaces().Faces().empty());
  if (standin::kKernelBacked) {
    ASSERT_TRUE(b.Surfaces().Solid());
    EXPECT_TRUE(b.Surfaces().Solid()->closed);
    EXPECT_TRUE(b.Surfaces().Solid()->valid);
    EXPECT_NEAR(b.Surfaces().Solid()->volume, 1.0, 1e-9);
  } else {
    EXPECT_FALSE(b.Surfaces().Solid());  // no kernel, no verdict
  }

  auto* builtBody = reinterpret_cast<HostBody*>(built.Get());
  const BSplineIn bspline = SmallSurface();
  CountedPtr<HostSurface> surface;
  EXPECT_EQ(bspline.MakeOn(builtBody, surface), E_UNEXPECTED);
  EXPECT_EQ((PlaneIn{{0, 0, 0}, {0, 0, 1}}.MakeOn(builtBody, surface)), E_UNEXPECTED);
  VARIANT_BOOL made = VARIANT_TRUE;
  EXPECT_EQ(At<19>(builtBody, &made), E_UNEXPECTED);
  EXPECT_EQ(made, VARIANT_FALSE);
  const double range[4] = {0, 1, 0, 1};
  EXPECT_EQ(At<53>(builtBody, LONG{1}, LONG{1}, static_cast<const double*>(range)), E_UNEXPECTED);
  EXPECT_FALSE(surface);
  EXPECT_EQ(LoopIn(SquareLines()).AddTo(first.Get()), E_UNEXPECTED);
  // The temporary body, now empty, does not build twice.
  EXPECT_EQ(At<12>(body.Get(), built.Out()), E_FAIL);
}

// A lone face is an open sheet: the kernel refuses it, as the planar check refuses
// an open shell; without a kernel the body is built from what it was given.
TEST_F(HostSurfaces, LoneFaceIsAnOpenSheet) {
  AddFloor();
  ASSERT_EQ(LoopIn(SquareLines()).AddTo(floor), S_OK);
  VARIANT_BOOL made = VARIANT_FALSE;
  ASSERT_EQ(At<19>(body.Get(), &made), S_OK);
  CountedPtr<IDispatch> built;
  const HRESULT hr = At<12>(body.Get(), built.Out());
  standin::Document& doc = *host.ActiveDocument();
  if (standin::kKernelBacked) {
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(built);
    EXPECT_TRUE(doc.Bodies().empty());
    EXPECT_NE(model->BuildProblem().find("do not close"), std::string::npos) << model->BuildProblem();
    EXPECT_EQ(model->Surfaces().Faces().size(), 1u);  // nothing refused is lost
  } else {
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(doc.Bodies().size(), 1u);
    EXPECT_EQ(doc.Bodies()[0]->Surfaces().Faces().size(), 1u);
  }
}

TEST_F(HostSurfaces, FaultsAndReferences) {
  host.InjectFault("HostBody", 50, Fault::NullOut(S_OK, 1));
  host.InjectFault("HostSurface", 57, Fault::Fail(S_FALSE, 1));
  CountedPtr<HostSurface> surface;
  EXPECT_EQ(SmallSurface().MakeOn(body.Get(), surface), S_OK);
  EXPECT_FALSE(surface);
  EXPECT_TRUE(Surfaces().Surfaces().empty());
  AddFloor();
  EXPECT_EQ(LoopIn(SquareLines()).AddTo(floor), S_FALSE);
  EXPECT_TRUE(Surfaces().Surfaces().back()->Loops().empty());
  EXPECT_EQ(LoopIn(SquareLines()).AddTo(floor), S_OK);

  // A surface the client does not release is a leak.
  const double origin[3] = {0, 0, 0}, normal[3] = {1, 0, 0};
  HostSurface* kept = nullptr;
  ASSERT_EQ(At<46>(body.Get(), static_cast<const double*>(origin), static_cast<const double*>(normal), &kept), S_OK);
  const auto problems = host.ReferenceProblems();
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems.back().rfind("HostSurface #", 0), 0u) << problems.back();
  kept->Release();
}

}  // namespace
