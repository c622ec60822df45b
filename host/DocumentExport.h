// What a stand-in document holds, told as text and written as an OBJ file that a
// viewer can open: body faces as `f` lines, sketch lines as `l` lines, vertices in
// metres (the host's own unit).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "StandInHost.h"

namespace standin {

// "part, length unit inches (3), 1 body (6 faces), 0 sketch lines"
std::string DescribeDocument(const Document& doc);
// Writes the document's bodies and sketch lines; false when the file cannot be written.
bool WriteDocumentObj(const Document& doc, const std::filesystem::path& path);
void WriteDocumentObj(const Document& doc, std::ostream& out);

}  // namespace standin
