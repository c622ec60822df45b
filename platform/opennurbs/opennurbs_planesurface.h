// Planar surfaces with the openNURBS names and meanings: the rectangle of the
// plane m_plane spanned by m_extents[0] along its x axis and m_extents[1] along
// its y axis, parameterised linearly over m_domain[0] x m_domain[1]. The point at
// (s, t) is origin + x xaxis + y yaxis, where x is the point of m_extents[0] at
// the fraction of m_domain[0] where s lies (the same for y and t).
#pragma once

#include "opennurbs_plane.h"
#include "opennurbs_surface.h"

class ON_PlaneSurface : public ON_Surface {
 public:
  // No plane and unset domains and extents: not valid.
  ON_PlaneSurface();
  // The plane with domains and extents [0, 1] in both directions.
  explicit ON_PlaneSurface(const ON_Plane& plane);
  ON_PlaneSurface(const ON_PlaneSurface&) = default;
  ON_PlaneSurface& operator=(const ON_PlaneSurface&) = default;
  ON_PlaneSurface& operator=(const ON_Plane& plane);
  ~ON_PlaneSurface() override = default;

  // The plane surface when it is one (a null or another object gives null).
  static ON_PlaneSurface* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_PlaneSurface*>(geometry); }
  static const ON_PlaneSurface* Cast(const ON_Geometry* geometry) {
    return dynamic_cast<const ON_PlaneSurface*>(geometry);
  }

  // The extent along the plane's x axis (direction 0) or y axis (1); the unset
  // interval for another direction.
  ON_Interval Extents(int dir) const;
  // Sets the extent of a direction, and its domain too when bSyncDomain; false
  // (nothing changed) for another direction or extents that are not increasing.
  bool SetExtents(int dir, ON_Interval extents, bool bSyncDomain = false);
  // Sets the domain of a direction; false (nothing changed) unless t0 < t1.
  bool SetDomain(int dir, double t0, double t1);

  // ON_Surface
  // Valid: a valid plane and increasing domains and extents.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain(int dir) const override;
  // Linear in (s, t), extended beyond the domain; the second and higher partial
  // derivatives are zero.
  bool Evaluate(double s, double t, int der_count, int v_stride, double* v, int quadrant = 0,
                int* hint = nullptr) const override;
  // An ON_LineCurve over the direction's domain, from the surface's point at the
  // domain's start to that at its end, at c of the other direction (c outside
  // the other domain gives the line on the extended plane). Null for an invalid
  // surface, a direction other than 0 and 1, or an invalid c.
  ON_Curve* IsoCurve(int dir, double c) const override;

  // ON_Geometry
  int Dimension() const override { return 3; }
  // The box of the rectangle's four corners; false when a corner is not a valid
  // point (an unset plane or extents).
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  // Maps the plane and stretches each extent by the length the map gives the
  // plane's axis, so a rigid motion moves the rectangle and a uniform scale
  // scales it; the domains are kept. False when the image is not a valid plane.
  bool Transform(const ON_Xform& xform) override;

  ON_Plane m_plane;
  ON_Interval m_domain[2];
  ON_Interval m_extents[2];

 private:
  // The point of the plane at the parameters (no validity checks).
  ON_3dPoint At(double s, double t) const;
};
