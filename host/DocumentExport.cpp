#include "DocumentExport.h"

#include <fstream>
#include <map>
#include <sstream>

namespace standin {

namespace {

std::string UnitName(LONG unit) {
  switch (unit) {
    case 0: return "millimeters (0)";
    case 1: return "centimeters (1)";
    case 2: return "meters (2)";
    case 3: return "inches (3)";
    case 4: return "feet (4)";
    case kUnitAsCreated: return "as created";
    default: return "code " + std::to_string(unit);
  }
}

std::string KindName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::Part: return "part";
    case DocumentKind::Assembly: return "assembly";
    case DocumentKind::Drawing: return "drawing";
  }
  return "document";
}

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Vertices written once each, numbered from 1 in order of first use.
class VertexTable {
 public:
  explicit VertexTable(std::ostream& out) : m_out(out) {}
  size_t Index(double x, double y, double z) {
    auto [it, added] = m_index.try_emplace({x, y, z}, m_index.size() + 1);
    if (added) m_out << "v " << x << ' ' << y << ' ' << z << '\n';
    return it->second;
  }

 private:
  std::ostream& m_out;
  std::map<std::array<double, 3>, size_t> m_index;
};

}  // namespace

std::string DescribeDocument(const Document& doc) {
  std::ostringstream text;
  text << KindName(doc.Kind()) << ", length unit " << UnitName(doc.LengthUnit()) << ", "
       << Plural(doc.Bodies().size(), "body", "bodies");
  if (!doc.Bodies().empty()) {
    text << " (";
    for (size_t i = 0; i < doc.Bodies().size(); ++i)
      text << (i ? ", " : "") << Plural(doc.Bodies()[i]->Faces().size(), "face", "faces");
    text << ")";
  }
  size_t lines = 0;
  for (const auto& sketch : doc.Sketches()) lines += sketch.lines.size();
  text << ", " << Plural(doc.Sketches().size(), "3D sketch", "3D sketches") << " with "
       << Plural(lines, "line", "lines");
  return text.str();
}

void WriteDocumentObj(const Document& doc, std::ostream& out) {
  out.precision(17);
  out << "# " << DescribeDocument(doc) << "\n# coordinates in metres\n";
  VertexTable vertices(out);
  int bodyNumber = 0;
  for (const auto& body : doc.Bodies()) {
    out << "o body" << ++bodyNumber << '\n';
    for (const PlanarFace& face : body->Faces()) {
      size_t index[4];
      for (int k = 0; k < face.count; ++k)
        index[k] = vertices.Index(face.corners[3 * k], face.corners[3 * k + 1], face.corners[3 * k + 2]);
      out << 'f';
      for (int k = 0; k < face.count; ++k) out << ' ' << index[k];
      out << '\n';
    }
  }
  int sketchNumber = 0;
  for (const auto& sketch : doc.Sketches()) {
    out << "o sketch" << ++sketchNumber << '\n';
    for (const SketchLine& line : sketch.lines) {
      const size_t a = vertices.Index(line.start[0], line.start[1], line.start[2]);
      const size_t b = vertices.Index(line.end[0], line.end[1], line.end[2]);
      out << "l " << a << ' ' << b << '\n';
    }
  }
}

bool WriteDocumentObj(const Document& doc, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  WriteDocumentObj(doc, out);
  return static_cast<bool>(out.flush());
}

}  // namespace standin
