// The progress habit of the bridge's builders, inside the module: the window
// object is always made with the builder's title; only with the flag set does it
// get the item count and start, one step of 1 before each item, and its end. A
// builder that stops early lets the object go without the end, and its destructor
// closes the window.
#pragma once

#include "ZTKProgress.h"

class BuilderProgress {
 public:
  BuilderProgress(const wchar_t* title, int shown, int count) : m_bar(title, L"", 0.0, 100.0, nullptr), m_shown(shown) {
    if (m_shown) {
      m_bar.SetMax(static_cast<double>(count));
      m_bar.StartProgress();
    }
  }
  void Step() {
    if (m_shown) m_bar.StepIt(1.0);
  }
  void End() {
    if (m_shown) m_bar.EndProgress();
  }

 private:
  ZTKProgress m_bar;
  int m_shown;
};
