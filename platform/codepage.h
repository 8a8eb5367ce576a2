#pragma once
// The one place that converts between the program's UTF-8 texts and the
// system's code pages. Embedded NULs are kept.
#include <string>
#include <string_view>

namespace platform {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // The process's ANSI code page, which every ANSI call uses: UTF-8 where
  // the system honours the manifest's request, the legacy one elsewhere.
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
  // True when that code page is UTF-8, so every name crosses the ANSI calls
  // whole; false where the system ignores the request (Windows before 10
  // version 1903), and a character outside it arrives as "?".
  virtual bool CarriesEveryCharacter() = 0;
  // Whether that code page holds every character of the text exactly: not
  // as "?", and not as a look-alike either (Windows' best fit turns "Ł"
  // into "L" with no "?" to show for it).
  virtual bool Holds(const std::string& utf8) = 0;
  // Text files written for the checker keep the meaning they had: they are
  // in the system locale's legacy ANSI code page, which the system still
  // reports when the process runs in UTF-8.
  virtual std::string FromLegacyAnsi(const std::string& bytes) = 0;
  virtual int LegacyCodePage() = 0;  // its number, e.g. 1252
};

// A stored text file's encoding: UTF-8 when it starts with the UTF-8 byte
// order mark, the legacy ANSI code page otherwise.
enum class StoredEncoding { LegacyAnsi, Utf8 };
StoredEncoding EncodingOf(std::string_view bytes);
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The code page's name as people know it: "Windows-1252", "code page 936".
std::string CodePageName(int codePage);

}  // namespace platform
