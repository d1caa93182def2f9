// Switches the exact carving lengths on (or off) for the scope of a test.
#pragma once

#include "settings/Settings.h"

namespace tarvosk::test {

class ScopedExactLengths {
 public:
  explicit ScopedExactLengths(bool on = true) : saved_(settings().ExactLengths) { settings().ExactLengths = on; }
  ~ScopedExactLengths() { settings().ExactLengths = saved_; }
  ScopedExactLengths(const ScopedExactLengths&) = delete;
  ScopedExactLengths& operator=(const ScopedExactLengths&) = delete;

 private:
  bool saved_;
};

}  // namespace tarvosk::test
