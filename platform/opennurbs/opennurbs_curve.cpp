#include "opennurbs_curve.h"

#include <vector>

#include "opennurbs_nurbscurve.h"

namespace {

// Evaluates into 3D points and vectors whatever the curve's dimension.
bool Evaluate3d(const ON_Curve& c, double t, int der_count, ON_3dVector* out, int side, int* hint) {
  const int dim = c.Dimension();
  if (dim < 1 || der_count < 0 || der_count > 2) return false;
  double fixed[9];
  std::vector<double> heap;
  double* v = fixed;
  if (dim > 3) {
    heap.resize(static_cast<size_t>(dim) * (der_count + 1));
    v = heap.data();
  }
  const int stride = dim > 3 ? dim : 3;
  for (int i = 0; i < 3 * (der_count + 1) && dim <= 3; ++i) v[i] = 0.0;
  if (!c.Evaluate(t, der_count, stride, v, side, hint)) return false;
  for (int k = 0; k <= der_count; ++k) {
    const double* p = v + k * stride;
    out[k] = ON_3dVector(p[0], dim > 1 ? p[1] : 0.0, dim > 2 ? p[2] : 0.0);
  }
  return true;
}

}  // namespace

bool ON_Curve::EvPoint(double t, ON_3dPoint& point, int side, int* hint) const {
  ON_3dVector v[1];
  if (!Evaluate3d(*this, t, 0, v, side, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  return true;
}

bool ON_Curve::Ev1Der(double t, ON_3dPoint& point, ON_3dVector& derivative, int side, int* hint) const {
  ON_3dVector v[2];
  if (!Evaluate3d(*this, t, 1, v, side, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  derivative = v[1];
  return true;
}

bool ON_Curve::Ev2Der(double t, ON_3dPoint& point, ON_3dVector& first_derivative, ON_3dVector& second_derivative,
                      int side, int* hint) const {
  ON_3dVector v[3];
  if (!Evaluate3d(*this, t, 2, v, side, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  first_derivative = v[1];
  second_derivative = v[2];
  return true;
}

ON_3dPoint ON_Curve::PointAt(double t) const {
  ON_3dPoint p;
  return EvPoint(t, p) ? p : ON_3dPoint::UnsetPoint;
}

ON_3dPoint ON_Curve::PointAtStart() const { return PointAt(Domain()[0]); }

ON_3dPoint ON_Curve::PointAtEnd() const { return PointAt(Domain()[1]); }

ON_3dVector ON_Curve::DerivativeAt(double t) const {
  ON_3dPoint p;
  ON_3dVector d;
  return Ev1Der(t, p, d) ? d : ON_3dVector::UnsetVector;
}

ON_3dVector ON_Curve::TangentAt(double t) const {
  ON_3dPoint p;
  ON_3dVector d1, d2;
  if (!Ev2Der(t, p, d1, d2)) return ON_3dVector::ZeroVector;
  if (d1.Unitize()) return d1;
  // A vanishing first derivative: the tangent is the limit of d1 / |d1|, which
  // points along the second derivative (taken from the side of increasing t).
  if (d2.Unitize()) return d2;
  return ON_3dVector::ZeroVector;
}

bool ON_Curve::IsClosed() const {
  const int dim = Dimension();
  if (dim < 2) return false;
  const ON_Interval d = Domain();
  if (!d.IsValid()) return false;
  std::vector<double> v(static_cast<size_t>(dim) * 4);
  double* start = v.data();
  double* third = start + dim;
  double* twoThirds = third + dim;
  double* end = twoThirds + dim;
  if (!Evaluate(d.ParameterAt(0.0), 0, dim, start, 1) || !Evaluate(d.ParameterAt(1.0), 0, dim, end, -1)) return false;
  if (!ON_PointsAreCoincident(dim, false, start, end)) return false;
  if (!Evaluate(d.ParameterAt(1.0 / 3.0), 0, dim, third) || !Evaluate(d.ParameterAt(2.0 / 3.0), 0, dim, twoThirds))
    return false;
  return !ON_PointsAreCoincident(dim, false, start, third) && !ON_PointsAreCoincident(dim, false, start, twoThirds) &&
         !ON_PointsAreCoincident(dim, false, end, third) && !ON_PointsAreCoincident(dim, false, end, twoThirds);
}

bool ON_Curve::IsPeriodic() const { return false; }

int ON_Curve::GetNurbForm(ON_NurbsCurve&, double, const ON_Interval*) const { return 0; }

int ON_Curve::HasNurbForm() const { return 0; }

void ON_CurveArray::Destroy() {
  for (int i = 0; i < m_count; ++i) {
    delete m_a[i];
    m_a[i] = nullptr;
  }
  ON_SimpleArray<ON_Curve*>::Destroy();
}
