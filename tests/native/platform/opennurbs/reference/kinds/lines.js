// Line and polyline curves: their domains, validity, closedness, evaluation
// (extrapolated beyond the ends, either side of a vertex) and NURBS forms; and
// the rotation of a vector.
'use strict';
const { nurbsFigures } = require('../nurbs_data.js');

const formFigures = (nc) => (nc ? [1, ...nurbsFigures(nc)] : [0]);
const sides = (rh) => ({ '-1': rh.CurveEvaluationSide.Below, 0: rh.CurveEvaluationSide.Default, 1: rh.CurveEvaluationSide.Above });

// domain, valid, closed, periodic, then the point and first derivative at each
// parameter, then the NURBS figures
function curveFigures(rh, curve, side, params) {
  const out = [...curve.domain, curve.isValid, curve.isClosed, curve.isPeriodic];
  for (const t of params) for (const v of curve.derivativeAtSide(t, 1, sides(rh)[side])) out.push(...v);
  return [...out, ...formFigures(curve.toNurbsCurve())];
}

module.exports = {
  // args: from, to, side, then parameters
  line_curve(rh, a) {
    return curveFigures(rh, new rh.LineCurve(a.slice(0, 3), a.slice(3, 6)), a[6], a.slice(7));
  },
  // args: side, parameter count m, m parameters, then x y z of each point
  polyline_curve(rh, a) {
    const m = a[1], pts = [];
    for (let i = 2 + m; i + 2 < a.length; i += 3) pts.push(a.slice(i, i + 3));
    return curveFigures(rh, new rh.PolylineCurve(pts), a[0], a.slice(2, 2 + m));
  },
  // args: angle, axis, vector -> the vector turned about the axis
  vector_rotate(rh, [angle, ax, ay, az, x, y, z]) {
    const p = new rh.Point([x, y, z]);
    p.transform(rh.Transform.rotation(angle, [ax, ay, az], [0, 0, 0]));
    return p.location;
  },
};
