#include "opennurbs_nurbssurface.h"

#include <cstring>
#include <limits>
#include <vector>

#include "opennurbs_cv.h"
#include "opennurbs_nurbscurve.h"

namespace {

constexpr long long kMaxDoubles = std::numeric_limits<int>::max();
// The partial derivatives of order k number k + 1, and the quotient rule of a
// rational surface combines every pair of them: the work grows with the fourth
// power of der_count. No caller asks for more than a few; this bound keeps a
// hostile count from allocating or computing without end.
constexpr int kMaxDerivatives = 64;

using on_detail::ReleaseDoubles;
using on_detail::ReserveDoubles;

bool Direction(int dir) { return dir == 0 || dir == 1; }

// Binomial coefficients up to n, row by row: b[i * (n + 1) + j] = C(i, j).
std::vector<double> Binomials(int n) {
  std::vector<double> b(static_cast<size_t>(n + 1) * (n + 1), 0.0);
  for (int i = 0; i <= n; ++i) {
    b[static_cast<size_t>(i) * (n + 1)] = 1.0;
    for (int j = 1; j <= i; ++j)
      b[static_cast<size_t>(i) * (n + 1) + j] =
          b[static_cast<size_t>(i - 1) * (n + 1) + j - 1] + (j < i ? b[static_cast<size_t>(i - 1) * (n + 1) + j] : 0.0);
  }
  return b;
}

}  // namespace

ON_NurbsSurface::ON_NurbsSurface(int dimension, bool bIsRational, int order0, int order1, int cv_count0,
                                 int cv_count1) {
  Create(dimension, bIsRational, order0, order1, cv_count0, cv_count1);
}

ON_NurbsSurface::ON_NurbsSurface(const ON_NurbsSurface& src) : ON_Surface(src) { *this = src; }

ON_NurbsSurface& ON_NurbsSurface::operator=(const ON_NurbsSurface& src) {
  if (this == &src) return *this;
  ON_Surface::operator=(src);
  Destroy();
  if (!src.Consistent()) return *this;  // nothing readable to copy: an empty surface
  if (!Create(src.m_dim, src.m_is_rat != 0, src.m_order[0], src.m_order[1], src.m_cv_count[0], src.m_cv_count[1]))
    return *this;
  for (int dir = 0; dir < 2; ++dir)
    std::memcpy(m_knot[dir], src.m_knot[dir], sizeof(double) * static_cast<size_t>(KnotCount(dir)));
  const size_t size = sizeof(double) * static_cast<size_t>(CVSize());
  for (int i = 0; i < m_cv_count[0]; ++i)
    for (int j = 0; j < m_cv_count[1]; ++j) std::memcpy(CV(i, j), src.At(i, j), size);
  return *this;
}

ON_NurbsSurface::~ON_NurbsSurface() { Destroy(); }

void ON_NurbsSurface::Destroy() {
  for (int dir = 0; dir < 2; ++dir) {
    ReleaseDoubles(m_knot[dir], m_knot_capacity[dir]);
    m_order[dir] = m_cv_count[dir] = m_cv_stride[dir] = 0;
  }
  ReleaseDoubles(m_cv, m_cv_capacity);
  m_dim = m_is_rat = 0;
}

bool ON_NurbsSurface::Create(int dimension, bool bIsRational, int order0, int order1, int cv_count0,
                             int cv_count1) {
  Destroy();
  if (dimension < 1 || order0 < 2 || order1 < 2 || cv_count0 < order0 || cv_count1 < order1) return false;
  const long long size = dimension + (bIsRational ? 1LL : 0LL);
  const long long knots0 = static_cast<long long>(order0) + cv_count0 - 2;
  const long long knots1 = static_cast<long long>(order1) + cv_count1 - 2;
  const long long row = size * cv_count1;
  if (row > kMaxDoubles || row * cv_count0 > kMaxDoubles || knots0 > kMaxDoubles || knots1 > kMaxDoubles)
    return false;
  if (!ReserveDoubles(m_knot[0], m_knot_capacity[0], static_cast<int>(knots0)) ||
      !ReserveDoubles(m_knot[1], m_knot_capacity[1], static_cast<int>(knots1)) ||
      !ReserveDoubles(m_cv, m_cv_capacity, static_cast<int>(row * cv_count0))) {
    Destroy();
    return false;
  }
  m_dim = dimension;
  m_is_rat = bIsRational ? 1 : 0;
  m_order[0] = order0;
  m_order[1] = order1;
  m_cv_count[0] = cv_count0;
  m_cv_count[1] = cv_count1;
  m_cv_stride[0] = static_cast<int>(row);
  m_cv_stride[1] = static_cast<int>(size);
  if (m_is_rat)
    for (int i = 0; i < cv_count0; ++i)
      for (int j = 0; j < cv_count1; ++j) CV(i, j)[m_dim] = 1.0;
  return true;
}

bool ON_NurbsSurface::Consistent() const {
  if (m_dim < 1 || !m_cv || m_cv_capacity < 0) return false;
  for (int dir = 0; dir < 2; ++dir) {
    if (m_order[dir] < 2 || m_cv_count[dir] < m_order[dir] || !m_knot[dir] || m_knot_capacity[dir] < 0) return false;
    const long long knots = static_cast<long long>(m_order[dir]) + m_cv_count[dir] - 2;
    // Storage the surface owns must hold what the counts say; storage lent to it
    // (capacity 0) is trusted, as openNURBS does.
    if (knots > kMaxDoubles || (m_knot_capacity[dir] > 0 && m_knot_capacity[dir] < knots)) return false;
  }
  // One stride steps over whole CVs, the other over whole rows of them, so no
  // two CVs share storage.
  const long long size = CVSize(), s0 = m_cv_stride[0], s1 = m_cv_stride[1];
  const long long n0 = m_cv_count[0], n1 = m_cv_count[1];
  if (!((s1 >= size && s0 >= s1 * n1) || (s0 >= size && s1 >= s0 * n0))) return false;
  const long long extent = (n0 - 1) * s0 + (n1 - 1) * s1 + size;
  if (extent > kMaxDoubles || (m_cv_capacity > 0 && m_cv_capacity < extent)) return false;
  return true;
}

int ON_NurbsSurface::Order(int dir) const { return Direction(dir) && Consistent() ? m_order[dir] : 0; }
int ON_NurbsSurface::Degree(int dir) const { return Direction(dir) && Consistent() ? m_order[dir] - 1 : 0; }
int ON_NurbsSurface::CVCount(int dir) const { return Direction(dir) && Consistent() ? m_cv_count[dir] : 0; }
int ON_NurbsSurface::CVCount() const { return Consistent() ? m_cv_count[0] * m_cv_count[1] : 0; }

int ON_NurbsSurface::KnotCount(int dir) const {
  return Direction(dir) && Consistent() ? ON_KnotCount(m_order[dir], m_cv_count[dir]) : 0;
}

double ON_NurbsSurface::Knot(int dir, int knot_index) const {
  if (knot_index < 0 || knot_index >= KnotCount(dir)) return 0.0;
  return m_knot[dir][knot_index];
}

bool ON_NurbsSurface::SetKnot(int dir, int knot_index, double knot_value) {
  if (knot_index < 0 || knot_index >= KnotCount(dir)) return false;
  m_knot[dir][knot_index] = knot_value;
  return true;
}

double* ON_NurbsSurface::CV(int i, int j) const {
  if (!Consistent() || i < 0 || j < 0 || i >= m_cv_count[0] || j >= m_cv_count[1]) return nullptr;
  return const_cast<double*>(At(i, j));
}

double ON_NurbsSurface::Weight(int i, int j) const {
  const double* cv = CV(i, j);
  if (!cv) return 0.0;
  return m_is_rat ? cv[m_dim] : 1.0;
}

bool ON_NurbsSurface::SetCV(int i, int j, const ON_3dPoint& point) {
  double* cv = CV(i, j);
  if (!cv) return false;
  on_detail::SetCV(m_dim, m_is_rat != 0, cv, point);
  return true;
}

bool ON_NurbsSurface::SetCV(int i, int j, const ON_4dPoint& point) {
  double* cv = CV(i, j);
  return cv && on_detail::SetCV(m_dim, m_is_rat != 0, cv, point);
}

bool ON_NurbsSurface::GetCV(int i, int j, ON_3dPoint& point) const {
  const double* cv = CV(i, j);
  if (cv) return on_detail::GetCV(m_dim, m_is_rat != 0, cv, point);
  point = ON_3dPoint::UnsetPoint;
  return false;
}

bool ON_NurbsSurface::GetCV(int i, int j, ON_4dPoint& point) const {
  const double* cv = CV(i, j);
  if (!cv) {
    point = ON_4dPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
    return false;
  }
  on_detail::GetCV(m_dim, m_is_rat != 0, cv, point);
  return true;
}

bool ON_NurbsSurface::MakeRational() {
  if (!Consistent()) return false;
  if (m_is_rat) return true;
  const int dim = m_dim, size = dim + 1;
  const long long total = static_cast<long long>(size) * m_cv_count[0] * m_cv_count[1];
  double* cv = nullptr;
  int capacity = 0;
  if (total > kMaxDoubles || !ReserveDoubles(cv, capacity, static_cast<int>(total))) return false;
  for (int i = 0; i < m_cv_count[0]; ++i)
    for (int j = 0; j < m_cv_count[1]; ++j) {
      double* p = cv + (static_cast<size_t>(i) * m_cv_count[1] + j) * size;
      std::memcpy(p, At(i, j), sizeof(double) * static_cast<size_t>(dim));
      p[dim] = 1.0;
    }
  ReleaseDoubles(m_cv, m_cv_capacity);
  m_cv = cv;
  m_cv_capacity = capacity;
  m_cv_stride[0] = size * m_cv_count[1];
  m_cv_stride[1] = size;
  m_is_rat = 1;
  return true;
}

bool ON_NurbsSurface::IsValid(ON_TextLog*) const {
  if (!Consistent()) return false;
  for (int dir = 0; dir < 2; ++dir)
    if (!ON_IsValidKnotVector(m_order[dir], m_cv_count[dir], m_knot[dir])) return false;
  const int size = CVSize();
  for (int i = 0; i < m_cv_count[0]; ++i)
    for (int j = 0; j < m_cv_count[1]; ++j) {
      const double* cv = At(i, j);
      for (int k = 0; k < size; ++k)
        if (!ON_IsValid(cv[k])) return false;
    }
  return true;
}

ON_Interval ON_NurbsSurface::Domain(int dir) const {
  if (!Direction(dir) || !Consistent()) return ON_Interval();
  return ON_Interval(m_knot[dir][m_order[dir] - 2], m_knot[dir][m_cv_count[dir] - 1]);
}

bool ON_NurbsSurface::Evaluate(double s, double t, int der_count, int v_stride, double* v, int quadrant,
                               int* hint) const {
  if (!Consistent() || der_count < 0 || der_count > kMaxDerivatives || v_stride < m_dim || !v || quadrant < 0 ||
      quadrant > 4)
    return false;
  // Quadrants 2 and 3 lie below s, 3 and 4 below t.
  const int side0 = (quadrant == 2 || quadrant == 3) ? -1 : 1;
  const int side1 = (quadrant == 3 || quadrant == 4) ? -1 : 1;
  const int o0 = m_order[0], o1 = m_order[1], d = der_count, size = CVSize(), dim = m_dim;
  const int span0 = ON_NurbsSpanIndex(o0, m_cv_count[0], m_knot[0], s, side0, hint ? hint[0] : 0);
  const int span1 = ON_NurbsSpanIndex(o1, m_cv_count[1], m_knot[1], t, side1, hint ? hint[1] : 0);
  if (hint) {
    hint[0] = span0;
    hint[1] = span1;
  }
  const size_t n = static_cast<size_t>(d) + 1;
  std::vector<double> N0(n * o0), N1(n * o1);
  if (!on_detail::NurbsBasis(o0, m_knot[0] + span0, s, d, N0.data()) ||
      !on_detail::NurbsBasis(o1, m_knot[1] + span1, t, d, N1.data()))
    return false;
  // R(a, l): the l-th derivative in t of row a of the span; then H(k, l), the
  // homogeneous partial derivative of order k in s and l in t.
  std::vector<double> R(static_cast<size_t>(o0) * n * size, 0.0), H(n * n * size, 0.0);
  for (int a = 0; a < o0; ++a)
    for (int l = 0; l <= d; ++l) {
      double* r = R.data() + (static_cast<size_t>(a) * n + l) * size;
      for (int b = 0; b < o1; ++b) {
        const double w = N1[static_cast<size_t>(l) * o1 + b];
        const double* p = At(span0 + a, span1 + b);
        for (int c = 0; c < size; ++c) r[c] += w * p[c];
      }
    }
  auto h = [&](int k, int l) { return H.data() + (static_cast<size_t>(k) * n + l) * size; };
  for (int k = 0; k <= d; ++k)
    for (int l = 0; k + l <= d; ++l)
      for (int a = 0; a < o0; ++a) {
        const double w = N0[static_cast<size_t>(k) * o0 + a];
        const double* r = R.data() + (static_cast<size_t>(a) * n + l) * size;
        double* out = h(k, l);
        for (int c = 0; c < size; ++c) out[c] += w * r[c];
      }
  if (m_is_rat) {
    // S(k, l) = (A(k, l) - sum over (i, j) != (0, 0) of C(k, i) C(l, j) w(i, j)
    // S(k - i, l - j)) / w, by increasing k + l so that every S used is done.
    const double w = h(0, 0)[dim];
    if (w == 0.0) return false;
    const std::vector<double> C = Binomials(d);
    const auto binomial = [&](int a, int b) { return C[static_cast<size_t>(a) * n + b]; };
    for (int total = 0; total <= d; ++total)
      for (int k = total; k >= 0; --k) {
        const int l = total - k;
        double* out = h(k, l);
        for (int i = 0; i <= k; ++i)
          for (int j = 0; j <= l; ++j) {
            if (i == 0 && j == 0) continue;
            const double f = binomial(k, i) * binomial(l, j) * h(i, j)[dim];
            const double* sp = h(k - i, l - j);
            for (int c = 0; c < dim; ++c) out[c] -= f * sp[c];
          }
        for (int c = 0; c < dim; ++c) out[c] /= w;
      }
  }
  for (int total = 0; total <= d; ++total)
    for (int l = 0; l <= total; ++l) {
      const double* src = h(total - l, l);
      double* dst = v + (static_cast<size_t>(total) * (total + 1) / 2 + l) * v_stride;
      for (int c = 0; c < dim; ++c) dst[c] = src[c];
    }
  return true;
}

ON_Curve* ON_NurbsSurface::IsoCurve(int dir, double c) const {
  if (!Direction(dir) || !ON_IsValid(c) || !IsValid()) return nullptr;
  const int other = 1 - dir, order = m_order[other], size = CVSize();
  const int span = ON_NurbsSpanIndex(order, m_cv_count[other], m_knot[other], c, 1, 0);
  std::vector<double> N(static_cast<size_t>(order));
  if (!on_detail::NurbsBasis(order, m_knot[other] + span, c, 0, N.data())) return nullptr;
  ON_NurbsCurve* curve = new ON_NurbsCurve(m_dim, m_is_rat != 0, m_order[dir], m_cv_count[dir]);
  if (curve->CVCount() != m_cv_count[dir]) {
    delete curve;
    return nullptr;
  }
  std::memcpy(curve->m_knot, m_knot[dir], sizeof(double) * static_cast<size_t>(KnotCount(dir)));
  for (int a = 0; a < m_cv_count[dir]; ++a) {
    double* cv = curve->CV(a);
    for (int k = 0; k < size; ++k) cv[k] = 0.0;
    for (int b = 0; b < order; ++b) {
      const double* p = dir == 0 ? At(a, span + b) : At(span + b, a);
      for (int k = 0; k < size; ++k) cv[k] += N[static_cast<size_t>(b)] * p[k];
    }
  }
  return curve;
}

bool ON_NurbsSurface::IsPeriodic(int dir) const {
  if (!Direction(dir) || !Consistent() || !ON_IsKnotVectorPeriodic(m_order[dir], m_cv_count[dir], m_knot[dir]))
    return false;
  const int shift = m_cv_count[dir] - m_order[dir] + 1;
  for (int i = 0; i < m_order[dir] - 1; ++i) {
    const double* a = dir == 0 ? At(i, 0) : At(0, i);
    const double* b = dir == 0 ? At(i + shift, 0) : At(0, i + shift);
    if (!ON_PointsAreCoincident(m_dim, m_is_rat != 0, a, b)) return false;
  }
  return true;
}

bool ON_NurbsSurface::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!Consistent() || !boxmin || !boxmax) return false;
  for (int i = 0; i < m_cv_count[0]; ++i)
    for (int j = 0; j < m_cv_count[1]; ++j)
      if (!on_detail::GrowBox(m_dim, m_is_rat != 0, At(i, j), !grow && i == 0 && j == 0, boxmin, boxmax))
        return false;
  return true;
}

bool ON_NurbsSurface::Transform(const ON_Xform& xform) {
  if (!Consistent() || m_dim > 3) return false;
  if (on_detail::IsProjective(xform) && !MakeRational()) return false;
  for (int i = 0; i < m_cv_count[0]; ++i)
    for (int j = 0; j < m_cv_count[1]; ++j)
      on_detail::TransformCV(xform, m_dim, m_is_rat != 0, const_cast<double*>(At(i, j)));
  return true;
}
