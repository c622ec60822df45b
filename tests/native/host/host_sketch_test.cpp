// The stand-in host's sketches: the entity methods of the document, what they store
// and refuse, the records the sketch role hands back, records a test puts in their
// place, and the assemblies and drawings of application methods 21 and 47. Calls go
// through literal table positions, as a client's do.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using standin::DocumentKind;
using standin::Fault;
using standin::Point3;
using standin::SketchRecordKind;
using standin::SketchRecords;
using Doubles = std::vector<double>;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The entity methods, each with its literal position and exact argument types.
HRESULT Point(HostDocument* d, double x, double y, double z, IDispatch** out) { return At<540>(d, x, y, z, out); }
HRESULT Line(HostDocument* d, const Point3& a, const Point3& b, IDispatch** out) {
  return At<542>(d, a[0], a[1], a[2], b[0], b[1], b[2], out);
}
HRESULT Circle(HostDocument* d, const Point3& c, double radius, IDispatch** out) {
  return At<551>(d, c[0], c[1], c[2], radius, out);
}
HRESULT Arc(HostDocument* d, const Point3& c, const Point3& s, const Point3& e, SHORT direction, IDispatch** out) {
  return At<553>(d, c[0], c[1], c[2], s[0], s[1], s[2], e[0], e[1], e[2], direction, out);
}
HRESULT SplineThrough(HostDocument* d, LONG count, const double* xyz, IDispatch** out) {
  return At<559>(d, count, xyz, out);
}
HRESULT SplineNurbs(HostDocument* d, const LONG* properties, const double* knots, const double* cvs,
                    IDispatch** out) {
  return At<578>(d, properties, knots, cvs, out);
}

// What a reader does: the count call, then an array of exactly the size it
// implies, which the data call fills. AddressSanitizer sees any write past it.
struct Read {
  HRESULT countResult = E_FAIL;
  HRESULT dataResult = E_FAIL;
  LONG size = 0;
  LONG count = 0;
  Doubles data;
};

Read ReadKind(HostSketch* sketch, SketchRecordKind kind) {
  Read r;
  int64_t length = 0;
  switch (kind) {
    case SketchRecordKind::Lines:
      r.countResult = At<33>(sketch, &r.count);
      length = 12 * static_cast<int64_t>(r.count);
      break;
    case SketchRecordKind::Arcs:
      r.countResult = At<34>(sketch, &r.count);
      length = 16 * static_cast<int64_t>(r.count);
      break;
    case SketchRecordKind::Splines:
      r.countResult = At<37>(sketch, &r.size, &r.count);
      length = r.size;
      break;
    case SketchRecordKind::Polylines:
      r.countResult = At<187>(sketch, &r.size, &r.count);
      length = r.size;
      break;
  }
  if (length < 1) return r;
  r.data.assign(static_cast<size_t>(length), -99.0);
  double* array = r.data.data();
  switch (kind) {
    case SketchRecordKind::Lines: r.dataResult = At<146>(sketch, array); break;
    case SketchRecordKind::Arcs: r.dataResult = At<148>(sketch, array); break;
    case SketchRecordKind::Splines: r.dataResult = At<150>(sketch, array); break;
    case SketchRecordKind::Polylines: r.dataResult = At<186>(sketch, array); break;
  }
  return r;
}

class HostSketches : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK);
    ASSERT_EQ(At<8>(host.Application(), doc.Out()), S_OK);
    made = host.ActiveDocument();
  }
  // Enters a new 3D sketch and gives it.
  standin::Sketch3D& Enter() {
    EXPECT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
    return made->Sketch(made->Sketches().size() - 1);
  }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  standin::Document* made = nullptr;
};

// --- what the entity methods store ------------------------------------------------------

TEST_F(HostSketches, EachEntityIsStoredAsGivenInTheOpenSketch) {
  standin::Sketch3D& first = Enter();
  CountedPtr<IDispatch> out;
  EXPECT_EQ(Point(doc.Get(), 0.1, -0.2, 0.3, out.Out()), S_OK);
  EXPECT_TRUE(out);
  EXPECT_EQ(Line(doc.Get(), {0, 0, 0}, {0.0254, 0, 0}, out.Out()), S_OK);
  EXPECT_EQ(Circle(doc.Get(), {1, 2, 0}, 0.5, out.Out()), S_OK);
  EXPECT_EQ(Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, SHORT{-1}, out.Out()), S_OK);
  const double through[] = {0, 0, 0, 1, 1, 0, 2, 0, 1e-3};
  EXPECT_EQ(SplineThrough(doc.Get(), LONG{3}, through, out.Out()), S_OK);
  const LONG properties[] = {3, 4, 4, 0};
  const double knots[] = {0, 0, 0, 0, 1, 1, 1, 1};
  const double cvs[] = {0, 0, 0, 1, 2, 0, 3, 2, 0, 4, 0, 0};
  EXPECT_EQ(SplineNurbs(doc.Get(), properties, knots, cvs, out.Out()), S_OK);
  out.Reset();
  EXPECT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
  // A second sketch takes what comes after it is entered; the first keeps its own.
  standin::Sketch3D& second = Enter();
  EXPECT_EQ(Point(doc.Get(), 5, 5, 5, static_cast<IDispatch**>(nullptr)), S_OK);

  EXPECT_EQ(first.points, (std::vector<Point3>{{0.1, -0.2, 0.3}}));
  ASSERT_EQ(first.lines.size(), 1u);
  EXPECT_EQ(first.lines[0].end, (Point3{0.0254, 0, 0}));
  ASSERT_EQ(first.arcs.size(), 2u);
  EXPECT_TRUE(first.arcs[0].fullCircle);
  EXPECT_EQ(first.arcs[0].centre, (Point3{1, 2, 0}));
  EXPECT_EQ(first.arcs[0].radius, 0.5);
  EXPECT_EQ(first.arcs[0].start, (Point3{1.5, 2, 0}));
  EXPECT_EQ(first.arcs[0].end, first.arcs[0].start);
  EXPECT_EQ(first.arcs[0].direction, 1);
  EXPECT_FALSE(first.arcs[1].fullCircle);
  EXPECT_EQ(first.arcs[1].start, (Point3{1, 0, 0}));
  EXPECT_EQ(first.arcs[1].end, (Point3{0, 1, 0}));
  EXPECT_EQ(first.arcs[1].direction, -1);
  EXPECT_EQ(first.arcs[1].radius, 1.0);
  ASSERT_EQ(first.splines.size(), 2u);
  EXPECT_FALSE(first.splines[0].fromNurbs);
  EXPECT_EQ(first.splines[0].points, (std::vector<Point3>{{0, 0, 0}, {1, 1, 0}, {2, 0, 1e-3}}));
  EXPECT_TRUE(first.splines[1].fromNurbs);
  EXPECT_EQ(first.splines[1].properties, (std::array<LONG, 4>{3, 4, 4, 0}));
  EXPECT_EQ(first.splines[1].knots, (Doubles{0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(first.splines[1].points, (std::vector<Point3>{{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}}));
  EXPECT_EQ(second.points, (std::vector<Point3>{{5, 5, 5}}));
  EXPECT_TRUE(second.lines.empty() && second.arcs.empty() && second.splines.empty());

  // The log keeps every argument as the client passed it.
  EXPECT_EQ(host.Log().Args("HostDocument", 540), (std::vector<std::string>{"0.1,-0.2,0.3,&", "5,5,5,null"}));
  EXPECT_EQ(host.Log().Args("HostDocument", 551), (std::vector<std::string>{"1,2,0,0.5,&"}));
  EXPECT_EQ(host.Log().Args("HostDocument", 553), (std::vector<std::string>{"0,0,0,1,0,0,0,1,0,-1,&"}));
  EXPECT_EQ(host.Log().Args("HostDocument", 559), (std::vector<std::string>{"3,[0,0,0,1,1,0,2,0,0.001],&"}));
  EXPECT_EQ(host.Log().Args("HostDocument", 578),
            (std::vector<std::string>{"[3,4,4,0],[0,0,0,0,1,1,1,1],[0,0,0,1,2,0,3,2,0,4,0,0],&"}));
}

// Every entity method hands out an object with one client reference, a point for
// 540 and a segment for the others; one left unreleased is a leak.
TEST(HostSketchObjects, HandedOutEntitiesCarryOneReference) {
  standin::StandInHost host;
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK);
  ASSERT_EQ(At<8>(host.Application(), doc.Out()), S_OK);
  ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
  const double xyz[] = {0, 0, 0, 1, 0, 0};
  const LONG properties[] = {3, 2, 2, 0};
  const double knots[] = {0, 0, 1, 1};
  struct Case {
    const char* role;
    HRESULT (*draw)(HostDocument*, IDispatch**, const double*, const LONG*, const double*);
  };
  const Case cases[] = {
      {"HostSketchPoint", [](HostDocument* d, IDispatch** o, const double*, const LONG*, const double*) {
         return Point(d, 1, 2, 3, o);
       }},
      {"HostSketchSegment", [](HostDocument* d, IDispatch** o, const double*, const LONG*, const double*) {
         return Line(d, {0, 0, 0}, {1, 0, 0}, o);
       }},
      {"HostSketchSegment", [](HostDocument* d, IDispatch** o, const double*, const LONG*, const double*) {
         return Circle(d, {0, 0, 0}, 1, o);
       }},
      {"HostSketchSegment", [](HostDocument* d, IDispatch** o, const double*, const LONG*, const double*) {
         return Arc(d, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, SHORT{1}, o);
       }},
      {"HostSketchSegment", [](HostDocument* d, IDispatch** o, const double* p, const LONG*, const double*) {
         return SplineThrough(d, LONG{2}, p, o);
       }},
      {"HostSketchSegment", [](HostDocument* d, IDispatch** o, const double* p, const LONG* props, const double* k) {
         return SplineNurbs(d, props, k, p, o);
       }},
  };
  const size_t held = host.ReferenceProblems().size();  // the part and the document
  for (const Case& c : cases) {
    SCOPED_TRACE(c.role);
    IDispatch* entity = nullptr;
    ASSERT_EQ(c.draw(doc.Get(), &entity, xyz, properties, knots), S_OK);
    ASSERT_NE(entity, nullptr);
    const auto problems = host.ReferenceProblems();
    ASSERT_EQ(problems.size(), held + 1);
    EXPECT_EQ(problems.back().rfind(std::string(c.role) + " #", 0), 0u) << problems.back();
    entity->Release();
    EXPECT_EQ(host.ReferenceProblems().size(), held);
  }
  doc.Reset();
  part.Reset();
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

// --- what they refuse ---------------------------------------------------------------------

TEST_F(HostSketches, OutsideASketchEveryEntityIsRefused) {
  // Before the first 656, and after the sketch was left again.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const double xyz[] = {0, 0, 0, 1, 0, 0};
    const LONG properties[] = {3, 2, 2, 0};
    const double knots[] = {0, 0, 1, 1};
    IDispatch* out = reinterpret_cast<IDispatch*>(&host);  // must come back null
    EXPECT_EQ(Point(doc.Get(), 0, 0, 0, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Line(doc.Get(), {0, 0, 0}, {1, 0, 0}, &out), E_FAIL);
    EXPECT_EQ(Circle(doc.Get(), {0, 0, 0}, 1, &out), E_FAIL);
    EXPECT_EQ(Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, SHORT{1}, &out), E_FAIL);
    EXPECT_EQ(SplineThrough(doc.Get(), LONG{2}, xyz, &out), E_FAIL);
    EXPECT_EQ(SplineNurbs(doc.Get(), properties, knots, xyz, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    if (round == 0) {
      ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
      ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
    }
  }
  ASSERT_EQ(made->Sketches().size(), 1u);
  const standin::Sketch3D& s = made->Sketches()[0];
  EXPECT_TRUE(s.points.empty() && s.lines.empty() && s.arcs.empty() && s.splines.empty());
  EXPECT_EQ(made->RefusedLines(), 2);
}

TEST_F(HostSketches, BadDataIsRefusedAndNothingStored) {
  Enter();
  const double two[] = {0, 0, 0, 1, 0, 0};
  const double withNan[] = {0, 0, 0, 1, kNan, 0};
  const LONG cubic[] = {3, 4, 4, 0};
  const double cubicKnots[] = {0, 0, 0, 0, 1, 1, 1, 1};
  const double cubicCvs[] = {0, 0, 0, 1, 1, 0, 2, 1, 0, 3, 0, 0};
  struct Nurbs {
    std::vector<LONG> properties;
    Doubles knots;
    Doubles cvs;
  };
  auto nurbs = [&](const Nurbs& n) {
    IDispatch* out = nullptr;
    const HRESULT hr = SplineNurbs(doc.Get(), n.properties.empty() ? nullptr : n.properties.data(),
                                   n.knots.empty() ? nullptr : n.knots.data(), n.cvs.empty() ? nullptr : n.cvs.data(),
                                   &out);
    EXPECT_EQ(out, nullptr);
    return hr;
  };
  const Doubles knots(cubicKnots, cubicKnots + 8), cvs(cubicCvs, cubicCvs + 12);
  struct Case {
    const char* name;
    HRESULT hr;
  };
  IDispatch* out = nullptr;
  const Case cases[] = {
      {"540 not a number", Point(doc.Get(), 0, kNan, 0, &out)},
      {"540 infinite", Point(doc.Get(), kInf, 0, 0, &out)},
      {"542 infinite end", Line(doc.Get(), {0, 0, 0}, {0, 0, -kInf}, &out)},
      {"551 radius 0", Circle(doc.Get(), {0, 0, 0}, 0.0, &out)},
      {"551 radius negative", Circle(doc.Get(), {0, 0, 0}, -1.0, &out)},
      {"551 radius not a number", Circle(doc.Get(), {0, 0, 0}, kNan, &out)},
      {"551 centre infinite", Circle(doc.Get(), {kInf, 0, 0}, 1.0, &out)},
      {"551 circle beyond the doubles", Circle(doc.Get(), {1.5e308, 0, 0}, 1.5e308, &out)},
      {"553 direction 0", Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, SHORT{0}, &out)},
      {"553 direction 2", Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, SHORT{2}, &out)},
      {"553 end 1e-8 farther than start", Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1 + 1e-8, 0}, SHORT{1}, &out)},
      {"553 start on the centre", Arc(doc.Get(), {1, 1, 0}, {1, 1, 0}, {1, 1, 0}, SHORT{1}, &out)},
      {"553 end not a number", Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, kNan, 0}, SHORT{1}, &out)},
      {"553 distances beyond the doubles",
       Arc(doc.Get(), {-1e308, 0, 0}, {1e308, 0, 0}, {-1e308, 1.7e308, 0}, SHORT{1}, &out)},
      {"559 one point", SplineThrough(doc.Get(), LONG{1}, two, &out)},
      {"559 no point", SplineThrough(doc.Get(), LONG{0}, two, &out)},
      {"559 negative count", SplineThrough(doc.Get(), LONG{-3}, two, &out)},
      {"559 null array", SplineThrough(doc.Get(), LONG{2}, nullptr, &out)},
      {"559 not a number", SplineThrough(doc.Get(), LONG{2}, withNan, &out)},
      {"578 null properties", nurbs({{}, knots, cvs})},
      {"578 null knots", nurbs({{3, 4, 4, 0}, {}, cvs})},
      {"578 null CVs", nurbs({{3, 4, 4, 0}, knots, {}})},
      {"578 dimension 2", nurbs({{2, 4, 4, 0}, knots, cvs})},
      {"578 dimension 4", nurbs({{4, 4, 4, 0}, knots, cvs})},
      {"578 order 1", nurbs({{3, 1, 4, 0}, knots, cvs})},
      {"578 order 0", nurbs({{3, 0, 4, 0}, knots, cvs})},
      {"578 fewer CVs than the order", nurbs({{3, 4, 3, 0}, knots, cvs})},
      {"578 periodic flag 2", nurbs({{3, 4, 4, 2}, knots, cvs})},
      {"578 a knot decreases", nurbs({{3, 4, 4, 0}, {0, 0, 0, 0, 1, 1, 0.5, 1}, cvs})},
      {"578 a knot not a number", nurbs({{3, 4, 4, 0}, {0, 0, 0, 0, kNan, 1, 1, 1}, cvs})},
      {"578 an empty domain", nurbs({{3, 4, 4, 0}, {0, 0, 0, 1, 1, 2, 2, 2}, cvs})},
      {"578 a CV infinite", nurbs({{3, 4, 4, 0}, knots, {0, 0, 0, 1, 1, 0, 2, kInf, 0, 3, 0, 0}})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.hr, E_INVALIDARG) << c.name;
  EXPECT_EQ(out, nullptr);
  const standin::Sketch3D& s = made->Sketches().back();
  EXPECT_TRUE(s.points.empty() && s.lines.empty() && s.arcs.empty() && s.splines.empty());
  EXPECT_EQ(made->RefusedLines(), 0);  // only lines outside a sketch are counted

  // What lies just inside the limits is taken: start and end 1e-10 apart in
  // distance from the centre, order 2 with 2 CVs, a periodic flag of 1, interior
  // knots that repeat.
  IDispatch** none = nullptr;
  EXPECT_EQ(Arc(doc.Get(), {0, 0, 0}, {1, 0, 0}, {0, 1 + 1e-10, 0}, SHORT{1}, none), S_OK);
  EXPECT_EQ(Arc(doc.Get(), {0, 0, 0}, {1e-9, 0, 0}, {0, 1e-9, 0}, SHORT{-1}, none), S_OK);  // a tiny arc
  const LONG line[] = {3, 2, 2, 0};
  const double lineKnots[] = {0, 0, 1, 1};
  EXPECT_EQ(SplineNurbs(doc.Get(), line, lineKnots, two, none), S_OK);
  EXPECT_EQ(SplineNurbs(doc.Get(), cubic, cubicKnots, cubicCvs, none), S_OK);
  const LONG periodic[] = {3, 3, 4, 1};
  const double repeated[] = {0, 0, 0, 1, 1, 2, 2};
  EXPECT_EQ(SplineNurbs(doc.Get(), periodic, repeated, cubicCvs, none), S_OK);
  EXPECT_EQ(s.arcs.size(), 2u);
  EXPECT_EQ(s.splines.size(), 3u);
}

// --- the sketch role ------------------------------------------------------------------------

TEST_F(HostSketches, TheSketchHandsOutItsEntitiesInTheirRecordLayouts) {
  standin::Sketch3D& s = Enter();
  IDispatch** none = nullptr;
  Line(doc.Get(), {1, 2, 3}, {4, 5, 6}, none);
  Point(doc.Get(), 9, 9, 9, none);  // points are not handed out
  Circle(doc.Get(), {1, 1, 0}, 2.0, none);
  Line(doc.Get(), {-1, -2, -3}, {0, 0, 0}, none);
  Arc(doc.Get(), {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, SHORT{-1}, none);
  const double through[] = {0, 0, 0, 1, 1, 1};
  SplineThrough(doc.Get(), LONG{2}, through, none);
  const LONG properties[] = {3, 2, 3, 0};
  const double knots[] = {0, 0, 0.5, 1, 1};
  const double cvs[] = {7, 7, 7, 8, 8, 8, 9, 9, 9};
  SplineNurbs(doc.Get(), properties, knots, cvs, none);
  s.polylines = {{{1, 0, 0}, {2, 0, 0}, {3, 1, 0}}, {}};
  HostSketch* sketch = s.Interface();

  const Read lines = ReadKind(sketch, SketchRecordKind::Lines);
  EXPECT_EQ(lines.countResult, S_OK);
  EXPECT_EQ(lines.dataResult, S_OK);
  EXPECT_EQ(lines.count, 2);
  EXPECT_EQ(lines.data, (Doubles{1, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6,  //
                                 1, 0, 0, 0, 0, 0, -1, -2, -3, 0, 0, 0}));
  const Read arcs = ReadKind(sketch, SketchRecordKind::Arcs);
  EXPECT_EQ(arcs.count, 2);
  EXPECT_EQ(arcs.dataResult, S_OK);
  EXPECT_EQ(arcs.data, (Doubles{2, 0, 0, 0, 0, 0, 3, 1, 0, 3, 1, 0, 1, 1, 0, 1,  // the circle
                                2, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, -1}));
  const Read splines = ReadKind(sketch, SketchRecordKind::Splines);
  EXPECT_EQ(splines.count, 2);
  EXPECT_EQ(splines.size, 13 + 16);
  EXPECT_EQ(splines.data, (Doubles{3, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 1, 1,  // 559: its points
                                   3, 0, 0, 0, 0, 0, 3, 7, 7, 7, 8, 8, 8, 9, 9, 9}));  // 578: its CVs
  const Read polylines = ReadKind(sketch, SketchRecordKind::Polylines);
  EXPECT_EQ(polylines.count, 2);
  EXPECT_EQ(polylines.size, 20 + 11);
  EXPECT_EQ(polylines.data, (Doubles{4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1, 0, 0, 2, 0, 0, 3, 1, 0,  //
                                     4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));  // k = 2, n at k + 8
  EXPECT_EQ(host.Log().Lines("HostSketch"),
            (std::vector<std::string>{"HostSketch.33(&)", "HostSketch.146(&)", "HostSketch.34(&)", "HostSketch.148(&)",
                                      "HostSketch.37(&,&)", "HostSketch.150(&)",
                                      "HostSketch.187(&,&)", "HostSketch.186(&)"}));
}

TEST_F(HostSketches, AnEmptySketchReportsNothingAndTheDataCallsWriteNothing) {
  standin::Sketch3D& s = Enter();
  HostSketch* sketch = s.Interface();
  LONG count = 7, size = 7;
  EXPECT_EQ(At<33>(sketch, &count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(At<187>(sketch, &size, &count), S_OK);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(count, 0);
  double untouched = 5.0;
  EXPECT_EQ(At<146>(sketch, &untouched), S_OK);
  EXPECT_EQ(At<150>(sketch, &untouched), S_OK);
  EXPECT_EQ(untouched, 5.0);
  // Null pointers are refused.
  EXPECT_EQ(At<34>(sketch, static_cast<LONG*>(nullptr)), E_POINTER);
  EXPECT_EQ(At<37>(sketch, &size, static_cast<LONG*>(nullptr)), E_POINTER);
  EXPECT_EQ(At<148>(sketch, static_cast<double*>(nullptr)), E_POINTER);
}

// A test's records replace a kind's entities: the count call reports them as they
// are, and the data call writes exactly what that report implies, cut or padded with
// zeros, so a reader that allocates what it was told is never written past.
TEST_F(HostSketches, RecordsOfATestsOwnAreHandedOutExactlyAsReported) {
  standin::Sketch3D& s = Enter();
  Line(doc.Get(), {1, 1, 1}, {2, 2, 2}, static_cast<IDispatch**>(nullptr));
  HostSketch* sketch = s.Interface();
  Doubles polyline = {4, 1, 0, 0, 0, 0, 0, 0, 0, 3.9, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  // Each case: the kind, the records put in place (size, count, data) and what the
  // data call writes (nothing when the count call reports none).
  auto check = [&](const char* name, SketchRecordKind kind, const SketchRecords& records, const Doubles& expected) {
    SCOPED_TRACE(name);
    s.ReplaceRecords(kind, records);
    const Read r = ReadKind(sketch, kind);
    EXPECT_EQ(r.countResult, S_OK);
    EXPECT_EQ(r.count, records.count);
    if (kind == SketchRecordKind::Splines || kind == SketchRecordKind::Polylines) {
      EXPECT_EQ(r.size, records.size);
    }
    EXPECT_EQ(r.data, expected);
    EXPECT_EQ(s.Records(kind).data, records.data);
  };
  Doubles padded(12, 1.5);
  padded.resize(24, 0.0);
  check("a line count of 2 with one record: padded", SketchRecordKind::Lines, {0, 2, Doubles(12, 1.5)}, padded);
  check("an arc count of 1 with more data: cut", SketchRecordKind::Arcs, {0, 1, Doubles(40, 2.0)}, Doubles(16, 2.0));
  check("a line count of 0", SketchRecordKind::Lines, {0, 0, Doubles(12, 1.0)}, {});
  check("an arc count of -5", SketchRecordKind::Arcs, {0, -5, {}}, {});
  check("a spline size shorter than its record", SketchRecordKind::Splines, {5, 1, {3, 0, 0, 0, 0, 0, 2, 1, 1, 1}},
        {3, 0, 0, 0, 0});
  check("a spline point count stored as 3.9", SketchRecordKind::Splines,
        {13, 1, {3, 0, 0, 0, 0, 0, 3.9, 1, 2, 3, 4, 5, 6}}, {3, 0, 0, 0, 0, 0, 3.9, 1, 2, 3, 4, 5, 6});
  check("a spline size with no data", SketchRecordKind::Splines, {4, 9, {}}, {0, 0, 0, 0});
  check("a spline count of 0 with a size", SketchRecordKind::Splines, {10, 0, Doubles(10, 1.0)}, Doubles(10, 1.0));
  check("a polyline size of -1", SketchRecordKind::Polylines, {-1, 1, polyline}, {});
  check("a polyline whose point count runs past the size", SketchRecordKind::Polylines, {12, 1, polyline},
        Doubles(polyline.begin(), polyline.begin() + 12));
  check("a polyline with n = 0 then another", SketchRecordKind::Polylines,
        {22, 2, {4, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 7, 8, 9}},
        {4, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 7, 8, 9, 0});
  // Back to the sketch's own line.
  s.RestoreRecords(SketchRecordKind::Lines);
  const Read lines = ReadKind(sketch, SketchRecordKind::Lines);
  EXPECT_EQ(lines.count, 1);
  EXPECT_EQ(lines.data, (Doubles{1, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));
}

TEST_F(HostSketches, FaultsMakeTheCountAndDataCallsFail) {
  standin::Sketch3D& s = Enter();
  Line(doc.Get(), {1, 1, 1}, {2, 2, 2}, static_cast<IDispatch**>(nullptr));
  s.polylines = {{{1, 0, 0}, {2, 0, 0}}};
  HostSketch* sketch = s.Interface();
  host.InjectFault("HostSketch", 33, Fault::Fail(E_FAIL, 1));
  host.InjectFault("HostSketch", 187, Fault::NullOut(S_OK, 1));
  host.InjectFault("HostSketch", 146, Fault::NullOut(E_UNEXPECTED, 1));
  host.InjectFault("HostSketch", 186, Fault::Fail(E_FAIL));

  LONG count = 0;
  EXPECT_EQ(At<33>(sketch, &count), E_FAIL);  // fails and reports nothing
  EXPECT_EQ(count, 0);
  LONG size = 3;
  count = 3;
  EXPECT_EQ(At<187>(sketch, &size, &count), S_OK);  // succeeds with counts of 0
  EXPECT_EQ(size, 0);
  EXPECT_EQ(count, 0);
  // The data calls fail and leave the array as it was, whatever the fault says.
  const Read lines = ReadKind(sketch, SketchRecordKind::Lines);
  EXPECT_EQ(lines.countResult, S_OK);
  EXPECT_EQ(lines.dataResult, E_UNEXPECTED);
  EXPECT_EQ(lines.data, Doubles(12, -99.0));
  const Read polylines = ReadKind(sketch, SketchRecordKind::Polylines);
  EXPECT_EQ(polylines.dataResult, E_FAIL);
  EXPECT_EQ(polylines.data, Doubles(17, -99.0));
  // A fault that has passed leaves the call working.
  EXPECT_EQ(ReadKind(sketch, SketchRecordKind::Lines).data, (Doubles{1, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));
}

// --- assemblies and drawings --------------------------------------------------------------

TEST(HostDocumentKinds, AssembliesAndDrawingsAreMadeActiveAndHandedOut) {
  standin::StandInHost host;
  HostApplication* app = host.Application();
  {
    CountedPtr<HostAssemblyDocument> assembly;
    ASSERT_EQ(At<21>(app, assembly.Out()), S_OK);
    ASSERT_TRUE(assembly);
    standin::Document* made = host.ActiveDocument();
    EXPECT_EQ(made->Kind(), DocumentKind::Assembly);
    EXPECT_EQ(static_cast<void*>(assembly.Get()), made->AssemblyInterface());
    EXPECT_FALSE(made->DrawingValues());
    // An assembly's 3D sketch takes entities as a part's does.
    CountedPtr<HostDocument> doc;
    ASSERT_EQ(At<8>(app, doc.Out()), S_OK);
    EXPECT_EQ(Point(doc.Get(), 1, 2, 3, static_cast<IDispatch**>(nullptr)), E_FAIL);
    ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
    EXPECT_EQ(Point(doc.Get(), 1, 2, 3, static_cast<IDispatch**>(nullptr)), S_OK);
    EXPECT_EQ(made->Sketches().back().points.size(), 1u);
  }
  {
    CountedPtr<HostDrawingDocument> drawing;
    ASSERT_EQ(At<47>(app, LONG{11}, int64_t{0}, LONG{11}, 0.0, 0.0, drawing.Out()), S_OK);
    ASSERT_TRUE(drawing);
    standin::Document* made = host.ActiveDocument();
    EXPECT_EQ(made->Kind(), DocumentKind::Drawing);
    EXPECT_EQ(static_cast<void*>(drawing.Get()), made->DrawingInterface());
    EXPECT_EQ(made->DrawingValues(), (standin::NewDrawingValues{11, 0, 11, 0.0, 0.0}));
    EXPECT_EQ(host.Log().Args("HostApplication", 47), (std::vector<std::string>{"11,0,11,0,0,&"}));
    // The drawing's one sketch takes entities at once; 656 is refused and changes nothing.
    CountedPtr<HostDocument> doc;
    ASSERT_EQ(At<8>(app, doc.Out()), S_OK);
    EXPECT_TRUE(made->InSketch());
    CountedPtr<IDispatch> segment;
    EXPECT_EQ(Line(doc.Get(), {0, 0, 0}, {0.1, 0, 0}, segment.Out()), S_OK);
    EXPECT_TRUE(segment);
    EXPECT_EQ(At<656>(doc.Get(), LONG{0}), E_FAIL);
    EXPECT_EQ(Circle(doc.Get(), {0, 0, 0}, 0.1, static_cast<IDispatch**>(nullptr)), S_OK);
    ASSERT_EQ(made->Sketches().size(), 1u);
    EXPECT_EQ(made->Sketches()[0].lines.size(), 1u);
    EXPECT_EQ(made->Sketches()[0].arcs.size(), 1u);
    LONG count = 0;
    EXPECT_EQ(At<34>(made->Sketch(0).Interface(), &count), S_OK);
    EXPECT_EQ(count, 1);
    // Other values are recorded as they come.
    CountedPtr<HostDrawingDocument> other;
    ASSERT_EQ(At<47>(app, LONG{-3}, int64_t{0x123456789}, LONG{7}, 0.42, -1.5, other.Out()), S_OK);
    EXPECT_EQ(host.ActiveDocument()->DrawingValues(), (standin::NewDrawingValues{-3, 0x123456789, 7, 0.42, -1.5}));
  }
  EXPECT_EQ(host.Documents().size(), 3u);
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

TEST(HostDocumentKinds, NullOutPointersAndFaults) {
  standin::StandInHost host;
  HostApplication* app = host.Application();
  EXPECT_EQ(At<21>(app, static_cast<HostAssemblyDocument**>(nullptr)), E_POINTER);
  EXPECT_EQ(At<47>(app, LONG{11}, int64_t{0}, LONG{11}, 0.0, 0.0, static_cast<HostDrawingDocument**>(nullptr)),
            E_POINTER);
  EXPECT_TRUE(host.Documents().empty());
  host.InjectFault("HostApplication", 21, Fault::NullOut(S_OK));
  host.InjectFault("HostApplication", 47, Fault::Fail(E_FAIL));
  CountedPtr<HostAssemblyDocument> assembly;
  EXPECT_EQ(At<21>(app, assembly.Out()), S_OK);
  EXPECT_FALSE(assembly);
  CountedPtr<HostDrawingDocument> drawing;
  EXPECT_EQ(At<47>(app, LONG{11}, int64_t{0}, LONG{11}, 0.0, 0.0, drawing.Out()), E_FAIL);
  EXPECT_FALSE(drawing);
  EXPECT_TRUE(host.Documents().empty());
  EXPECT_EQ(host.ActiveDocument(), nullptr);
}

}  // namespace
