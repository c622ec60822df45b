// NURBS curves: evaluation, closedness and periodicity, boxes and the uniform
// constructors.
//
// Curves travel as ../nurbs_data.js lays them out.
'use strict';
const { readNurbs, nurbsFigures } = require('../nurbs_data.js');

const sides = (rh) => ({ '-1': rh.CurveEvaluationSide.Below, 0: rh.CurveEvaluationSide.Default, 1: rh.CurveEvaluationSide.Above });

module.exports = {
  // args: a curve, der_count, side (-1, 0, 1), then parameters -> for each
  // parameter: 1 and the point and derivatives as x y z each, or 0 and zeros when
  // the curve cannot be evaluated there
  nurbs_eval(rh, a) {
    const { curve, next } = readNurbs(rh, a, 0);
    const der = a[next], side = sides(rh)[a[next + 1]];
    const out = [];
    for (const t of a.slice(next + 2)) {
      const d = curve.derivativeAtSide(t, der, side);
      if (!d || d.length !== der + 1) {
        out.push(0, ...new Array(3 * (der + 1)).fill(0));
        continue;
      }
      out.push(1);
      for (const v of d) out.push(...v);
    }
    return out;
  },
  // args: a curve -> valid, closed, periodic, domain, and the box (min, max) or
  // six zeros when there is none
  nurbs_props(rh, a) {
    const { curve } = readNurbs(rh, a, 0);
    const out = [curve.isValid, curve.isClosed, curve.isPeriodic, ...curve.domain];
    const b = curve.getBoundingBox(false);
    out.push(...(b.isValid ? [...b.min, ...b.max] : [0, 0, 0, 0, 0, 0]));
    return out;
  },
  // args: periodic (0/1), degree, then x y z of each point -> 0 when there is no
  // curve, else 1 and the NURBS figures
  nurbs_create(rh, a) {
    const pts = [];
    for (let i = 2; i + 2 < a.length; i += 3) pts.push(a.slice(i, i + 3));
    const nc = rh.NurbsCurve.create(a[0] !== 0, a[1], pts);
    return nc ? [1, ...nurbsFigures(nc)] : [0];
  },
};
