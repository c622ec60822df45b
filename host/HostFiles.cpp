#include "HostFiles.h"

#include <cstdio>

#include "CString.h"
#include "StandInHost.h"

namespace standin {
namespace {

std::wstring TextOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

// The whole file, or false when it cannot be opened or read to its end (a folder
// opens on Linux but does not read).
bool ReadWholeFile(const std::wstring& path, std::string& content) {
  if (path.empty()) return false;
#ifdef _WIN32
  FILE* file = _wfopen(path.c_str(), L"rb");
#else
  FILE* file = std::fopen(CString(path).ToUtf8().c_str(), "rb");  // the file system takes UTF-8
#endif
  if (!file) return false;
  char chunk[4096];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

HostFiles& HostFiles::Of(Face* face) { return static_cast<StandInHost&>(face->owner->Core()).Files(); }

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostFiles::AppLoadFile(Face* self, BSTR path, BSTR argument, LONG* loaded) {
  CallScope call(self, 58);
  call.Args(static_cast<const OLECHAR*>(path), static_cast<const OLECHAR*>(argument), OutArg{loaded});
  if (call.Faulted(loaded)) return call.Result();
  HostFiles& files = Of(self);
  FileLoad load;
  load.path = TextOf(path);
  load.argument = TextOf(argument);
  load.argumentNull = argument == nullptr;
  load.readable = ReadWholeFile(load.path, load.content);
  load.result = load.readable && !files.m_refused.count(load.path) ? S_OK : E_FAIL;
  files.m_loads.push_back(load);
  if (loaded) *loaded = load.result == S_OK ? 1 : 0;
  return call.Return(load.result);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostFiles::DocExtractSolidData(Face* self, BSTR path, LONG option, SHORT first,
                                                                      SHORT second, LONG* error) {
  CallScope call(self, 509);
  call.Args(static_cast<const OLECHAR*>(path), option, first, second, OutArg{error});
  if (call.Faulted(error)) return call.Result();
  HostFiles& files = Of(self);
  files.m_extractions.push_back({self->ObjectId(), TextOf(path), option, first, second, error != nullptr});
  if (error) *error = files.m_extractionError;
  return call.Return(files.m_extractionResult);
}

}  // namespace standin
