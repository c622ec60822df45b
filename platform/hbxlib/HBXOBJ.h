// The OBJ reader of the mesh-exchange library: a Wavefront OBJ file to openNURBS
// meshes, one mesh per group or object name.
//
// How a file is read:
// - `o` and `g` both set the current name; a `g` with several names counts as one
//   name, the rest of its line with its words joined by single blanks. Faces before
//   any name, and after a bare `g` or `o`, belong to the unnamed mesh. A name seen
//   again continues its mesh; a name without faces makes none. Meshes come in the
//   order of their first face.
// - A mesh holds the vertices its faces use, in first-use order, as floats rounded
//   once from the decimal (or hexadecimal) text. A triangle repeats its third index;
//   four corners are kept in file order; more are cut into triangles by ear
//   clipping in the polygon's own plane. Corners that repeat the one before (or the
//   first, at the end) are merged; a face left with fewer than three, or four
//   corners that run back and forth, adds nothing.
// - A face may refer (v, v/vt, v//vn, v/vt/vn; negative counts back) only to what
//   the file defines before it; vt and vn references are checked, their values not
//   used. Lines, points, curves, surfaces, materials, smoothing groups and unknown
//   statements are skipped.
// - Text: UTF-8 with or without byte-order mark, UTF-16 with one; LF, CR LF or CR;
//   a backslash at a line end joins the next line; '#' starts a comment that ends
//   with its line.
// - Anything else is an error naming the file, the line and what is wrong; nothing
//   partly read is handed on.
#pragma once

#include <cstddef>

#include "CString.h"
#include "opennurbs.h"

class HBXOBJ {
 public:
  // Reads the file and appends its meshes to `meshes` through the array's own
  // growth. Nonzero when the file was read (the array then holds zero or more new
  // meshes), 0 when not; the array is then left as it was and GetError tells why.
  static int OBJToMesh(CString path, ON_ClassArray<ON_Mesh>& meshes);
  // The text of the last failure, in plain English, naming the file.
  static CString GetError();

  // Tooling for tests, benchmarks and fuzzing.
  // The number of threads that parse one file; 0 or less restores the default,
  // the hardware's concurrency capped at 8. The result never depends on it.
  static void SetThreadCount(int count);
  static int GetThreadCount();
  // OBJToMesh on file contents already in memory; `name` stands for the file in
  // the error text.
  static int OBJTextToMesh(const void* data, size_t size, const CString& name, ON_ClassArray<ON_Mesh>& meshes);
};
