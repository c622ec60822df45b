// The relief imported with ImportSurface into the stand-in host, whose kernel
// (native build) sews the faces: one closed, valid solid whose volume is the
// relief's integral over its rectangle, worked out by the test's own quadrature,
// above the flat base or between the relief and its offset.
#include <gtest/gtest.h>

#include "bridge_fixture.h"
#include "relief.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::ReliefSurface;

class SlabKernel : public BridgeTest {};

TEST_F(SlabKernel, ReliefSlabIsOneSolidOfTheReliefsVolume) {
  const ON_NurbsSurface relief = ReliefSurface();
  struct Case {
    const char* name;
    int units;
    double scale;
    bool flat;
  };
  const Case cases[] = {
      {"millimetres, flat base", 0, 0.001, true},
      {"inches, flat base", 3, 0.0254, true},
      {"millimetres, offset base", 0, 0.001, false},
      {"inches, offset base", 3, 0.0254, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ImportSurface(host.Application(), &relief, c.units, ImportAsSolid, 2.0, c.flat, 0), 1)
        << ZTKSWON::GetLastErrorText().ToUtf8() << ": "
        << host.Documents().back()->TemporaryBodies().back()->BuildProblem();
    const standin::Document& doc = *host.Documents().back();
    ASSERT_EQ(doc.Bodies().size(), 1u);
    const auto& verdict = doc.Bodies()[0]->Surfaces().Solid();
    ASSERT_TRUE(verdict.has_value());
    EXPECT_TRUE(verdict->closed);
    EXPECT_TRUE(verdict->valid);
    EXPECT_EQ(verdict->solids, 1);
    // Over the flat base: the integral of f less the box under it at zmin - 2;
    // over the offset base: 2 times the rectangle. Cubic metres, so the cube of
    // the scale.
    const double s3 = c.scale * c.scale * c.scale;
    const double expected =
        s3 * (c.flat ? surfaces::Relief::Integral() - (surfaces::Relief::ZMin() - 2.0) * 10 * 20 : 2.0 * 10 * 20);
    EXPECT_NEAR(verdict->volume / expected, 1.0, 1e-6) << verdict->volume << " m3, expected " << expected;
  }
}

}  // namespace
