// Boundary representations with the openNURBS names and meanings, as far as
// their wire frame goes: vertices (m_V), the 3D curves (m_C3, owned by the brep)
// and edges (m_E). An edge is a proxy of one of the 3D curves (its whole domain
// or a part of it, possibly reversed) running from its start vertex m_vi[0] to
// its end vertex m_vi[1]; every vertex lists the edges that meet there (m_ei).
// Faces, loops and trims are not carried.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_curve.h"
#include "opennurbs_curveproxy.h"
#include "opennurbs_geometry.h"

class ON_Brep;

class ON_BrepVertex {
 public:
  ON_BrepVertex() = default;
  explicit ON_BrepVertex(int vertex_index) : m_vertex_index(vertex_index) {}

  ON_3dPoint Point() const { return point; }
  bool SetPoint(const ON_3dPoint& p) {
    point = p;
    return true;
  }
  int EdgeCount() const { return m_ei.Count(); }
  // The tolerance, or 0 when it is unset.
  double Tolerance() const { return ON_IsValid(m_tolerance) && m_tolerance > 0.0 ? m_tolerance : 0.0; }

  ON_3dPoint point;
  int m_vertex_index = -1;    // the vertex's index in its brep's m_V
  ON_SimpleArray<int> m_ei;   // the edges that start or end here (a closed edge twice)
  double m_tolerance = ON_UNSET_VALUE;
};

class ON_BrepEdge : public ON_CurveProxy {
 public:
  ON_BrepEdge() = default;
  explicit ON_BrepEdge(int edge_index) : m_edge_index(edge_index) {}

  ON_Brep* Brep() const { return m_brep; }
  // The start (evi 0) or end (evi 1) vertex, or null when the edge has none.
  ON_BrepVertex* Vertex(int evi) const;
  // The 3D curve the edge stands for (m_C3[m_c3i]), or null.
  const ON_Curve* EdgeCurveOf() const { return ProxyCurve(); }
  int EdgeCurveIndexOf() const { return m_c3i; }
  // The tolerance, or 0 when it is unset.
  double Tolerance() const { return ON_IsValid(m_tolerance) && m_tolerance > 0.0 ? m_tolerance : 0.0; }

  int m_edge_index = -1;  // the edge's index in its brep's m_E
  int m_c3i = -1;         // its curve's index in the brep's m_C3
  int m_vi[2] = {-1, -1};
  double m_tolerance = ON_UNSET_VALUE;
  ON_Brep* m_brep = nullptr;

 private:
  friend class ON_Brep;  // re-points the edges of a copy at the copied curves
};

class ON_BrepVertexArray : public ON_ClassArray<ON_BrepVertex> {};
class ON_BrepEdgeArray : public ON_ClassArray<ON_BrepEdge> {};

class ON_Brep : public ON_Geometry {
 public:
  ON_Brep() = default;
  // A deep copy: the curves are duplicated and the edges stand for the copies.
  ON_Brep(const ON_Brep& src);
  ON_Brep& operator=(const ON_Brep& src);
  ~ON_Brep() override;

  // A new empty brep the caller deletes.
  static ON_Brep* New() { return new ON_Brep(); }
  static ON_Brep* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_Brep*>(geometry); }
  static const ON_Brep* Cast(const ON_Geometry* geometry) { return dynamic_cast<const ON_Brep*>(geometry); }

  // Deletes the curves and empties the brep.
  void Destroy();

  // A new vertex at the end of m_V. The reference lasts until the next vertex.
  ON_BrepVertex& NewVertex();
  ON_BrepVertex& NewVertex(ON_3dPoint vertex_point, double vertex_tolerance = ON_UNSET_VALUE);
  // Appends a curve made with new to m_C3, which then owns it; its index, or -1
  // (and nothing owned) for a null curve.
  int AddEdgeCurve(ON_Curve* curve);
  // A new edge from v0 to v1 (vertices of this brep) standing for curve c3i, over
  // its whole domain or the part sub_domain, and listed by both vertices. An
  // index outside m_C3 gives an edge without a curve, which is not valid. The
  // reference lasts until the next edge.
  ON_BrepEdge& NewEdge(ON_BrepVertex& v0, ON_BrepVertex& v1, int c3i, const ON_Interval* sub_domain = nullptr,
                       double edge_tolerance = ON_UNSET_VALUE);

  ON_BrepVertex* Vertex(int vertex_index) const;
  ON_BrepEdge* Edge(int edge_index) const;

  // Valid: every index in range and in agreement (vertices and edges know their
  // own index, the vertices list the edges that use them), every curve valid and
  // every edge a valid proxy of its curve whose ends lie at its vertices, within
  // the vertex and edge tolerances (or the coincidence of ON_PointsAreCoincident).
  bool IsValid(ON_TextLog* text_log = nullptr) const;

  // ON_Geometry
  int Dimension() const override { return 3; }
  // The box of the vertices and the 3D curves; false for a brep with neither.
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  // Moves the vertices and the 3D curves (the edges follow their curves); false
  // when a curve refuses.
  bool Transform(const ON_Xform& xform) override;

  ON_BrepVertexArray m_V;
  ON_BrepEdgeArray m_E;
  ON_CurveArray m_C3;

 private:
  void CopyFrom(const ON_Brep& src);
};

// The brep of a box: eight vertices at the corners (the bottom face's four
// counter-clockwise seen from above, then the top face's in the same order) and
// twelve edges, each an ON_LineCurve between its corners over [0, length]: the
// bottom edges 0-1, 1-2, 2-3, 3-0, the top edges 4-5, 5-6, 6-7, 7-4 and the
// vertical edges 0-4, 1-5, 2-6, 3-7, in this order (curve i belongs to edge i).
// Built in pBrep (emptied first) when it is given, else in a new brep the caller
// deletes. Null, and pBrep emptied, when the corners are null, a corner is not a
// valid point or an edge is no longer than ON_ZERO_TOLERANCE.
ON_Brep* ON_BrepBox(const ON_3dPoint* box_corners, ON_Brep* pBrep = nullptr);
