// The options dialog of the Import command: the five import settings, loaded from
// the registry when it opens and saved there when OK is pressed.
#pragma once

#include "Dialog.h"
#include "OptionsDialogIds.h"

// The settings' registry key and value names.
inline constexpr const wchar_t* kSettingsKey = L"Software\\ZENTIK\\Plymora for SolidWorks";
inline constexpr const wchar_t* kValueImportAs = L"Import As";
inline constexpr const wchar_t* kValueUnits = L"Units";
inline constexpr const wchar_t* kValueMultiBody = L"MultiBody";
inline constexpr const wchar_t* kValueYUp = L"Y Up";
inline constexpr const wchar_t* kValueProgress = L"Progress";

class CPlymoraOptionsDlg : public CDialog {
 public:
  enum { IDD = IDD_PLYMORA_OPTIONS };
  explicit CPlymoraOptionsDlg(CWnd* parent = nullptr);
  ~CPlymoraOptionsDlg() override = default;

  int m_nImportAs;   // 0 solid, 1 3D sketch, -1 neither button marked
  int m_bProgress;
  int m_nUnits;      // index in the units list, -1 for no selection
  int m_bMultiBody;
  int m_bYUp;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
};
