#include "ImportCommand.h"

#include "Caption.h"
#include "FileDialog.h"
#include "HBXOBJ.h"
#include "AfxWin.h"
#include "OptionsDlg.h"
#include "ZTKSWON.h"
#include "ZTKSWUtils.h"
#include "opennurbs.h"

namespace {

// -pi/2: the file's +Y axis turns to -Z and its +Z axis to +Y.
constexpr double kYUpTurn = -1.5707963267948966;

// The path up to and including ".obj" (any case), looked for in the file name only:
// a folder such as "C:\my.objects\" must not cut the path short, and of several in
// the name the last counts, so "my.objects.obj" stays whole while "part.obj.bak"
// becomes "part.obj". Empty when absent.
CString CutAtObjExtension(const CString& path) {
  const int nameStart = [&] {
    const int slash = path.ReverseFind(L'\\'), forward = path.ReverseFind(L'/');
    return (slash > forward ? slash : forward) + 1;
  }();
  CString lower = path;
  lower.MakeLower();
  int at = -1;
  for (int found = lower.Find(L".obj", nameStart); found >= 0; found = lower.Find(L".obj", found + 1)) at = found;
  return at < 0 ? CString() : path.Left(at + 4);
}

struct ImportSettings {
  int units, importAs, multiBody, yUp, progress;
};

// Runs the options dialog from this DLL's resources. 1 after OK, 0 after Cancel,
// -1 when the dialog could not be shown.
int AskOptions(ImportSettings& settings) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CPlymoraOptionsDlg dialog(nullptr);
  const INT_PTR result = dialog.DoModal();
  if (result == IDCANCEL) return 0;
  if (result == -1) return -1;
  settings = {dialog.m_nUnits, dialog.m_nImportAs, dialog.m_bMultiBody, dialog.m_bYUp, dialog.m_bProgress};
  return 1;
}

}  // namespace

BOOL RunImportCommand(HostApplication* app, CString path) {
  if (!app) return 0;  // not connected to a host: nothing to import into
  BuildCaption(app);
  CWnd* parent = GetSWMainCWnd(app);

  if (path.IsEmpty()) {
    CFileDialog dialog(TRUE, L"obj", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       L"Wavefront OBJ Files (*.obj)|*.obj||", parent);
    if (dialog.DoModal() == IDCANCEL) return 0;
    path = dialog.GetPathName();
  } else {
    path = CutAtObjExtension(path);
    if (path.IsEmpty()) {
      ShowWarning(app, L"Please specify a file name with a .obj extension");
      return 0;
    }
  }

  ImportSettings settings{};
  switch (AskOptions(settings)) {
    case 0:
      return 0;
    case -1:
      ShowWarning(app, L"Unable to display the import options");
      return 0;
    default:
      break;
  }

  ON_ClassArray<ON_Mesh> meshes;
  if (!HBXOBJ::OBJToMesh(path, meshes)) {
    ShowWarning(app, HBXOBJ::GetError());
    return 0;
  }
  if (meshes.Count() == 0) {
    ShowWarning(app, L"OBJ file does not contain meshes");
    return 0;
  }
  if (settings.yUp == 1)
    for (int i = 0; i < meshes.Count(); ++i) meshes[i].Rotate(kYUpTurn, ON_xaxis, ON_origin);

  if (!ImportMeshes(app, meshes, settings.units, settings.importAs, settings.multiBody, settings.progress)) {
    ShowWarning(app, ZTKSWON::GetLastErrorText());
    return 0;
  }
  return 1;
}

BOOL RunOptionsDialog(int* units, int* importAs, int* multiBody, int* yUp, int* progress) {
  ImportSettings settings{};
  if (AskOptions(settings) != 1) return 0;
  *units = settings.units;
  *importAs = settings.importAs;
  *multiBody = settings.multiBody;
  *yUp = settings.yUp;
  *progress = settings.progress;
  return 1;
}
