// The stand-in host's read-back side: faces and their triangles, body enumerators,
// titles, names and units, component trees. Calls go through literal positions.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using standin::Document;
using standin::DocumentKind;
using standin::PlanarFace;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

PlanarFace Quad(std::array<double, 12> corners) { return PlanarFace{4, corners, {0, 0, 1}}; }

// The triangles' normals by the right-hand rule: all along the face's own.
bool KeepsOrientation(const standin::Tessellation& t) {
  for (size_t i = 0; i + 8 < t.size(); i += 9) {
    const double ux = t[i + 3] - t[i], uy = t[i + 4] - t[i + 1], vx = t[i + 6] - t[i], vy = t[i + 7] - t[i + 1];
    if (ux * vy - uy * vx <= 0) return false;
  }
  return true;
}

TEST(Tessellation, QuadsSplitAlongTheDiagonalInside) {
  const standin::Tessellation square = standin::TessellatePlanar(Quad({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(square, (standin::Tessellation{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}));
  // A dart whose corner 1 points inward: the diagonal 0-2 runs outside it.
  const standin::Tessellation dart = standin::TessellatePlanar(Quad({2, 1, 0, 0.5, 0.5, 0, 1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(dart, (standin::Tessellation{0.5, 0.5, 0, 1, 2, 0, 0, 0, 0, 0.5, 0.5, 0, 0, 0, 0, 2, 1, 0}));
  EXPECT_TRUE(KeepsOrientation(square));
  EXPECT_TRUE(KeepsOrientation(dart));
  EXPECT_EQ(standin::TessellatePlanar(PlanarFace{3, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}}).size(), 9u);
}

class HostReadBack : public standin::StandInHostTest {};

TEST_F(HostReadBack, BuiltBodiesHandOutTheirFacesInOrder) {
  Document& part = host.AddDocument(DocumentKind::Part);
  CountedPtr<HostBody> temp;
  ASSERT_EQ(At<31>(part.PartInterface(), temp.Out()), S_OK);
  const double quad[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, tri[9] = {0, 0, 0, 1, 0, 0, 0, 0, 1};
  const double up[3] = {0, 0, 1}, side[3] = {0, -1, 0};
  ASSERT_EQ(At<72>(temp.Get(), LONG{4}, quad, up), S_OK);
  ASSERT_EQ(At<72>(temp.Get(), LONG{3}, tri, side), S_OK);
  // Read back without building: the temporary body's faces are those it was given.
  CountedPtr<HostFace> face;
  ASSERT_EQ(At<8>(temp.Get(), face.Out()), S_OK);
  LONG counts[2] = {};
  for (LONG& count : counts) {
    ASSERT_TRUE(face);
    ASSERT_EQ(At<48>(face.Get(), &count), S_OK);
    std::vector<float> corners(9 * static_cast<size_t>(count));
    ASSERT_EQ(At<46>(face.Get(), LONG{0}, corners.data()), S_OK);
    EXPECT_EQ(corners[0], 0.0f);
    CountedPtr<HostFace> next;
    ASSERT_EQ(At<18>(face.Get(), next.Out()), S_OK);
    face = next;
  }
  EXPECT_FALSE(face);
  EXPECT_EQ(counts[0], 2);
  EXPECT_EQ(counts[1], 1);
  // The same face object each time it is reached.
  CountedPtr<HostFace> again1, again2;
  At<8>(temp.Get(), again1.Out());
  At<8>(temp.Get(), again2.Out());
  EXPECT_EQ(again1.Get(), again2.Get());
}

TEST_F(HostReadBack, EnumeratorsFollowTheComContract) {
  Document& part = host.AddDocument(DocumentKind::Part);
  standin::AddBody(part, {});
  standin::AddBody(part, {}, standin::kSheetBody);
  standin::AddBody(part, {});
  CountedPtr<HostBodyEnumerator> solids;
  ASSERT_EQ(At<141>(part.PartInterface(), LONG{0}, VARIANT_TRUE, solids.Out()), S_OK);
  HostBody* got[3] = {};
  LONG fetched = -1;
  EXPECT_EQ(At<3>(solids.Get(), LONG{2}, got, static_cast<LONG*>(nullptr)), E_POINTER);
  EXPECT_EQ(At<3>(solids.Get(), LONG{-1}, got, &fetched), E_INVALIDARG);
  EXPECT_EQ(At<3>(solids.Get(), LONG{3}, got, &fetched), S_FALSE);  // two solids, not three
  EXPECT_EQ(fetched, 2);
  EXPECT_EQ(got[0], part.Bodies()[0]->Interface());
  EXPECT_EQ(got[1], part.Bodies()[2]->Interface());
  for (int i = 0; i < 2; ++i) got[i]->Release();
  EXPECT_EQ(At<3>(solids.Get(), LONG{1}, got, static_cast<LONG*>(nullptr)), S_FALSE);

  CountedPtr<HostBodyEnumerator> other;
  EXPECT_EQ(At<141>(part.PartInterface(), LONG{2}, VARIANT_TRUE, other.Out()), E_INVALIDARG);
  EXPECT_FALSE(other);
  EXPECT_EQ(host.Log().Args("HostPartDocument", 141).front(), "0,-1,&");
}

TEST_F(HostReadBack, TitlesNamesAndUnitsAsANewDocumentHasThem) {
  Document& part1 = host.AddDocument(DocumentKind::Part);
  Document& assembly = host.AddDocument(DocumentKind::Assembly);
  Document& part2 = host.AddDocument(DocumentKind::Part);
  EXPECT_EQ(standin::Title(part1), L"Part1");
  EXPECT_EQ(standin::Title(assembly), L"Assem1");
  EXPECT_EQ(standin::Title(part2), L"Part2");
  part2.ReadBack().title = L"Bracket.SLDPRT";
  BstrHolder title;
  ASSERT_EQ(At<90>(part2.DocumentInterface(), title.Out()), S_OK);
  EXPECT_STREQ(title.Text(), L"Bracket.SLDPRT");

  standin::Body& first = standin::AddBody(part1, {});
  standin::Body& second = standin::AddBody(part1, {});
  second.ReadBack().name = L"Boss";
  EXPECT_EQ(standin::BodyName(first), L"Body1");
  BstrHolder name;
  ASSERT_EQ(At<173>(second.Interface(), name.Out()), S_OK);
  EXPECT_STREQ(name.Text(), L"Boss");

  LONG unit = 3;
  ASSERT_EQ(At<13>(part1.DocumentInterface(), &unit), S_OK);
  EXPECT_EQ(unit, 0);  // as created: millimetres
  At<14>(part1.DocumentInterface(), LONG{4});
  ASSERT_EQ(At<13>(part1.DocumentInterface(), &unit), S_OK);
  EXPECT_EQ(unit, 4);

  double values[9] = {};
  EXPECT_EQ(At<88>(part1.PartInterface(), values), E_FAIL);
  part1.ReadBack().material = standin::MaterialValues{0.5, 0, 0, 0, 0, 0, 0, 0.25, 0};
  ASSERT_EQ(At<88>(part1.PartInterface(), values), S_OK);
  EXPECT_EQ(values[7], 0.25);
}

TEST_F(HostReadBack, ComponentTrees) {
  Document& part = host.AddDocument(DocumentKind::Part);
  standin::AddBody(part, {});
  Document& assembly = host.AddDocument(DocumentKind::Assembly);
  standin::Component& arm = standin::Components(assembly).Root().AddChild(&part, L"Arm", standin::Placement(
      {0, -1, 0, 1, 0, 0, 0, 0, 1}, {1, 2, 3}));
  arm.AddChild(nullptr, L"Empty");

  CountedPtr<HostComponentTree> none;
  ASSERT_EQ(At<321>(part.DocumentInterface(), none.Out()), S_OK);
  EXPECT_FALSE(none);
  CountedPtr<HostComponentTree> tree;
  ASSERT_EQ(At<321>(assembly.DocumentInterface(), tree.Out()), S_OK);
  CountedPtr<HostComponent> root;
  ASSERT_EQ(At<32>(tree.Get(), root.Out()), S_OK);
  CountedPtr<HostDocument> rootDoc;
  At<31>(root.Get(), rootDoc.Out());
  EXPECT_EQ(rootDoc.Get(), assembly.DocumentInterface());

  LONG count = 0;
  ASSERT_EQ(At<9>(root.Get(), &count), S_OK);
  ASSERT_EQ(count, 1);
  HostComponent* children[1] = {};
  ASSERT_EQ(At<8>(root.Get(), children), S_OK);
  CountedPtr<HostComponent> child = CountedPtr<HostComponent>::Attach(children[0]);
  EXPECT_EQ(child.Get(), arm.Interface());
  double t[16] = {};
  ASSERT_EQ(At<11>(child.Get(), t), S_OK);
  // Rotation by columns: x goes to (0, 1, 0), y to (-1, 0, 0); then the shift.
  EXPECT_EQ(std::vector<double>(t, t + 16),
            (std::vector<double>{0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 2, 3, 1, 0, 0, 0}));
  double m[9];
  EXPECT_EQ(At<16>(child.Get(), m), E_FAIL);
  CountedPtr<HostBodyEnumerator> bodies, ofRoot;
  ASSERT_EQ(At<119>(child.Get(), LONG{0}, bodies.Out()), S_OK);
  HostBody* body = nullptr;
  EXPECT_EQ(At<3>(bodies.Get(), LONG{1}, &body, static_cast<LONG*>(nullptr)), S_OK);
  EXPECT_EQ(body, part.Bodies()[0]->Interface());
  if (body) body->Release();
  ASSERT_EQ(At<119>(root.Get(), LONG{0}, ofRoot.Out()), S_OK);  // an assembly's own: none
  EXPECT_EQ(At<3>(ofRoot.Get(), LONG{1}, &body, static_cast<LONG*>(nullptr)), S_FALSE);
  EXPECT_THROW(standin::Components(part), std::logic_error);
}

}  // namespace
