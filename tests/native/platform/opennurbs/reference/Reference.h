// Runs openNURBS itself (the npm package rhino3dm under Node.js) on a table of
// cases, so that tests can compare the subset's figures with the library's.
//
// A case names a kind and gives its arguments as numbers. The reference side of a
// kind is a function in kinds/*.js that turns (rhino3dm, arguments) into a list of
// numbers; the test computes the same list with the subset and compares:
//
//   const std::vector<reference::Case> cases = {{"quarter", "arc_nurbs", {1, 0.5 * ON_PI}}, ...};
//   reference::Compare(cases, [](const reference::Case& c) { return SubsetFigures(c); });
//
// Booleans travel as 1 and 0, and NaN and the infinities as themselves.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace reference {

using Figures = std::vector<double>;

struct Case {
  std::string name;  // unique in its table, no white space
  std::string kind;  // a function of kinds/*.js
  std::vector<double> args;
  // Two figures a and b match when |a - b| <= tolerance * max(1, |a|, |b|); NaN
  // matches NaN only.
  double tolerance = 1e-12;
};

// The reference's figures for every case, in order. When the reference cannot run
// (Node.js or rhino3dm missing, a kind unknown or failing), the failure is added to
// the running test and the case's figures are empty.
std::vector<Figures> Evaluate(const std::vector<Case>& cases);

// Evaluates the cases with the reference and with `subset`, and adds one failure per
// case that differs, naming the case and printing both lists of figures.
void Compare(const std::vector<Case>& cases, const std::function<Figures(const Case&)>& subset);

}  // namespace reference
