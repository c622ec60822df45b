// Transforms and boxes of the subset that exists before the curves: rotations of
// a point and the bounding box of a mesh.
'use strict';

module.exports = {
  // args: angle, axis x y z, centre x y z, point x y z -> the rotated point
  rotate_point(rh, [angle, ax, ay, az, cx, cy, cz, px, py, pz]) {
    const x = rh.Transform.rotation(angle, [ax, ay, az], [cx, cy, cz]);
    const p = new rh.Point([px, py, pz]);
    p.transform(x);
    return p.location;
  },
  // args: x y z of each vertex, the vertices taken three at a time as triangles ->
  // box min x y z, max x y z
  mesh_bbox(rh, args) {
    const m = new rh.Mesh();
    for (let i = 0; i + 2 < args.length; i += 3) m.vertices().add(args[i], args[i + 1], args[i + 2]);
    for (let v = 0; v + 2 < args.length / 3; v += 3) m.faces().addTriFace(v, v + 1, v + 2);
    const b = m.getBoundingBox();
    return [...b.min, ...b.max];
  },
};
