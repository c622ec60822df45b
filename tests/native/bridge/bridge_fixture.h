// The fixture of the bridge tests: a stand-in host with reference checks, and a
// progress observer that writes every progress call as one line, with the number
// of the object (in order of construction) and the builder host calls made so far
// (faces, bodies and sketch entities).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"
#include "ZTKProgress.h"
#include "ZTKSWON.h"

namespace bridgetest {

using Lines = std::vector<std::string>;

class ProgressLog : public ZTKProgressObserver {
 public:
  explicit ProgressLog(standin::StandInHost& host) : m_host(host) {}
  Lines lines;        // "0 new Creating solid", "0 max 12", "0 step", ...
  Lines hostCalls;    // the same events with the count of builder host calls before each
  int constructed = 0;

  void OnConstruct(const ZTKProgress* p, const CString& title, const CString& status, double low, double high,
                   CWnd* parent) override {
    m_objects.push_back(p);
    ++constructed;
    Add(p, "new " + title.ToUtf8() + "|" + status.ToUtf8() + "|" + Num(low) + "|" + Num(high) + "|" +
               (parent ? "parent" : "none"));
  }
  void OnSetMax(const ZTKProgress* p, double max) override { Add(p, "max " + Num(max)); }
  void OnStartProgress(const ZTKProgress* p) override { Add(p, "start"); }
  void OnStepIt(const ZTKProgress* p, double step) override { Add(p, "step " + Num(step)); }
  void OnSetStatus(const ZTKProgress* p, const CString& s) override { Add(p, "status " + s.ToUtf8()); }
  void OnEndProgress(const ZTKProgress* p) override { Add(p, "end"); }
  void OnDestroy(const ZTKProgress* p) override { Add(p, "destroy"); }

 private:
  static std::string Num(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
  }
  int Id(const ZTKProgress* p) const {
    for (size_t i = m_objects.size(); i-- > 0;)
      if (m_objects[i] == p) return static_cast<int>(i);
    return -1;
  }
  void Add(const ZTKProgress* p, const std::string& what) {
    lines.push_back(std::to_string(Id(p)) + " " + what);
    uint64_t built = m_host.CallCount("HostBody", 72) + m_host.CallCount("HostBody", 12);
    for (int entity : {540, 542, 551, 553, 559, 578}) built += m_host.CallCount("HostDocument", entity);
    hostCalls.push_back(lines.back() + " @" + std::to_string(built));
  }
  standin::StandInHost& m_host;
  std::vector<const ZTKProgress*> m_objects;
};

class BridgeTest : public standin::StandInHostTest {
 protected:
  BridgeTest() : progress(host) { m_previous = ZTKProgress::SetObserver(&progress); }
  ~BridgeTest() override { ZTKProgress::SetObserver(m_previous); }

  // The host calls with the builders' repetitive calls shortened to their role,
  // position and corner count: "HostBody.72(3)", "HostDocument.542".
  Lines Summary() const {
    Lines out;
    for (const auto& r : host.Log().Records()) {
      if (r.method <= 6) continue;
      const std::string role = r.role;
      if (role == "HostBody" && r.method == 72) out.push_back("HostBody.72(" + r.args.substr(0, 1) + ")");
      else if (role == "HostDocument" && r.method == 542) out.push_back("HostDocument.542");
      else out.push_back(r.Text());
    }
    return out;
  }

  ProgressLog progress;

 private:
  ZTKProgressObserver* m_previous = nullptr;
};

// A new part made through the host as the import makes it, with its 3D sketch
// open and the log cleared; the test owns the two references.
class OpenSketchTest : public BridgeTest {
 protected:
  void SetUp() override {
    HostOp::NewPart(host.Application(), part.Out());
    HostOp::ActiveDocument(host.Application(), doc.Out());
    ASSERT_TRUE(part && doc);
    HostOp::Insert3DSketch(doc.Get(), 0);
    host.Log().Clear();
  }
  standin::Sketch3D& Sketch() { return host.Documents().back()->Sketch(0); }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
};

// Every face handed to body method 72 while the log kept arguments, as sent (also
// those the host refused), read back from the log, whose numbers round-trip.
inline standin::FaceList SentFaces(const standin::CallLog& log) {
  standin::FaceList out;
  for (const auto& r : log.Of("HostBody", 72)) {
    standin::PlanarFace f{};
    const char* p = r.args.c_str();
    char* end = nullptr;
    f.count = static_cast<int>(std::strtol(p, &end, 10));
    if (f.count != 3 && f.count != 4) continue;
    p = end + 2;  // past ",["
    for (int i = 0; i < 3 * f.count; ++i, p = end + 1) f.corners[static_cast<size_t>(i)] = std::strtod(p, &end);
    p += 2;  // past "],[" less the "]" already passed
    for (int i = 0; i < 3; ++i, p = end + 1) f.normal[static_cast<size_t>(i)] = std::strtod(p, &end);
    out.push_back(f);
  }
  return out;
}

// The line Summary gives for n repetitions of `line`, appended to `to`.
inline void Repeat(Lines& to, const std::string& line, int n) {
  for (int i = 0; i < n; ++i) to.push_back(line);
}

inline Lines Concat(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace bridgetest
