// LittleCMS takes the memory of a table as the table's counts declare it, before it reads
// the values: a few bytes declaring a table of 255^3 points of 15 outputs would cost half
// a gigabyte. Each reading gets a context of its own whose allocations together stay
// within a budget, so that such a table is refused when it asks, before anything is
// taken.
#pragma once

#include <lcms2.h>

#include <cstddef>

namespace vomar {

// The budget for reading a tag of `tagBytes` bytes: a fixed allowance for what LittleCMS
// keeps beside any table (its context, tabulated curves), and a few times the tag's size,
// which bounds the values of any table the tag can hold.
std::size_t TableReadingBudget(std::size_t tagBytes);

// A context whose allocations together never exceed `budget` bytes (an allocation beyond
// fails); null when none can be made. Deleted with DeleteBudgetedContext. The budget is
// the context's user data; the caller's own is kept beside it (BudgetedContextUserData).
cmsContext CreateBudgetedContext(std::size_t budget, void* userData = nullptr);
void* BudgetedContextUserData(cmsContext context);
void DeleteBudgetedContext(cmsContext context);

}  // namespace vomar
