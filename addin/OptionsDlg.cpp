#include "OptionsDlg.h"

#include "ZTKRegistry.h"

CPlymoraOptionsDlg::CPlymoraOptionsDlg(CWnd* parent)
    : CDialog(IDD, parent), m_nImportAs(-1), m_bProgress(0), m_nUnits(-1), m_bMultiBody(0), m_bYUp(0) {}

void CPlymoraOptionsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Radio(pDX, IDC_IMPORT_AS_SOLID, m_nImportAs);
  DDX_Check(pDX, IDC_PROGRESS, m_bProgress);
  DDX_CBIndex(pDX, IDC_UNITS, m_nUnits);
  DDX_Check(pDX, IDC_MULTIBODY, m_bMultiBody);
  DDX_Check(pDX, IDC_YUP, m_bYUp);
}

BOOL CPlymoraOptionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ZTKRegistry registry;
  registry.SetKey(kSettingsKey, 1);
  m_nImportAs = registry.ReadInt(kValueImportAs, 0);
  m_nUnits = registry.ReadInt(kValueUnits, 3);
  m_bMultiBody = registry.ReadBool(kValueMultiBody, 1);
  m_bYUp = registry.ReadBool(kValueYUp, 1);
  m_bProgress = registry.ReadBool(kValueProgress, 1);
  UpdateData(FALSE);
  return TRUE;
}

void CPlymoraOptionsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  ZTKRegistry registry;
  registry.SetKey(kSettingsKey, 1);
  registry.WriteInt(kValueImportAs, m_nImportAs);
  registry.WriteInt(kValueUnits, m_nUnits);
  registry.WriteBool(kValueMultiBody, m_bMultiBody);
  registry.WriteBool(kValueYUp, m_bYUp);
  registry.WriteBool(kValueProgress, m_bProgress);
  CDialog::OnOK();  // exchanges once more, as the framework's OK does, then ends with IDOK
}
