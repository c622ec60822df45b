// The document that the bridge's imports draw into, inside the module.
#pragma once

#include "ComHolders.h"
#include "HostContract.h"
#include "ZTKSWON.h"

// The host's active document, set to add what is drawn straight to its database.
// False, with the module's last-error text set, when the host gives none.
inline bool OpenActiveDocument(HostApplication* app, CountedPtr<HostDocument>& doc) {
  if (app) HostOp::ActiveDocument(app, doc.Out());
  if (!doc) {
    ZTKSWON::SetLastErrorText(L"Unable to retrieve active model");
    return false;
  }
  HostOp::SetAddToDatabase(doc.Get(), 1);
  return true;
}
