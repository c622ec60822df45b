#include "opennurbs_arc.h"

#include <cmath>

#include "opennurbs_nurbscurve.h"

namespace {
constexpr double kTwoPi = 2.0 * ON_PI;
}  // namespace

ON_Arc::ON_Arc() : m_angle(0.0, kTwoPi) {}

ON_Arc::ON_Arc(const ON_Circle& circle, double angle_radians) { Create(circle, angle_radians); }

ON_Arc::ON_Arc(const ON_Circle& circle, const ON_Interval& angle_interval_radians) {
  Create(circle, angle_interval_radians);
}

ON_Arc::ON_Arc(const ON_Plane& p, double r, double angle_radians) { Create(p, r, angle_radians); }

ON_Arc::ON_Arc(const ON_3dPoint& center, double r, double angle_radians) { Create(center, r, angle_radians); }

ON_Arc::ON_Arc(const ON_Plane& p, const ON_3dPoint& center, double r, double angle_radians) {
  Create(p, center, r, angle_radians);
}

bool ON_Arc::Create(const ON_Circle& circle, double angle_radians) {
  return Create(circle, ON_Interval(0.0, angle_radians));
}

bool ON_Arc::Create(const ON_Circle& circle, const ON_Interval& angle_interval_radians) {
  static_cast<ON_Circle&>(*this) = circle;
  return SetAngleIntervalRadians(angle_interval_radians);
}

bool ON_Arc::Create(const ON_Plane& p, double r, double angle_radians) {
  return Create(ON_Circle(p, r), angle_radians);
}

bool ON_Arc::Create(const ON_Plane& p, const ON_3dPoint& center, double r, double angle_radians) {
  return Create(ON_Circle(p, center, r), angle_radians);
}

bool ON_Arc::Create(const ON_3dPoint& center, double r, double angle_radians) {
  return Create(ON_Circle(center, r), angle_radians);
}

bool ON_Arc::SetAngleIntervalRadians(const ON_Interval& angle_interval_radians) {
  m_angle = angle_interval_radians;
  if (m_angle.IsDecreasing()) {
    // Clockwise about this plane is counter-clockwise about the reversed one,
    // where the angles change sign.
    m_angle.Set(-m_angle[0], -m_angle[1]);
    ON_Circle::Reverse();
  }
  if (m_angle.IsValid() && m_angle.Length() > kTwoPi) m_angle[1] = m_angle[0] + kTwoPi;
  return IsValid();
}

bool ON_Arc::IsValid() const {
  if (!ON_Circle::IsValid() || !m_angle.IsValid()) return false;
  const double length = m_angle.Length();
  return length > ON_ZERO_TOLERANCE && length <= kTwoPi + ON_ZERO_TOLERANCE;
}

bool ON_Arc::IsCircle() const { return m_angle.IsValid() && std::fabs(m_angle.Length() - kTwoPi) <= ON_ZERO_TOLERANCE; }

int ON_Arc::GetNurbForm(ON_NurbsCurve& nc) const {
  if (!IsValid()) {
    nc.Destroy();
    return 0;
  }
  const double a0 = m_angle[0], a1 = m_angle[1], angle = a1 - a0;
  const double margin = 1.0 + 2.0 * ON_SQRT_EPSILON;
  const int spans = angle <= margin * 0.5 * ON_PI ? 1 : angle <= margin * ON_PI ? 2 : 4;
  if (!nc.Create(3, true, 3, 2 * spans + 1)) return 0;
  const double step = angle / spans, w = std::cos(0.5 * step);
  ON_Circle outer = *this;  // the middle CVs lie on the circle of radius r / w
  outer.radius = radius / w;
  for (int i = 0; i <= spans; ++i) {
    const double a = i == spans ? a1 : a0 + i * step;
    nc.SetCV(2 * i, PointAt(a));
    nc.SetKnot(2 * i, a);
    nc.SetKnot(2 * i + 1, a);
  }
  for (int i = 0; i < spans; ++i) {
    const ON_3dPoint p = outer.PointAt(a0 + (i + 0.5) * step);
    nc.SetCV(2 * i + 1, ON_4dPoint(p.x * w, p.y * w, p.z * w, w));
  }
  // A full turn (within ON_ZERO_TOLERANCE) ends exactly where it starts.
  if (IsCircle()) nc.SetCV(2 * spans, StartPoint());
  return 2;
}

ON_BoundingBox ON_Arc::BoundingBox() const {
  ON_BoundingBox box;
  if (!IsValid()) return box;
  if (IsCircle()) return ON_Circle::BoundingBox();
  box.Set(StartPoint(), false);
  box.Set(EndPoint(), true);
  // Along a world axis i the circle's offset r (cos t x_i + sin t y_i) is
  // extreme where tan t = y_i / x_i; those angles that lie on the arc count.
  for (int i = 0; i < 3; ++i) {
    const double xi = plane.xaxis[i], yi = plane.yaxis[i];
    if (xi == 0.0 && yi == 0.0) continue;
    // The extremes t0 + k pi that fall inside the interval (at most three).
    const double t0 = std::atan2(yi, xi);
    const double first = std::ceil((m_angle[0] - t0) / ON_PI);
    for (int k = 0; k < 4; ++k) {
      const double t = t0 + (first + k) * ON_PI;
      if (t > m_angle[0] && t < m_angle[1]) box.Set(PointAt(t), true);
    }
  }
  return box;
}

bool ON_Arc::Transform(const ON_Xform& xform) {
  // The circle maps with its frame; the angles stay with the frame's axes.
  return ON_Circle::Transform(xform);
}

bool ON_Arc::Reverse() {
  if (!m_angle.IsValid()) return false;
  m_angle.Set(-m_angle[1], -m_angle[0]);
  ON_Circle::Reverse();
  return true;
}
