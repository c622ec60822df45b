// Parameter intervals with the openNURBS names and meanings: [m_t[0], m_t[1]],
// which may run either way. The default interval is unset (both ends
// ON_UNSET_VALUE), and an interval is valid when both ends are valid numbers.
#pragma once

#include "opennurbs_defines.h"

class ON_Interval {
 public:
  ON_Interval() = default;
  ON_Interval(double t0, double t1) : m_t{t0, t1} {}

  static const ON_Interval EmptyInterval;  // unset
  static const ON_Interval ZeroToOne;

  double& operator[](int i) { return m_t[i ? 1 : 0]; }
  double operator[](int i) const { return m_t[i ? 1 : 0]; }
  bool operator==(const ON_Interval& o) const { return m_t[0] == o.m_t[0] && m_t[1] == o.m_t[1]; }
  bool operator!=(const ON_Interval& o) const { return !(*this == o); }

  void Set(double t0, double t1) {
    m_t[0] = t0;
    m_t[1] = t1;
  }
  void Destroy() { m_t[0] = m_t[1] = ON_UNSET_VALUE; }

  double Min() const { return m_t[0] <= m_t[1] ? m_t[0] : m_t[1]; }
  double Max() const { return m_t[0] <= m_t[1] ? m_t[1] : m_t[0]; }
  double Mid() const { return 0.5 * (m_t[0] + m_t[1]); }
  // m_t[1] - m_t[0], negative for a decreasing interval; 0 when either end is unset.
  double Length() const { return IsValid() ? m_t[1] - m_t[0] : 0.0; }

  bool IsValid() const { return ON_IsValid(m_t[0]) && ON_IsValid(m_t[1]); }
  bool IsIncreasing() const { return IsValid() && m_t[0] < m_t[1]; }
  bool IsDecreasing() const { return IsValid() && m_t[0] > m_t[1]; }
  bool IsInterval() const { return IsValid() && m_t[0] != m_t[1]; }
  bool IsSingleton() const { return IsValid() && m_t[0] == m_t[1]; }
  bool IsEmptyInterval() const { return m_t[0] == ON_UNSET_VALUE && m_t[1] == ON_UNSET_VALUE; }

  // The parameter at the fraction x of the interval: m_t[0] at 0, m_t[1] at 1
  // (exactly, at both ends).
  double ParameterAt(double x) const {
    if (!ON_IsValid(x)) return ON_UNSET_VALUE;
    return x == 0.0 ? m_t[0] : x == 1.0 ? m_t[1] : (1.0 - x) * m_t[0] + x * m_t[1];
  }
  // The fraction of the interval at which t lies; the inverse of ParameterAt.
  double NormalizedParameterAt(double t) const {
    if (!ON_IsValid(t)) return ON_UNSET_VALUE;
    if (t == m_t[0]) return 0.0;
    if (t == m_t[1]) return 1.0;
    return m_t[0] != m_t[1] ? (t - m_t[0]) / (m_t[1] - m_t[0]) : 0.0;
  }
  // True when t lies between the ends (both included, or both excluded when
  // bTestOpenInterval is true); false for an invalid interval or t.
  bool Includes(double t, bool bTestOpenInterval = false) const {
    if (!IsValid() || !ON_IsValid(t)) return false;
    return bTestOpenInterval ? (Min() < t && t < Max()) : (Min() <= t && t <= Max());
  }
  // Swaps the ends, making a decreasing interval increasing; false when invalid or
  // a singleton.
  bool MakeIncreasing() {
    if (IsDecreasing()) Swap();
    return IsIncreasing();
  }
  void Swap() {
    const double t = m_t[0];
    m_t[0] = m_t[1];
    m_t[1] = t;
  }
  // [a, b] becomes [-b, -a].
  bool Reverse() {
    if (!IsValid()) return false;
    const double t = m_t[0];
    m_t[0] = -m_t[1];
    m_t[1] = -t;
    return true;
  }

  double m_t[2] = {ON_UNSET_VALUE, ON_UNSET_VALUE};
};
