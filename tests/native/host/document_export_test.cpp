#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "ComHolders.h"
#include "DocumentExport.h"
#include "StandInHostTest.h"

namespace {

class DocumentExport : public standin::StandInHostTest {
 protected:
  // A new part with a closed tetrahedron body (in metres) and one sketch of two lines.
  standin::Document& MakePart() {
    CountedPtr<HostPartDocument> part;
    HostOp::NewPart(host.Application(), part.Out());
    CountedPtr<HostDocument> doc;
    HostOp::ActiveDocument(host.Application(), doc.Out());
    HostOp::SetUnits(doc.Get(), 0);
    CountedPtr<HostBody> body;
    HostOp::CreateTemporaryBody(part.Get(), body.Out());
    const double p[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    // Outward unit normals: the host takes a face only with its own normal.
    const double d = 1 / std::sqrt(3.0);
    const double normals[4][3] = {{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}, {d, d, d}};
    for (int i = 0; i < 4; ++i) {
      double corners[9];
      for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c) corners[3 * k + c] = p[faces[i][k]][c];
      EXPECT_EQ(HostOp::CreatePlanarSurface(body.Get(), 3, corners, normals[i]), S_OK);
    }
    CountedPtr<IDispatch> built;
    EXPECT_EQ(HostOp::CreateBodyFromSurfaces(body.Get(), built.Out()), S_OK);
    HostOp::Insert3DSketch(doc.Get(), 0);
    CountedPtr<IDispatch> segment;
    HostOp::CreateLine(doc.Get(), 0, 0, 0, 0.5, 0, 0, segment.Out());
    HostOp::CreateLine(doc.Get(), 0.5, 0, 0, 0.5, 0.25, 0, segment.Out());
    HostOp::Insert3DSketch(doc.Get(), 0);
    return *host.Documents().back();
  }
};

TEST_F(DocumentExport, TellsWhatTheDocumentHolds) {
  standin::Document& doc = MakePart();
  EXPECT_EQ(standin::DescribeDocument(doc),
            "part, length unit millimeters (0), 1 body (4 faces), 1 3D sketch with 2 lines");
}

TEST_F(DocumentExport, WritesFacesAndLinesOverSharedVertices) {
  standin::Document& doc = MakePart();
  std::ostringstream out;
  standin::WriteDocumentObj(doc, out);
  std::istringstream in(out.str());
  int v = 0, f = 0, l = 0;
  std::string line, lastLine;
  for (; std::getline(in, line);) {
    v += line.rfind("v ", 0) == 0;
    f += line.rfind("f ", 0) == 0;
    if (line.rfind("l ", 0) == 0) {
      ++l;
      lastLine = line;
    }
  }
  EXPECT_EQ(v, 6);  // four corners, and two new sketch points; (0,0,0) is shared
  EXPECT_EQ(f, 4);
  EXPECT_EQ(l, 2);
  EXPECT_NE(out.str().find("f 1 2 3\n"), std::string::npos);
  EXPECT_EQ(lastLine, "l 5 6");
}

}  // namespace
