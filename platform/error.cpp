#include "platform/error.h"

#include <exception>
#include <new>

#include "platform/services.h"
#include "platform/text.h"
#include "platform/texts.h"

namespace platform {

std::string DescribeFailure(const std::string& what, const std::string& path,
                            const std::string& reason) {
  std::string text = what.find("%1") != std::string::npos ? Format(what, {path})
                                                          : what + " \"" + path + "\"";
  const std::string why = TrimLineEnd(reason);
  // TRANSLATORS: %1 says what failed, %2 why (the system's words).
  if (!why.empty()) text = Format(T("%1: %2"), {text, why});
  return text;
}

std::string StatusText(Status status) {
  const std::string text =
      TrimLineEnd(Os().messages ? Os().messages->Describe(status) : std::string());
  return text.empty() ? Format(T("error %1"), {std::to_string(status)}) : text;
}

void ThrowIfFailed(Status status, const std::string& what, const std::string& path) {
  if (status == kOk) return;
  const std::string reason = Os().messages ? Os().messages->Describe(status) : std::string();
  throw OsError(status, DescribeFailure(what, path, reason));
}

Failure CurrentFailure() {
  try {
    throw;
  } catch (const OsError& e) {
    return {e.status(), e.what()};
  } catch (const std::bad_alloc&) {
    std::string text = Os().messages ? TrimLineEnd(Os().messages->Describe(kErrorNotEnoughMemory))
                                     : std::string();
    return {kErrorNotEnoughMemory, text.empty() ? T("There is not enough memory.") : text};
  } catch (const std::exception& e) {
    return {0, e.what()};
  } catch (...) {
    return {0, T("An unexpected error occurred.")};
  }
}

}  // namespace platform
