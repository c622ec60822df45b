// The OBJ reader of the mesh-exchange library: a Wavefront OBJ file to openNURBS
// meshes, one mesh per group or object name.
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
