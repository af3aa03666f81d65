#include "icc/lcms_memory.h"

#include <lcms2_plugin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace vomar {
namespace {

constexpr std::size_t kAllowance = std::size_t{8} << 20;
constexpr std::size_t kTimesTheTag = 8;

struct Budget {
  std::size_t limit = 0;
  std::atomic<std::size_t> used{0};
  void* userData = nullptr;
};

// Each block carries its size in front, so that freeing gives its bytes back.
constexpr std::size_t kHead = alignof(std::max_align_t);

// The budget of a context. LittleCMS allocates and frees the context's own structure
// through a stand-in context it does not know by its user data: that one block is
// neither counted nor given back.
Budget* BudgetOf(cmsContext context) { return static_cast<Budget*>(cmsGetContextUserData(context)); }

void* Allocate(cmsContext context, cmsUInt32Number size) {
  Budget* budget = BudgetOf(context);
  const std::size_t total = std::size_t{size} + kHead;
  const std::size_t before = budget != nullptr ? budget->used.fetch_add(total) : 0;
  if (budget != nullptr && before + total > budget->limit) {
    budget->used.fetch_sub(total);
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(std::malloc(total));
  if (block == nullptr) {
    if (budget != nullptr) budget->used.fetch_sub(total);
    return nullptr;
  }
  std::memcpy(block, &total, sizeof total);
  return block + kHead;
}

void Release(cmsContext context, void* pointer) {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHead;
  std::size_t total = 0;
  std::memcpy(&total, block, sizeof total);
  if (Budget* budget = BudgetOf(context)) budget->used.fetch_sub(total);
  std::free(block);
}

void* Reallocate(cmsContext context, void* pointer, cmsUInt32Number size) {
  void* moved = Allocate(context, size);
  if (moved == nullptr || pointer == nullptr) return moved;
  std::size_t total = 0;
  std::memcpy(&total, static_cast<unsigned char*>(pointer) - kHead, sizeof total);
  std::memcpy(moved, pointer, std::min<std::size_t>(total - kHead, size));
  Release(context, pointer);
  return moved;
}

cmsPluginMemHandler MemoryPlugin() {
  cmsPluginMemHandler plugin{};
  plugin.base.Magic = cmsPluginMagicNumber;
  plugin.base.ExpectedVersion = 2060;
  plugin.base.Type = cmsPluginMemHandlerSig;
  plugin.MallocPtr = Allocate;
  plugin.FreePtr = Release;
  plugin.ReallocPtr = Reallocate;
  return plugin;
}

}  // namespace

std::size_t TableReadingBudget(std::size_t tagBytes) {
  return kAllowance + kTimesTheTag * tagBytes;
}

cmsContext CreateBudgetedContext(std::size_t budget, void* userData) {
  static cmsPluginMemHandler plugin = MemoryPlugin();
  auto* held = new Budget;
  held->limit = budget;
  held->userData = userData;
  cmsContext context = cmsCreateContext(&plugin, held);
  if (context == nullptr) delete held;
  return context;
}

void* BudgetedContextUserData(cmsContext context) {
  const Budget* held = BudgetOf(context);
  return held != nullptr ? held->userData : nullptr;
}

void DeleteBudgetedContext(cmsContext context) {
  if (context == nullptr) return;
  Budget* held = BudgetOf(context);
  cmsDeleteContext(context);
  delete held;
}

}  // namespace vomar
