#include "HostSurfaces.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "StandInHost.h"
#ifdef STANDIN_KERNEL
#include "Modeller.h"
#endif

namespace standin {

namespace {

bool AllFinite(const double* values, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}

double Distance(const Point3& a, const Point3& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// Empty when an order and a CV count can make a B-spline (of at most kMaxPoints CVs).
std::string OrderProblem(long long order, long long count) {
  if (order < 2 || order > kMaxOrder)
    return "order " + std::to_string(order) + " is not between 2 and " + std::to_string(kMaxOrder);
  if (count < order) return std::to_string(count) + " control points are fewer than the order " + std::to_string(order);
  if (count > kMaxPoints) return std::to_string(count) + " control points are too many";
  return {};
}

// The sizes a surface header gives, when it gives sensible ones.
struct SurfaceSizes {
  bool ok = false;
  int uKnots = 0, vKnots = 0, points = 0;  // doubles
};

SurfaceSizes SizesOf(const LONG* header) {
  if (!header) return {};
  const long long ou = header[0], ov = header[1], cv = header[2], cu = header[3];
  if (!OrderProblem(ou, cu).empty() || !OrderProblem(ov, cv).empty() || cu * cv > kMaxPoints) return {};
  return {true, static_cast<int>(ou + cu), static_cast<int>(ov + cv), static_cast<int>(3 * cu * cv)};
}

std::string SurfaceArraysProblem(const SurfaceArrays& s) {
  const auto& h = s.header;
  if (h[6] != 3 || h[7] != 0)
    return "header entries 7 and 8 are " + std::to_string(h[6]) + " and " + std::to_string(h[7]) + ", not 3 and 0";
  for (int i : {4, 5})
    if (h[i] != 0 && h[i] != 1) return "periodic flag " + std::to_string(h[i]) + " is neither 0 nor 1";
  if (std::string p = KnotProblem(s.uKnots.data(), s.OrderU(), s.CountU()); !p.empty()) return "u knots: " + p;
  if (std::string p = KnotProblem(s.vKnots.data(), s.OrderV(), s.CountV()); !p.empty()) return "v knots: " + p;
  if (!AllFinite(s.points.data(), s.points.size())) return "a control point is not a finite number";
  return {};
}

// The totals of a loop's arrays, when the counts of every curve make sense.
struct LoopSizes {
  bool ok = false;
  int knots = 0, points = 0;  // doubles
};

// Empty when n and every curve's order, knot count and CV count make sense (then
// `sizes` holds the totals), else why not. Nothing beyond the count arrays is read.
std::string LoopCountsProblem(LONG n, const LONG* orders, const LONG* knotCounts, const LONG* cvCounts,
                              LoopSizes& sizes) {
  if (n < 1 || n > kMaxCurves) return "a loop of " + std::to_string(n) + " curves";
  if (!orders || !knotCounts || !cvCounts) return "a null array";
  long long knots = 0, cvs = 0;
  for (LONG k = 0; k < n; ++k) {
    const std::string curve = "curve " + std::to_string(k) + ": ";
    if (std::string p = OrderProblem(orders[k], cvCounts[k]); !p.empty()) return curve + p;
    if (static_cast<long long>(knotCounts[k]) != static_cast<long long>(orders[k]) + cvCounts[k])
      return curve + "knot count " + std::to_string(knotCounts[k]) + " is not order + CV count";
    knots += knotCounts[k];
    cvs += cvCounts[k];
    if (cvs > kMaxPoints) return "too many control points";
  }
  sizes = {true, static_cast<int>(knots), static_cast<int>(3 * cvs)};
  return {};
}

// Empty when the curves, each taken in whichever direction fits, join end to end
// into one closed loop: the chain grows at either of its free ends, in array order.
std::string ClosureProblem(const TrimLoop& loop) {
  Point3 head{}, tail{};
  for (size_t k = 0; k < loop.Count(); ++k) {
    const LoopCurve c = loop.Curve(k);
    const Point3 a = CurveStart(c), b = CurveEnd(c);
    if (k == 0) {
      head = a;
      tail = b;
      continue;
    }
    if (Distance(head, tail) <= kModelTolerance)
      return "the loop closes before curve " + std::to_string(k);
    if (Distance(a, tail) <= kModelTolerance) tail = b;
    else if (Distance(b, tail) <= kModelTolerance) tail = a;
    else if (Distance(a, head) <= kModelTolerance) head = b;
    else if (Distance(b, head) <= kModelTolerance) head = a;
    else return "curve " + std::to_string(k) + " does not join the curves before it";
  }
  if (Distance(head, tail) > kModelTolerance) return "the curves do not close";
  return {};
}

Body& BodyOf(Face* self) { return *self->OwnerAs<Body>(); }

// Ends a call, keeping why it was refused (or nothing) where tests can read it.
class Outcome {
 public:
  Outcome(CallScope& call, std::string& reason) : m_call(call), m_reason(reason) {}
  HRESULT Refuse(HRESULT hr, std::string why) {
    m_reason = std::move(why);
    return m_call.Return(hr);
  }
  HRESULT Accept() {
    m_reason.clear();
    return m_call.Return(S_OK);
  }

 private:
  CallScope& m_call;
  std::string& m_reason;
};

}  // namespace

// --- the plain data ----------------------------------------------------------------------

std::array<double, 4> SurfaceArrays::Domain() const {
  return {uKnots[static_cast<size_t>(OrderU() - 1)], uKnots[static_cast<size_t>(CountU())],
          vKnots[static_cast<size_t>(OrderV() - 1)], vKnots[static_cast<size_t>(CountV())]};
}

LoopCurve TrimLoop::Curve(size_t k) const {
  return LoopCurve{orders[k], cvCounts[k], periodic[k] != 0, knots.data() + m_knotStart[k],
                   points.data() + m_pointStart[k]};
}

Surface::Surface(HostCore& core, SurfaceArrays arrays)
    : Object(core), m_arrays(std::move(arrays)), m_face(*this, SurfaceEntries::SurfaceTable()) {}

// --- geometry -----------------------------------------------------------------------------

std::string KnotProblem(const double* knots, int order, int count) {
  const int n = order + count;
  if (!AllFinite(knots, static_cast<size_t>(n))) return "a knot is not a finite number";
  int run = 1;
  for (int i = 1; i <= n; ++i) {
    if (i < n && knots[i] < knots[i - 1]) return "knot " + std::to_string(i) + " decreases";
    if (i < n && knots[i] == knots[i - 1]) {
      ++run;
      continue;
    }
    // A run of equal knots ends at i - 1: at an end of the vector it may reach the
    // order, inside it the order less one.
    const bool atEnd = i - run == 0 || i == n;
    if (run > (atEnd ? order : order - 1))
      return "knot " + std::to_string(i - run) + " repeats " + std::to_string(run) + " times";
    run = 1;
  }
  if (!(knots[count] > knots[order - 1])) return "the knots leave no span between knot order - 1 and knot count";
  return {};
}

Point3 CurvePoint(const LoopCurve& c, double t) {
  const int p = c.order - 1;
  // The last span [knot k, knot k + 1) of positive length, within the domain, that
  // starts at or before t: the one that holds t, or the last one at the domain's end.
  int k = -1;
  for (int s = p; s < c.count; ++s)
    if (c.knots[s] < c.knots[s + 1] && (k < 0 || c.knots[s] <= t)) k = s;
  Point3 d[kMaxOrder];
  for (int j = 0; j <= p; ++j)
    for (int a = 0; a < 3; ++a) d[j][static_cast<size_t>(a)] = c.points[3 * (j + k - p) + a];
  for (int r = 1; r <= p; ++r)
    for (int j = p; j >= r; --j) {
      const int i = j + k - p;
      const double alpha = (t - c.knots[i]) / (c.knots[i + p - r + 1] - c.knots[i]);
      for (size_t a = 0; a < 3; ++a) d[j][a] = (1 - alpha) * d[j - 1][a] + alpha * d[j][a];
    }
  return d[p];
}

std::array<Point3, 2> PlaneAxes(const Point3& normal) {
  const double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  const Point3 n{normal[0] / len, normal[1] / len, normal[2] / len};
  size_t least = 0;
  for (size_t a = 1; a < 3; ++a)
    if (std::fabs(n[a]) < std::fabs(n[least])) least = a;
  Point3 x{};
  x[least] = 1;
  const double along = n[least];
  for (size_t a = 0; a < 3; ++a) x[a] -= along * n[a];
  const double xl = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (double& v : x) v /= xl;
  const Point3 y{n[1] * x[2] - n[2] * x[1], n[2] * x[0] - n[0] * x[2], n[0] * x[1] - n[1] * x[0]};
  return {x, y};
}

// --- the entries ---------------------------------------------------------------------------
// The positions are written out here, not taken from the host contract, so that a
// wrong position on the client's side shows as a trap.

HRESULT STDMETHODCALLTYPE SurfaceEntries::BodyBSplineSurface(Face* self, const LONG* header, const double* uKnots,
                                                             const double* vKnots, const double* points,
                                                             HostSurface** surface) {
  CallScope call(self, 50);
  const SurfaceSizes sizes = SizesOf(header);
  call.Args(LongsArg{header, header ? 8 : 0}, DoublesArg{uKnots, sizes.uKnots}, DoublesArg{vKnots, sizes.vKnots},
            DoublesArg{points, sizes.points}, OutArg{surface});
  if (call.Faulted(surface)) return call.Result();
  if (!surface) return call.Return(E_POINTER);
  *surface = nullptr;
  Body& body = BodyOf(self);
  BodySurfaces& model = body.m_surfaces;
  Outcome outcome(call, model.m_lastRefusal);
  if (!body.Temporary()) return outcome.Refuse(E_UNEXPECTED, "not a temporary body");
  if (!header || !uKnots || !vKnots || !points) return outcome.Refuse(E_INVALIDARG, "a null array");
  if (!sizes.ok) {
    if (std::string p = OrderProblem(header[0], header[3]); !p.empty()) return outcome.Refuse(E_INVALIDARG, "u: " + p);
    if (std::string p = OrderProblem(header[1], header[2]); !p.empty()) return outcome.Refuse(E_INVALIDARG, "v: " + p);
    return outcome.Refuse(E_INVALIDARG, "too many control points");
  }
  SurfaceArrays arrays;
  arrays.kind = SurfaceKind::BSpline;
  std::copy(header, header + 8, arrays.header.begin());
  arrays.uKnots.assign(uKnots, uKnots + sizes.uKnots);
  arrays.vKnots.assign(vKnots, vKnots + sizes.vKnots);
  arrays.points.assign(points, points + sizes.points);
  std::string problem = SurfaceArraysProblem(arrays);
#ifdef STANDIN_KERNEL
  if (problem.empty()) problem = modeller::SurfaceProblem(arrays);
#endif
  if (!problem.empty()) return outcome.Refuse(E_INVALIDARG, problem);
  model.m_surfaces.push_back(std::make_unique<Surface>(call.Core(), std::move(arrays)));
  *surface = model.m_surfaces.back()->m_face.Give<HostSurface>();
  return outcome.Accept();
}

HRESULT STDMETHODCALLTYPE SurfaceEntries::BodyPlaneSurface(Face* self, const double* origin, const double* normal,
                                                           HostSurface** surface) {
  CallScope call(self, 46);
  call.Args(DoublesArg{origin, 3}, DoublesArg{normal, 3}, OutArg{surface});
  if (call.Faulted(surface)) return call.Result();
  if (!surface) return call.Return(E_POINTER);
  *surface = nullptr;
  Body& body = BodyOf(self);
  BodySurfaces& model = body.m_surfaces;
  Outcome outcome(call, model.m_lastRefusal);
  if (!body.Temporary()) return outcome.Refuse(E_UNEXPECTED, "not a temporary body");
  if (!origin || !normal) return outcome.Refuse(E_INVALIDARG, "a null array");
  if (!AllFinite(origin, 3) || !AllFinite(normal, 3)) return outcome.Refuse(E_INVALIDARG, "a value is not a finite number");
  // Squared, the length of a normal of tiny components would read as 0.
  if (std::max({std::fabs(normal[0]), std::fabs(normal[1]), std::fabs(normal[2])}) == 0)
    return outcome.Refuse(E_INVALIDARG, "the normal has length 0");
  SurfaceArrays arrays;
  arrays.kind = SurfaceKind::Plane;
  std::copy(origin, origin + 3, arrays.origin.begin());
  std::copy(normal, normal + 3, arrays.normal.begin());
  model.m_surfaces.push_back(std::make_unique<Surface>(call.Core(), std::move(arrays)));
  *surface = model.m_surfaces.back()->m_face.Give<HostSurface>();
  return outcome.Accept();
}

HRESULT STDMETHODCALLTYPE SurfaceEntries::BodyTrimmedFace(Face* self, VARIANT_BOOL* made) {
  CallScope call(self, 19);
  call.Args(OutArg{made});
  if (call.Faulted(made)) return call.Result();
  if (!made) return call.Return(E_POINTER);
  *made = VARIANT_FALSE;
  Body& body = BodyOf(self);
  BodySurfaces& model = body.m_surfaces;
  Outcome outcome(call, model.m_lastRefusal);
  if (!body.Temporary()) return outcome.Refuse(E_UNEXPECTED, "not a temporary body");
  if (model.m_surfaces.empty()) return outcome.Refuse(S_OK, "the body has no surface");
  const Surface& last = *model.m_surfaces.back();
  if (last.m_loops.empty()) return outcome.Refuse(S_OK, "the last surface has no trimming loop");
#ifdef STANDIN_KERNEL
  if (std::string p = modeller::TrimmedFaceProblem(last.m_arrays, last.m_loops.front()); !p.empty())
    return outcome.Refuse(S_OK, p);
#endif
  model.m_faces.push_back(ModelFace{model.m_surfaces.size() - 1, true, {}});
  *made = VARIANT_TRUE;
  return outcome.Accept();
}

HRESULT STDMETHODCALLTYPE SurfaceEntries::BodyBoundedFace(Face* self, LONG first, LONG second, const double* range) {
  CallScope call(self, 53);
  call.Args(first, second, DoublesArg{range, 4});
  if (call.Faulted()) return call.Result();
  Body& body = BodyOf(self);
  BodySurfaces& model = body.m_surfaces;
  Outcome outcome(call, model.m_lastRefusal);
  if (!body.Temporary()) return outcome.Refuse(E_UNEXPECTED, "not a temporary body");
  if (first != 1 || second != 1)
    return outcome.Refuse(E_INVALIDARG, "leading values " + std::to_string(first) + ", " + std::to_string(second) + ", not 1, 1");
  if (!range) return outcome.Refuse(E_INVALIDARG, "a null range");
  if (!AllFinite(range, 4)) return outcome.Refuse(E_INVALIDARG, "a range value is not a finite number");
  const std::array<double, 4> r{range[0], range[1], range[2], range[3]};
  if (!(r[0] < r[1]) || !(r[2] < r[3])) return outcome.Refuse(E_INVALIDARG, "the range is empty");
  if (model.m_surfaces.empty()) return outcome.Refuse(E_FAIL, "the body has no surface");
  const Surface& last = *model.m_surfaces.back();
  if (last.m_arrays.kind == SurfaceKind::BSpline) {
    const std::array<double, 4> d = last.m_arrays.Domain();
    // The client sends the domain it computed from the same knots; allow for rounding.
    const double slackU = 1e-9 * std::max(1.0, d[1] - d[0]), slackV = 1e-9 * std::max(1.0, d[3] - d[2]);
    if (r[0] < d[0] - slackU || r[1] > d[1] + slackU || r[2] < d[2] - slackV || r[3] > d[3] + slackV)
      return outcome.Refuse(E_INVALIDARG, "the range leaves the surface's domain");
  }
#ifdef STANDIN_KERNEL
  if (std::string p = modeller::BoundedFaceProblem(last.m_arrays, r); !p.empty()) return outcome.Refuse(E_FAIL, p);
#endif
  model.m_faces.push_back(ModelFace{model.m_surfaces.size() - 1, false, r});
  return outcome.Accept();
}

HRESULT STDMETHODCALLTYPE SurfaceEntries::SurfaceAddLoop(Face* self, LONG n, const LONG* orders, const LONG* dimensions,
                                                         const LONG* periodic, const LONG* knotCounts,
                                                         const LONG* cvCounts, const double* knots,
                                                         const double* points, const void* reserved) {
  CallScope call(self, 57);
  const bool nOk = n >= 1 && n <= kMaxCurves;
  const int shown = nOk ? n : 0;
  LoopSizes sizes;
  const std::string countsProblem = LoopCountsProblem(n, orders, knotCounts, cvCounts, sizes);
  call.Args(n, LongsArg{orders, shown}, LongsArg{dimensions, shown}, LongsArg{periodic, shown},
            LongsArg{knotCounts, shown}, LongsArg{cvCounts, shown}, DoublesArg{knots, sizes.knots},
            DoublesArg{points, sizes.points}, ObjArg{reserved});
  if (call.Faulted()) return call.Result();
  Surface& surface = *self->OwnerAs<Surface>();
  Outcome outcome(call, surface.m_lastRefusal);
  if (!surface.m_open) return outcome.Refuse(E_UNEXPECTED, "the surface's body is built");
  if (!surface.m_loops.empty()) return outcome.Refuse(E_FAIL, "the surface has its trimming loop");
  if (!countsProblem.empty()) return outcome.Refuse(E_INVALIDARG, countsProblem);
  if (!dimensions || !periodic || !knots || !points) return outcome.Refuse(E_INVALIDARG, "a null array");
  if (reserved) return outcome.Refuse(E_INVALIDARG, "the last argument is not null");
  for (LONG k = 0; k < n; ++k) {
    const std::string curve = "curve " + std::to_string(k) + ": ";
    if (dimensions[k] != (k == 0 ? -3 : 3))
      return outcome.Refuse(E_INVALIDARG, curve + "dimension entry " + std::to_string(dimensions[k]));
    if (periodic[k] != 0 && periodic[k] != 1)
      return outcome.Refuse(E_INVALIDARG, curve + "periodic flag " + std::to_string(periodic[k]));
  }
  TrimLoop loop;
  loop.orders.assign(orders, orders + n);
  loop.dimensions.assign(dimensions, dimensions + n);
  loop.periodic.assign(periodic, periodic + n);
  loop.knotCounts.assign(knotCounts, knotCounts + n);
  loop.cvCounts.assign(cvCounts, cvCounts + n);
  loop.knots.assign(knots, knots + sizes.knots);
  loop.points.assign(points, points + sizes.points);
  size_t knotAt = 0, pointAt = 0;
  for (LONG k = 0; k < n; ++k) {
    loop.m_knotStart.push_back(knotAt);
    loop.m_pointStart.push_back(pointAt);
    knotAt += static_cast<size_t>(knotCounts[k]);
    pointAt += 3 * static_cast<size_t>(cvCounts[k]);
  }
  for (size_t k = 0; k < loop.Count(); ++k) {
    const LoopCurve c = loop.Curve(k);
    if (std::string p = KnotProblem(c.knots, c.order, c.count); !p.empty())
      return outcome.Refuse(E_INVALIDARG, "curve " + std::to_string(k) + ": " + p);
    if (!AllFinite(c.points, 3 * static_cast<size_t>(c.count)))
      return outcome.Refuse(E_INVALIDARG, "curve " + std::to_string(k) + ": a control point is not a finite number");
  }
  if (std::string p = ClosureProblem(loop); !p.empty()) return outcome.Refuse(E_INVALIDARG, p);
#ifdef STANDIN_KERNEL
  if (std::string p = modeller::LoopProblem(surface.m_arrays, loop); !p.empty()) return outcome.Refuse(E_INVALIDARG, p);
#endif
  surface.m_loops.push_back(std::move(loop));
  return outcome.Accept();
}

const MethodTable& SurfaceEntries::SurfaceTable() {
  static const MethodTable table = MethodTable::For<HostSurface>(kRoleSurface).Set(57, &SurfaceAddLoop);
  return table;
}

std::string SurfaceEntries::BuildProblem(const FaceList& planar, const BodySurfaces& surfaces,
                                         std::optional<SolidVerdict>& verdict) {
  verdict.reset();
#ifdef STANDIN_KERNEL
  return modeller::Sew(planar, surfaces, verdict);
#else
  (void)planar;
  (void)surfaces;
  return {};  // no kernel to ask: built as given
#endif
}

void SurfaceEntries::MoveTo(BodySurfaces& from, BodySurfaces& to, std::optional<SolidVerdict> verdict) {
  for (auto& s : from.m_surfaces) s->m_open = false;
  to.m_surfaces = std::move(from.m_surfaces);
  to.m_faces = std::move(from.m_faces);
  to.m_solid = verdict;
  from.m_surfaces.clear();
  from.m_faces.clear();
}

}  // namespace standin
