// Host sketches read back as curves: the sketch's count and data calls at their
// literal positions, the records walked as laid out (positions a reader must not
// read hold NaN in the records made here), counts stored as doubles, arcs in both
// senses, and hostile sketches, whose arrays AddressSanitizer watches.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "ZTKSWON.h"

namespace {

using standin::DocumentKind;
using standin::Fault;
using standin::Point3;
using standin::SketchRecordKind;
using standin::SketchRecords;
using Doubles = std::vector<double>;
using Lines = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;

Doubles Join(std::initializer_list<Doubles> parts) {
  Doubles out;
  for (const Doubles& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

void Put(Doubles& out, const Point3& p) { out.insert(out.end(), p.begin(), p.end()); }

// Records as the layouts have them, every position no reader reads a NaN.
Doubles LineRecord(const Point3& start, const Point3& end) {
  Doubles r(6, kNaN);
  Put(r, start);
  Put(r, end);
  return r;
}
Doubles ArcRecord(const Point3& start, const Point3& end, const Point3& centre, double direction) {
  Doubles r(6, kNaN);
  Put(r, start);
  Put(r, end);
  Put(r, centre);
  r.push_back(direction);
  return r;
}
// The point count stored as given; the points that follow as given.
Doubles SplineRecord(double n, std::initializer_list<Point3> points) {
  Doubles r(6, kNaN);
  r.push_back(n);
  for (const Point3& p : points) Put(r, p);
  return r;
}
// k stored as given at 1, the point count at trunc(k) + 8.
Doubles PolylineRecord(double k, double n, std::initializer_list<Point3> points) {
  Doubles r{kNaN, k};
  r.insert(r.end(), static_cast<size_t>(std::trunc(k)) + 6, kNaN);
  r.push_back(n);
  for (const Point3& p : points) Put(r, p);
  return r;
}

SketchRecords Records(LONG count, Doubles data) {
  const LONG size = static_cast<LONG>(data.size());
  return SketchRecords{size, count, std::move(data)};
}

// The same double, bit for bit (so -0.0 is not 0.0).
bool Same(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }
bool Same(const ON_3dPoint& p, const Point3& q) { return Same(p.x, q[0]) && Same(p.y, q[1]) && Same(p.z, q[2]); }

double Gap(const ON_3dPoint& p, const ON_3dPoint& q) { return p.DistanceTo(q); }
double Gap(const ON_3dVector& p, const ON_3dVector& q) { return (p - q).Length(); }
ON_3dPoint P(const Point3& p) { return ON_3dPoint(p[0], p[1], p[2]); }
ON_3dVector V(const Point3& v) { return ON_3dVector(v[0], v[1], v[2]); }

// An output of each kind holding one element beforehand, to show what a reader
// empties and what it keeps.
struct Filled {
  Filled() {
    lines.AppendNew();
    polylines.AppendNew().Append(1, 1, 1);
    splines.AppendNew();
    arcs.AppendNew();
  }
  ON_ClassArray<ON_Line> lines;
  ON_ClassArray<ON_Polyline> polylines;
  ON_ClassArray<ON_NurbsCurve> splines;
  ON_ClassArray<ON_Arc> arcs;
};

class SketchRead : public standin::StandInHostTest {
 protected:
  SketchRead() {
    // A part with one open 3D sketch, entered through the document's own interface.
    part = &host.AddDocument(DocumentKind::Part);
    EXPECT_EQ(HostOp::Call<656>(part->DocumentInterface(), LONG{0}), S_OK);
    sketch = &part->Sketch(0);
    host.Log().Clear();
  }
  HostSketch* Sketch() { return sketch->Interface(); }
  Lines SketchCalls() const { return host.Log().Lines("HostSketch"); }

  standin::Document* part = nullptr;
  standin::Sketch3D* sketch = nullptr;
};

// --- lines ----------------------------------------------------------------------------------

TEST_F(SketchRead, LinesComeBackExactlyInTheHostsOrderAndReplaceTheOutput) {
  sketch->lines = {{{0.1, -0.0, 1e-310}, {1e300, -2.5, 3}}, {{-1, -2, -3}, {0, 0, 0}}};
  ON_ClassArray<ON_Line> lines;
  lines.Append(ON_Line(ON_3dPoint(9, 9, 9), ON_3dPoint(8, 8, 8)));
  lines.Append(ON_Line(ON_3dPoint(7, 7, 7), ON_3dPoint(6, 6, 6)));
  ASSERT_EQ(GetSketchLines(Sketch(), lines), 1);
  ASSERT_EQ(lines.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(Same(lines[i].from, sketch->lines[static_cast<size_t>(i)].start)) << i;
    EXPECT_TRUE(Same(lines[i].to, sketch->lines[static_cast<size_t>(i)].end)) << i;
  }
  EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.33(&)", "HostSketch.146(&)"}));
}

TEST_F(SketchRead, OnlyTheStartAndEndOfALineRecordAreRead) {
  sketch->ReplaceRecords(SketchRecordKind::Lines,
                         Records(2, Join({LineRecord({1, 2, 3}, {4, 5, 6}), LineRecord({7, 8, 9}, {kInf, 0, 0})})));
  ON_ClassArray<ON_Line> lines;
  ASSERT_EQ(GetSketchLines(Sketch(), lines), 1);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_TRUE(Same(lines[0].from, {1, 2, 3}));
  EXPECT_TRUE(Same(lines[0].to, {4, 5, 6}));
  EXPECT_TRUE(Same(lines[1].from, {7, 8, 9}));
  EXPECT_TRUE(Same(lines[1].to, {kInf, 0, 0}));  // as the host gave it
}

// --- polylines --------------------------------------------------------------------------------

TEST_F(SketchRead, PolylinesAreWalkedByTheirCountsAndAnEmptyOneIsKept) {
  // k = 0 and k = 5 with NaN at every unread position; an n of 0 appends an empty
  // polyline and the next record starts right after its point count.
  sketch->ReplaceRecords(SketchRecordKind::Polylines,
                         Records(4, Join({PolylineRecord(0, 2, {{1, 2, 3}, {4, 5, 6}}), PolylineRecord(5, 0, {}),
                                          PolylineRecord(2.9, 3.9, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}),
                                          PolylineRecord(0, 1, {{-1, -1, -1}})})));
  ON_ClassArray<ON_Polyline> polylines;
  polylines.AppendNew().Append(5, 5, 5);
  ASSERT_EQ(GetSketchPolylines(Sketch(), polylines), 1);
  ASSERT_EQ(polylines.Count(), 4);
  ASSERT_EQ(polylines[0].Count(), 2);
  EXPECT_TRUE(Same(polylines[0][0], {1, 2, 3}));
  EXPECT_TRUE(Same(polylines[0][1], {4, 5, 6}));
  EXPECT_EQ(polylines[1].Count(), 0);
  ASSERT_EQ(polylines[2].Count(), 3);  // k 2.9 read as 2, n 3.9 as 3
  EXPECT_TRUE(Same(polylines[2][2], {1, 1, 0}));
  ASSERT_EQ(polylines[3].Count(), 1);
  EXPECT_TRUE(Same(polylines[3][0], {-1, -1, -1}));
  EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.187(&,&)", "HostSketch.186(&)"}));
}

TEST_F(SketchRead, TheStandInsOwnPolylinesComeBack) {
  sketch->polylines = {{{1, 0, 0}, {2, 0, 0}, {3, 1, 0}}, {}};
  ON_ClassArray<ON_Polyline> polylines;
  ASSERT_EQ(GetSketchPolylines(Sketch(), polylines), 1);
  ASSERT_EQ(polylines.Count(), 2);
  ASSERT_EQ(polylines[0].Count(), 3);
  EXPECT_TRUE(Same(polylines[0][2], {3, 1, 0}));
  EXPECT_EQ(polylines[1].Count(), 0);
}

// --- splines ----------------------------------------------------------------------------------

TEST_F(SketchRead, SplinePointsBecomeTheControlPointsOfAClampedQuadratic) {
  sketch->ReplaceRecords(
      SketchRecordKind::Splines,
      Records(2, Join({SplineRecord(5, {{0, 0, 0}, {1, 2, 0}, {2, 0, 1}, {3, 2, 0}, {4, 0, 0}}),
                       SplineRecord(3.9, {{1, 1, 1}, {2, 2, 2}, {3, 3, 1}, {kNaN, kNaN, kNaN}})})));
  ON_ClassArray<ON_NurbsCurve> splines;
  splines.AppendNew();
  ASSERT_EQ(GetSketchSplines(Sketch(), splines), 1);
  ASSERT_EQ(splines.Count(), 2);
  const ON_NurbsCurve& a = splines[0];
  EXPECT_EQ(a.Dimension(), 3);
  EXPECT_EQ(a.Order(), 3);
  EXPECT_FALSE(a.IsRational());
  ASSERT_EQ(a.CVCount(), 5);
  EXPECT_EQ(Doubles(a.Knot(), a.Knot() + a.KnotCount()), (Doubles{0, 0, 1, 2, 3, 3}));
  ON_3dPoint cv;
  ASSERT_TRUE(a.GetCV(3, cv));
  EXPECT_TRUE(Same(cv, {3, 2, 0}));
  EXPECT_TRUE(a.IsValid());
  // 3.9 is read as 3: the fourth point (NaN) is never read, and would start the
  // next record if there were one.
  const ON_NurbsCurve& b = splines[1];
  ASSERT_EQ(b.CVCount(), 3);
  EXPECT_EQ(Doubles(b.Knot(), b.Knot() + b.KnotCount()), (Doubles{0, 0, 1, 1}));
  EXPECT_TRUE(b.IsValid());
  EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.37(&,&)", "HostSketch.150(&)"}));
}

TEST_F(SketchRead, SplinesOfTooFewPointsStillGiveOneCurveEach) {
  sketch->ReplaceRecords(SketchRecordKind::Splines,
                         Records(4, Join({SplineRecord(2, {{0, 0, 0}, {1, 1, 1}}), SplineRecord(1, {{5, 5, 5}}),
                                          SplineRecord(0, {}), SplineRecord(-0.5, {})})));
  ON_ClassArray<ON_NurbsCurve> splines;
  ASSERT_EQ(GetSketchSplines(Sketch(), splines), 1);
  ASSERT_EQ(splines.Count(), 4);
  // Two points: the straight segment between them, of order 2.
  EXPECT_EQ(splines[0].Order(), 2);
  EXPECT_EQ(splines[0].CVCount(), 2);
  EXPECT_TRUE(splines[0].IsValid());
  EXPECT_TRUE(Same(splines[0].PointAtEnd(), {1, 1, 1}));
  // One point and none (-0.5 is truncated to 0): no curve can be made; an empty one.
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(splines[i].CVCount(), 0) << i;
    EXPECT_FALSE(splines[i].IsValid()) << i;
  }
}

// --- arcs -------------------------------------------------------------------------------------

struct ArcCase {
  const char* name;
  Point3 start, end, centre;
  double direction;
  // What comes back: a full circle, or an arc of `sweep` about `normal` through `mid`.
  bool circle;
  double radius;
  double sweep;
  Point3 normal;
  Point3 mid;
};
void PrintTo(const ArcCase& c, std::ostream* os) { *os << c.name; }

const double kR = std::sqrt(0.5);
// The angle of a chord of 0.00011 on the unit circle.
const double kChord11 = 2 * std::asin(0.000055);

class ArcCases : public SketchRead, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(ArcCases, ArcComesBackWithItsCentreRadiusEndsAndSense) {
  const ArcCase& c = GetParam();
  sketch->ReplaceRecords(SketchRecordKind::Arcs, Records(1, ArcRecord(c.start, c.end, c.centre, c.direction)));
  ON_ClassArray<ON_Arc> arcs;
  ASSERT_EQ(GetSketchArcs(Sketch(), arcs), 1);
  ASSERT_EQ(arcs.Count(), 1);
  const ON_Arc& arc = arcs[0];
  EXPECT_TRUE(arc.IsValid());
  EXPECT_EQ(arc.IsCircle(), c.circle);
  EXPECT_TRUE(Same(arc.Center(), c.centre));
  EXPECT_DOUBLE_EQ(arc.Radius(), c.radius);
  EXPECT_LT(Gap(arc.Normal(), V(c.normal)), 1e-12);
  if (c.circle) {
    // About the centre, parallel to the world XY plane, from the world X axis.
    EXPECT_EQ(arc.AngleRadians(), 6.283185307179586);
    EXPECT_LT(Gap(arc.plane.xaxis, ON_3dVector(1, 0, 0)), 1e-15);
    EXPECT_LT(Gap(arc.StartPoint(), P(c.centre) + ON_3dVector(c.radius, 0, 0)), 1e-12);
    return;
  }
  EXPECT_NEAR(arc.AngleRadians(), c.sweep, 1e-12);
  EXPECT_LT(Gap(arc.StartPoint(), P(c.start)), 1e-12);
  EXPECT_LT(Gap(arc.EndPoint(), P(c.end)), 1e-12 * c.radius);
  EXPECT_LT(Gap(arc.MidPoint(), P(c.mid)), 1e-12 * c.radius);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ArcCases,
    ::testing::Values(
        // Start and end 0.0001 apart (exactly, as doubles): a full circle; 0.00011
        // apart along the circle: an arc of that chord.
        ArcCase{"FullCircleAt0_0001", {1, 0, 0}, {1, 0.0001, 0}, {0, 0, 0}, 1, true, 1, 0, {0, 0, 1}, {}},
        ArcCase{"OrdinaryArcAt0_00011", {1, 0, 0}, {std::cos(kChord11), std::sin(kChord11), 0}, {0, 0, 0}, 1, false,
                1, kChord11, {0, 0, 1}, {std::cos(kChord11 / 2), std::sin(kChord11 / 2), 0}},
        ArcCase{"ClockwiseNearlyFullAt0_00011", {1, 0, 0}, {std::cos(kChord11), std::sin(kChord11), 0}, {0, 0, 0},
                -1, false, 1, 2 * kPi - kChord11, {0, 0, -1}, {-std::cos(kChord11 / 2), -std::sin(kChord11 / 2), 0}},
        // A full circle ignores the tilt of its start: it is parallel to XY.
        ArcCase{"FullCircleOfATiltedStart", {0, 0.6, 5.8}, {0, 0.6, 5.8}, {0, 0, 5}, -1, true, 1, 0, {0, 0, 1}, {}},
        ArcCase{"QuarterCounterClockwise", {2, 1, 0}, {1, 2, 0}, {1, 1, 0}, 1, false, 1, kPi / 2, {0, 0, 1},
                {1 + kR, 1 + kR, 0}},
        ArcCase{"QuarterEndsClockwise", {2, 1, 0}, {1, 2, 0}, {1, 1, 0}, -1, false, 1, 3 * kPi / 2, {0, 0, -1},
                {1 - kR, 1 - kR, 0}},
        ArcCase{"ThreeQuartersCounterClockwise", {3, 0, 0}, {0, -3, 0}, {0, 0, 0}, 1, false, 3, 3 * kPi / 2,
                {0, 0, 1}, {-3 * kR, 3 * kR, 0}},
        ArcCase{"ThreeQuarterEndsClockwise", {3, 0, 0}, {0, -3, 0}, {0, 0, 0}, -1, false, 3, kPi / 2, {0, 0, -1},
                {3 * kR, -3 * kR, 0}},
        // Only -1.0 exactly is clockwise.
        ArcCase{"DirectionZeroPointFive", {2, 1, 0}, {1, 2, 0}, {1, 1, 0}, 0.5, false, 1, kPi / 2, {0, 0, 1},
                {1 + kR, 1 + kR, 0}},
        ArcCase{"DirectionNearMinusOne", {2, 1, 0}, {1, 2, 0}, {1, 1, 0}, -1.0000000001, false, 1, kPi / 2,
                {0, 0, 1}, {1 + kR, 1 + kR, 0}},
        // Just below pi the angle passes; just above it is negated, and the arc still
        // runs counter-clockwise, the long way round about the reversed plane.
        ArcCase{"JustBelowAHalfTurn", {1, 0, 0}, {std::cos(kPi - 1e-3), std::sin(kPi - 1e-3), 0}, {0, 0, 0}, 1,
                false, 1, kPi - 1e-3, {0, 0, 1}, {std::cos(kPi / 2 - 5e-4), std::sin(kPi / 2 - 5e-4), 0}},
        ArcCase{"JustAboveAHalfTurn", {1, 0, 0}, {std::cos(kPi + 1e-3), std::sin(kPi + 1e-3), 0}, {0, 0, 0}, 1,
                false, 1, kPi + 1e-3, {0, 0, 1}, {std::cos(kPi / 2 + 5e-4), std::sin(kPi / 2 + 5e-4), 0}},
        // Half circles take the second frame and run the way their direction says.
        ArcCase{"HalfCircleCounterClockwise", {1.6, 2.8, 3}, {0.4, 1.2, 3}, {1, 2, 3}, 1, false, 1, kPi, {0, 0, 1},
                {1 - 0.8, 2 + 0.6, 3}},
        ArcCase{"HalfCircleClockwise", {1.6, 2.8, 3}, {0.4, 1.2, 3}, {1, 2, 3}, -1, false, 1, kPi, {0, 0, -1},
                {1 + 0.8, 2 - 0.6, 3}},
        // An arc in a vertical plane runs from its start to its end the short way.
        ArcCase{"VerticalQuarter", {1, 0, 0}, {0, 0, 1}, {0, 0, 0}, 1, false, 1, kPi / 2, {0, -1, 0},
                {kR, 0, kR}}),
    [](const ::testing::TestParamInfo<ArcCase>& i) { return std::string(i.param.name); });

TEST_F(SketchRead, TheHalfCircleTakesTheSecondFrame) {
  // start - centre = (0.6, 0.8, 0) times 2; turned a quarter about Z: (-0.8, 0.6, 0).
  sketch->ReplaceRecords(SketchRecordKind::Arcs,
                         Records(2, Join({ArcRecord({2.2, 3.6, 3}, {-0.2, 0.4, 3}, {1, 2, 3}, 1),
                                          ArcRecord({2.2, 3.6, 3}, {-0.2, 0.4, 3}, {1, 2, 3}, -1)})));
  ON_ClassArray<ON_Arc> arcs;
  ASSERT_EQ(GetSketchArcs(Sketch(), arcs), 1);
  ASSERT_EQ(arcs.Count(), 2);
  // Counter-clockwise: the frame itself, x along start - centre, y the turned copy.
  EXPECT_LT(Gap(arcs[0].plane.xaxis, ON_3dVector(0.6, 0.8, 0)), 1e-15);
  EXPECT_LT(Gap(arcs[0].plane.yaxis, ON_3dVector(-0.8, 0.6, 0)), 1e-15);
  EXPECT_EQ(arcs[0].m_angle[0], 0.0);
  EXPECT_NEAR(arcs[0].m_angle[1], kPi, 1e-15);
  // Clockwise: the same frame reversed by the negated angle.
  EXPECT_LT(Gap(arcs[1].plane.xaxis, ON_3dVector(0.6, 0.8, 0)), 1e-15);
  EXPECT_LT(Gap(arcs[1].plane.yaxis, ON_3dVector(0.8, -0.6, 0)), 1e-15);
  EXPECT_NEAR(arcs[1].m_angle[1], kPi, 1e-15);
  EXPECT_LT(Gap(arcs[1].MidPoint(), ON_3dPoint(1 + 1.6, 2 - 1.2, 3)), 1e-12);
}

TEST_F(SketchRead, ArcsAreAppendedToWhatTheOutputHolds) {
  sketch->arcs.push_back(standin::SketchArc{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1, false, 1});
  ON_ClassArray<ON_Arc> arcs;
  arcs.AppendNew().Create(ON_3dPoint(5, 5, 5), 2.0, 1.0);
  arcs.AppendNew().Create(ON_3dPoint(6, 6, 6), 3.0, 2.0);
  ASSERT_EQ(GetSketchArcs(Sketch(), arcs), 1);
  ASSERT_EQ(arcs.Count(), 3);
  EXPECT_EQ(arcs[0].Radius(), 2.0);
  EXPECT_EQ(arcs[1].Radius(), 3.0);
  EXPECT_LT(Gap(arcs[2].EndPoint(), ON_3dPoint(0, 1, 0)), 1e-15);
  EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.34(&)", "HostSketch.148(&)"}));
}

TEST_F(SketchRead, ArcsOfValuesNoArcHasAreStillOneElementEach) {
  // A start on the centre, a vertical half circle (no plane through it is the one),
  // and a NaN: one arc each, not valid, and no crash.
  sketch->ReplaceRecords(SketchRecordKind::Arcs,
                         Records(3, Join({ArcRecord({0, 0, 0}, {1, 0, 0}, {0, 0, 0}, 1),
                                          ArcRecord({0, 0, 1}, {0, 0, -1}, {0, 0, 0}, 1),
                                          ArcRecord({kNaN, 0, 0}, {1, 0, 0}, {0, 0, 0}, -1)})));
  ON_ClassArray<ON_Arc> arcs;
  ASSERT_EQ(GetSketchArcs(Sketch(), arcs), 1);
  ASSERT_EQ(arcs.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(arcs[i].IsValid()) << i;
}

// --- hostile sketches ---------------------------------------------------------------------

// Records a spline or polyline reader must refuse without reading past the array:
// each gives 0 with the output emptied.
struct HostileCase {
  const char* name;
  SketchRecordKind kind;
  SketchRecords records;
  bool dataCalled;  // whether the counts let the reader get that far
};
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileRecords : public SketchRead, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileRecords, GiveZeroAndAnEmptyOutput) {
  const HostileCase& c = GetParam();
  sketch->ReplaceRecords(c.kind, c.records);
  BOOL result = -1;
  int left = -1;
  if (c.kind == SketchRecordKind::Splines) {
    ON_ClassArray<ON_NurbsCurve> splines;
    splines.AppendNew();
    result = GetSketchSplines(Sketch(), splines);
    left = splines.Count();
  } else {
    ON_ClassArray<ON_Polyline> polylines;
    polylines.AppendNew();
    result = GetSketchPolylines(Sketch(), polylines);
    left = polylines.Count();
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(left, 0);
  const int data = c.kind == SketchRecordKind::Splines ? 150 : 186;
  EXPECT_EQ(host.Log().Count("HostSketch", data), c.dataCalled ? 1u : 0u);
}

SketchRecords Sized(LONG size, LONG count, Doubles data) { return SketchRecords{size, count, std::move(data)}; }

INSTANTIATE_TEST_SUITE_P(
    Counts, HostileRecords,
    ::testing::Values(
        HostileCase{"SplineSizeZero", SketchRecordKind::Splines, Sized(0, 1, SplineRecord(0, {})), false},
        HostileCase{"SplineSizeNegative", SketchRecordKind::Splines, Sized(-7, 1, SplineRecord(0, {})), false},
        HostileCase{"SplineCountZero", SketchRecordKind::Splines, Sized(7, 0, SplineRecord(0, {})), false},
        HostileCase{"SplineCountNegative", SketchRecordKind::Splines, Sized(7, -1, SplineRecord(0, {})), false},
        HostileCase{"SplineHeadPastTheArray", SketchRecordKind::Splines, Sized(6, 1, SplineRecord(0, {})), true},
        HostileCase{"SplinePointsPastTheArray", SketchRecordKind::Splines,
                    Records(1, SplineRecord(3, {{1, 1, 1}, {2, 2, 2}})), true},
        HostileCase{"SplinePointCutShort", SketchRecordKind::Splines,
                    Sized(15, 1, SplineRecord(3, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}})), true},
        HostileCase{"SplineCountPastTheRecords", SketchRecordKind::Splines,
                    Records(3, Join({SplineRecord(1, {{1, 1, 1}}), SplineRecord(1, {{2, 2, 2}})})), true},
        HostileCase{"SplinePointCountNegative", SketchRecordKind::Splines,
                    Records(2, Join({SplineRecord(-1, {}), SplineRecord(0, {})})), true},
        HostileCase{"SplinePointCountNaN", SketchRecordKind::Splines, Records(1, SplineRecord(kNaN, {})), true},
        HostileCase{"SplinePointCountInfinite", SketchRecordKind::Splines, Records(1, SplineRecord(kInf, {})), true},
        HostileCase{"SplinePointCountHuge", SketchRecordKind::Splines, Records(1, SplineRecord(1e300, {})), true},
        HostileCase{"SplinePointCountBeyondLong", SketchRecordKind::Splines,
                    Records(1, SplineRecord(4294967297.0, {{1, 1, 1}})), true},
        HostileCase{"PolylineSizeZero", SketchRecordKind::Polylines, Sized(0, 1, PolylineRecord(0, 0, {})), false},
        HostileCase{"PolylineCountZero", SketchRecordKind::Polylines, Sized(9, 0, PolylineRecord(0, 0, {})),
                    false},
        HostileCase{"PolylineKPastTheArray", SketchRecordKind::Polylines, Sized(1, 1, PolylineRecord(0, 0, {})),
                    true},
        HostileCase{"PolylinePointCountPastTheArray", SketchRecordKind::Polylines,
                    Sized(8, 1, PolylineRecord(0, 0, {})), true},
        HostileCase{"PolylineKNegative", SketchRecordKind::Polylines,
                    Records(1, Doubles{kNaN, -9, 0, 0, 0, 0, 0, 0, 0, 0, 0}), true},
        HostileCase{"PolylineKNaN", SketchRecordKind::Polylines, Records(1, Doubles{kNaN, kNaN, 0, 0, 0, 0, 0, 0, 0}),
                    true},
        HostileCase{"PolylineKHuge", SketchRecordKind::Polylines,
                    Records(1, Doubles{kNaN, 1e18, 0, 0, 0, 0, 0, 0, 0}), true},
        HostileCase{"PolylineKPutsTheCountPastTheArray", SketchRecordKind::Polylines,
                    Records(1, Doubles{kNaN, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}), true},
        HostileCase{"PolylinePointsPastTheArray", SketchRecordKind::Polylines,
                    Records(1, PolylineRecord(2, 2, {{1, 2, 3}})), true},
        HostileCase{"PolylinePointCountNegative", SketchRecordKind::Polylines,
                    Records(1, PolylineRecord(0, -3, {{1, 2, 3}})), true},
        HostileCase{"PolylinePointCountNaN", SketchRecordKind::Polylines, Records(1, PolylineRecord(0, kNaN, {})),
                    true},
        HostileCase{"PolylineCountPastTheRecords", SketchRecordKind::Polylines,
                    Records(2, PolylineRecord(0, 1, {{1, 2, 3}})), true}),
    [](const ::testing::TestParamInfo<HostileCase>& i) { return std::string(i.param.name); });

TEST_F(SketchRead, DoublesBeyondTheLastRecordAreNotAnError) {
  Doubles splines = Join({SplineRecord(1, {{1, 2, 3}}), Doubles(5, kNaN)});
  sketch->ReplaceRecords(SketchRecordKind::Splines, Records(1, splines));
  ON_ClassArray<ON_NurbsCurve> curves;
  EXPECT_EQ(GetSketchSplines(Sketch(), curves), 1);
  EXPECT_EQ(curves.Count(), 1);
}

TEST_F(SketchRead, CountsBelowOneEndTheReadersBeforeTheDataCall) {
  sketch->lines = {{{0, 0, 0}, {1, 1, 1}}};
  sketch->arcs.push_back(standin::SketchArc{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1, false, 1});
  for (LONG count : {LONG{0}, LONG{-1}, std::numeric_limits<LONG>::min()}) {
    SCOPED_TRACE(count);
    host.Log().Clear();
    sketch->ReplaceRecords(SketchRecordKind::Lines, Records(count, LineRecord({1, 1, 1}, {2, 2, 2})));
    sketch->ReplaceRecords(SketchRecordKind::Arcs, Records(count, ArcRecord({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1)));
    ON_ClassArray<ON_Line> lines;
    lines.AppendNew();
    ON_ClassArray<ON_Arc> arcs;
    arcs.AppendNew();
    EXPECT_EQ(GetSketchLines(Sketch(), lines), 0);
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(GetSketchArcs(Sketch(), arcs), 0);
    EXPECT_EQ(arcs.Count(), 1);  // as it was
    EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.33(&)", "HostSketch.34(&)"}));
  }
}

// Each reader with its count and data position: the count call failing or handing
// out null reads as no entities; a data call that does not return S_OK (failing,
// or failing after it wrote the records) gives 0 and nothing read.
TEST_F(SketchRead, FailingCallsGiveZeroAndLeaveTheOutputEmptyOrAsItWas) {
  sketch->lines = {{{0, 0, 0}, {1, 1, 1}}};
  sketch->arcs.push_back(standin::SketchArc{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1, false, 1});
  sketch->splines.push_back(standin::SketchSpline{false, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {}, {}});
  sketch->polylines = {{{0, 0, 0}, {1, 0, 0}}};
  struct Step {
    int method;
    Fault fault;
  };
  const Step steps[] = {{33, Fault::Fail(E_FAIL)},         {34, Fault::NullOut(S_OK)},
                        {37, Fault::NullOut(E_FAIL)},      {187, Fault::Fail(E_UNEXPECTED)},
                        {146, Fault::Fail(E_FAIL)},        {148, Fault::After(S_FALSE)},
                        {150, Fault::After(E_FAIL)},       {186, Fault::Fail(E_OUTOFMEMORY)},
                        {186, Fault::After(S_FALSE)},      {146, Fault::After(S_FALSE)}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.method);
    host.ClearFaults();
    host.InjectFault("HostSketch", s.method, s.fault);
    Filled o;
    const bool lineFault = s.method == 33 || s.method == 146;
    const bool polylineFault = s.method == 187 || s.method == 186;
    const bool splineFault = s.method == 37 || s.method == 150;
    const bool arcFault = s.method == 34 || s.method == 148;
    EXPECT_EQ(GetSketchLines(Sketch(), o.lines), lineFault ? 0 : 1);
    EXPECT_EQ(o.lines.Count(), lineFault ? 0 : 1);
    EXPECT_EQ(GetSketchPolylines(Sketch(), o.polylines), polylineFault ? 0 : 1);
    EXPECT_EQ(o.polylines.Count(), polylineFault ? 0 : 1);
    EXPECT_EQ(GetSketchSplines(Sketch(), o.splines), splineFault ? 0 : 1);
    EXPECT_EQ(o.splines.Count(), splineFault ? 0 : 1);
    EXPECT_EQ(GetSketchArcs(Sketch(), o.arcs), arcFault ? 0 : 1);
    EXPECT_EQ(o.arcs.Count(), arcFault ? 1 : 2);
  }
}

// A data call that says S_OK but writes nothing leaves the zeros the reader put
// there, never what the memory held before.
TEST_F(SketchRead, ADataCallThatWritesNothingReadsAsZeros) {
  sketch->lines = {{{3, 3, 3}, {4, 4, 4}}, {{5, 5, 5}, {6, 6, 6}}};
  sketch->splines.push_back(standin::SketchSpline{false, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {}, {}});
  host.InjectFault("HostSketch", 146, Fault::NullOut(S_OK));
  host.InjectFault("HostSketch", 150, Fault::NullOut(S_OK));
  ON_ClassArray<ON_Line> lines;
  ASSERT_EQ(GetSketchLines(Sketch(), lines), 1);
  ASSERT_EQ(lines.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(Same(lines[i].from, {0, 0, 0}));
    EXPECT_TRUE(Same(lines[i].to, {0, 0, 0}));
  }
  // 16 zeros: one record (the count) of no point.
  ON_ClassArray<ON_NurbsCurve> splines;
  ASSERT_EQ(GetSketchSplines(Sketch(), splines), 1);
  ASSERT_EQ(splines.Count(), 1);
  EXPECT_EQ(splines[0].CVCount(), 0);
}

TEST_F(SketchRead, ANullSketchReadsAsNothing) {
  Filled o;
  EXPECT_EQ(GetSketchLines(nullptr, o.lines), 0);
  EXPECT_EQ(GetSketchPolylines(nullptr, o.polylines), 0);
  EXPECT_EQ(GetSketchSplines(nullptr, o.splines), 0);
  EXPECT_EQ(GetSketchArcs(nullptr, o.arcs), 0);
  EXPECT_EQ(o.lines.Count() + o.polylines.Count() + o.splines.Count(), 0);
  EXPECT_EQ(o.arcs.Count(), 1);
  ON_CurveArray curves;
  curves.Append(new ON_LineCurve(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0)));
  EXPECT_EQ(GetSketchCurves(nullptr, curves), 1);
  EXPECT_EQ(curves.Count(), 0);
}

// --- all curves -------------------------------------------------------------------------------

TEST_F(SketchRead, CurvesHoldLinesThenPolylinesThenSplinesThenArcs) {
  sketch->lines = {{{0, 0, 0}, {1, 0, 0}}, {{1, 0, 0}, {1, 1, 0}}};
  sketch->polylines = {{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}};
  sketch->arcs.push_back(standin::SketchArc{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1, false, 1});
  ON_CurveArray curves;
  // Curves the array held are deleted (LeakSanitizer would see them otherwise).
  curves.Append(new ON_ArcCurve(ON_Arc(ON_3dPoint(9, 9, 9), 1.0, 1.0)));
  curves.Append(new ON_PolylineCurve());
  ASSERT_EQ(GetSketchCurves(Sketch(), curves), 1);
  ASSERT_EQ(curves.Count(), 4);
  const auto* l0 = dynamic_cast<const ON_LineCurve*>(curves[0]);
  const auto* l1 = dynamic_cast<const ON_LineCurve*>(curves[1]);
  const auto* pl = dynamic_cast<const ON_PolylineCurve*>(curves[2]);
  const auto* arc = dynamic_cast<const ON_ArcCurve*>(curves[3]);
  ASSERT_TRUE(l0 && l1 && pl && arc);
  EXPECT_TRUE(Same(l0->m_line.to, {1, 0, 0}));
  EXPECT_TRUE(Same(l1->m_line.to, {1, 1, 0}));
  EXPECT_EQ(pl->PointCount(), 3);
  EXPECT_TRUE(Same(pl->Point(2), {2, 2, 0}));
  EXPECT_NEAR(arc->AngleRadians(), kPi / 2, 1e-15);
  EXPECT_EQ(SketchCalls(), (Lines{"HostSketch.33(&)", "HostSketch.146(&)", "HostSketch.187(&,&)",
                                  "HostSketch.186(&)", "HostSketch.37(&,&)", "HostSketch.34(&)",
                                  "HostSketch.148(&)"}));
}

TEST_F(SketchRead, CurvesOfASketchWithoutLinesOrWithFailingKinds) {
  sketch->splines.push_back(standin::SketchSpline{false, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {}, {}});
  sketch->arcs.push_back(standin::SketchArc{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, 1, true, 1});
  sketch->polylines = {{{0, 0, 0}, {2, 0, 0}}};
  host.InjectFault("HostSketch", 186, Fault::Fail(E_FAIL));  // the polylines fail
  ON_ClassArray<ON_Line> lines;
  EXPECT_EQ(GetSketchLines(Sketch(), lines), 0);
  EXPECT_EQ(lines.Count(), 0);
  ON_CurveArray curves;
  ASSERT_EQ(GetSketchCurves(Sketch(), curves), 1);
  ASSERT_EQ(curves.Count(), 2);
  const auto* spline = dynamic_cast<const ON_NurbsCurve*>(curves[0]);
  const auto* circle = dynamic_cast<const ON_ArcCurve*>(curves[1]);
  ASSERT_TRUE(spline && circle);
  EXPECT_EQ(spline->CVCount(), 3);
  EXPECT_TRUE(circle->IsCircle());
}

}  // namespace
