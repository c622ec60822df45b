// Small services around the running host: the release name from its revision text,
// its main window, the length unit of a document, files handed to the host or taken
// out of it, and the module's last-error text.
#pragma once

#include "CString.h"
#include "HostContract.h"

// Release names by version index; GetSWVersionIndex gives 9 to 14 for the host major
// revisions 16 to 21 and 0 for every release the table does not know.
inline const CString SWVersionNames[15] = {
    L"SolidWorks ????", L"SolidWorks 2000", L"SolidWorks 2001", L"SolidWorks 2001 Plus", L"SolidWorks 2003",
    L"SolidWorks 2004", L"SolidWorks 2005", L"SolidWorks 2006", L"SolidWorks 2007", L"SolidWorks 2008",
    L"SolidWorks 2009", L"SolidWorks 2010", L"SolidWorks 2011", L"SolidWorks 2012", L"SolidWorks 2013",
};

// The version index of the running host (a valid row of SWVersionNames): its major
// revision, the number before the first "." of its revision text, minus 7 for 16
// to 21, else 0. A missing text, or a null application, gives 0.
int GetSWVersionIndex(HostApplication* app);

// The host's main window, the frame's 32-bit handle widened by sign extension, or
// 0 when the host gives no frame or no handle.
HWND GetSWMainWindow(HostApplication* app);

// Sets the document's length unit for units index 0 to 4 (millimetres, centimetres,
// metres, inches, feet; the unit code is the index) and writes the scale into metres:
// 0.001, 0.01, 1.0, 0.0254 or 12 * 0.0254 (0.30479999999999996). Any other index
// makes no host call and gives 1.0. The scale is written whatever the host answers.
// Always TRUE.
BOOL SetDocumentUnits(HostDocument* doc, int unitsIndex, double* scale);

#ifdef _WIN32
#include "CWnd.h"

// The framework's window object for the host's main window (the same two host
// calls as GetSWMainWindow), or NULL when the handle cannot be had or is 0. The
// object belongs to the framework; the caller does not delete it.
CWnd* GetSWMainCWnd(HostApplication* app);

// TRUE when the running host's version index is the expected one; otherwise a
// warning box without owner names the expected release and the result is FALSE.
// An index outside the table names the unknown release "SolidWorks ????".
BOOL CheckSWVersion(HostApplication* app, int expectedIndex);

// The last active pop-up window owned by the calling thread's active window (the
// active window itself when it owns none), or 0 when the thread has no active window.
HWND GetActivePopupWindow();

// Has the active document write its solid data to the file at path. FALSE, with the
// module's last-error text set, when there is no active document or the host
// reports a failure or a non-zero error value.
BOOL ExtractSolidData(HostApplication* app, const CString& path);

// Has the host load the DXF file at path; FALSE, with the last-error text set, when
// it does not.
BOOL LoadDXFFile(HostApplication* app, const CString& path);

// Loads every DXF file that belongs to path, the files of its folder whose names
// begin with its file name (its extension plays no part; a path ending in the
// separator takes every DXF file of the folder), and deletes each one afterwards,
// loaded or not. count receives the number the host loaded. TRUE when at least one
// file matched and every one loaded. A path whose drive is longer than 2 characters,
// or whose folder, file name or extension is longer than 255, fails at once and
// touches nothing; so does a null application.
BOOL LoadDXFFiles(HostApplication* app, const CString& path, int& count);
#endif

namespace ZTKSWUtils {

// A copy of the module's last-error text; empty until one of its functions fails.
CString GetLastErrorText();
void SetLastErrorText(const CString& text);

// The decimal reading of a wide text the way the C runtime's _wtoi does it: leading
// white space, an optional sign, then digits up to the first other character; no
// digits give 0, and a value beyond int is clamped to INT_MAX or INT_MIN.
int DecimalToInt(const wchar_t* text);

}  // namespace ZTKSWUtils
