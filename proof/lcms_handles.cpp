#include "proof/lcms_handles.h"

namespace vomar::proof {

LcmsSession::LcmsSession() : context_(cmsCreateContext(nullptr, this)) {
  if (context_ != nullptr) cmsSetLogErrorHandlerTHR(context_, Log);
}

LcmsSession::~LcmsSession() {
  if (context_ != nullptr) cmsDeleteContext(context_);
}

void LcmsSession::Log(cmsContext context, cmsUInt32Number, const char* text) {
  auto* session = static_cast<LcmsSession*>(cmsGetContextUserData(context));
  if (session != nullptr && session->error_.empty() && text != nullptr) session->error_ = text;
}

}  // namespace vomar::proof
