// StartDesktop for the program: loads the desktop module beside the
// executable. The module takes the ui layer's functions from the program
// (which exports its symbols), so there is one copy of each.
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "ui/wx/desktop.h"
#include "ui/wx/start.h"

namespace ardentix::ui::desktop {

std::unique_ptr<Ui> StartDesktop(int argc, char** argv, std::string* error) {
  if (!DisplayNamed()) return nullptr;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  const fs::path module = (ec ? fs::path(".") : program.parent_path()) / kModuleName;
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = ::dlerror();
      *error = "the desktop module could not be loaded: " +
               std::string(reason != nullptr ? reason : module.string());
    }
    return nullptr;
  }
  using Entry = Ui* (*)(int, char**);
  auto entry = reinterpret_cast<Entry>(::dlsym(handle, kModuleEntry));
  if (entry == nullptr) {
    if (error != nullptr) *error = module.string() + " has no " + kModuleEntry;
    return nullptr;
  }
  // The module stays loaded for the life of the process.
  return std::unique_ptr<Ui>(entry(argc, argv));
}

}  // namespace ardentix::ui::desktop
