#include "opennurbs_knot.h"

#include <cmath>
#include <memory>
#include <new>

#include "opennurbs_defines.h"

namespace {

// Scratch space of one evaluation: on the stack for the usual orders, on the heap
// for large ones. Get() is null when the space needed is beyond any sensible
// curve (an order or derivative count in the thousands): the evaluation then
// fails instead of asking for gigabytes.
class Scratch {
 public:
  static constexpr size_t kMaxCount = size_t{1} << 22;  // 32 MB of doubles
  explicit Scratch(size_t count) {
    if (count <= sizeof(m_stack) / sizeof(m_stack[0])) {
      m_p = m_stack;
    } else if (count <= kMaxCount) {
      m_heap.reset(new (std::nothrow) double[count]);
      m_p = m_heap.get();
    }
  }
  double* Get() { return m_p; }

 private:
  double m_stack[512];
  std::unique_ptr<double[]> m_heap;
  double* m_p = nullptr;
};

bool Shape(int order, int cv_count, const double* knot) { return knot && order >= 2 && cv_count >= order; }

}  // namespace

int ON_KnotCount(int order, int cv_count) { return order + cv_count - 2; }

bool ON_IsValidKnotVector(int order, int cv_count, const double* knot) {
  if (!Shape(order, cv_count, knot)) return false;
  const int count = ON_KnotCount(order, cv_count);
  for (int i = 0; i < count; ++i)
    if (!ON_IsValid(knot[i])) return false;
  for (int i = 0; i + 1 < count; ++i)
    if (knot[i] > knot[i + 1]) return false;
  if (!(knot[order - 2] < knot[order - 1]) || !(knot[cv_count - 2] < knot[cv_count - 1])) return false;
  for (int i = 0; i + order - 1 < count; ++i)
    if (!(knot[i] < knot[i + order - 1])) return false;
  return true;
}

bool ON_IsKnotVectorClamped(int order, int cv_count, const double* knot, int end) {
  if (!Shape(order, cv_count, knot) || end < 0 || end > 2) return false;
  const int last = ON_KnotCount(order, cv_count) - 1;
  bool rc = true;
  if (end != 1) rc = knot[0] == knot[order - 2];
  if (end != 0 && rc) rc = knot[last] == knot[cv_count - 1];
  return rc;
}

bool ON_IsKnotVectorPeriodic(int order, int cv_count, const double* knot) {
  if (!Shape(order, cv_count, knot) || order < 3) return false;
  if (cv_count < order + 2 || cv_count < 2 * order - 2) return false;
  const double period = knot[cv_count - 1] - knot[order - 2];
  if (!(period > 0.0) || !ON_IsValid(period)) return false;
  const double tolerance = ON_SQRT_EPSILON * period;
  const int shift = cv_count - order + 1;
  for (int i = 0; i <= 2 * order - 4; ++i)
    if (!(std::fabs(knot[i + shift] - knot[i] - period) <= tolerance)) return false;
  return true;
}

bool ON_MakeClampedUniformKnotVector(int order, int cv_count, double* knot, double delta) {
  if (!Shape(order, cv_count, knot) || !(delta > 0.0) || !ON_IsValid(delta)) return false;
  const int count = ON_KnotCount(order, cv_count), last = cv_count - order + 1;
  for (int i = 0; i < count; ++i) {
    int k = i - (order - 2);
    if (k < 0) k = 0;
    if (k > last) k = last;
    knot[i] = k * delta;
  }
  return true;
}

bool ON_MakePeriodicUniformKnotVector(int order, int cv_count, double* knot, double delta) {
  if (!Shape(order, cv_count, knot) || !(delta > 0.0) || !ON_IsValid(delta)) return false;
  const int count = ON_KnotCount(order, cv_count);
  for (int i = 0; i < count; ++i) knot[i] = (i - (order - 2)) * delta;
  return true;
}

int ON_NurbsSpanIndex(int order, int cv_count, const double* knot, double t, int side, int /*hint*/) {
  if (!Shape(order, cv_count, knot)) return 0;
  // The interior break points are knot[order-1] .. knot[cv_count-2]; the span is
  // the number of them at or before t (from the right), or before t (from the left).
  const double* u = knot + order - 1;
  int lo = 0, hi = cv_count - order;  // the answer lies in [lo, hi]
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const bool before = side < 0 ? u[mid] < t : u[mid] <= t;
    if (before)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

bool ON_EvaluateQuotientRule(int dim, int der_count, int v_stride, double* v) {
  if (dim < 1 || der_count < 0 || v_stride < dim + 1 || !v) return false;
  const double w = v[dim];
  if (w == 0.0) return false;
  const double inv = 1.0 / w;
  for (int c = 0; c < dim; ++c) v[c] *= inv;
  // C(k) = (A(k) - sum_{i=1..k} binomial(k, i) w(i) C(k-i)) / w
  for (int k = 1; k <= der_count; ++k) {
    double* ck = v + k * v_stride;
    double binomial = 1.0;
    for (int i = 1; i <= k; ++i) {
      binomial = binomial * (k - i + 1) / i;
      const double wi = v[i * v_stride + dim];
      const double* c = v + (k - i) * v_stride;
      for (int j = 0; j < dim; ++j) ck[j] -= binomial * wi * c[j];
    }
    for (int j = 0; j < dim; ++j) ck[j] *= inv;
  }
  return true;
}

namespace on_detail {

bool NurbsBasis(int order, const double* knot, double t, int der_count, double* N) {
  if (order < 1 || der_count < 0 || !N) return false;
  const size_t count = (static_cast<size_t>(der_count) + 1) * static_cast<size_t>(order);
  if (count > Scratch::kMaxCount) return false;
  const int d = order - 1;
  for (size_t i = 0; i < count; ++i) N[i] = 0.0;
  if (d == 0) {
    N[0] = 1.0;
    return true;
  }
  if (!knot || !(knot[d - 1] < knot[d])) return false;
  const int n = der_count < d ? der_count : d;
  const int w = d + 1;
  // ndu[j][r] (r <= j): basis values of degree j; ndu[j][r] (r > j... stored as
  // ndu[j][r] with j > r): knot differences, as in the classic triangular scheme.
  Scratch scratch(static_cast<size_t>(w) * w + 4 * static_cast<size_t>(w));
  double* ndu = scratch.Get();
  if (!ndu) return false;
  double* left = ndu + w * w;
  double* right = left + w;
  double* a = right + w;  // two rows of w
  auto NDU = [&](int i, int j) -> double& { return ndu[i * w + j]; };
  NDU(0, 0) = 1.0;
  for (int j = 1; j <= d; ++j) {
    left[j] = t - knot[d - j];
    right[j] = knot[d - 1 + j] - t;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      NDU(j, r) = right[r + 1] + left[j - r];
      if (NDU(j, r) == 0.0) return false;  // knots out of order
      const double temp = NDU(r, j - 1) / NDU(j, r);
      NDU(r, j) = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    NDU(j, j) = saved;
  }
  for (int j = 0; j <= d; ++j) N[j] = NDU(j, d);
  for (int r = 0; r <= d; ++r) {
    double* s1 = a;
    double* s2 = a + w;
    s1[0] = 1.0;
    for (int k = 1; k <= n; ++k) {
      double dd = 0.0;
      const int rk = r - k, pk = d - k;
      if (r >= k) {
        s2[0] = s1[0] / NDU(pk + 1, rk);
        dd = s2[0] * NDU(rk, pk);
      }
      const int j1 = rk >= -1 ? 1 : -rk;
      const int j2 = (r - 1 <= pk) ? k - 1 : d - r;
      for (int j = j1; j <= j2; ++j) {
        s2[j] = (s1[j] - s1[j - 1]) / NDU(pk + 1, rk + j);
        dd += s2[j] * NDU(rk + j, pk);
      }
      if (r <= pk) {
        s2[k] = -s1[k - 1] / NDU(pk + 1, r);
        dd += s2[k] * NDU(r, pk);
      }
      N[k * order + r] = dd;
      double* swap = s1;
      s1 = s2;
      s2 = swap;
    }
  }
  double factor = d;
  for (int k = 1; k <= n; ++k) {
    for (int j = 0; j <= d; ++j) N[k * order + j] *= factor;
    factor *= (d - k);
  }
  return true;
}

bool EvaluateNurbsSpan(int dim, bool is_rat, int order, const double* knot, int cv_stride, const double* cv,
                       int der_count, double t, int v_stride, double* v) {
  if (dim < 1 || dim >= 0x7FFFFFFF || order < 1 || der_count < 0 || !cv || !v || v_stride < dim) return false;
  const int cvdim = dim + (is_rat ? 1 : 0);
  if (cv_stride < cvdim) return false;
  const size_t entries = static_cast<size_t>(der_count) + 1;
  const size_t basis = entries * static_cast<size_t>(order);
  if (basis > Scratch::kMaxCount || entries * cvdim > Scratch::kMaxCount) return false;
  Scratch scratch(basis + entries * cvdim);
  double* N = scratch.Get();
  if (!N) return false;
  double* h = N + basis;
  if (!NurbsBasis(order, knot, t, der_count, N)) return false;
  for (int k = 0; k <= der_count; ++k) {
    double* hk = h + k * cvdim;
    for (int c = 0; c < cvdim; ++c) hk[c] = 0.0;
    for (int j = 0; j < order; ++j) {
      const double b = N[k * order + j];
      const double* p = cv + static_cast<size_t>(j) * cv_stride;
      for (int c = 0; c < cvdim; ++c) hk[c] += b * p[c];
    }
  }
  if (is_rat && !ON_EvaluateQuotientRule(dim, der_count, cvdim, h)) return false;
  for (int k = 0; k <= der_count; ++k)
    for (int c = 0; c < dim; ++c) v[static_cast<size_t>(k) * v_stride + c] = h[k * cvdim + c];
  return true;
}

}  // namespace on_detail
