#pragma once
// Where the requirements search reports its progress. The progress dialog
// plugs itself in when it exists; until then a built-in model stands in.
#include <cstdint>

namespace modCheck {

class ProgressTarget {
 public:
  virtual ~ProgressTarget() = default;
  // The bar position, 0 to 100.
  virtual std::int16_t TheBar() const = 0;
  // Values outside 0 to 100 are held at the nearer end.
  virtual void SetTheBar(std::int16_t iNewValue) = 0;
};

// A bar value held within 0 to 100, as every bar keeps it.
constexpr std::int16_t ClampBar(std::int16_t value) {
  return value > 100 ? std::int16_t{100} : value < 0 ? std::int16_t{0} : value;
}

// The bar as a bare number, with the dialog's clamping.
class ClampedProgress : public ProgressTarget {
 public:
  std::int16_t TheBar() const override { return barValue_; }
  void SetTheBar(std::int16_t iNewValue) override;

 private:
  std::int16_t barValue_ = 0;
};

// The checker was closed while a search ran (a message the search let run
// between its steps ended it): the reader and the checks stop at their next
// step and move the bar no more. ResumeSearches clears it (ResetRequirements
// does, and the check window when a test ends).
void CancelSearch();
bool SearchCancelled();
void ResumeSearches();

// Null puts the built-in model back. The target must outlive its use.
void SetProgressTarget(ProgressTarget* target);
ProgressTarget& CurrentProgress();

}  // namespace modCheck
