#include "opennurbs_mesh.h"

ON_Mesh::ON_Mesh(int initialFaceCapacity, int initialVertexCapacity, bool hasVertexNormals,
                 bool hasTextureCoordinates) {
  m_F.Reserve(initialFaceCapacity);
  m_V.Reserve(initialVertexCapacity);
  if (hasVertexNormals) m_N.Reserve(initialVertexCapacity);
  if (hasTextureCoordinates) m_T.Reserve(initialVertexCapacity);
}

int ON_Mesh::TriangleCount() const {
  int n = 0;
  for (int i = 0; i < m_F.Count(); ++i) n += m_F[i].IsTriangle() ? 1 : 0;
  return n;
}

int ON_Mesh::QuadCount() const { return m_F.Count() - TriangleCount(); }

bool ON_Mesh::SetVertex(int i, const ON_3fPoint& p) {
  if (i < 0 || i > m_V.Count()) return false;
  if (i == m_V.Count()) m_V.Append(p);
  else m_V[i] = p;
  return true;
}

bool ON_Mesh::SetVertex(int i, const ON_3dPoint& p) { return SetVertex(i, ON_3fPoint(p)); }

bool ON_Mesh::SetTriangle(int i, int a, int b, int c) { return SetQuad(i, a, b, c, c); }

bool ON_Mesh::SetQuad(int i, int a, int b, int c, int d) {
  if (i < 0 || i > m_F.Count()) return false;
  ON_MeshFace& f = (i == m_F.Count()) ? m_F.AppendNew() : m_F[i];
  f.vi[0] = a;
  f.vi[1] = b;
  f.vi[2] = c;
  f.vi[3] = d;
  return true;
}

void ON_Mesh::Destroy() {
  m_V.Destroy();
  m_F.Destroy();
  m_N.Destroy();
  m_T.Destroy();
  m_C.Destroy();
}
