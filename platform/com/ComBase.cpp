#include "ComBase.h"

#ifndef _WIN32
#include <cstdlib>
#include <new>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  const size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
  if (bytes > 0xFFFFFFF0u) return nullptr;  // the prefix is 32 bits
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  const uint32_t prefix = static_cast<uint32_t>(bytes);
  std::memcpy(block, &prefix, sizeof prefix);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
  if (text) std::memcpy(chars, text, bytes);
  else std::memset(chars, 0, bytes);
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t));
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t), sizeof prefix);
  return prefix;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }
#endif
