// The file side of the stand-in host: application method 58 loads a file by path,
// document method 509 writes a document's solid data to a file.
//
//   standin::StandInHost host;
//   host.Files().RefuseFile(L"C:\\work\\part1.dxf");  // 58 fails for that path
//   ... the code under test loads files ...
//   EXPECT_TRUE(host.Files().Loads()[0].readable);     // it was there when asked
//
// Method 58 reads the whole file at the moment of the call, the way a host that
// loads it would, and records what it found; it does not parse it. It returns S_OK
// for a file that could be read and was not refused, E_FAIL otherwise, and writes
// 1 or 0 through its out-pointer (when given one). Method 509 records its arguments,
// writes the error value it was told to through its out-pointer and returns the
// result it was told to (S_OK and 0 unless set); it writes no file.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "HostContract.h"
#include "HostCore.h"

namespace standin {

// One call of application method 58.
struct FileLoad {
  std::wstring path;  // as given; a null text reads as empty
  std::wstring argument;
  bool argumentNull = false;
  bool readable = false;  // the file existed and could be read at the moment of the call
  std::string content;    // what was read
  HRESULT result = E_FAIL;
};

// One call of document method 509.
struct SolidDataExtraction {
  int document = 0;  // the object id of the document asked
  std::wstring path;
  LONG option = 0;
  SHORT first = 0;
  SHORT second = 0;
  bool errorOut = false;  // whether an out-pointer for the error value was given
};

class HostFiles {
 public:
  const std::vector<FileLoad>& Loads() const { return m_loads; }
  // Method 58 fails for this path (compared exactly), readable or not.
  void RefuseFile(const std::wstring& path) { m_refused.insert(path); }

  const std::vector<SolidDataExtraction>& Extractions() const { return m_extractions; }
  // What method 509 returns and writes as its error value from now on.
  void SetExtractionOutcome(HRESULT result, LONG error) {
    m_extractionResult = result;
    m_extractionError = error;
  }

  // The entries; the application's and the document's tables point at these.
  static HRESULT STDMETHODCALLTYPE AppLoadFile(Face* self, BSTR path, BSTR argument, LONG* loaded);
  static HRESULT STDMETHODCALLTYPE DocExtractSolidData(Face* self, BSTR path, LONG option, SHORT first, SHORT second,
                                                       LONG* error);

 private:
  static HostFiles& Of(Face* face);

  std::vector<FileLoad> m_loads;
  std::set<std::wstring> m_refused;
  std::vector<SolidDataExtraction> m_extractions;
  HRESULT m_extractionResult = S_OK;
  LONG m_extractionError = 0;
};

}  // namespace standin
