#include "proof/lcms_handles.h"

#include "icc/lcms_memory.h"

namespace vomar::proof {

LcmsSession::LcmsSession(std::size_t budget) : context_(CreateBudgetedContext(budget, this)) {
  if (context_ != nullptr) cmsSetLogErrorHandlerTHR(context_, Log);
}

LcmsSession::~LcmsSession() {
  DeleteBudgetedContext(context_);
}

void LcmsSession::Log(cmsContext context, cmsUInt32Number, const char* text) {
  auto* session = static_cast<LcmsSession*>(BudgetedContextUserData(context));
  if (session != nullptr && session->error_.empty() && text != nullptr) session->error_ = text;
}

}  // namespace vomar::proof
