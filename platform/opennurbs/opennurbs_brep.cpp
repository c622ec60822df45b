#include "opennurbs_brep.h"

#include "opennurbs_linecurve.h"

ON_BrepVertex* ON_BrepEdge::Vertex(int evi) const {
  if (!m_brep || (evi != 0 && evi != 1)) return nullptr;
  return m_brep->Vertex(m_vi[evi]);
}

ON_Brep::ON_Brep(const ON_Brep& src) : ON_Geometry(src) { CopyFrom(src); }

ON_Brep& ON_Brep::operator=(const ON_Brep& src) {
  if (this != &src) {
    ON_Geometry::operator=(src);
    CopyFrom(src);
  }
  return *this;
}

ON_Brep::~ON_Brep() { Destroy(); }

void ON_Brep::Destroy() {
  m_E.Destroy();
  m_V.Destroy();
  m_C3.Destroy();
}

void ON_Brep::CopyFrom(const ON_Brep& src) {
  Destroy();
  m_V = src.m_V;
  m_C3.Reserve(src.m_C3.Count());
  for (int i = 0; i < src.m_C3.Count(); ++i) m_C3.Append(src.m_C3[i] ? src.m_C3[i]->DuplicateCurve() : nullptr);
  m_E = src.m_E;
  for (int i = 0; i < m_E.Count(); ++i) {
    ON_BrepEdge& e = m_E[i];
    e.m_brep = this;
    // The copy stands for the copied curve, over the same part and in the same
    // direction; an edge that did not stand for its own curve keeps no curve.
    const int c3i = e.m_c3i;
    const bool own = c3i >= 0 && c3i < src.m_C3.Count() && e.m_real_curve && e.m_real_curve == src.m_C3[c3i];
    e.m_real_curve = own ? m_C3[c3i] : nullptr;
  }
}

ON_BrepVertex& ON_Brep::NewVertex() {
  const int index = m_V.Count();
  ON_BrepVertex& v = m_V.AppendNew();
  v.m_vertex_index = index;
  return v;
}

ON_BrepVertex& ON_Brep::NewVertex(ON_3dPoint vertex_point, double vertex_tolerance) {
  ON_BrepVertex& v = NewVertex();
  v.point = vertex_point;
  v.m_tolerance = vertex_tolerance;
  return v;
}

int ON_Brep::AddEdgeCurve(ON_Curve* curve) {
  if (!curve) return -1;
  m_C3.Append(curve);
  return m_C3.Count() - 1;
}

ON_BrepEdge& ON_Brep::NewEdge(ON_BrepVertex& v0, ON_BrepVertex& v1, int c3i, const ON_Interval* sub_domain,
                              double edge_tolerance) {
  // Only vertices of this brep are linked; the vertex references stay good
  // because m_V does not grow here.
  const auto own = [this](const ON_BrepVertex& v) {
    return v.m_vertex_index >= 0 && v.m_vertex_index < m_V.Count() && &m_V[v.m_vertex_index] == &v;
  };
  const int index = m_E.Count();
  ON_BrepEdge& e = m_E.AppendNew();
  e.m_edge_index = index;
  e.m_brep = this;
  e.m_c3i = c3i;
  e.m_tolerance = edge_tolerance;
  e.m_vi[0] = own(v0) ? v0.m_vertex_index : -1;
  e.m_vi[1] = own(v1) ? v1.m_vertex_index : -1;
  if (c3i >= 0 && c3i < m_C3.Count() && m_C3[c3i]) {
    if (sub_domain)
      e.SetProxyCurve(m_C3[c3i], *sub_domain);
    else
      e.SetProxyCurve(m_C3[c3i]);
  }
  for (int k = 0; k < 2; ++k)
    if (e.m_vi[k] >= 0) m_V[e.m_vi[k]].m_ei.Append(index);
  return e;
}

ON_BrepVertex* ON_Brep::Vertex(int vertex_index) const {
  return vertex_index >= 0 && vertex_index < m_V.Count() ? const_cast<ON_BrepVertex*>(&m_V[vertex_index]) : nullptr;
}

ON_BrepEdge* ON_Brep::Edge(int edge_index) const {
  return edge_index >= 0 && edge_index < m_E.Count() ? const_cast<ON_BrepEdge*>(&m_E[edge_index]) : nullptr;
}

namespace {

bool Lists(const ON_SimpleArray<int>& list, int value) {
  for (int i = 0; i < list.Count(); ++i)
    if (list[i] == value) return true;
  return false;
}

bool AtVertex(const ON_3dPoint& p, const ON_BrepVertex& v, double edge_tolerance) {
  if (!p.IsValid()) return false;
  const double a[3] = {p.x, p.y, p.z}, b[3] = {v.point.x, v.point.y, v.point.z};
  return p.DistanceTo(v.point) <= v.Tolerance() + edge_tolerance || ON_PointsAreCoincident(3, false, a, b);
}

}  // namespace

bool ON_Brep::IsValid(ON_TextLog*) const {
  for (int i = 0; i < m_V.Count(); ++i) {
    const ON_BrepVertex& v = m_V[i];
    if (v.m_vertex_index != i || !v.point.IsValid()) return false;
    for (int k = 0; k < v.m_ei.Count(); ++k) {
      const ON_BrepEdge* e = Edge(v.m_ei[k]);
      if (!e || (e->m_vi[0] != i && e->m_vi[1] != i)) return false;
    }
  }
  for (int i = 0; i < m_C3.Count(); ++i)
    if (!m_C3[i] || !m_C3[i]->IsValid()) return false;
  for (int i = 0; i < m_E.Count(); ++i) {
    const ON_BrepEdge& e = m_E[i];
    if (e.m_edge_index != i || e.m_brep != this || e.m_c3i < 0 || e.m_c3i >= m_C3.Count()) return false;
    if (e.ProxyCurve() != m_C3[e.m_c3i] || !e.IsValid()) return false;
    for (int k = 0; k < 2; ++k) {
      const ON_BrepVertex* v = Vertex(e.m_vi[k]);
      if (!v || !Lists(v->m_ei, i)) return false;
      if (!AtVertex(k ? e.PointAtEnd() : e.PointAtStart(), *v, e.Tolerance())) return false;
    }
  }
  return true;
}

bool ON_Brep::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!boxmin || !boxmax) return false;
  bool have = grow;
  for (int i = 0; i < m_V.Count(); ++i) {
    const ON_3dPoint& p = m_V[i].point;
    for (int k = 0; k < 3; ++k) {
      if (!have) {
        boxmin[k] = boxmax[k] = p[k];
      } else {
        if (p[k] < boxmin[k]) boxmin[k] = p[k];
        if (p[k] > boxmax[k]) boxmax[k] = p[k];
      }
    }
    have = true;
  }
  for (int i = 0; i < m_C3.Count(); ++i) {
    const ON_Curve* c = m_C3[i];
    if (!c || c->Dimension() != 3) continue;
    if (c->GetBBox(boxmin, boxmax, have)) have = true;
  }
  return have;
}

bool ON_Brep::Transform(const ON_Xform& xform) {
  for (int i = 0; i < m_C3.Count(); ++i)
    if (m_C3[i] && !m_C3[i]->Transform(xform)) return false;
  for (int i = 0; i < m_V.Count(); ++i) m_V[i].point = xform * m_V[i].point;
  return true;
}

ON_Brep* ON_BrepBox(const ON_3dPoint* box_corners, ON_Brep* pBrep) {
  static const int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                    {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  if (pBrep) pBrep->Destroy();
  if (!box_corners) return nullptr;
  for (int i = 0; i < 8; ++i)
    if (!box_corners[i].IsValid()) return nullptr;
  for (const auto& e : kEdges)
    if (!(box_corners[e[0]].DistanceTo(box_corners[e[1]]) > ON_ZERO_TOLERANCE)) return nullptr;
  ON_Brep* brep = pBrep ? pBrep : new ON_Brep();
  for (int i = 0; i < 8; ++i) brep->NewVertex(box_corners[i], 0.0);
  for (const auto& e : kEdges) {
    const int c3i = brep->AddEdgeCurve(new ON_LineCurve(box_corners[e[0]], box_corners[e[1]]));
    brep->NewEdge(brep->m_V[e[0]], brep->m_V[e[1]], c3i, nullptr, 0.0);
  }
  return brep;
}
