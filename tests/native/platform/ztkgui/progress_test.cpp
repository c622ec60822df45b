#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZTKProgress.h"

namespace {

// Writes every call as one line, with the object's number in order of construction.
struct Recorder : ZTKProgressObserver {
  std::vector<const ZTKProgress*> objects;
  std::vector<std::string> log;
  int Id(const ZTKProgress* p) {
    // The latest object at this address: a new one may reuse a destroyed one's place.
    for (size_t i = objects.size(); i-- > 0;)
      if (objects[i] == p) return static_cast<int>(i);
    return -1;
  }
  void Add(const ZTKProgress* p, const std::string& s) { log.push_back(std::to_string(Id(p)) + " " + s); }
  void OnConstruct(const ZTKProgress* p, const CString& t, const CString& s, double lo, double hi, CWnd* w) override {
    objects.push_back(p);
    Add(p, "new " + t.ToUtf8() + "|" + s.ToUtf8() + "|" + std::to_string(lo) + "|" + std::to_string(hi) + "|" +
               (w ? "parent" : "none"));
  }
  void OnSetMax(const ZTKProgress* p, double m) override { Add(p, "max " + std::to_string(m)); }
  void OnStartProgress(const ZTKProgress* p) override { Add(p, "start"); }
  void OnStepIt(const ZTKProgress* p, double s) override { Add(p, "step " + std::to_string(s)); }
  void OnSetStatus(const ZTKProgress* p, const CString& s) override { Add(p, "status " + s.ToUtf8()); }
  void OnEndProgress(const ZTKProgress* p) override { Add(p, "end"); }
  void OnDestroy(const ZTKProgress* p) override { Add(p, "destroy"); }
};

struct ProgressTest : ::testing::Test {
  Recorder rec;
  ZTKProgressObserver* previous = nullptr;
  void SetUp() override { previous = ZTKProgress::SetObserver(&rec); }
  void TearDown() override { EXPECT_EQ(ZTKProgress::SetObserver(previous), &rec); }
};

TEST_F(ProgressTest, ObserverSeesEveryCallWithTheObjectsIdentity) {
  {
    ZTKProgress outer(L"Creating meshes", L"", 0.0, 100.0, nullptr);
    outer.SetMax(2.0);
    outer.StartProgress();
    for (int i = 0; i < 2; ++i) {
      outer.StepIt(1.0);
      ZTKProgress inner(L"Creating mesh", L"", 0.0, 100.0, nullptr);  // built, never driven
    }
    outer.SetStatus(L"Creating body from surfaces. This may take several minutes...");
    outer.EndProgress();
  }
  const std::vector<std::string> expected = {
      "0 new Creating meshes||0.000000|100.000000|none",
      "0 max 2.000000",
      "0 start",
      "0 step 1.000000",
      "1 new Creating mesh||0.000000|100.000000|none",
      "1 destroy",
      "0 step 1.000000",
      "2 new Creating mesh||0.000000|100.000000|none",
      "2 destroy",
      "0 status Creating body from surfaces. This may take several minutes...",
      "0 end",
      "0 destroy",
  };
  EXPECT_EQ(rec.log, expected);
}

TEST_F(ProgressTest, DestroyedWithoutEndAndWithoutObserver) {
  {
    ZTKProgress p(L"Creating solid", L"", 0.0, 100.0, nullptr);
    p.SetMax(0.0);
    p.StartProgress();
  }  // a builder that stopped early: only the destructor follows
  ASSERT_EQ(rec.log.size(), 4u);
  EXPECT_EQ(rec.log.back(), "0 destroy");
  ZTKProgress::SetObserver(nullptr);
  {
    ZTKProgress quiet(L"x", L"y", 0.0, 1.0, nullptr);
    quiet.StartProgress();
    quiet.StepIt(1.0);
    quiet.EndProgress();
    quiet.EndProgress();  // a second end is harmless
  }
  ZTKProgress::SetObserver(&rec);
  EXPECT_EQ(rec.log.size(), 4u);
}

}  // namespace
