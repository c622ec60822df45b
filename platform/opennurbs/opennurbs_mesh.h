// Meshes with the openNURBS names and meanings: float vertices, faces of three or
// four vertex indices (a triangle repeats its third index), optional colours.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_point.h"

typedef ON_SimpleArray<ON_3fPoint> ON_3fPointArray;
typedef ON_SimpleArray<ON_3fVector> ON_3fVectorArray;
typedef ON_SimpleArray<ON_2fPoint> ON_2fPointArray;

struct ON_MeshFace {
  int vi[4];
  bool IsTriangle() const { return vi[2] == vi[3]; }
  bool IsQuad() const { return vi[2] != vi[3]; }
  // True when every index lies in 0 .. vertexCount-1.
  bool IsValid(int vertexCount) const {
    for (int v : vi)
      if (v < 0 || v >= vertexCount) return false;
    return true;
  }
};

class ON_Mesh {
 public:
  ON_Mesh() = default;
  ON_Mesh(int initialFaceCapacity, int initialVertexCapacity, bool hasVertexNormals, bool hasTextureCoordinates);
  ON_Mesh(const ON_Mesh&) = default;
  ON_Mesh& operator=(const ON_Mesh&) = default;
  virtual ~ON_Mesh() = default;

  int VertexCount() const { return m_V.Count(); }
  int FaceCount() const { return m_F.Count(); }
  int TriangleCount() const;
  int QuadCount() const;
  bool HasVertexColors() const { return m_C.Count() > 0 && m_C.Count() == m_V.Count(); }

  // Sets vertex i, or appends it when i equals the vertex count; false otherwise.
  bool SetVertex(int i, const ON_3fPoint& p);
  bool SetVertex(int i, const ON_3dPoint& p);
  // Sets face i, or appends it when i equals the face count; false otherwise.
  bool SetTriangle(int i, int a, int b, int c);
  bool SetQuad(int i, int a, int b, int c, int d);

  // Frees all storage.
  void Destroy();

  ON_3fPointArray m_V;            // vertices
  ON_SimpleArray<ON_MeshFace> m_F;  // faces
  ON_3fVectorArray m_N;           // vertex normals (optional)
  ON_2fPointArray m_T;            // texture coordinates (optional)
  ON_SimpleArray<ON_Color> m_C;   // vertex colours (optional)
};
