#include "requirements/progress.h"

namespace modCheck {
namespace {

ClampedProgress g_builtIn;
ProgressTarget* g_target = nullptr;
bool g_cancelled = false;

}  // namespace

void ClampedProgress::SetTheBar(std::int16_t iNewValue) { barValue_ = ClampBar(iNewValue); }

void CancelSearch() { g_cancelled = true; }

bool SearchCancelled() { return g_cancelled; }

void ResumeSearches() { g_cancelled = false; }

void SetProgressTarget(ProgressTarget* target) { g_target = target; }

ProgressTarget& CurrentProgress() { return g_target ? *g_target : g_builtIn; }

}  // namespace modCheck
