#include "util/loaded_library.hpp"

#include <dlfcn.h>

namespace calvane {

LoadedLibrary::LoadedLibrary(const char* soname) : soname_(soname) {
  handle_ = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) reason_ = soname_ + " cannot be loaded: " + ::dlerror();
}

void* LoadedLibrary::symbol(const char* name) {
  if (handle_ == nullptr) return nullptr;
  void* found = ::dlsym(handle_, name);
  if (found == nullptr && reason_.empty()) reason_ = soname_ + " lacks the function " + name;
  return found;
}

}  // namespace calvane
