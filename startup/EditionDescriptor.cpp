#include "startup/EditionDescriptor.h"

#include "platform/services.h"
#include "platform/text.h"

namespace {

EditionReaderFactory& Factory() {
  static EditionReaderFactory factory;
  return factory;
}

std::string Trim(std::string_view text) {
  const auto blank = " \t\r";
  const auto first = text.find_first_not_of(blank);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blank);
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string EditionDescriptorFile::Lookup(const std::string& contents, const std::string& sName) {
  std::string_view rest(contents);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  const std::string wanted = platform::LowerCase(Trim(sName));
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::string text = Trim(line);
    if (text.empty() || text[0] == '#' || text[0] == ';') continue;
    const auto eq = text.find('=');
    if (eq == std::string::npos) continue;
    if (platform::LowerCase(Trim(std::string_view(text).substr(0, eq))) != wanted) continue;
    std::string value = Trim(std::string_view(text).substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

std::string EditionDescriptorFile::ReadValue(const std::string& sFile, const std::string& sName) {
  std::string contents;
  const platform::Status status = platform::Os().files->ReadAll(sFile, contents);
  // No descriptor means the default edition; a descriptor we may not read
  // is a fault the user has to hear of.
  if (status == platform::kErrorFileNotFound || status == platform::kErrorPathNotFound) return {};
  platform::ThrowIfFailed(status, platform::T("Could not read the file \"%1\""), sFile);
  return Lookup(contents, sName);
}

void SetEditionReaderFactory(EditionReaderFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IEditionDescriptorReader> CreateEditionReader() {
  if (Factory()) return Factory()();
  return std::make_unique<EditionDescriptorFile>();
}
