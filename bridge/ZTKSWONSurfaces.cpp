// Surfaces and faces of temporary host bodies from openNURBS surfaces, and the
// solid bodies (slabs) built of them.
#include <memory>
#include <new>
#include <vector>

#include "ComHolders.h"
#include "ZTKSWON.h"
#include "ZTKSWONDocument.h"
#include "ZTKSWONMemory.h"
#include "ZTKSWUtils.h"

namespace {

const CString NoMemoryText(L"Not enough memory to build the surface");

// Memory running out while the arrays of a very large surface are built fails
// the call with a text of its own: the exception must not cross the host's call.
// Every function guards its whole work, failure texts included (storing one
// copies it); ImportSurface guards its build on its own as well, so that the
// sketch is still left and the document still finished.
template <class Work>
BOOL Guarded(Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    ZTKSWON::SetNoMemoryText(NoMemoryText);
    return 0;
  }
}

// The host takes the classic knot vector: openNURBS's order + count - 2 knots with
// the first and the last repeated once more.
template <class KnotAt>
void AppendHostKnots(std::vector<double>& out, int knotCount, KnotAt knot) {
  out.push_back(knot(0));
  for (int i = 0; i < knotCount; ++i) out.push_back(knot(i));
  out.push_back(knot(knotCount - 1));
}

void AppendScaled(std::vector<double>& out, const ON_3dPoint& p, double scale) {
  out.push_back(p.x * scale);
  out.push_back(p.y * scale);
  out.push_back(p.z * scale);
}

// Points that can be sent: Euclidean control points times the scale, appended to
// `out`; false when one has none (a weight of 0).
bool AppendScaledCVs(std::vector<double>& out, const ON_NurbsSurface& s, double scale) {
  ON_3dPoint p;
  for (int j = 0; j < s.CVCount(1); ++j)  // u runs fastest
    for (int i = 0; i < s.CVCount(0); ++i) {
      if (!s.GetCV(i, j, p)) return false;
      AppendScaled(out, p, scale);
    }
  return true;
}

bool AppendScaledCVs(std::vector<double>& out, const ON_NurbsCurve& c, double scale) {
  ON_3dPoint p;
  for (int i = 0; i < c.CVCount(); ++i) {
    if (!c.GetCV(i, p)) return false;
    AppendScaled(out, p, scale);
  }
  return true;
}

// Judges a host call that hands out a new surface: the surface moves to the
// caller's variable on success; on failure it is released and the variable null.
BOOL TakeSurface(HRESULT hr, CountedPtr<HostSurface>& made, HostSurface*& surface, const wchar_t* failedText,
                 const wchar_t* noSurfaceText) {
  if (hr != S_OK) {
    ZTKSWON::SetLastErrorText(failedText);
    return 0;
  }
  if (!made) {
    ZTKSWON::SetLastErrorText(noSurfaceText);
    return 0;
  }
  surface = made.Detach();
  return 1;
}

// The NURBS form of the iso-curve; an empty curve when the surface gives none (an
// empty curve is refused where it is sent).
void IsoEdge(const ON_Surface& surface, int dir, double c, ON_NurbsCurve& edge) {
  const std::unique_ptr<ON_Curve> iso(surface.IsoCurve(dir, c));
  if (iso) iso->GetNurbForm(edge, 0.0, nullptr);
}

void LineEdge(const ON_3dPoint& from, const ON_3dPoint& to, ON_NurbsCurve& edge) {
  ON_LineCurve line;
  line = ON_Line(from, to);
  line.GetNurbForm(edge, 0.0, nullptr);
}

// One side or the flat bottom: a plane through `origin` with `normal`, trimmed by
// the four curves in the order given. The trim list is the caller's, emptied again.
BOOL TrimmedPlane(HostBody* body, const ON_3dPoint& origin, const ON_3dVector& normal, const ON_NurbsCurve& a,
                  const ON_NurbsCurve& b, const ON_NurbsCurve& c, const ON_NurbsCurve& d,
                  ON_ClassArray<ON_NurbsCurve>& trims, double scale) {
  trims.Append(a);
  trims.Append(b);
  trims.Append(c);
  trims.Append(d);
  const ON_PlaneSurface plane(ON_Plane(origin, normal));
  const BOOL made = CreateTrimmedSurface(body, &plane, trims, scale);
  trims.Empty();
  return made;
}

}  // namespace

BOOL CreateNurbsSurface(HostBody* body, HostSurface*& surface, const ON_NurbsSurface* nurbs, double scale) {
  surface = nullptr;
  return Guarded([&]() -> BOOL {
    // Only a valid B-spline has the order + count - 2 knots per direction that the
    // arrays' sizes rely on.
    if (!body || !nurbs || !nurbs->IsValid()) {
      ZTKSWON::SetLastErrorText(L"Unable to create nurbs surface");
      return 0;
    }
    const ON_NurbsSurface& s = *nurbs;
    const int orderU = s.Order(0), orderV = s.Order(1), countU = s.CVCount(0), countV = s.CVCount(1);
    // Orders u before v, counts v before u.
    const LONG header[8] = {orderU, orderV, countV, countU, s.IsPeriodic(0) ? 1 : 0, s.IsPeriodic(1) ? 1 : 0, 3, 0};
    std::vector<double> uKnots, vKnots, points;
    uKnots.reserve(static_cast<size_t>(orderU) + static_cast<size_t>(countU));
    vKnots.reserve(static_cast<size_t>(orderV) + static_cast<size_t>(countV));
    points.reserve(3 * static_cast<size_t>(countU) * static_cast<size_t>(countV));
    AppendHostKnots(uKnots, s.KnotCount(0), [&](int i) { return s.Knot(0, i); });
    AppendHostKnots(vKnots, s.KnotCount(1), [&](int i) { return s.Knot(1, i); });
    if (!AppendScaledCVs(points, s, scale)) {
      ZTKSWON::SetLastErrorText(L"Unable to create nurbs surface");
      return 0;
    }
    CountedPtr<HostSurface> made;
    const HRESULT hr =
        HostOp::CreateBSplineSurface(body, header, uKnots.data(), vKnots.data(), points.data(), made.Out());
    return TakeSurface(hr, made, surface, L"Unable to create nurbs surface", L"Unable to create valid nurbs surface");
  });
}

BOOL CreatePlaneSurface(HostBody* body, HostSurface*& surface, const ON_PlaneSurface* plane, double scale) {
  surface = nullptr;
  return Guarded([&]() -> BOOL {
    if (!body || !plane || !plane->m_plane.IsValid()) {
      ZTKSWON::SetLastErrorText(L"Unable to create plane surface");
      return 0;
    }
    const ON_3dPoint& o = plane->m_plane.origin;
    const ON_3dVector& n = plane->m_plane.zaxis;
    const double origin[3] = {o.x * scale, o.y * scale, o.z * scale};
    const double normal[3] = {n.x, n.y, n.z};
    CountedPtr<HostSurface> made;
    const HRESULT hr = HostOp::CreatePlane(body, origin, normal, made.Out());
    return TakeSurface(hr, made, surface, L"Unable to create plane surface", L"Unable to create valid plane surface");
  });
}

BOOL AddTrimmingLoop(HostSurface*& surface, const ON_ClassArray<ON_NurbsCurve>& curves, double scale) {
  return Guarded([&]() -> BOOL {
    const int n = curves.Count();
    if (n == 0) {
      // No first curve to mark: a loop of nothing bounds nothing.
      ZTKSWON::SetLastErrorText(L"Unable to add empty trimming loop");
      return 0;
    }
    bool sendable = surface != nullptr;
    for (int k = 0; k < n && sendable; ++k) sendable = curves[k].IsValid();  // as for surfaces
    if (!sendable) {
      ZTKSWON::SetLastErrorText(L"Unable to add trimming loop");
      return 0;
    }
    std::vector<LONG> orders(static_cast<size_t>(n)), dimensions(static_cast<size_t>(n), 3),
        periodic(static_cast<size_t>(n)), knotCounts(static_cast<size_t>(n)), cvCounts(static_cast<size_t>(n));
    size_t knotTotal = 0, cvTotal = 0;
    for (int k = 0; k < n; ++k) {
      const ON_NurbsCurve& c = curves[k];
      const size_t at = static_cast<size_t>(k);
      orders[at] = c.Order();
      periodic[at] = c.IsPeriodic() ? 1 : 0;
      cvCounts[at] = c.CVCount();
      knotCounts[at] = c.Order() + c.CVCount();
      knotTotal += static_cast<size_t>(knotCounts[at]);
      cvTotal += static_cast<size_t>(cvCounts[at]);
    }
    dimensions[0] = -3;  // marks the loop's first curve
    std::vector<double> knots, points;
    knots.reserve(knotTotal);
    points.reserve(3 * cvTotal);
    for (int k = 0; k < n; ++k) {
      const ON_NurbsCurve& c = curves[k];
      AppendHostKnots(knots, c.KnotCount(), [&](int i) { return c.Knot(i); });
      if (!AppendScaledCVs(points, c, scale)) {
        ZTKSWON::SetLastErrorText(L"Unable to add trimming loop");
        return 0;
      }
    }
    if (HostOp::AddTrimLoop(surface, static_cast<LONG>(n), orders.data(), dimensions.data(), periodic.data(),
                            knotCounts.data(), cvCounts.data(), knots.data(), points.data(), nullptr) != S_OK) {
      ZTKSWON::SetLastErrorText(L"Unable to add trimming loop");
      return 0;
    }
    return 1;
  });
}

BOOL CreateTrimmedSurface(HostBody* body, const ON_Surface* surface, const ON_ClassArray<ON_NurbsCurve>& trims,
                          double scale) {
  return Guarded([&]() -> BOOL {
    HostSurface* made = nullptr;
    BOOL created = 0;
    if (const ON_PlaneSurface* plane = ON_PlaneSurface::Cast(surface)) {
      created = CreatePlaneSurface(body, made, plane, scale);
    } else if (const ON_NurbsSurface* nurbs = ON_NurbsSurface::Cast(surface)) {
      created = CreateNurbsSurface(body, made, nurbs, scale);
    } else {
      // Without a host surface a loop would have nowhere to go, and a range would
      // bound whatever surface the body made last.
      ZTKSWON::SetLastErrorText(L"Unable to create surface that is neither a plane nor a nurbs surface");
      return 0;
    }
    const CountedPtr<HostSurface> local = CountedPtr<HostSurface>::Attach(made);
    if (!created) return 0;

    if (trims.Count() == 0) {
      const ON_Interval u = surface->Domain(0), v = surface->Domain(1);
      const double range[4] = {u[0], u[1], v[0], v[1]};
      if (HostOp::CreateBoundedFace(body, 1, 1, range) != S_OK) {
        ZTKSWON::SetLastErrorText(L"Unable to create bounded surface");
        return 0;
      }
      return 1;
    }
    HostSurface* loopSurface = local.Get();
    if (!AddTrimmingLoop(loopSurface, trims, scale)) return 0;
    VARIANT_BOOL trimmed = VARIANT_FALSE;
    if (HostOp::CreateTrimmedFace(body, &trimmed) != S_OK || trimmed == VARIANT_FALSE) {
      ZTKSWON::SetLastErrorText(L"Unable to create trimmed surface");
      return 0;
    }
    return 1;
  });
}

BOOL CreateSlabFromSurface(HostBody* body, const ON_NurbsSurface* surface, double thickness, BOOL flatBase,
                           double scale) {
  return Guarded([&]() -> BOOL {
    if (!surface) {
      ZTKSWON::SetLastErrorText(L"Unable to create surface that is neither a plane nor a nurbs surface");
      return 0;
    }
    const ON_NurbsSurface& s = *surface;
    const ON_Interval u = s.Domain(0), v = s.Domain(1);
    const ON_3dVector down(0.0, 0.0, -thickness);

    // The edges in the order vmin, umax, vmax, umin.
    ON_NurbsCurve top[4], bottom[4];
    IsoEdge(s, 0, v[0], top[0]);
    IsoEdge(s, 1, u[1], top[1]);
    IsoEdge(s, 0, v[1], top[2]);
    IsoEdge(s, 1, u[0], top[3]);
    const double zmin = flatBase ? s.BoundingBox().m_min.z : 0.0;
    for (int k = 0; k < 4; ++k) {
      if (flatBase) {
        const ON_3dPoint a = top[k].PointAtStart(), b = top[k].PointAtEnd();
        LineEdge(ON_3dPoint(a.x, a.y, zmin), ON_3dPoint(b.x, b.y, zmin), bottom[k]);
      } else {
        bottom[k] = top[k];
      }
      bottom[k].Translate(down);
    }
    // Downwards at the corners (umin, vmin), (umax, vmin), (umax, vmax), (umin, vmax).
    ON_NurbsCurve corner[4];
    LineEdge(top[0].PointAtStart(), bottom[0].PointAtStart(), corner[0]);
    LineEdge(top[1].PointAtStart(), bottom[1].PointAtStart(), corner[1]);
    LineEdge(top[2].PointAtEnd(), bottom[2].PointAtEnd(), corner[2]);
    LineEdge(top[3].PointAtEnd(), bottom[3].PointAtEnd(), corner[3]);

    ON_ClassArray<ON_NurbsCurve> trims;
    if (!TrimmedPlane(body, top[0].PointAtStart(), ON_3dVector(0, -1, 0), top[0], corner[0], bottom[0], corner[1],
                      trims, scale) ||
        !TrimmedPlane(body, top[1].PointAtStart(), ON_3dVector(1, 0, 0), top[1], corner[1], bottom[1], corner[2], trims,
                      scale) ||
        !TrimmedPlane(body, top[2].PointAtStart(), ON_3dVector(0, 1, 0), top[2], corner[2], bottom[2], corner[3], trims,
                      scale) ||
        !TrimmedPlane(body, top[3].PointAtStart(), ON_3dVector(-1, 0, 0), top[3], corner[3], bottom[3], corner[0],
                      trims, scale))
      return 0;

    if (flatBase)
      return TrimmedPlane(body, bottom[0].PointAtStart(), ON_3dVector(0, 0, -1), bottom[0], bottom[1], bottom[2],
                          bottom[3], trims, scale);
    ON_NurbsSurface base(s);
    base.Translate(down);
    return CreateTrimmedSurface(body, &base, trims, scale);
  });
}

BOOL CreateBodyFromSurface(HostPartDocument* part, const ON_NurbsSurface* surface, double thickness, BOOL flatBase,
                           double scale) {
  return Guarded([&]() -> BOOL {
    CountedPtr<HostBody> body;
    const HRESULT made = part ? HostOp::CreateTemporaryBody(part, body.Out()) : E_POINTER;
    if (made != S_OK || !body) {
      ZTKSWON::SetLastErrorText(L"Unable to create new body");
      return 0;
    }
    const ON_ClassArray<ON_NurbsCurve> noTrims;
    if (!CreateTrimmedSurface(body.Get(), surface, noTrims, scale)) return 0;
    // The slab's result is not consulted: the host decides what the faces made so
    // far give.
    if (thickness > 0.0) CreateSlabFromSurface(body.Get(), surface, thickness, flatBase, scale);

    CountedPtr<IDispatch> built;  // not read
    if (HostOp::CreateBodyFromSurfaces(body.Get(), built.Out()) != S_OK) {
      ZTKSWON::SetLastErrorText(L"Unable to create body from surface");
      return 0;
    }
    return 1;
  });
}

BOOL ImportSurface(HostApplication* app, const ON_NurbsSurface* surface, int unitsIndex, int importKind,
                   double thickness, BOOL flatBase, BOOL progress) {
  return Guarded([&]() -> BOOL {
    if (!surface) {
      ZTKSWON::SetLastErrorText(L"No surface to import");
      return 0;
    }
    CountedPtr<HostPartDocument> part;
    if (app) HostOp::NewPart(app, part.Out());
    if (!part) {
      ZTKSWON::SetLastErrorText(L"Unable to create part");
      return 0;
    }
    CountedPtr<HostDocument> doc;
    if (!OpenActiveDocument(app, doc)) return 0;
    double scale = 1.0;
    SetDocumentUnits(doc.Get(), unitsIndex, &scale);

    BOOL result = 1;
    if (importKind == ImportAsSolid) {
      result = CreateBodyFromSurface(part.Get(), surface, thickness, flatBase, scale);
    } else if (importKind == ImportAs3DSketch) {
      // Unlike the mesh import, the display setting comes after entering the sketch.
      HostOp::Insert3DSketch(doc.Get(), 0);
      HostOp::SetDisplayWhenAdded(doc.Get(), 0);
      result = Guarded([&] { return CreateIsoCurveSketch(doc.Get(), *surface, scale, progress); });
      HostOp::ClearSelection(doc.Get());
      HostOp::Insert3DSketch(doc.Get(), 0);
    }
    HostOp::GraphicsRedraw(doc.Get());
    HostOp::ViewZoomToFit(doc.Get());
    doc.Reset();
    part.Reset();
    return result;
  });
}
