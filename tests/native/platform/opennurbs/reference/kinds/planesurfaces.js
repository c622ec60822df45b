// Plane surfaces: validity, domains, boxes, evaluation, iso-curves and motions.
//
// A plane surface travels in the arguments as the plane (origin, x axis, y axis,
// z axis: x y z each), the extents along x and y (made with the domains equal to
// them), then the domains set afterwards (s0 s1 t0 t1; each set only when its
// numbers differ from the extents); what follows belongs to the kind.
'use strict';
const { nurbsFigures } = require('../nurbs_data.js');

function readPlaneSurface(rh, a) {
  const plane = { origin: a.slice(0, 3), xAxis: a.slice(3, 6), yAxis: a.slice(6, 9), zAxis: a.slice(9, 12) };
  const s = new rh.PlaneSurface(plane, a.slice(12, 14), a.slice(14, 16));
  if (a[16] !== a[12] || a[17] !== a[13]) s.setDomain(0, a.slice(16, 18));
  if (a[18] !== a[14] || a[19] !== a[15]) s.setDomain(1, a.slice(18, 20));
  return { s, rest: a.slice(20) };
}

const box = (s) => {
  const b = s.getBoundingBox(false);
  return b.isValid ? [...b.min, ...b.max] : [0, 0, 0, 0, 0, 0];
};

module.exports = {
  // rest: (s, t) pairs -> valid, domain 0, domain 1, periodic 0 and 1, the box
  // (or six zeros), then at each pair the point and the first partial
  // derivatives in s and t (taken on the iso-curves through the point)
  plane_srf(rh, a) {
    const { s, rest } = readPlaneSurface(rh, a);
    const out = [s.isValid, ...s.domain(0), ...s.domain(1), s.isPeriodic(0), s.isPeriodic(1), ...box(s)];
    for (let i = 0; i + 1 < rest.length; i += 2) {
      const [u, v] = [rest[i], rest[i + 1]];
      out.push(...s.pointAt(u, v), ...s.isoCurve(0, v).derivativeAt(u, 1)[1], ...s.isoCurve(1, u).derivativeAt(v, 1)[1]);
    }
    return out;
  },
  // rest: direction, parameter -> -1 when there is no iso-curve, else its
  // start and end and its NURBS figures
  plane_srf_iso(rh, a) {
    const { s, rest } = readPlaneSurface(rh, a);
    const c = s.isoCurve(rest[0], rest[1]);
    return c ? [...c.pointAtStart, ...c.pointAtEnd, ...nurbsFigures(c.toNurbsCurve())] : [-1];
  },
  // rest: angle, axis x y z, centre x y z, translation x y z, scale about the
  // origin -> the domains, the box and the points at the domain's four corners
  // after the rotation, the translation and the scale
  plane_srf_motion(rh, a) {
    const { s, rest } = readPlaneSurface(rh, a);
    const [angle, ax, ay, az, cx, cy, cz, dx, dy, dz, scale] = rest;
    s.transform(rh.Transform.rotation(angle, [ax, ay, az], [cx, cy, cz]));
    s.translate([dx, dy, dz]);
    s.transform(rh.Transform.scale([0, 0, 0], scale));
    const d0 = s.domain(0), d1 = s.domain(1), out = [...d0, ...d1, ...box(s)];
    for (const u of d0) for (const v of d1) out.push(...s.pointAt(u, v));
    return out;
  },
};
