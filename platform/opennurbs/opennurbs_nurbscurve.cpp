#include "opennurbs_nurbscurve.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "opennurbs_cv.h"

namespace {

constexpr long long kMaxDoubles = std::numeric_limits<int>::max();

using on_detail::ReleaseDoubles;
using on_detail::ReserveDoubles;

}  // namespace

ON_NurbsCurve::ON_NurbsCurve(int dimension, bool bIsRational, int order, int cv_count) {
  Create(dimension, bIsRational, order, cv_count);
}

ON_NurbsCurve::ON_NurbsCurve(const ON_NurbsCurve& src) : ON_Curve(src) { *this = src; }

ON_NurbsCurve& ON_NurbsCurve::operator=(const ON_NurbsCurve& src) {
  if (this == &src) return *this;
  ON_Curve::operator=(src);
  Destroy();
  if (!src.Consistent()) return *this;  // nothing readable to copy: an empty curve
  if (!Create(src.m_dim, src.m_is_rat != 0, src.m_order, src.m_cv_count)) return *this;
  std::memcpy(m_knot, src.m_knot, sizeof(double) * static_cast<size_t>(KnotCount()));
  const int size = CVSize();
  for (int i = 0; i < m_cv_count; ++i)
    std::memcpy(m_cv + static_cast<size_t>(i) * m_cv_stride, src.m_cv + static_cast<size_t>(i) * src.m_cv_stride,
                sizeof(double) * static_cast<size_t>(size));
  return *this;
}

ON_NurbsCurve::~ON_NurbsCurve() { Destroy(); }

void ON_NurbsCurve::Destroy() {
  ReleaseDoubles(m_knot, m_knot_capacity);
  ReleaseDoubles(m_cv, m_cv_capacity);
  m_dim = m_is_rat = m_order = m_cv_count = m_cv_stride = 0;
}

bool ON_NurbsCurve::ReserveKnotCapacity(int capacity) { return ReserveDoubles(m_knot, m_knot_capacity, capacity); }
bool ON_NurbsCurve::ReserveCVCapacity(int capacity) { return ReserveDoubles(m_cv, m_cv_capacity, capacity); }

bool ON_NurbsCurve::Create(int dimension, bool bIsRational, int order, int cv_count) {
  Destroy();
  if (dimension < 1 || order < 2 || cv_count < order) return false;
  const long long stride = dimension + (bIsRational ? 1LL : 0LL);
  const long long knots = static_cast<long long>(order) + cv_count - 2;
  if (stride * cv_count > kMaxDoubles || knots > kMaxDoubles) return false;
  if (!ReserveKnotCapacity(static_cast<int>(knots)) ||
      !ReserveCVCapacity(static_cast<int>(stride * cv_count))) {
    Destroy();
    return false;
  }
  m_dim = dimension;
  m_is_rat = bIsRational ? 1 : 0;
  m_order = order;
  m_cv_count = cv_count;
  m_cv_stride = static_cast<int>(stride);
  if (m_is_rat)
    for (int i = 0; i < cv_count; ++i) m_cv[static_cast<size_t>(i) * m_cv_stride + m_dim] = 1.0;
  return true;
}

bool ON_NurbsCurve::CreateClampedUniformNurbs(int dimension, int order, int point_count, const ON_3dPoint* point,
                                              double knot_delta) {
  if (dimension < 1 || dimension > 3 || !point || point_count < order || !(knot_delta > 0.0) ||
      !ON_IsValid(knot_delta) || !Create(dimension, false, order, point_count)) {
    Destroy();
    return false;
  }
  for (int i = 0; i < point_count; ++i) SetCV(i, point[i]);
  MakeClampedUniformKnotVector(knot_delta);
  return true;
}

bool ON_NurbsCurve::CreatePeriodicUniformNurbs(int dimension, int order, int point_count, const ON_3dPoint* point,
                                               double knot_delta) {
  if (dimension < 1 || dimension > 3 || !point || point_count < 2 || order < 2 ||
      static_cast<long long>(point_count) + order - 1 > kMaxDoubles || !(knot_delta > 0.0) ||
      !ON_IsValid(knot_delta) || !Create(dimension, false, order, point_count + order - 1)) {
    Destroy();
    return false;
  }
  for (int i = 0; i < m_cv_count; ++i) SetCV(i, point[i % point_count]);
  MakePeriodicUniformKnotVector(knot_delta);
  return true;
}

bool ON_NurbsCurve::Consistent() const {
  if (m_dim < 1 || m_dim >= kMaxDoubles || m_order < 2 || m_cv_count < m_order || !m_knot || !m_cv) return false;
  if (m_cv_stride < CVSize()) return false;
  const long long knots = static_cast<long long>(m_order) + m_cv_count - 2;
  const long long cvs = static_cast<long long>(m_cv_count - 1) * m_cv_stride + CVSize();
  if (knots > kMaxDoubles || cvs > kMaxDoubles) return false;
  // Storage the curve owns must hold what the counts say; storage lent to it
  // (capacity 0) is trusted, as openNURBS does.
  if (m_knot_capacity > 0 && m_knot_capacity < knots) return false;
  if (m_cv_capacity > 0 && m_cv_capacity < cvs) return false;
  if (m_knot_capacity < 0 || m_cv_capacity < 0) return false;
  return true;
}

double ON_NurbsCurve::Knot(int knot_index) const {
  if (!Consistent() || knot_index < 0 || knot_index >= KnotCount()) return 0.0;
  return m_knot[knot_index];
}

bool ON_NurbsCurve::SetKnot(int knot_index, double knot_value) {
  if (!Consistent() || knot_index < 0 || knot_index >= KnotCount()) return false;
  m_knot[knot_index] = knot_value;
  return true;
}

bool ON_NurbsCurve::MakeClampedUniformKnotVector(double delta) {
  return Consistent() && ON_MakeClampedUniformKnotVector(m_order, m_cv_count, m_knot, delta);
}

bool ON_NurbsCurve::MakePeriodicUniformKnotVector(double delta) {
  return Consistent() && ON_MakePeriodicUniformKnotVector(m_order, m_cv_count, m_knot, delta);
}

bool ON_NurbsCurve::IsClamped(int end) const {
  return Consistent() && ON_IsKnotVectorClamped(m_order, m_cv_count, m_knot, end);
}

double* ON_NurbsCurve::CV(int cv_index) const {
  if (!Consistent() || cv_index < 0 || cv_index >= m_cv_count) return nullptr;
  return m_cv + static_cast<size_t>(cv_index) * m_cv_stride;
}

double ON_NurbsCurve::Weight(int cv_index) const {
  const double* cv = CV(cv_index);
  if (!cv) return 0.0;
  return m_is_rat ? cv[m_dim] : 1.0;
}

bool ON_NurbsCurve::SetCV(int cv_index, const ON_3dPoint& point) {
  double* cv = CV(cv_index);
  if (!cv) return false;
  on_detail::SetCV(m_dim, m_is_rat != 0, cv, point);
  return true;
}

bool ON_NurbsCurve::SetCV(int cv_index, const ON_4dPoint& point) {
  double* cv = CV(cv_index);
  return cv && on_detail::SetCV(m_dim, m_is_rat != 0, cv, point);
}

bool ON_NurbsCurve::GetCV(int cv_index, ON_3dPoint& point) const {
  const double* cv = CV(cv_index);
  if (cv) return on_detail::GetCV(m_dim, m_is_rat != 0, cv, point);
  point = ON_3dPoint::UnsetPoint;
  return false;
}

bool ON_NurbsCurve::GetCV(int cv_index, ON_4dPoint& point) const {
  const double* cv = CV(cv_index);
  if (!cv) {
    point = ON_4dPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
    return false;
  }
  on_detail::GetCV(m_dim, m_is_rat != 0, cv, point);
  return true;
}

bool ON_NurbsCurve::MakeRational() {
  if (!Consistent()) return false;
  if (m_is_rat) return true;
  const int dim = m_dim, stride = dim + 1;
  double* cv = nullptr;
  int capacity = 0;
  if (static_cast<long long>(stride) * m_cv_count > kMaxDoubles || !ReserveDoubles(cv, capacity, stride * m_cv_count))
    return false;
  for (int i = 0; i < m_cv_count; ++i) {
    std::memcpy(cv + static_cast<size_t>(i) * stride, m_cv + static_cast<size_t>(i) * m_cv_stride,
                sizeof(double) * static_cast<size_t>(dim));
    cv[static_cast<size_t>(i) * stride + dim] = 1.0;
  }
  ReleaseDoubles(m_cv, m_cv_capacity);
  m_cv = cv;
  m_cv_capacity = capacity;
  m_cv_stride = stride;
  m_is_rat = 1;
  return true;
}

ON_Curve* ON_NurbsCurve::DuplicateCurve() const { return new ON_NurbsCurve(*this); }

bool ON_NurbsCurve::IsValid(ON_TextLog*) const {
  if (!Consistent() || !ON_IsValidKnotVector(m_order, m_cv_count, m_knot)) return false;
  const int size = CVSize();
  for (int i = 0; i < m_cv_count; ++i) {
    const double* cv = m_cv + static_cast<size_t>(i) * m_cv_stride;
    for (int k = 0; k < size; ++k)
      if (!ON_IsValid(cv[k])) return false;
  }
  return true;
}

ON_Interval ON_NurbsCurve::Domain() const {
  if (!Consistent()) return ON_Interval();
  return ON_Interval(m_knot[m_order - 2], m_knot[m_cv_count - 1]);
}

bool ON_NurbsCurve::Evaluate(double t, int der_count, int v_stride, double* v, int side, int* hint) const {
  if (!Consistent() || der_count < 0 || v_stride < m_dim || !v) return false;
  const int span = ON_NurbsSpanIndex(m_order, m_cv_count, m_knot, t, side, hint ? *hint : 0);
  if (hint) *hint = span;
  return on_detail::EvaluateNurbsSpan(m_dim, m_is_rat != 0, m_order, m_knot + span, m_cv_stride,
                                      m_cv + static_cast<size_t>(span) * m_cv_stride, der_count, t, v_stride, v);
}

bool ON_NurbsCurve::IsClosed() const {
  if (IsPeriodic()) return true;
  return Consistent() && m_cv_count >= 4 && ON_Curve::IsClosed();
}

bool ON_NurbsCurve::IsPeriodic() const {
  if (!Consistent() || !ON_IsKnotVectorPeriodic(m_order, m_cv_count, m_knot)) return false;
  const int shift = m_cv_count - m_order + 1;
  for (int i = 0; i < m_order - 1; ++i)
    if (!ON_PointsAreCoincident(m_dim, m_is_rat != 0, CV(i), CV(i + shift))) return false;
  return true;
}

int ON_NurbsCurve::GetNurbForm(ON_NurbsCurve& nurbs_curve, double, const ON_Interval* subdomain) const {
  if (subdomain && *subdomain != Domain()) return 0;
  if (&nurbs_curve != this) nurbs_curve = *this;
  return nurbs_curve.IsValid() ? 1 : 0;
}

bool ON_NurbsCurve::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!Consistent() || !boxmin || !boxmax) return false;
  for (int i = 0; i < m_cv_count; ++i)
    if (!on_detail::GrowBox(m_dim, m_is_rat != 0, m_cv + static_cast<size_t>(i) * m_cv_stride, !grow && i == 0,
                            boxmin, boxmax))
      return false;
  return true;
}

bool ON_NurbsCurve::Transform(const ON_Xform& xform) {
  if (!Consistent() || m_dim > 3) return false;
  if (on_detail::IsProjective(xform) && !MakeRational()) return false;
  for (int i = 0; i < m_cv_count; ++i)
    on_detail::TransformCV(xform, m_dim, m_is_rat != 0, m_cv + static_cast<size_t>(i) * m_cv_stride);
  return true;
}
