// Breps: the box brep (ON_BrepBox) of an axis-aligned box and its wire frame.
'use strict';
const { nurbsFigures } = require('../nurbs_data.js');

module.exports = {
  // args: min x y z, max x y z of the box -> 0 when there is no brep, else 1,
  // the vertex count, each vertex's point, edge count and edge indices, then the
  // edge count and for each edge its start and end points, its domain, whether
  // it runs against its curve, and its NURBS form's figures
  brep_box(rh, a) {
    const b = rh.Brep.createFromBoundingBox(new rh.BoundingBox(a.slice(0, 3), a.slice(3, 6)));
    if (!b) return [0];
    const out = [1];
    const v = b.vertices();
    out.push(v.count);
    for (let i = 0; i < v.count; ++i) {
      const x = v.get(i);
      out.push(...x.location, x.edgeCount, ...x.edgeIndices);
    }
    const e = b.edges();
    out.push(e.count);
    for (let i = 0; i < e.count; ++i) {
      const x = e.get(i);
      out.push(...x.pointAtStart, ...x.pointAtEnd, ...x.domain, x.proxyCurveIsReversed, ...nurbsFigures(x.toNurbsCurve()));
    }
    return out;
  },
};
