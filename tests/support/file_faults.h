#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "safety/file_calls.h"

// Makes the core's file calls fail as a failing disk would, through the
// seam of safety/file_calls.h.

// What every attempt of a file call asks: the error number to fail it with,
// or 0 to make it.
using FaultPlan = std::function<int(FileCall)>;

// For its life, every file call of the core asks `plan`.
class FaultsInjected {
 public:
  explicit FaultsInjected(FaultPlan plan) {
    current() = std::move(plan);
    fileFault = [](FileCall call) { return current()(call); };
  }
  ~FaultsInjected() {
    fileFault = nullptr;
    current() = nullptr;
  }
  FaultsInjected(const FaultsInjected&) = delete;
  FaultsInjected& operator=(const FaultsInjected&) = delete;

 private:
  static FaultPlan& current() {
    static FaultPlan plan;
    return plan;
  }
};

// The `nth` attempt (from 1) of a call fails with `error`; with `lasting`,
// every later attempt of it too.
struct Fault {
  FileCall call;
  int nth;
  int error;
  bool lasting = false;
};

inline FaultPlan failing(std::initializer_list<Fault> list) {
  auto counts = std::make_shared<std::vector<int>>(static_cast<std::size_t>(FileCall::other) + 1);
  return [faults = std::vector<Fault>(list), counts](FileCall call) {
    const int seen = ++(*counts)[static_cast<std::size_t>(call)];
    for (const Fault& f : faults)
      if (f.call == call && (seen == f.nth || (f.lasting && seen > f.nth))) return f.error;
    return 0;
  };
}
