#include <gtest/gtest.h>

#include <string>

#include "opennurbs.h"

namespace {

TEST(ON_SimpleArray, AppendGrowRemoveAndCopy) {
  ON_SimpleArray<int> a;
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), 0);
  for (int i = 0; i < 1000; ++i) a.Append(i);
  EXPECT_EQ(a.Count(), 1000);
  EXPECT_GE(a.Capacity(), 1000);
  a.Append(a[0]);  // an element of the array itself, across a reallocation
  EXPECT_EQ(a[1000], 0);
  a.Remove(0);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(a.Count(), 1000);
  EXPECT_EQ(a.AppendNew(), 0);

  ON_SimpleArray<int> b(a);
  EXPECT_EQ(b.Count(), a.Count());
  b[0] = 42;
  EXPECT_EQ(a[0], 1);
  a.Empty();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_GT(a.Capacity(), 0);
  a.Destroy();
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(a.At(0), nullptr);
}

// Counts the storage operations, as code that fills an array across a module
// boundary would see them.
template <class T>
struct CountingArray : ON_ClassArray<T> {
  int reallocs = 0;
  T* Realloc(T* p, int capacity) override {
    ++reallocs;
    return ON_ClassArray<T>::Realloc(p, capacity);
  }
};

TEST(ON_ClassArray, ObjectsSurviveGrowthAndAreDestroyed) {
  CountingArray<std::string> a;
  for (int i = 0; i < 100; ++i) a.AppendNew() = std::string(40, static_cast<char>('a' + i % 26));
  EXPECT_EQ(a.Count(), 100);
  EXPECT_GT(a.reallocs, 0);  // growth went through the virtual operation
  EXPECT_EQ(a[25], std::string(40, 'z'));
  a.Append(a[0]);
  EXPECT_EQ(a[100], std::string(40, 'a'));
  a.Remove(0);
  EXPECT_EQ(a[0], std::string(40, 'b'));

  ON_ClassArray<std::string> copy;
  copy = a;
  EXPECT_EQ(copy.Count(), 100);
  a.Destroy();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(copy[99], std::string(40, 'a'));
}

TEST(ON_Mesh, SetVertexAndFacesAppendOrReplace) {
  ON_Mesh m;
  EXPECT_TRUE(m.SetVertex(0, ON_3fPoint(0, 0, 0)));
  EXPECT_TRUE(m.SetVertex(1, ON_3dPoint(1, 0, 0)));
  EXPECT_TRUE(m.SetVertex(2, ON_3fPoint(0, 1, 0)));
  EXPECT_TRUE(m.SetVertex(3, ON_3fPoint(1, 1, 0)));
  EXPECT_FALSE(m.SetVertex(5, ON_3fPoint(1, 1, 0)));
  EXPECT_TRUE(m.SetTriangle(0, 0, 1, 2));
  EXPECT_TRUE(m.SetQuad(1, 0, 1, 3, 2));
  EXPECT_FALSE(m.SetQuad(3, 0, 1, 3, 2));
  EXPECT_EQ(m.VertexCount(), 4);
  EXPECT_EQ(m.FaceCount(), 2);
  EXPECT_TRUE(m.m_F[0].IsTriangle());
  EXPECT_EQ(m.m_F[0].vi[3], 2);
  EXPECT_TRUE(m.m_F[1].IsQuad());
  EXPECT_TRUE(m.m_F[1].IsValid(4));
  EXPECT_FALSE(m.m_F[1].IsValid(3));

  ON_Mesh copy(m);
  copy.SetVertex(0, ON_3fPoint(9, 9, 9));
  EXPECT_EQ(m.m_V[0], ON_3fPoint(0, 0, 0));
  ON_ClassArray<ON_Mesh> meshes;
  meshes.Append(m);
  meshes.AppendNew() = copy;
  EXPECT_EQ(meshes[1].m_V[0], ON_3fPoint(9, 9, 9));
  EXPECT_EQ(meshes[0].FaceCount(), 2);
}

}  // namespace
