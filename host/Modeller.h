// The geometry kernel behind the stand-in's surface bodies, native build only: Open
// CASCADE, used through its API and kept inside this file pair (nothing outside
// host/ sees it). HostSurfaces.h says when each function is asked; every one
// catches the kernel's exceptions and turns them into a problem text.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "HostSurfaces.h"
#include "ShellCheck.h"

namespace standin::modeller {

// Empty when the kernel makes a surface of the arrays (validated already).
std::string SurfaceProblem(const SurfaceArrays& surface);

// Empty when every curve of the loop (validated already) is one the kernel makes
// and lies on the surface within kModelTolerance.
std::string LoopProblem(const SurfaceArrays& surface, const TrimLoop& loop);

// Empty when the kernel makes the face: trimmed by the loop, or over the range.
std::string TrimmedFaceProblem(const SurfaceArrays& surface, const TrimLoop& loop);
std::string BoundedFaceProblem(const SurfaceArrays& surface, const std::array<double, 4>& range);

// Sews the surface faces and the planar faces into closed shells, a solid each:
// empty and the verdict when they close, else why not.
std::string Sew(const FaceList& planar, const BodySurfaces& surfaces, std::optional<SolidVerdict>& verdict);

}  // namespace standin::modeller
