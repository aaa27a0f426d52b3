// The host's base class of a script extension's handler, its function table and call record.
#pragma once

#include "host/CharString.hpp"
#include "host/CtrlExpr.hpp"
#include "host/CtrlThread.hpp"
#include "host/HostApi.hpp"
#include "host/Variable.hpp"

class ExternData;  // client data of a call; opaque to extensions

// One script function that a handler offers: return type, name, parameter text, flags.
struct FunctionListRec {
  VariableType returnType;
  const char* name;
  const char* paramText;
  unsigned flags;  // the platform's matter; zero in every record of this host
};

// Everything the host knows about one call of a script function.
struct ExecuteCallRec {
  CharString funcName;
  unsigned funcNum = 0;
  ExprList* args = nullptr;
  ExternData* clientData = nullptr;
  CtrlThread* thread = nullptr;
};

class HOST_API BaseExternHdl {
 public:
  // A function number that `getFuncNum` gives for an unknown name.
  static constexpr unsigned kNoFunction = ~0u;

  BaseExternHdl(BaseExternHdl* nextHdl, unsigned funcCount, const FunctionListRec fnList[]);
  BaseExternHdl(const BaseExternHdl&) = delete;
  BaseExternHdl& operator=(const BaseExternHdl&) = delete;

  // The virtual operations, in the platform's slot order.
  virtual const Variable* execute(SelExpr* expr, CtrlThread* thread);
  // Packs the call into an ExecuteCallRec and calls the next overload.
  virtual const Variable* execute(const CharString& funcName, unsigned funcNum, ExprList* args,
                                  ExternData* clientData, CtrlThread* thread);
  // The dispatch of a call; the base knows no functions and returns null.
  virtual const Variable* execute(ExecuteCallRec& call);
  virtual ~BaseExternHdl();
  // The number of the function called `name` in the table, or kNoFunction.
  virtual unsigned getFuncNum(const CharString& name) const;
  virtual unsigned getFunctionCount();
  virtual const Variable* evaluate(SelExpr* expr, CtrlThread* thread);
  virtual const Variable* assign(SelExpr* expr, CtrlThread* thread, const Variable* value);
  virtual unsigned checkIntegrity(const SelExpr* expr, const CharString& name,
                                  CtrlThread* thread) const;
  virtual void clearResources();

  const FunctionListRec* getFunctionList() const { return fnList_; }
  BaseExternHdl* getNextHdl() const { return nextHdl_; }

 private:
  BaseExternHdl* nextHdl_;
  unsigned funcCount_;
  const FunctionListRec* fnList_;
};
