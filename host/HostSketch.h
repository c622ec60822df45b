// Sketches in the stand-in host: the entities the document methods draw (points,
// lines, circles, arcs, splines), the objects handed out for them, and the sketch's
// own role, which gives its lines, arcs, splines and polylines back as flat records
// of doubles. StandInHost.h describes the positions; this file holds the model.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "HostContract.h"
#include "HostCore.h"

namespace standin {

class Document;

inline const RoleInfo kRoleSketch{
    "HostSketch", {0x5354414E, 0x0007, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x07}}};
inline const RoleInfo kRoleSketchSegment{
    "HostSketchSegment", {0x5354414E, 0x0005, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x05}}};
inline const RoleInfo kRoleSketchPoint{
    "HostSketchPoint", {0x5354414E, 0x0008, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x08}}};

using Point3 = std::array<double, 3>;

// Entities as their document method gave them, in metres.
struct SketchLine {  // 542
  Point3 start;
  Point3 end;
};

struct SketchArc {
  Point3 centre;
  // 553: as given. 551: both the circle's point centre + (radius, 0, 0).
  Point3 start;
  Point3 end;
  SHORT direction = 1;  // 553: 1 counter-clockwise seen from +z, -1 clockwise; 551: 1
  bool fullCircle = false;  // made by 551
  double radius = 0.0;      // 551: as given; 553: the distance from the centre to the start
};

struct SketchSpline {
  bool fromNurbs = false;  // made by 578; else by 559
  // 559: the points it runs through; 578: its control points.
  std::vector<Point3> points;
  // 578 only: the properties (dimension, order, CV count, periodic flag) and the
  // order + CV count knots, as given.
  std::array<LONG, 4> properties{};
  std::vector<double> knots;
};

// What the sketch role hands out for one kind (see Sketch3D::Records).
enum class SketchRecordKind { Lines, Arcs, Splines, Polylines };

struct SketchRecords {
  // Doubles of the data call. For lines and arcs it follows from the count (12 and
  // 16 per record) and is only informative; for splines and polylines it is what
  // the count call reports as the size.
  LONG size = 0;
  LONG count = 0;  // records
  std::vector<double> data;
};

// The stand-in's own record layouts: what stands at the positions a reader does not
// read. Position 0 holds a kind code of the stand-in's (below), every other unread
// position 0.0; a polyline's count k at position 1 is kPolylineHeaderCount.
inline constexpr double kLineRecordCode = 1.0, kArcRecordCode = 2.0, kSplineRecordCode = 3.0,
                        kPolylineRecordCode = 4.0;
inline constexpr int kPolylineHeaderCount = 2;

// The object a document method hands out for an entity: a sketch point for 540,
// a sketch segment for the others.
class SketchSegment : public Object {
 public:
  enum class Kind { Point, Line, Arc, Spline };
  SketchSegment(HostCore& core, Kind kind, int sketch, size_t index);
  Kind EntityKind() const { return m_kind; }
  int SketchIndex() const { return m_sketch; }
  // The entity's index in its sketch's list of that kind (points, lines, arcs, splines).
  size_t Index() const { return m_index; }
  Face& SegmentFace() { return m_face; }

 private:
  Kind m_kind;
  int m_sketch;
  size_t m_index;
  Face m_face;
};

// The entries of the document methods that draw (StandInHost.cpp puts them in the
// document's table) and the tables of the sketch's own roles.
struct SketchEntries {
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreatePoint(Face* self, double x, double y, double z,
                                                               IDispatch** point);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreateLine(Face* self, double x1, double y1, double z1,
                                                              double x2, double y2, double z2, IDispatch** segment);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreateCircle(Face* self, double cx, double cy, double cz,
                                                                double radius, IDispatch** segment);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreateArc(Face* self, double cx, double cy, double cz, double sx,
                                                             double sy, double sz, double ex, double ey, double ez,
                                                             SHORT direction, IDispatch** segment);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreateSplineThroughPoints(Face* self, LONG count,
                                                                             const double* xyz, IDispatch** segment);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocCreateSplineFromNurbs(Face* self, const LONG* properties,
                                                                         const double* knots, const double* cvs,
                                                                         IDispatch** segment);
  static const MethodTable& SketchTable();
  static const MethodTable& SegmentTable();
  static const MethodTable& PointTable();

 private:
  // Makes the object for the entity just stored in the document's open sketch and
  // hands it out when the caller asked for it.
  static HRESULT HandOut(CallScope& call, Document& doc, SketchSegment::Kind kind, size_t index, IDispatch** out);
};

// One sketch: a 3D sketch of a part or assembly, entered and left by document
// method 656, or the one sketch of a drawing, always open. Its HostSketch face is
// what the readers of the host's sketches receive.
class Sketch3D : public Object {
 public:
  explicit Sketch3D(HostCore& core);

  // Entities in the order they were drawn, per kind. A test may add its own, for
  // instance polylines, which no document method draws.
  std::vector<Point3> points;
  std::vector<SketchLine> lines;
  std::vector<SketchArc> arcs;
  std::vector<SketchSpline> splines;
  std::vector<std::vector<Point3>> polylines;
  bool open = true;

  // The host's own interface of the sketch (no client reference).
  HostSketch* Interface() { return m_face.As<HostSketch>(); }

  // What the count and data calls of a kind give now: the entities above in the
  // record layouts, or what a test put in their place.
  SketchRecords Records(SketchRecordKind kind) const;
  // From now on the kind's count call reports records.count (lines, arcs) or
  // records.size and records.count (splines, polylines), whatever they are, and its
  // data call writes exactly the doubles that report implies: records.data, cut or
  // padded with zeros to that length. Nothing is checked: counts below 1, sizes
  // that do not match the data and counts stored as fractions are all handed out.
  void ReplaceRecords(SketchRecordKind kind, SketchRecords records);
  // Back to the entities.
  void RestoreRecords(SketchRecordKind kind);

 private:
  friend struct SketchEntries;
  std::array<std::optional<SketchRecords>, 4> m_replaced;
  std::deque<SketchSegment> m_handedOut;  // stable addresses: the client holds their faces
  Face m_face;
};

}  // namespace standin
