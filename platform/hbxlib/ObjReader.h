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

// Reads the bytes at `offset` into dst, at most n; the number read (0 at the end of
// the file), or -1 with `why` set. Called from several threads at once.
using ReadAt = std::function<int64_t(uint64_t offset, char* dst, size_t n, std::string& why)>;

// ReadObjText on a UTF-8 file of `size` bytes whose text starts at `offset` (after a
// byte-order mark), read block by block so that the whole file is never in memory.
bool ReadObjStream(const ReadAt& readAt, uint64_t size, uint64_t offset, int threads, ON_ClassArray<ON_Mesh>& meshes,
                   std::string& error);

// The smallest piece of text handed to one worker (tooling: tests use it to split
// small texts into many pieces).
void SetMinimumChunkSize(size_t bytes);
// The number of corners from which one mesh of triangles and quads is built on all
// threads rather than on one (tooling, as above).
void SetLargeMeshCorners(uint64_t corners);
// The text ReadObjStream reads per round and thread (tooling, as above).
void SetBlockSize(size_t bytesPerThread);

}  // namespace hbx
