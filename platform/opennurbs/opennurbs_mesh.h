// Meshes with the openNURBS names and meanings: float vertices, faces of three or
// four vertex indices (a triangle repeats its third index), optional normals,
// texture coordinates and colours, and a topology built on demand and cached.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_color.h"
#include "opennurbs_geometry.h"
#include "opennurbs_point.h"

typedef ON_SimpleArray<ON_3fPoint> ON_3fPointArray;
typedef ON_SimpleArray<ON_3fVector> ON_3fVectorArray;
typedef ON_SimpleArray<ON_2fPoint> ON_2fPointArray;

class ON_Mesh;

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

// Mesh vertices at identical float coordinates (+0 and -0 count as equal) form one
// topology vertex. The list points into storage owned by the topology.
struct ON_MeshTopologyVertex {
  int m_v_count;    // mesh vertices at this location (at least 1)
  const int* m_vi;  // their indices, ascending
};

// One edge per distinct face side between two different topology vertices.
// m_topvi runs in the direction of the side that first produced the edge.
struct ON_MeshTopologyEdge {
  int m_topvi[2];
};

// The edges of one mesh face, side k running from corner k to the next corner.
// A triangle has three sides and m_topei[3] == m_topei[2]. A side whose ends are
// one topology vertex, and every side of a face with an index outside the mesh's
// vertices, has no edge: m_topei[k] is -1. m_reve[k] is 1 when side k runs from
// the edge's m_topvi[1] to its m_topvi[0].
struct ON_MeshTopologyFace {
  int m_topei[4];
  char m_reve[4];
  bool IsTriangle() const { return m_topei[2] == m_topei[3]; }
  bool IsQuad() const { return m_topei[2] != m_topei[3]; }
  // As openNURBS documents it: m_topei[0], [1] and [2] are mutually distinct, and
  // m_topei[3] equals m_topei[2] or differs from the first three. A missing edge
  // counts as the value -1, so a triangle with two corners at one location (two
  // sides on one edge), or a face with an index outside the vertices, is not valid.
  bool IsValid() const;
};

// The topology of an ON_Mesh. Orders, so that a build is deterministic:
// - topology vertices in order of their lowest mesh vertex index;
// - edges in order of first appearance, scanning faces in index order and each
//   face's sides 0, 1, 2 (, 3);
// - every list in ascending order.
// Built in linear time (vertex coordinates go through a hash seeded anew for each
// build, sides are grouped by their lower end, so no input forces a slow path),
// with a fixed number of allocations whatever the mesh size. This subset carries
// the vertex, edge and face lists; the lists of edges per vertex and faces per
// edge are left out, since nothing here reads them and a large mesh would pay for
// them in time and memory.
class ON_MeshTopology {
 public:
  ON_MeshTopology() = default;
  ON_MeshTopology(const ON_MeshTopology&) = delete;  // the lists point into this object
  ON_MeshTopology& operator=(const ON_MeshTopology&) = delete;
  ~ON_MeshTopology() = default;

  // Builds the topology of `mesh` (kept as m_mesh); false when the mesh is too
  // large for 32-bit indices, in which case the topology is empty.
  bool Create(const ON_Mesh* mesh);
  void Destroy();
  // Checks every list against the mesh and against the other lists, and that
  // every face is valid (ON_MeshTopologyFace::IsValid): the topology of a mesh
  // with a degenerate face is not valid.
  bool IsValid() const;

  int TopVertexCount() const { return m_topv.Count(); }
  int TopEdgeCount() const { return m_tope.Count(); }
  int TopFaceCount() const { return m_topf.Count(); }

  const ON_Mesh* m_mesh = nullptr;
  ON_SimpleArray<int> m_topv_map;                   // mesh vertex index -> topology vertex
  ON_SimpleArray<ON_MeshTopologyVertex> m_topv;
  ON_SimpleArray<ON_MeshTopologyEdge> m_tope;
  ON_SimpleArray<ON_MeshTopologyFace> m_topf;      // one per mesh face

 private:
  friend class ON_Mesh;
  // The mesh sizes the topology was built from; a mismatch means it is stale.
  int m_builtVertexCount = -1;
  int m_builtFaceCount = -1;
  ON_SimpleArray<int> m_vi_pool;  // ON_MeshTopologyVertex::m_vi
};

class ON_Mesh : public ON_Geometry {
 public:
  ON_Mesh() = default;
  ON_Mesh(int initialFaceCapacity, int initialVertexCapacity, bool hasVertexNormals, bool hasTextureCoordinates);
  // A copy gets the arrays only: its topology is built anew on first use.
  ON_Mesh(const ON_Mesh& o);
  ON_Mesh& operator=(const ON_Mesh& o);
  ~ON_Mesh() override = default;

  int VertexCount() const { return m_V.Count(); }
  int FaceCount() const { return m_F.Count(); }
  int TriangleCount() const;
  int QuadCount() const;
  bool HasVertexNormals() const { return m_N.Count() > 0 && m_N.Count() == m_V.Count(); }
  bool HasVertexColors() const { return m_C.Count() > 0 && m_C.Count() == m_V.Count(); }

  // Sets vertex i, or appends it when i equals the vertex count; false otherwise.
  bool SetVertex(int i, const ON_3fPoint& p);
  bool SetVertex(int i, const ON_3dPoint& p);
  // Sets face i, or appends it when i equals the face count; false otherwise.
  bool SetTriangle(int i, int a, int b, int c);
  bool SetQuad(int i, int a, int b, int c, int d);

  // Frees all storage, the topology's too.
  void Destroy();

  // As openNURBS judges a mesh: at least one face; each face's indices lie within
  // the vertices and are distinct (a triangle's three, a quad's four), and its
  // corners lie at distinct locations (float coordinates; +0 equals -0); vertex
  // normals and texture coordinates are absent or one per vertex. Coordinates are
  // not judged otherwise (openNURBS passes infinite and NaN ones), nor are colours.
  bool IsValid() const;

  // Appends a copy of `other`: its vertices, and its faces with their indices
  // moved past this mesh's vertices. Normals, texture coordinates and vertex
  // colours stay where both meshes have one per vertex (or this mesh has no
  // vertices yet) and are dropped otherwise, so that their counts stay consistent.
  // False, and nothing appended, when the counts would not fit an int.
  bool Append(const ON_Mesh& other);

  // Merges vertices at identical locations (float coordinates; +0 equals -0) into
  // the first of them and renumbers the faces, which keep their order and their
  // corner order (a face whose corners merge keeps the repeated index). Vertices
  // merge only when their normals are equal too, unless bIgnoreVertexNormals, and
  // their texture coordinates and colours, unless bIgnoreTextureCoordinates, in
  // which case texture coordinates and colours are dropped, as openNURBS does.
  // Vertices no face uses are kept. True when any vertex was merged; otherwise the
  // mesh is unchanged.
  bool CombineIdenticalVertices(bool bIgnoreVertexNormals = false, bool bIgnoreTextureCoordinates = false);

  // The topology, built on first use and cached in the mesh. Changes made through
  // the mesh's own functions drop the cache; code that edits m_V or m_F directly
  // calls DestroyTopology afterwards (a change of either count is noticed anyway).
  const ON_MeshTopology& Topology() const;
  void DestroyTopology();
  bool HasTopology() const { return m_top.m_mesh == this; }

  // ON_Geometry: vertices are transformed in double precision and stored as
  // floats; vertex normals are turned with the inverse transpose and unitized.
  int Dimension() const override { return 3; }
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  bool Transform(const ON_Xform& xform) override;

  ON_3fPointArray m_V;              // vertices
  ON_SimpleArray<ON_MeshFace> m_F;  // faces
  ON_3fVectorArray m_N;             // vertex normals (optional)
  ON_2fPointArray m_T;              // texture coordinates (optional)
  ON_SimpleArray<ON_Color> m_C;     // vertex colours (optional)

 private:
  mutable ON_MeshTopology m_top;
};
