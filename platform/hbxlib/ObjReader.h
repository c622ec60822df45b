// The OBJ reader proper: UTF-8 text in memory to openNURBS meshes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "opennurbs.h"

namespace hbx {

// Reads the OBJ text [text, text + size) and appends its meshes to `meshes`. On
// failure returns false with `error` set ("Line 12: ..." for a content error) and
// leaves `meshes` as it was. `threads` workers parse the text in parallel (1 or
// less: the calling thread alone); the result does not depend on their number.
// `releaseText`, when given, is called as soon as the text is no longer needed, so
// that its owner can free it before the meshes are built.
bool ReadObjText(const char* text, size_t size, int threads, ON_ClassArray<ON_Mesh>& meshes, std::string& error,
                 const std::function<void()>& releaseText = {});

// The smallest piece of text handed to one worker (tooling: tests use it to split
// small texts into many pieces).
void SetMinimumChunkSize(size_t bytes);
// The number of corners from which one mesh of triangles and quads is built on all
// threads rather than on one (tooling, as above).
void SetLargeMeshCorners(uint64_t corners);

}  // namespace hbx
