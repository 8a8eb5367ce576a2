#pragma once
// The edition descriptor reader: given the descriptor's full path and a
// value name, it answers one text. Start-up makes a fresh reader for every
// value it reads and drops it at once.
#include <functional>
#include <memory>
#include <string>

class IEditionDescriptorReader {
 public:
  virtual ~IEditionDescriptorReader() = default;
  // "" for a missing file or value. Other failures throw platform::OsError.
  virtual std::string ReadValue(const std::string& sFile, const std::string& sName) = 0;
};

// Our reader of "version.xml.enc": lines of `name=value`, names in any
// case, blanks around both ignored, first occurrence wins, lines starting
// with # or ; and lines without "=" ignored, value optionally in double
// quotes. UTF-8, with or without a byte order mark.
class EditionDescriptorFile : public IEditionDescriptorReader {
 public:
  std::string ReadValue(const std::string& sFile, const std::string& sName) override;
  // The parsing alone, for any bytes.
  static std::string Lookup(const std::string& contents, const std::string& sName);
};

using EditionReaderFactory = std::function<std::unique_ptr<IEditionDescriptorReader>()>;
// The factory start-up uses; tests may replace it. Passing an empty
// function restores our own reader.
void SetEditionReaderFactory(EditionReaderFactory factory);
std::unique_ptr<IEditionDescriptorReader> CreateEditionReader();
