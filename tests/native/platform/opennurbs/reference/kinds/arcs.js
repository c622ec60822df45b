// Circles, arcs and arc curves: their creation rules (negative and over-long
// angles, planes moved to the centre), points, NURBS forms, and the test of a
// circle lying in a plane.
//
// A plane travels as 12 numbers: origin, x axis, y axis, z axis (orthonormal).
'use strict';
const { nurbsFigures } = require('../nurbs_data.js');

const plane = (a, i) => ({ origin: a.slice(i, i + 3), xAxis: a.slice(i + 3, i + 6), yAxis: a.slice(i + 6, i + 9),
  zAxis: a.slice(i + 9, i + 12) });
const planeFigures = (p) => [...p.origin, ...p.xAxis, ...p.yAxis, ...p.zAxis];
const formFigures = (nc) => (nc ? [1, ...nurbsFigures(nc)] : [0]);

// The circle of radius r in the plane moved to the centre, as the subset's
// ON_Circle(plane, centre, radius) makes it.
function circle(rh, a, i) {
  const c = new rh.Circle(a[i + 15]);
  const p = plane(a, i);
  p.origin = a.slice(i + 12, i + 15);
  c.plane = p;
  return c;
}

module.exports = {
  // args: plane, centre, radius, angle -> valid, full circle, angle interval,
  // plane, radius, start, mid and end point, length, then 1 and the NURBS
  // figures, or 0 when there is no NURBS form
  arc(rh, a) {
    const arc = new rh.Arc(circle(rh, a, 0), a[16]);
    return [arc.isValid, arc.isCircle, ...arc.angleDomain, ...planeFigures(arc.plane), arc.radius, ...arc.startPoint,
      ...arc.midPoint, ...arc.endPoint, arc.length, ...formFigures(arc.toNurbsCurve())];
  },
  // args: plane, centre, radius, then angles -> valid, NURBS figures, the point
  // at each angle
  circle(rh, a) {
    const c = circle(rh, a, 0);
    const out = [c.isValid, ...formFigures(c.toNurbsCurve())];
    for (const t of a.slice(16)) out.push(...c.pointAt(t));
    return out;
  },
  // args: circle plane, centre, radius, the plane to test, tolerance -> in plane
  circle_in_plane(rh, a) {
    return [circle(rh, a, 0).isInPlane(plane(a, 16), a[28])];
  },
  // args: plane, centre, radius, angle, then parameters -> domain, valid,
  // closed, periodic, the point and two derivatives at each parameter, then the
  // NURBS figures
  arc_curve(rh, a) {
    const curve = rh.ArcCurve.createFromArc(new rh.Arc(circle(rh, a, 0), a[16]));
    const out = [...curve.domain, curve.isValid, curve.isClosed, curve.isPeriodic];
    for (const t of a.slice(17)) for (const v of curve.derivativeAt(t, 2)) out.push(...v);
    return [...out, ...formFigures(curve.toNurbsCurve())];
  },
};
