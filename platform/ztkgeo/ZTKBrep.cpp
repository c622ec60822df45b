#include "ZTKBrep.h"

int ZTKBrep::GetEdgeCurves(const ON_Brep& brep, ON_ClassArray<ON_NurbsCurve>& curves) {
  int appended = 0;
  ON_NurbsCurve nurbs;
  for (int i = 0; i < brep.m_E.Count(); ++i) {
    // The edge is a proxy of its curve: its NURBS form is already the part it
    // uses, in its direction and with its parameterisation.
    if (!brep.m_E[i].GetNurbForm(nurbs, 0.0, nullptr)) continue;
    curves.Append(nurbs);
    ++appended;
  }
  return appended;
}
