// Surfaces on temporary bodies, as a modeller takes them: body method 50 makes a
// B-spline surface, 46 a plane, 19 the trimmed face of the body's last surface, 53
// the face of the last surface over a parameter range, and HostSurface method 57
// adds a trimming loop to a surface. Body method 12 (StandInHost.h) then sews the
// body's faces. The arrays are kept as the host received them, for tests to look
// at, and refused, as a modeller refuses them, when they do not describe valid
// geometry. All lengths are metres; LONG is 32 bits.
//
// What the methods take:
//   HostBody 50 (const LONG* header, const double* uKnots, const double* vKnots,
//                const double* points, HostSurface** out)
//       header: order u, order v, CV count v, CV count u, periodic u (0/1),
//       periodic v, 3, 0; u knots: order u + count u values; v knots: order v +
//       count v; points: count u x count v x 3, point (i, j) at 3 * (j * count u + i).
//   HostBody 46 (const double* origin[3], const double* normal[3], HostSurface** out)
//   HostSurface 57 (LONG n, const LONG* orders, const LONG* dimensions,
//                   const LONG* periodic, const LONG* knotCounts, const LONG* cvCounts,
//                   const double* knots, const double* points, const void* reserved)
//       dimensions: -3 for the first curve, 3 for every other; knot counts are
//       order + CV count; knots and points (3 per CV) run curve after curve;
//       reserved is null.
//   HostBody 19 (VARIANT_BOOL* made): the face of the last surface made on the body,
//       bounded by its trimming loop.
//   HostBody 53 (LONG 1, LONG 1, const double* range[4]: umin, umax, vmin, vmax):
//       the face of the last surface over that parameter range.
// An out-surface carries one reference for the client.
//
// Geometry conventions of this host:
// - Periodic flags are kept; the geometry is the B-spline of the knots and points
//   as they stand, which describe a periodic surface or curve as well.
// - A plane's parameters are lengths from its origin along two axes in the plane:
//   x, the unit projection onto the plane of the world axis least aligned with the
//   normal (the first of x, y, z on a tie), and y = normal x x (PlaneAxes). The
//   range of method 53 on a plane is a rectangle in that frame.
// - Points closer than kModelTolerance are one point: curve ends that join, curves
//   on their surface, faces that sew.
//
// What the host refuses (nothing refused is stored; an out-surface is set null;
// the reason is kept in LastRefusal()):
// - any of them on a body that was built, not temporary, and 57 on a surface of a
//   built body: E_UNEXPECTED; a null out-pointer: E_POINTER;
// - 50: a null array; header entries 7 and 8 other than 3 and 0; an order below 2
//   or above kMaxOrder; fewer CVs than the order, or more than kMaxPoints; a
//   periodic flag other than 0 or 1; a knot vector that decreases, repeats a knot
//   more often than the order (at its ends) or the order less one (inside), or has
//   no span of positive length; a value that is not finite: E_INVALIDARG. The
//   native build also refuses what the kernel will not make a surface of;
// - 46: a null array, a value that is not finite or a normal of length 0: E_INVALIDARG;
// - 57: n below 1 or above kMaxCurves, a null array or a non-null last argument,
//   dimension entries other than -3 and then 3, a curve that is not a valid
//   B-spline by the rules of 50 or whose knot count is not order + CV count, curves
//   that do not join end to end into one closed loop (each taken in whichever
//   direction fits, growing the loop at either end, in the order given): E_INVALIDARG;
//   a second loop on a surface: E_FAIL (faces have no holes here). The native build
//   also refuses, E_INVALIDARG, a curve that leaves its surface (the Windows build
//   has no kernel to tell);
// - 19: S_OK with VARIANT_FALSE when the body has no surface, its last surface has
//   no loop, or (native) the kernel cannot make the face;
// - 53: leading values other than 1 and 1, a null range, a range that is not finite
//   or not increasing, or that leaves a B-spline surface's domain: E_INVALIDARG; no
//   surface on the body: E_FAIL; (native) a face the kernel cannot make: E_FAIL.
//
// Body method 12 on a body with at least one face of 19 or 53:
// - native build: the modeller (Modeller.h) makes kernel faces of them and of the
//   body's planar faces (method 72) and sews them. Faces that close into shells
//   give a solid each, kept with the kernel's verdict (Solid()); faces that leave
//   an edge free (gaps, or an open sheet such as a lone surface face) or share an
//   edge among more than two faces (overlaps) are refused with E_FAIL, as the
//   planar-face check refuses open shells: a body is a solid or nothing;
// - Windows build (no kernel): the body is built from its faces as given, with no
//   verdict, S_OK.
// Bodies of planar faces only keep the planar check (ShellCheck.h).
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostContract.h"
#include "HostCore.h"
#include "ShellCheck.h"

namespace standin {

inline const RoleInfo kRoleSurface{
    "HostSurface", {0x5354414E, 0x0020, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x20}}};

// Whether body method 12 asks a real kernel (native build) or builds without one.
#ifdef STANDIN_KERNEL
inline constexpr bool kKernelBacked = true;
#else
inline constexpr bool kKernelBacked = false;
#endif

inline constexpr double kModelTolerance = 1e-6;  // metres
inline constexpr int kMaxOrder = 26;              // degree 25, the kernel's largest
inline constexpr long long kMaxPoints = 10'000'000;  // per surface, and per loop
inline constexpr int kMaxCurves = 100'000;           // per loop

using Point3 = std::array<double, 3>;

enum class SurfaceKind { BSpline, Plane };

// One surface as body method 50 or 46 received it.
struct SurfaceArrays {
  SurfaceKind kind = SurfaceKind::BSpline;
  // B-spline
  std::array<LONG, 8> header{};
  std::vector<double> uKnots, vKnots, points;
  // plane
  Point3 origin{}, normal{};

  int OrderU() const { return header[0]; }
  int OrderV() const { return header[1]; }
  int CountV() const { return header[2]; }
  int CountU() const { return header[3]; }
  // umin, umax, vmin, vmax of a B-spline surface: from knot order - 1 to knot count.
  std::array<double, 4> Domain() const;
};

// One curve of a trimming loop, pointing into the loop's arrays.
struct LoopCurve {
  int order;
  int count;  // CVs
  bool periodic;
  const double* knots;   // order + count
  const double* points;  // 3 * count
};

// One trimming loop as surface method 57 received it.
struct TrimLoop {
  std::vector<LONG> orders, dimensions, periodic, knotCounts, cvCounts;
  std::vector<double> knots, points;

  size_t Count() const { return orders.size(); }
  LoopCurve Curve(size_t k) const;

 private:
  friend struct SurfaceEntries;
  std::vector<size_t> m_knotStart, m_pointStart;
};

// A face made on a body by method 19 (trimmed by its surface's loop) or 53 (over a range).
struct ModelFace {
  size_t surface;  // index into the body's surfaces
  bool trimmed;
  std::array<double, 4> range{};  // method 53's umin, umax, vmin, vmax
};

// The kernel's verdict on a built body (native build).
struct SolidVerdict {
  bool closed = false;  // every shell closed
  bool valid = false;   // every solid passes the kernel's check
  int solids = 0;       // one per closed shell
  double volume = 0;    // cubic metres, over all solids
};

// A surface made by body method 50 or 46: the object that answers HostSurface.
class Surface : public Object {
 public:
  Surface(HostCore& core, SurfaceArrays arrays);
  const SurfaceArrays& Arrays() const { return m_arrays; }
  const std::vector<TrimLoop>& Loops() const { return m_loops; }
  // Why the last call of method 57 was refused; empty when it was not.
  const std::string& LastRefusal() const { return m_lastRefusal; }
  HostSurface* Interface() { return m_face.As<HostSurface>(); }
  Face& SurfaceFace() { return m_face; }

 private:
  friend struct SurfaceEntries;
  SurfaceArrays m_arrays;
  std::vector<TrimLoop> m_loops;
  std::string m_lastRefusal;
  bool m_open = true;  // false once its body is built
  Face m_face;
};

// What a body holds of surfaces: the surfaces in the order made, the faces made of
// them in order, and, once built by the kernel, its verdict.
class BodySurfaces {
 public:
  const std::deque<std::unique_ptr<Surface>>& Surfaces() const { return m_surfaces; }
  const std::vector<ModelFace>& Faces() const { return m_faces; }
  const std::optional<SolidVerdict>& Solid() const { return m_solid; }
  // Why the last call of 50, 46, 19 or 53 on the body was refused; empty when it was not.
  const std::string& LastRefusal() const { return m_lastRefusal; }

 private:
  friend struct SurfaceEntries;
  std::deque<std::unique_ptr<Surface>> m_surfaces;
  std::vector<ModelFace> m_faces;
  std::optional<SolidVerdict> m_solid;
  std::string m_lastRefusal;
};

// The entries of the body's surface methods and of the HostSurface role, and body
// method 12's rule for a body with surface faces.
struct SurfaceEntries {
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyBSplineSurface(Face* self, const LONG* header, const double* uKnots,
                                                                   const double* vKnots, const double* points,
                                                                   HostSurface** surface);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyPlaneSurface(Face* self, const double* origin, const double* normal,
                                                                 HostSurface** surface);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyTrimmedFace(Face* self, VARIANT_BOOL* made);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyBoundedFace(Face* self, LONG first, LONG second,
                                                                const double* range);
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE SurfaceAddLoop(Face* self, LONG n, const LONG* orders,
                                                               const LONG* dimensions, const LONG* periodic,
                                                               const LONG* knotCounts, const LONG* cvCounts,
                                                               const double* knots, const double* points,
                                                               const void* reserved);
  static const MethodTable& SurfaceTable();

  // Body method 12 on a body whose surfaces hold faces: empty when it builds (the
  // verdict, native only, goes to `verdict`), else why not.
  static std::string BuildProblem(const FaceList& planar, const BodySurfaces& surfaces,
                                  std::optional<SolidVerdict>& verdict);
  // Hands a temporary body's surfaces to the body built from it, with the verdict;
  // the surfaces take no further loops.
  static void MoveTo(BodySurfaces& from, BodySurfaces& to, std::optional<SolidVerdict> verdict);
};

// --- geometry both builds share -------------------------------------------------------

// Empty when `knots` (order + count values) make a B-spline of that order and count
// by the rules above; else why not.
std::string KnotProblem(const double* knots, int order, int count);

// The point of a B-spline curve at t, inside its domain [knot order - 1, knot count].
Point3 CurvePoint(const LoopCurve& curve, double t);
inline Point3 CurveStart(const LoopCurve& c) { return CurvePoint(c, c.knots[c.order - 1]); }
inline Point3 CurveEnd(const LoopCurve& c) { return CurvePoint(c, c.knots[c.count]); }

// The plane's x and y axes for a normal of nonzero length (see the top of this file).
std::array<Point3, 2> PlaneAxes(const Point3& normal);

}  // namespace standin
