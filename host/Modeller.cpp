#include "Modeller.h"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeSolid.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepLib.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_Plane.hxx>
#include <ShapeAnalysis_Surface.hxx>
#include <ShapeAnalysis.hxx>
#include <ShapeFix_Edge.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax3.hxx>
#include <gp_Pnt.hxx>

#include <algorithm>
#include <exception>
#include <vector>

namespace standin::modeller {

namespace {

// The kernel's problems become texts; nothing it throws leaves this file.
template <class F>
std::string Guarded(F&& f) {
  try {
    return f();
  } catch (const Standard_Failure& e) {
    const char* message = e.GetMessageString();
    return std::string("the kernel failed: ") + (message && *message ? message : e.DynamicType()->Name());
  } catch (const std::exception& e) {
    return std::string("the kernel failed: ") + e.what();
  }
}

gp_Pnt Pnt(const double* p) { return gp_Pnt(p[0], p[1], p[2]); }

// A flat knot vector as the kernel wants it: distinct values and their multiplicities.
struct Knots {
  TColStd_Array1OfReal values;
  TColStd_Array1OfInteger mults;
};

Knots KnotsOf(const double* flat, int n) {
  std::vector<double> values;
  std::vector<int> mults;
  for (int i = 0; i < n; ++i) {
    if (!values.empty() && flat[i] == values.back()) ++mults.back();
    else {
      values.push_back(flat[i]);
      mults.push_back(1);
    }
  }
  const int m = static_cast<int>(values.size());
  Knots k{TColStd_Array1OfReal(1, m), TColStd_Array1OfInteger(1, m)};
  for (int i = 0; i < m; ++i) {
    k.values(i + 1) = values[static_cast<size_t>(i)];
    k.mults(i + 1) = mults[static_cast<size_t>(i)];
  }
  return k;
}

// The kernel's geometry, always non-periodic: a periodic B-spline's knots and
// points describe the same shape as a plain one.
Handle(Geom_Surface) MakeSurface(const SurfaceArrays& s) {
  if (s.kind == SurfaceKind::Plane) {
    const auto axes = PlaneAxes(s.normal);
    const gp_Ax3 frame(Pnt(s.origin.data()), gp_Dir(s.normal[0], s.normal[1], s.normal[2]),
                       gp_Dir(axes[0][0], axes[0][1], axes[0][2]));
    return new Geom_Plane(frame);
  }
  const int nu = s.CountU(), nv = s.CountV();
  TColgp_Array2OfPnt poles(1, nu, 1, nv);
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nu; ++i) poles(i + 1, j + 1) = Pnt(&s.points[3 * (static_cast<size_t>(j) * nu + i)]);
  const Knots u = KnotsOf(s.uKnots.data(), s.OrderU() + nu), v = KnotsOf(s.vKnots.data(), s.OrderV() + nv);
  return new Geom_BSplineSurface(poles, u.values, v.values, u.mults, v.mults, s.OrderU() - 1, s.OrderV() - 1);
}

Handle(Geom_BSplineCurve) MakeCurve(const LoopCurve& c) {
  TColgp_Array1OfPnt poles(1, c.count);
  for (int i = 0; i < c.count; ++i) poles(i + 1) = Pnt(c.points + 3 * i);
  const Knots k = KnotsOf(c.knots, c.order + c.count);
  return new Geom_BSplineCurve(poles, k.values, k.mults, c.order - 1);
}

// An edge whose ends join other ends within the model's tolerance.
TopoDS_Edge MakeEdge(const Handle(Geom_BSplineCurve)& curve) {
  BRepBuilderAPI_MakeEdge make(curve);
  if (!make.IsDone()) return {};
  TopoDS_Edge edge = make.Edge();
  TopoDS_Vertex first, last;
  TopExp::Vertices(edge, first, last);
  BRep_Builder builder;
  builder.UpdateVertex(first, kModelTolerance);
  builder.UpdateVertex(last, kModelTolerance);
  return edge;
}

// Empty `problem` and the face, or the reason.
TopoDS_Face TrimmedFace(const SurfaceArrays& s, const TrimLoop& loop, std::string& problem) {
  BRepBuilderAPI_MakeWire wire;
  for (size_t k = 0; k < loop.Count(); ++k) {
    const TopoDS_Edge edge = MakeEdge(MakeCurve(loop.Curve(k)));
    if (edge.IsNull()) {
      problem = "curve " + std::to_string(k) + " makes no edge";
      return {};
    }
    wire.Add(edge);
    if (!wire.IsDone()) {
      problem = "curve " + std::to_string(k) + " does not join the wire";
      return {};
    }
  }
  if (!BRep_Tool::IsClosed(wire.Wire())) {
    problem = "the wire is not closed";
    return {};
  }
  // The face, with curves on the surface for its edges. The wire runs as the
  // curves joined; turned the other way when that bounds the outside.
  const Handle(Geom_Surface) surface = MakeSurface(s);
  auto bounded = [&](const TopoDS_Wire& w) {
    BRepBuilderAPI_MakeFace make(surface, w, true);
    if (!make.IsDone()) return TopoDS_Face();
    TopoDS_Face face = make.Face();
    ShapeFix_Edge fix;
    for (TopExp_Explorer e(face, TopAbs_EDGE); e.More(); e.Next())
      fix.FixAddPCurve(TopoDS::Edge(e.Current()), face, false, kModelTolerance);
    return face;
  };
  TopoDS_Face face = bounded(wire.Wire());
  if (!face.IsNull() && !ShapeAnalysis::IsOuterBound(face)) face = bounded(TopoDS::Wire(wire.Wire().Reversed()));
  if (face.IsNull()) problem = "the loop bounds no face of the surface";
  return face;
}

TopoDS_Face BoundedFace(const SurfaceArrays& s, const std::array<double, 4>& r, std::string& problem) {
  BRepBuilderAPI_MakeFace face(MakeSurface(s), r[0], r[1], r[2], r[3], kModelTolerance);
  if (!face.IsDone()) {
    problem = "the range bounds no face of the surface";
    return {};
  }
  return face.Face();
}

TopoDS_Face PolygonFace(const PlanarFace& f, std::string& problem) {
  BRepBuilderAPI_MakePolygon polygon;
  for (int c = 0; c < f.count; ++c) polygon.Add(Pnt(&f.corners[static_cast<size_t>(3 * c)]));
  polygon.Close();
  if (!polygon.IsDone()) {
    problem = "its corners make no polygon";
    return {};
  }
  BRepBuilderAPI_MakeFace face(polygon.Wire(), true);
  if (!face.IsDone()) {
    problem = "its corners are not in one plane";
    return {};
  }
  return face.Face();
}

}  // namespace

std::string SurfaceProblem(const SurfaceArrays& surface) {
  return Guarded([&] {
    MakeSurface(surface);
    return std::string();
  });
}

std::string LoopProblem(const SurfaceArrays& surface, const TrimLoop& loop) {
  return Guarded([&] {
    Handle(ShapeAnalysis_Surface) analysis = new ShapeAnalysis_Surface(MakeSurface(surface));
    for (size_t k = 0; k < loop.Count(); ++k) {
      const LoopCurve c = loop.Curve(k);
      Handle(Geom_BSplineCurve) curve = MakeCurve(c);
      // Enough samples to see a curve of this many control points leave the surface.
      const int samples = std::clamp(4 * c.count + 4, 8, 1000);
      const double t0 = curve->FirstParameter(), t1 = curve->LastParameter();
      for (int i = 0; i <= samples; ++i) {
        analysis->ValueOfUV(curve->Value(t0 + (t1 - t0) * i / samples), kModelTolerance);
        if (analysis->Gap() > kModelTolerance)
          return "curve " + std::to_string(k) + " leaves the surface by " + std::to_string(analysis->Gap()) + " m";
      }
    }
    return std::string();
  });
}

std::string TrimmedFaceProblem(const SurfaceArrays& surface, const TrimLoop& loop) {
  return Guarded([&] {
    std::string problem;
    TrimmedFace(surface, loop, problem);
    return problem;
  });
}

std::string BoundedFaceProblem(const SurfaceArrays& surface, const std::array<double, 4>& range) {
  return Guarded([&] {
    std::string problem;
    BoundedFace(surface, range, problem);
    return problem;
  });
}

std::string Sew(const FaceList& planar, const BodySurfaces& surfaces, std::optional<SolidVerdict>& verdict) {
  verdict.reset();
  return Guarded([&]() -> std::string {
    BRepBuilderAPI_Sewing sewing(kModelTolerance);
    std::string problem;
    for (size_t i = 0; i < surfaces.Faces().size(); ++i) {
      const ModelFace& f = surfaces.Faces()[i];
      const Surface& s = *surfaces.Surfaces()[f.surface];
      const TopoDS_Face face =
          f.trimmed ? TrimmedFace(s.Arrays(), s.Loops().front(), problem) : BoundedFace(s.Arrays(), f.range, problem);
      if (!problem.empty()) return "surface face " + std::to_string(i) + ": " + problem;
      sewing.Add(face);
    }
    for (size_t i = 0; i < planar.size(); ++i) {
      const TopoDS_Face face = PolygonFace(planar[i], problem);
      if (!problem.empty()) return "planar face " + std::to_string(i) + ": " + problem;
      sewing.Add(face);
    }
    sewing.Perform();
    // The sewing is manifold: of three faces on one edge, two are sewn there and
    // the third keeps a free edge, so an overlap shows as free edges too.
    if (sewing.NbMultipleEdges() > 0)
      return std::to_string(sewing.NbMultipleEdges()) + " edges are shared by more than two faces (the faces overlap)";
    if (sewing.NbFreeEdges() > 0)
      return std::to_string(sewing.NbFreeEdges()) +
             " edges have no face on their other side (the faces do not close, or overlap)";

    const TopoDS_Shape sewn = sewing.SewedShape();
    SolidVerdict v;
    v.closed = v.valid = true;
    int facesInShells = 0, faces = 0;
    for (TopExp_Explorer e(sewn, TopAbs_FACE); e.More(); e.Next()) ++faces;
    for (TopExp_Explorer e(sewn, TopAbs_SHELL); e.More(); e.Next()) {
      const TopoDS_Shell& shell = TopoDS::Shell(e.Current());
      if (!BRep_Tool::IsClosed(shell)) return "a shell is open (the faces do not close)";
      for (TopExp_Explorer f(shell, TopAbs_FACE); f.More(); f.Next()) ++facesInShells;
      BRepBuilderAPI_MakeSolid make(shell);
      if (!make.IsDone()) return "a closed shell makes no solid";
      TopoDS_Solid solid = make.Solid();
      BRepLib::OrientClosedSolid(solid);
      v.valid = v.valid && BRepCheck_Analyzer(solid).IsValid();
      GProp_GProps props;
      BRepGProp::VolumeProperties(solid, props);
      v.volume += props.Mass();
      ++v.solids;
    }
    if (v.solids == 0 || facesInShells != faces) return "some faces are in no closed shell";
    verdict = v;
    return std::string();
  });
}

}  // namespace standin::modeller
