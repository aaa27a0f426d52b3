// Loading of a script extension module the way the host does it: the dynamic loader, the
// exported factory `newExternHdl` and version function `getVersionString`, calls by number.
#pragma once

#include <memory>
#include <string>

#include "host/BaseExternHdl.hpp"
#include "host/HostApi.hpp"

class HOST_API ExternModule {
 public:
  // Loads the shared library at `path` and asks its factory for a handler. Null, with `error`
  // set, when the library cannot be loaded, lacks an export, or its factory returns null.
  static std::unique_ptr<ExternModule> load(const std::string& path, std::string& error);

  ExternModule(const ExternModule&) = delete;
  ExternModule& operator=(const ExternModule&) = delete;
  // Deletes the handler, then unloads the library.
  ~ExternModule();

  // The module's version text.
  const char* getVersionString() const;
  BaseExternHdl& handler() const { return *handler_; }

  // Calls function `funcNum` with `args` on `thread`, as a script call would, through the
  // handler's execute overload that takes name, number, arguments, client data and thread.
  const Variable* call(unsigned funcNum, ExprList& args, CtrlThread& thread) const;

 private:
  ExternModule(void* library, BaseExternHdl* handler, const char* (*version)());
  void* library_;
  BaseExternHdl* handler_;
  const char* (*version_)();
};
