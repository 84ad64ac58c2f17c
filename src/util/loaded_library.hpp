// Shared libraries loaded at their first use instead of at every start of the
// program: each library loaded at start costs calvane-sim a millisecond or
// more (mapping, relocation, symbol lookup), more than the computation of a
// small phase. A library stays loaded until the process ends.
#pragma once

#include <string>

namespace calvane {

class LoadedLibrary {
public:
  /// Opens `soname` (e.g. "libzip.so.4") with its symbols kept to itself.
  explicit LoadedLibrary(const char* soname);
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  /// Why the library or a function of it could not be found.
  const std::string& reason() const { return reason_; }

  /// Points `function` at the library's function `name`; false, with a
  /// reason, when the library lacks it.
  template <typename Function>
  bool find(const char* name, Function& function) {
    function = reinterpret_cast<Function>(symbol(name));
    return function != nullptr;
  }

private:
  void* symbol(const char* name);
  void* handle_ = nullptr;
  std::string soname_, reason_;
};

}  // namespace calvane
