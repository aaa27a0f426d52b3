#include "host/BaseExternHdl.hpp"

#include <cstring>

BaseExternHdl::BaseExternHdl(BaseExternHdl* nextHdl, unsigned funcCount,
                             const FunctionListRec fnList[])
    : nextHdl_(nextHdl), funcCount_(funcCount), fnList_(fnList) {}

BaseExternHdl::~BaseExternHdl() = default;

const Variable* BaseExternHdl::execute(SelExpr*, CtrlThread*) {
  return nullptr;
}

const Variable* BaseExternHdl::execute(const CharString& funcName, unsigned funcNum, ExprList* args,
                                       ExternData* clientData, CtrlThread* thread) {
  ExecuteCallRec call{funcName, funcNum, args, clientData, thread};
  return execute(call);
}

const Variable* BaseExternHdl::execute(ExecuteCallRec&) {
  return nullptr;
}

unsigned BaseExternHdl::getFuncNum(const CharString& name) const {
  for (unsigned i = 0; fnList_ != nullptr && i < funcCount_; ++i) {
    if (fnList_[i].name != nullptr && std::strcmp(fnList_[i].name, name.c_str()) == 0)
      return i;
  }
  return kNoFunction;
}

unsigned BaseExternHdl::getFunctionCount() {
  return funcCount_;
}
const Variable* BaseExternHdl::evaluate(SelExpr*, CtrlThread*) {
  return nullptr;
}
const Variable* BaseExternHdl::assign(SelExpr*, CtrlThread*, const Variable*) {
  return nullptr;
}
unsigned BaseExternHdl::checkIntegrity(const SelExpr*, const CharString&, CtrlThread*) const {
  return 0;
}
void BaseExternHdl::clearResources() {}
