// Progress windows for long operations.
//
// A ZTKProgress shows nothing until StartProgress and closes its window at
// EndProgress or, at the latest, in its destructor. What is drawn comes from a
// backend (ZTKProgressBackend, made by ZTKCreateProgressBackend, which each build
// provides in a file of its own); every call is also reported to the observer set
// with ZTKProgress::SetObserver, which is how tests watch the calls.
#pragma once

#include <memory>

#include "CString.h"

class CWnd;
class ZTKProgress;

// Sees every call of every progress object, with the object's identity.
class ZTKProgressObserver {
 public:
  virtual ~ZTKProgressObserver() = default;
  virtual void OnConstruct(const ZTKProgress* p, const CString& title, const CString& status, double low,
                           double high, CWnd* parent) = 0;
  virtual void OnSetMax(const ZTKProgress* p, double max) = 0;
  virtual void OnStartProgress(const ZTKProgress* p) = 0;
  virtual void OnStepIt(const ZTKProgress* p, double step) = 0;
  virtual void OnSetStatus(const ZTKProgress* p, const CString& status) = 0;
  virtual void OnEndProgress(const ZTKProgress* p) = 0;
  virtual void OnDestroy(const ZTKProgress* p) = 0;
};

// What draws one progress object. It must show nothing before Start and nothing
// after End or its own destruction.
class ZTKProgressBackend {
 public:
  virtual ~ZTKProgressBackend() = default;
  virtual void SetMax(double max) = 0;
  virtual void Start() = 0;
  virtual void Step(double step) = 0;
  virtual void SetStatus(const CString& status) = 0;
  virtual void End() = 0;
};

// Provided once per build: the portable build's backend shows nothing. Returns
// null when no window can be made; the progress object then only reports calls.
std::unique_ptr<ZTKProgressBackend> ZTKCreateProgressBackend(const CString& title, const CString& status,
                                                             double low, double high, CWnd* parent);

class ZTKProgress {
 public:
  // `low` and `high` are the initial range of the bar (the builders pass 0 and 100).
  ZTKProgress(CString title, CString status, double low, double high, CWnd* parent);
  ~ZTKProgress();
  ZTKProgress(const ZTKProgress&) = delete;
  ZTKProgress& operator=(const ZTKProgress&) = delete;

  void SetMax(double max);
  void StartProgress();
  void StepIt(double step);
  void SetStatus(CString status);
  void EndProgress();

  // Sets the observer of all progress objects (null for none); returns the previous one.
  static ZTKProgressObserver* SetObserver(ZTKProgressObserver* observer);

 private:
  std::unique_ptr<ZTKProgressBackend> m_backend;
  bool m_bStarted = false;
};
