// Host bodies, parts, assembly components and documents read back as meshes.
#include <cmath>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "ComHolders.h"
#include "ZTKSWON.h"
#include "ZTKSWONMemory.h"

namespace {

// Made at load (ZTKSWONMemory.h): storing it must not allocate with memory gone.
const CString kNoMemory(L"Not enough memory to read the meshes");

// The body-type codes asked for, in this order.
constexpr LONG kBodyTypes[] = {0, 1};

// What a part or component without material values shows: white, alpha 0.
const ON_Color kWhite(255, 255, 255);

// Memory running out while a large body is read fails the call with a text of its
// own: the exception must not cross the host's COM call.
template <class Result, class Work>
Result Guarded(Result failure, Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    ZTKSWON::SetNoMemoryText(kNoMemory);
    return failure;
  }
}

bool IsFinite(const ON_3fPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// `triangle` is a one-triangle mesh the caller keeps from triangle to triangle, so
// that a body of a million triangles does not make a million meshes. The topology
// of a one-triangle mesh is valid exactly when its three corners lie at three
// locations as floats (two at one location put two of its sides on one edge), so
// that verdict is taken from the corners without building the topology. A corner
// that is not a finite number is refused as well: it would make a mesh that
// passes ON_Mesh::IsValid yet has no place in space.
bool AppendTriangleUsing(ON_Mesh& mesh, ON_Mesh& triangle, const ON_3dPoint& a, const ON_3dPoint& b,
                         const ON_3dPoint& c) {
  const ON_3fPoint fa(a), fb(b), fc(c);
  if (!IsFinite(fa) || !IsFinite(fb) || !IsFinite(fc)) return false;
  if (fa == fb || fb == fc || fa == fc) return false;
  triangle.SetVertex(0, fa);
  triangle.SetVertex(1, fb);
  triangle.SetVertex(2, fc);
  triangle.SetTriangle(0, 0, 1, 2);
  mesh.Append(triangle);
  return true;
}

// A fraction of 0..1 as a channel: times 255, truncated toward zero. Values far
// outside are brought near the channel's range first (SetRGBA clamps the rest),
// so that no conversion overflows; a NaN gives 0.
int Channel(double fraction) {
  const double v = fraction * 255.0;
  if (std::isnan(v)) return 0;
  if (v <= -1.0) return -1;
  if (v >= 256.0) return 256;
  return static_cast<int>(v);
}

// Red, green and blue from entries 0-2, alpha from the transparency in entry 7.
ON_Color ColorOf(const double* values) {
  ON_Color c;
  c.SetRGBA(Channel(values[0]), Channel(values[1]), Channel(values[2]), Channel(1.0 - values[7]));
  return c;
}

// The host's 16 placement values: t[0..8] the rotation column by column, t[9..11]
// the translation; the rest is not read.
ON_Xform PlacementOf(const double* t) {
  ON_Xform x;
  for (int r = 0; r < 3; ++r) {
    x.m_xform[r][0] = t[r];
    x.m_xform[r][1] = t[3 + r];
    x.m_xform[r][2] = t[6 + r];
    x.m_xform[r][3] = t[9 + r];
  }
  return x;
}

// One mesh per body of the enumerators `enumerate` gives for the codes 0 and 1,
// named "<prefix>-<body name>"; true when at least one was appended.
template <class Enumerate>
bool CollectBodyMeshes(Enumerate enumerate, const CString& prefix, const ON_Color* colour,
                       ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  ON_Mesh work;  // one for the whole call: each body's mesh replaces the last
  bool appended = false;
  for (LONG code : kBodyTypes) {
    CountedPtr<HostBodyEnumerator> bodies;
    if (enumerate(code, bodies.Out()) != S_OK || !bodies) continue;
    for (;;) {
      CountedPtr<HostBody> body;
      if (HostOp::NextBodies(bodies.Get(), 1, body.Out(), nullptr) != S_OK) break;
      if (!body || GetMeshFromBody(body.Get(), work) != 1) continue;
      if (colour) work.m_C.Append(*colour);
      meshes.Append(work);
      if (names) {
        BstrHolder bodyName;
        HostOp::BodyName(body.Get(), bodyName.Out());
        CString name;
        name.Format(L"%s-%s", static_cast<const wchar_t*>(prefix), bodyName.Text());
        names->Add(name);
      }
      appended = true;
    }
  }
  return appended;
}

template <class Role>
HRESULT QueryRole(IUnknown* object, REFIID iid, CountedPtr<Role>& out) {
  return object->QueryInterface(iid, reinterpret_cast<void**>(out.Out()));
}

// The outputs of the document-level calls start empty.
void Empty(ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  meshes.Destroy();
  if (names) names->RemoveAll();
}

// One component of the walk and the children it was handed: those from `next` on
// are released when the level goes, so every path (an early end, memory running
// out) lets go of them.
struct Level {
  Level() = default;
  Level(Level&&) = default;
  Level& operator=(Level&&) = default;
  ~Level() {
    for (LONG i = next; children && i < count; ++i)
      if (HostComponent* c = std::exchange(children[i], nullptr)) c->Release();
  }

  HostComponent* component = nullptr;  // the caller's, or an entry of the parent's children
  std::unique_ptr<HostComponent*[]> children;
  LONG count = 0;
  LONG next = 0;      // the child being walked, or to walk next
  bool walk = false;  // the children were handed out (component method 8 gave S_OK)
};

// The component's own meshes, moved by its placement and coloured, then its
// children into `level`. Returns the child count as the host reported it.
LONG AppendComponent(HostComponent* component, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names, Level& level) {
  BstrHolder name;
  HostOp::ComponentName(component, name.Out());
  ON_ClassArray<ON_Mesh> local;
  CStringArray localNames;
  if (GetComponentMeshes(component, local, &localNames) == 1) {
    CountedPtr<HostDocument> doc;
    HostOp::ComponentDocument(component, doc.Out());
    // Read as the host offers it; the meshes stay in metres whatever unit the
    // document shows, so the value is not used.
    LONG unitCode = 3;
    if (doc) HostOp::LengthUnit(doc.Get(), &unitCode);
    // A placement the host does not deliver leaves the identity.
    double t[16] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    HostOp::ComponentTransform(component, t);
    const ON_Xform placement = PlacementOf(t);

    ON_Color colour = kWhite;
    double values[9] = {};
    if (HostOp::ComponentMaterialValues(component, values) == S_OK) {
      colour = ColorOf(values);
    } else if (doc) {
      CountedPtr<HostPartDocument> part;
      if (QueryRole(doc.Get(), IID_HostPartDocument, part) == S_OK && part &&
          HostOp::MaterialValues(part.Get(), values) == S_OK)
        colour = ColorOf(values);
    }
    for (int i = 0; i < local.Count(); ++i) {
      ON_Mesh& mesh = local[i];
      // A placement that is not finite is refused, and the mesh stays where it is.
      mesh.Transform(placement);
      mesh.m_C.Append(colour);
      meshes.Append(mesh);
      if (names) names->Add(local.Count() == 1 ? CString(name.Text()) : localNames[i]);
    }
  }

  LONG count = 0;
  if (HostOp::ChildCount(component, &count) != S_OK) return 0;
  if (count > 0) {
    level.children.reset(new (std::nothrow) HostComponent*[static_cast<size_t>(count)]());
    if (level.children) {
      level.count = count;
      level.walk = HostOp::ChildComponents(component, level.children.get()) == S_OK;
    }
  }
  return count;
}

bool OnPath(const std::vector<Level>& path, const HostComponent* component) {
  for (const Level& l : path)
    if (l.component == component) return true;
  return false;
}

}  // namespace

BOOL AppendTriangle(ON_Mesh& mesh, const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c) {
  return Guarded<BOOL>(0, [&] {
    ON_Mesh triangle(1, 3, false, false);
    return AppendTriangleUsing(mesh, triangle, a, b, c) ? 1 : 0;
  });
}

BOOL GetMeshFromBody(HostBody* body, ON_Mesh& mesh) {
  return Guarded<BOOL>(0, [&]() -> BOOL {
    CountedPtr<HostFace> face;
    if (!body || HostOp::FirstFace(body, face.Out()) != S_OK || !face) {
      ZTKSWON::SetLastErrorText(L"Unable to get first face of body");
      return 0;
    }
    ON_Mesh work;
    ON_Mesh triangle(1, 3, false, false);
    while (face) {
      LONG count = 0;
      // A negative count adds nothing. An array too large to allocate fails the
      // whole read as memory running out: a mesh silently short of a face would
      // pass for the body.
      if (HostOp::TriangleCount(face.Get(), &count) == S_OK && count >= 0) {
        std::unique_ptr<float[]> corners(new float[9 * static_cast<size_t>(count)]());
        if (HostOp::Triangles(face.Get(), 0, corners.get()) == S_OK) {
          for (LONG t = 0; t < count; ++t) {
            const float* p = corners.get() + 9 * static_cast<size_t>(t);
            AppendTriangleUsing(work, triangle, ON_3dPoint(p[0], p[1], p[2]), ON_3dPoint(p[3], p[4], p[5]),
                                ON_3dPoint(p[6], p[7], p[8]));
          }
        }
      }
      CountedPtr<HostFace> next;
      HostOp::NextFace(face.Get(), next.Out());
      if (next.Get() == face.Get()) break;  // a face that names itself as the next would never end
      face = std::move(next);
    }
    work.CombineIdenticalVertices(true, true);
    if (!work.IsValid()) {
      ZTKSWON::SetLastErrorText(L"[ZTKSWON::GetMeshFromBody] Invalid mesh");
      return 0;
    }
    mesh = work;
    return 1;
  });
}

BOOL GetPartMeshes(HostPartDocument* part, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names, VARIANT_BOOL flag) {
  return Guarded<BOOL>(0, [&]() -> BOOL {
    CString prefix = L"Part";
    ON_Color colour = kWhite;
    bool appended = false;
    if (part) {
      CountedPtr<HostDocument> doc;
      if (QueryRole(part, IID_HostDocument, doc) == S_OK && doc) {
        BstrHolder title;
        HostOp::Title(doc.Get(), title.Out());
        const CString text(title.Text());
        prefix = text.Left(text.ReverseFind(L'.'));  // empty without a "."
      }
      doc.Reset();
      double values[9] = {};
      if (HostOp::MaterialValues(part, values) == S_OK) colour = ColorOf(values);
      appended = CollectBodyMeshes(
          [&](LONG code, HostBodyEnumerator** bodies) { return HostOp::Bodies(part, code, flag, bodies); }, prefix,
          &colour, meshes, names);
    }
    if (!appended) {
      ZTKSWON::SetLastErrorText(L"Unable to get part bodies");
      return 0;
    }
    return 1;
  });
}

BOOL GetComponentMeshes(HostComponent* component, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  return Guarded<BOOL>(0, [&]() -> BOOL {
    bool appended = false;
    if (component) {
      CString prefix = L"Component";
      BstrHolder name;
      if (HostOp::ComponentName(component, name.Out()) == S_OK) prefix = name.Text();
      appended = CollectBodyMeshes(
          [&](LONG code, HostBodyEnumerator** bodies) { return HostOp::ComponentBodies(component, code, bodies); },
          prefix, nullptr, meshes, names);
    }
    if (!appended) {
      ZTKSWON::SetLastErrorText(L"Unable to get component bodies");
      return 0;
    }
    return 1;
  });
}

// Depth first and in pre-order, as a recursion over the children would walk the
// tree, but with the path kept on the heap: a deep tree cannot exhaust the stack,
// and a child that is one of its own ancestors is released without a walk.
int GetAssemblyMeshes(HostComponent* component, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  if (!component) return 0;
  std::vector<Level> path;
  LONG childCount = 0;
  try {
    path.emplace_back();
    path.back().component = component;
    childCount = AppendComponent(component, meshes, names, path.back());
    while (!path.empty()) {
      Level& top = path.back();
      if (top.walk && top.next < top.count) {
        HostComponent* child = top.children[top.next];
        if (child && !OnPath(path, child)) {
          Level below;
          below.component = child;
          AppendComponent(child, meshes, names, below);
          path.push_back(std::move(below));
          continue;
        }
        if (child) child->Release();
        top.children[top.next++] = nullptr;
        continue;
      }
      path.pop_back();
      if (!path.empty()) {  // the parent releases the child it has walked
        Level& parent = path.back();
        if (HostComponent* c = std::exchange(parent.children[parent.next++], nullptr)) c->Release();
      }
    }
  } catch (const std::bad_alloc&) {
    ZTKSWON::SetNoMemoryText(kNoMemory);  // the levels release what they hold as they go
  }
  return static_cast<int>(childCount);
}

BOOL GetAssemblyDocMeshes(HostDocument* doc, HostAssemblyDocument* assembly, ON_ClassArray<ON_Mesh>& meshes,
                          CStringArray* names) {
  Empty(meshes, names);
  LONG unread = 0;  // what the host reports here is not read
  if (assembly) HostOp::ResolveComponents(assembly, 0, &unread);
  CountedPtr<HostComponentTree> tree;
  if (!doc || HostOp::ComponentTree(doc, tree.Out()) != S_OK || !tree) return 1;
  CountedPtr<HostComponent> root;
  if (HostOp::RootComponent(tree.Get(), root.Out()) == S_OK && root) GetAssemblyMeshes(root.Get(), meshes, names);
  return 1;
}

BOOL GetDocumentMeshes(HostDocument* doc, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  Empty(meshes, names);
  if (doc) {
    CountedPtr<HostPartDocument> part;
    CountedPtr<HostAssemblyDocument> assembly;
    if (QueryRole(doc, IID_HostPartDocument, part) == S_OK && part) {
      GetPartMeshes(part.Get(), meshes, names, VARIANT_TRUE);
    } else if (QueryRole(doc, IID_HostAssemblyDocument, assembly) == S_OK && assembly) {
      GetAssemblyDocMeshes(doc, assembly.Get(), meshes, names);
    }
  }
  if (meshes.Count() > 0) return 1;
  ZTKSWON::SetLastErrorText(L"Unable to extract meshes from document");
  return 0;
}

BOOL GetActiveDocumentMeshes(HostApplication* app, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names) {
  CountedPtr<HostDocument> doc;
  if (app) HostOp::ActiveModel(app, doc.Out());
  if (!doc) {
    ZTKSWON::SetLastErrorText(L"Unable to retrieve active model");
    return 0;
  }
  return GetDocumentMeshes(doc.Get(), meshes, names);
}

BOOL VisitHostObjectChain(IDispatch* object) {
  if (!object) return 1;
  CountedPtr<IDispatch> current;
  HostOp::ChainFirst(object, current.Out());
  while (current) {
    LONG count = 0;
    {
      CountedPtr<IDispatch> second, third;
      HostOp::ChainLinkedObject(current.Get(), second.Out());
      if (second) HostOp::ChainThirdObject(second.Get(), third.Out());
      if (third) HostOp::ChainCount(third.Get(), &count);
    }
    if (count > 0) {
      LONG unread = 0;
      HostOp::ChainMark(current.Get(), &unread);
    }
    // The call writes the next link over the current one, which stays ours.
    IDispatch* link = current.Get();
    HostOp::ChainNext(current.Get(), &link);
    if (link == current.Get()) break;  // it did not move on
    current = CountedPtr<IDispatch>::Attach(link);
  }
  return 1;
}
