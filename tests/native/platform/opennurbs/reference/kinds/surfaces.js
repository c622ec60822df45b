// NURBS surfaces: validity, domains, periodicity, boxes, evaluation with partial
// derivatives, iso-curves and motions.
//
// A surface travels in the arguments as dimension, rational (0/1), order 0,
// order 1, CV count 0, CV count 1, the stored knots of direction 0 and then of
// direction 1 (order + CV count - 2 each), then x y z w of each CV (homogeneous;
// w ignored for a non-rational surface) with the index of direction 0 outermost;
// what follows belongs to the kind. Iso-curves come back as ../nurbs_data.js
// lays curves out, after their rational flag.
'use strict';
const { nurbsFigures } = require('../nurbs_data.js');

function readSurface(rh, a) {
  const [dim, rat, o0, o1, n0, n1] = a;
  const s = rh.NurbsSurface.create(dim, rat !== 0, o0, o1, n0, n1);
  let i = 6;
  for (let k = 0; k < o0 + n0 - 2; ++k) s.knotsU().set(k, a[i++]);
  for (let k = 0; k < o1 + n1 - 2; ++k) s.knotsV().set(k, a[i++]);
  for (let u = 0; u < n0; ++u)
    for (let v = 0; v < n1; ++v, i += 4) s.points().set(u, v, rat ? a.slice(i, i + 4) : [a[i], a[i + 1], a[i + 2], 1]);
  return { s, rest: a.slice(i) };
}

module.exports = {
  // -> valid, domain 0, domain 1, periodic 0 and 1, and the box openNURBS
  // computes (GetBBox: min, max) or six zeros when there is none
  surface_props(rh, a) {
    const { s } = readSurface(rh, a);
    const b = s.getBoundingBox(false);
    return [s.isValid, ...s.domain(0), ...s.domain(1), s.isPeriodic(0), s.isPeriodic(1),
            ...(b.isValid ? [...b.min, ...b.max] : [0, 0, 0, 0, 0, 0])];
  },
  // rest: (u, v) pairs -> at each the point, the first and second derivatives in
  // u and then those in v, x y z each. The partial derivatives are taken on the
  // iso-curves through the point, which are exact.
  surface_eval(rh, a) {
    const { s, rest } = readSurface(rh, a);
    const out = [];
    for (let i = 0; i + 1 < rest.length; i += 2) {
      const [u, v] = [rest[i], rest[i + 1]];
      const du = s.isoCurve(0, v).derivativeAt(u, 2), dv = s.isoCurve(1, u).derivativeAt(v, 2);
      out.push(...s.pointAt(u, v), ...du[1], ...du[2], ...dv[1], ...dv[2]);
    }
    return out;
  },
  // rest: direction, parameter -> -1 when there is no iso-curve, else its rational
  // flag and its NURBS figures
  surface_iso(rh, a) {
    const { s, rest } = readSurface(rh, a);
    const c = s.isoCurve(rest[0], rest[1]);
    return c ? [c.isRational, ...nurbsFigures(c)] : [-1];
  },
  // rest: angle, axis x y z, centre x y z, translation x y z -> the homogeneous
  // CVs (direction 0 outermost) after the rotation and then the translation
  surface_motion(rh, a) {
    const { s, rest } = readSurface(rh, a);
    const [angle, ax, ay, az, cx, cy, cz, dx, dy, dz] = rest;
    s.transform(rh.Transform.rotation(angle, [ax, ay, az], [cx, cy, cz]));
    s.translate([dx, dy, dz]);
    const p = s.points(), out = [];
    for (let u = 0; u < p.countU; ++u) for (let v = 0; v < p.countV; ++v) out.push(...p.get(u, v));
    return out;
  },
};
