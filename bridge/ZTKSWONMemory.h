// Memory running out inside the module. Each text for it is made when the module
// loads, and storing one only points at it: with memory gone, copying a text
// could fail again and throw out of the handler, across the host's call.
#pragma once

#include "CString.h"

namespace ZTKSWON {

// Makes `text`, which must live as long as the module, the module's last-error
// text until the next SetLastErrorText.
void SetNoMemoryText(const CString& text) noexcept;

}  // namespace ZTKSWON
