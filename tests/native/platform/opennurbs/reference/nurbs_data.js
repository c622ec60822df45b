// How NURBS curves travel between the tests and the reference: in the arguments
// as dimension, rational (0/1), order, CV count, the order + CV count - 2 knots of
// openNURBS's storage, then x y z w of each CV (homogeneous for a rational curve;
// w is ignored otherwise); in the figures as order, CV count, knots, x y z w of
// each CV (homogeneous), closed, periodic and the domain.
'use strict';

// The curve that starts at a[at], and the index after it.
function readNurbs(rh, a, at) {
  const [dim, rat, order, count] = a.slice(at, at + 4);
  const curve = new rh.NurbsCurve(dim, rat !== 0, order, count);
  let i = at + 4;
  for (let k = 0; k < order + count - 2; ++k) curve.knots().set(k, a[i++]);
  for (let k = 0; k < count; ++k, i += 4) curve.points().set(k, rat ? a.slice(i, i + 4) : [a[i], a[i + 1], a[i + 2], 1]);
  return { curve, next: i };
}

function nurbsFigures(nc) {
  const out = [nc.order, nc.points().count];
  for (let k = 0; k < nc.knots().count; ++k) out.push(nc.knots().get(k));
  for (let k = 0; k < nc.points().count; ++k) out.push(...nc.points().get(k));
  out.push(nc.isClosed, nc.isPeriodic, ...nc.domain);
  return out;
}

module.exports = { readNurbs, nurbsFigures };
