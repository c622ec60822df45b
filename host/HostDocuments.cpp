#include "HostDocuments.h"

#include "StandInHost.h"

namespace standin {

// Both make the document and make it active, as method 19 does for a part. The
// application belongs to the stand-in host, whose core every call reaches.

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE DocumentEntries::AppNewAssembly(Face* self, HostAssemblyDocument** assembly) {
  CallScope call(self, 21);
  call.Args(OutArg{assembly});
  if (call.Faulted(assembly)) return call.Result();
  if (!assembly) return call.Return(E_POINTER);
  Document& made = static_cast<StandInHost&>(call.Core()).AddDocument(DocumentKind::Assembly);
  *assembly = made.m_assemblyFace->Give<HostAssemblyDocument>();
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE DocumentEntries::AppNewDrawing(Face* self, LONG first, int64_t second,
                                                                       LONG third, double fourth, double fifth,
                                                                       HostDrawingDocument** drawing) {
  CallScope call(self, 47);
  call.Args(first, second, third, fourth, fifth, OutArg{drawing});
  if (call.Faulted(drawing)) return call.Result();
  if (!drawing) return call.Return(E_POINTER);
  Document& made = static_cast<StandInHost&>(call.Core()).AddDocument(DocumentKind::Drawing);
  made.m_drawingValues = NewDrawingValues{first, second, third, fourth, fifth};
  *drawing = made.m_drawingFace->Give<HostDrawingDocument>();
  return call.Return(S_OK);
}

}  // namespace standin
