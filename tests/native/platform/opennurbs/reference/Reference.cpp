#include "Reference.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace reference {
namespace {

std::string Number(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string Text(const Figures& figures) {
  std::string out = "[";
  for (size_t i = 0; i < figures.size(); ++i) out += (i ? ", " : "") + Number(figures[i]);
  return out + "]";
}

bool Near(double a, double b, double tolerance) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;  // the infinities
  const double scale = std::max({1.0, std::fabs(a), std::fabs(b)});
  return std::fabs(a - b) <= tolerance * scale;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder of its own for one run, removed with its files afterwards.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/plymora-reference-XXXXXX";
    if (mkdtemp(pattern)) m_path = pattern;
  }
  ~TempDir() {
    if (m_path.empty()) return;
    for (const char* name : {"/cases", "/figures", "/errors"}) std::remove((m_path + name).c_str());
    rmdir(m_path.c_str());
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace

std::vector<Figures> Evaluate(const std::vector<Case>& cases) {
  std::vector<Figures> figures(cases.size());
  TempDir dir;
  if (dir.Path().empty()) {
    ADD_FAILURE() << "reference: no temporary folder";
    return figures;
  }
  const std::string casesPath = dir.Path() + "/cases", figuresPath = dir.Path() + "/figures",
                    errorsPath = dir.Path() + "/errors";
  {
    std::ofstream out(casesPath);
    for (const Case& c : cases) {
      out << c.name << ' ' << c.kind;
      for (double a : c.args) out << ' ' << Number(a);
      out << '\n';
    }
  }
  const std::string command = std::string("PLYMORA_RHINO3DM='") + PLYMORA_RHINO3DM + "' '" + PLYMORA_NODE + "' '" +
                              PLYMORA_REFERENCE_SCRIPT + "' '" + casesPath + "' '" + figuresPath + "' 2>'" +
                              errorsPath + "'";
  const int status = std::system(command.c_str());
  if (status != 0) {
    ADD_FAILURE() << "reference: Node.js with rhino3dm failed (scripts/setup installs both): " << command << "\n"
                  << ReadFile(errorsPath);
    return figures;
  }
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < cases.size(); ++i) index[cases[i].name] = i;
  std::istringstream lines(ReadFile(figuresPath));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string name, word;
    words >> name;
    const auto found = index.find(name);
    if (found == index.end()) {
      ADD_FAILURE() << "reference: figures for an unknown case: " << line;
      continue;
    }
    Figures& f = figures[found->second];
    while (words >> word) {
      if (word == "!error") {
        std::string why;
        std::getline(words, why);
        ADD_FAILURE() << "reference: case " << name << " (" << cases[found->second].kind << ") failed:" << why;
        f.clear();
        break;
      }
      f.push_back(std::strtod(word.c_str(), nullptr));
    }
  }
  return figures;
}

void Compare(const std::vector<Case>& cases, const std::function<Figures(const Case&)>& subset) {
  const std::vector<Figures> expected = Evaluate(cases);
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const Figures got = subset(c);
    bool same = got.size() == expected[i].size();
    for (size_t k = 0; same && k < got.size(); ++k) same = Near(got[k], expected[i][k], c.tolerance);
    if (!same)
      ADD_FAILURE() << "case " << c.name << " (" << c.kind << " " << Text(c.args) << ")\n  subset:    " << Text(got)
                    << "\n  reference: " << Text(expected[i]) << "\n  tolerance: " << Number(c.tolerance);
  }
}

}  // namespace reference
