#include "host/ExternModule.hpp"

#ifdef _WIN32
#include <windows.h>

#include <system_error>
#else
#include <dlfcn.h>
#endif

namespace {
using Factory = BaseExternHdl* (*)(BaseExternHdl*);
using VersionFunction = const char* (*)();

// The system's dynamic loader, the one part of the host that differs between the systems.
#ifdef _WIN32
void* openLibrary(const std::string& path) {
  // The module's own folder is searched for the DLLs it needs.
  return LoadLibraryExA(path.c_str(), nullptr,
                        LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}
void* symbolOf(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}
std::string loaderError() {
  std::string text = std::system_category().message(static_cast<int>(GetLastError()));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}
#else
void* openLibrary(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* symbolOf(void* library, const char* name) {
  return dlsym(library, name);
}
void closeLibrary(void* library) {
  dlclose(library);
}
std::string loaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown dynamic loader error";
}
#endif
}  // namespace

std::unique_ptr<ExternModule> ExternModule::load(const std::string& path, std::string& error) {
  void* library = openLibrary(path);
  if (library == nullptr) {
    error = "cannot load module " + path + ": " + loaderError();
    return nullptr;
  }
  auto factory = reinterpret_cast<Factory>(symbolOf(library, "newExternHdl"));
  auto version = reinterpret_cast<VersionFunction>(symbolOf(library, "getVersionString"));
  if (factory == nullptr || version == nullptr) {
    error = "module " + path + " does not export " +
            (factory == nullptr ? "newExternHdl" : "getVersionString");
    closeLibrary(library);
    return nullptr;
  }
  BaseExternHdl* handler = factory(nullptr);
  if (handler == nullptr) {
    error = "module " + path + ": newExternHdl returned no handler";
    closeLibrary(library);
    return nullptr;
  }
  return std::unique_ptr<ExternModule>(new ExternModule(library, handler, version));
}

ExternModule::ExternModule(void* library, BaseExternHdl* handler, const char* (*version)())
    : library_(library), handler_(handler), version_(version) {}

ExternModule::~ExternModule() {
  delete handler_;
  closeLibrary(library_);
}

const char* ExternModule::getVersionString() const {
  return version_();
}

const Variable* ExternModule::call(unsigned funcNum, ExprList& args, CtrlThread& thread) const {
  const FunctionListRec* functions = handler_->getFunctionList();
  CharString name;
  if (functions != nullptr && funcNum < handler_->getFunctionCount()) {
    name = CharString(functions[funcNum].name);
  }
  return handler_->execute(name, funcNum, &args, nullptr, &thread);
}
