// Meshes and colours: what CombineIdenticalVertices merges, what IsValid accepts,
// how many topology edges degenerate faces give, and how ON_Color packs and clamps.
//
// Meshes travel as: vertex count, then per vertex x y z (and, where the kind says,
// a normal's z and a colour's red), then faces as four indices each (a triangle
// repeats its third). Vertices are set in single precision, as the subset keeps them.
'use strict';

function makeMesh(rh, args, perVertex) {
  const m = new rh.Mesh();
  const n = args[0];
  const list = m.vertices();
  list.setCount(n);
  let k = 1;
  const extra = [];
  for (let i = 0; i < n; i++, k += perVertex) {
    list.set(i, [args[k], args[k + 1], args[k + 2]]);
    extra.push(args.slice(k + 3, k + perVertex));
  }
  for (; k + 3 < args.length; k += 4) {
    const [a, b, c, d] = args.slice(k, k + 4);
    if (c === d) m.faces().addTriFace(a, b, c);
    else m.faces().addQuadFace(a, b, c, d);
  }
  return [m, extra];
}

function corners(m) {
  const out = [];
  const vs = m.vertices();
  for (let f = 0; f < m.faces().count; f++)
    for (const v of m.faces().get(f)) out.push(...vs.get(v));
  return out;
}

module.exports = {
  // args: ignore normals, ignore texture coordinates and colours, with normals,
  // with colours, then a mesh whose vertices carry a normal z and a colour red when
  // asked -> merged, vertex count, normal count, colour count, then the corners of
  // every face in order (four per face)
  mesh_combine(rh, [ignoreNormals, ignoreAdditional, withNormals, withColours, ...mesh]) {
    const [m, extra] = makeMesh(rh, mesh, 3 + withNormals + withColours);
    for (const e of extra) {
      if (withNormals) m.normals().add(0, 0, e[0]);
      if (withColours) m.vertexColors().add(e[withNormals], 0, 0);
    }
    const merged = m.vertices().combineIdentical(!!ignoreNormals, !!ignoreAdditional);
    return [merged, m.vertices().count, m.normals().count, m.vertexColors().count, ...corners(m)];
  },
  // args: normal count, texture coordinate count, colour count, then a mesh -> valid
  mesh_valid(rh, [normals, textures, colours, ...mesh]) {
    const [m] = makeMesh(rh, mesh, 3);
    for (let i = 0; i < normals; i++) m.normals().add(0, 0, 1);
    for (let i = 0; i < textures; i++) m.textureCoordinates().add(0, 0);
    for (let i = 0; i < colours; i++) m.vertexColors().add(255, 0, 0);
    return [m.isValid];
  },
  // args: a mesh -> its number of topology edges
  mesh_topology_edges(rh, mesh) {
    const [m] = makeMesh(rh, mesh, 3);
    return [m.topologyEdges().count];
  },
  // args: red, green, blue, alpha (openNURBS's, 0 opaque) -> the channels SetRGBA
  // keeps. The JavaScript colour's alpha is opacity, 255 less openNURBS's.
  color_rgba(rh, [r, g, b, a]) {
    const m = new rh.Mesh();
    m.vertices().add(0, 0, 0);
    m.vertexColors().add(0, 0, 0);
    m.vertexColors().set(0, { r, g, b, a: 255 - a });
    const c = m.vertexColors().get(0);
    return [c.r, c.g, c.b, 255 - c.a];
  },
  // args: red, green, blue -> the channels of ON_Color(red, green, blue)
  color_rgb(rh, [r, g, b]) {
    const m = new rh.Mesh();
    m.vertices().add(0, 0, 0);
    const c = m.vertexColors().get(m.vertexColors().add(r, g, b));
    return [c.r, c.g, c.b, 255 - c.a];
  },
};
