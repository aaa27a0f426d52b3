#include "host/ExternModule.hpp"

#include <dlfcn.h>

namespace {
using Factory = BaseExternHdl* (*)(BaseExternHdl*);
using VersionFunction = const char* (*)();

std::string loaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown dynamic loader error";
}
}  // namespace

std::unique_ptr<ExternModule> ExternModule::load(const std::string& path, std::string& error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    error = "cannot load module " + path + ": " + loaderError();
    return nullptr;
  }
  auto factory = reinterpret_cast<Factory>(dlsym(library, "newExternHdl"));
  auto version = reinterpret_cast<VersionFunction>(dlsym(library, "getVersionString"));
  if (factory == nullptr || version == nullptr) {
    error = "module " + path + " does not export " +
            (factory == nullptr ? "newExternHdl" : "getVersionString");
    dlclose(library);
    return nullptr;
  }
  BaseExternHdl* handler = factory(nullptr);
  if (handler == nullptr) {
    error = "module " + path + ": newExternHdl returned no handler";
    dlclose(library);
    return nullptr;
  }
  return std::unique_ptr<ExternModule>(new ExternModule(library, handler, version));
}

ExternModule::ExternModule(void* library, BaseExternHdl* handler, const char* (*version)())
    : library_(library), handler_(handler), version_(version) {}

ExternModule::~ExternModule() {
  delete handler_;
  dlclose(library_);
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
