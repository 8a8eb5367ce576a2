// The rules lint knows, with the texts SARIF's rule list and the README
// give them.
#include "checktool/Lint.h"

namespace checktool {

const std::vector<LintRule>& LintRules() {
  static const std::vector<LintRule> rules = {
      {"unclosed-product", "A product without its closing tag",
       "A product is stored only at its </product> tag; one that the next product or the end of "
       "the file interrupts is not checked at all. End every product with </product>."},
      {"nameless-product", "A product without a name",
       "A product without name=\"...\" is overwritten by the next product, or shows as a row "
       "without a name. Give every product a name."},
      {"inherited-fields", "Entries carried over from the product before",
       "Each tag sets only its own fields, and nothing is cleared when a product begins: a product "
       "without a registry entry, file entry or remedy of its own checks the one before it. Give "
       "each product its own entries, or empty ones."},
      {"gt-in-value", "A \">\" inside a quoted value",
       "A tag runs to the next \">\", also inside quotes: the rest of the value is read as another "
       "tag. Values have no escapes; remove the \">\"."},
      {"blank-before-equals", "A blank between an attribute's name and \"=\"",
       "The reader looks for the name and the \"=\" together; with a blank between them the "
       "attribute is not read. Write name=\"...\"."},
      {"single-quotes", "A value in single quotes",
       "Only double quotes delimit values; a value in single quotes is read as empty."},
      {"unknown-root", "A registry root that is not one of the five",
       "root must be one of the five names, exactly in capitals, or its number; anything else "
       "means the entry is never found."},
      {"unknown-type", "A registry type that is neither a name nor a number",
       "type must be one of the type names, exactly in capitals, or a number; anything else means "
       "the entry is never found."},
      {"regvalue-without-registry", "%REGVALUE% without a registry entry",
       "A file entry named %REGVALUE% takes its path from the registry value just read; without a "
       "registry entry the path is empty and the file is never found."},
      {"dir-without-backslash", "A folder without its trailing backslash",
       "dir and name are joined without a separator: end dir with a backslash."},
      {"version-not-numbers", "A version that is not dotted numbers",
       "A required version must be dotted decimal numbers; no file meets any other."},
      {"unknown-token", "A %...% that is no folder token",
       "Only %ZANTRIXDIR%, %SYSTEMDIR% and %WINDIR% are replaced; anything else stays as written."},
      {"second-token", "A second folder token in one value",
       "Only the first folder token in a value is replaced; write the second folder out in full."},
      {"web-case", "source=\"web\" in other letters",
       "Only source=\"web\", in small letters, opens the location in the browser; any other "
       "source runs it as a packaged installer."},
      {"empty-location", "A remedy without a location",
       "Acquire hands the shell the location; without one it opens nothing."},
      {"duplicate-name", "Two products of one name",
       "The window shows a row per product; two of one name cannot be told apart."},
      {"empty-file", "A file without products",
       "A list without products counts as all found, and the simulator starts at once."},
      {"too-many-products", "More than 32767 products",
       "The checker reads at most 32767 products; the rest are ignored."},
      {"unknown-view", "A view that is neither 64 nor 32",
       "view=\"64\" checks the 64-bit side of 64-bit Windows, view=\"32\" the 32-bit one; any "
       "other value checks the program's own side, as without the attribute."},
      {"wow6432node", "A registry key through WOW6432Node",
       "WOW6432Node is where 64-bit Windows keeps the 32-bit registry view; 32-bit Windows has no "
       "such key. Write the plain key with view=\"32\"."},
      {"view-no-effect", "A view that changes nothing",
       "view is read only on registry and file entries, and view=\"32\" on a file entry changes "
       "nothing: the checker already sees the 32-bit file system."},
      {"sha256-malformed", "A pin that is not a SHA-256",
       "sha256 on a remedy must be 64 hexadecimal digits; Acquire refuses to start an installer "
       "whose pin it cannot match. preflect-check pin writes the right one."},
      {"sha256-on-web", "A pin on a web remedy",
       "A web remedy is opened in the browser and never hashed: sha256 has no effect there."},
      {"utf8-without-bom", "UTF-8 without its byte order mark",
       "Without the UTF-8 byte order mark the checker reads the file in the legacy code page, and "
       "names beyond ASCII look wrong in the window. Save the file as UTF-8 with a byte order "
       "mark."},
      {"invalid-bytes", "Bytes that are not UTF-8 in a file marked as UTF-8",
       "A file that starts with the UTF-8 byte order mark is read as UTF-8; a byte of another code "
       "page in it (a common editor mix-up) shows as the replacement character. Save the file as "
       "UTF-8 throughout."},
      {"not-text", "A UTF-16 or binary file",
       "The checker reads a requirements file as text in the legacy code page or UTF-8; a UTF-16 "
       "file, or one with NUL or other control bytes, gives it no products. Save the file as "
       "text."},
      {"conflict-marker", "A version-control conflict marker",
       "A file saved in the middle of a merge holds both sides, and the checker reads the tags of "
       "both. Resolve the conflict and delete the markers."},
      {"tag-in-comment", "A tag inside a comment",
       "The checker does not know comments: a tag inside <!-- ... --> is read like any other, and "
       "a remedy there replaces the real one. Delete commented-out tags."},
      {"unquoted-value", "A value without double quotes",
       "The reader takes a value from the next double quote on: version=1.2.0.0 is read as empty "
       "(any version), or as the next attribute's value. Write every value in double quotes."},
      {"duplicate-attribute", "An attribute given twice in one tag",
       "The reader finds an attribute's name anywhere in the tag, also at the end of another "
       "attribute's name or inside a value, and reads only the first. Give each attribute once."},
      {"entity", "An XML entity in a value",
       "Values have no escapes: &amp;, &lt; or &#233; are read as the characters they are written "
       "with. Write the character itself."},
      {"arguments-in-location", "Arguments after a packaged installer's name",
       "The location is handed to the shell whole, as one file name: \"setup.exe /quiet\" names no "
       "file. Name the installer alone; the checker passes no arguments."},
      {"address-not-web", "A web address under a source that is not \"web\"",
       "Only source=\"web\" opens the location in the browser; any other source treats it as a "
       "packaged installer, which Acquire asks to run and a pin can never match."},
      {"token-without-backslash", "A folder token without the backslash after it",
       "%ZANTRIXDIR%, %SYSTEMDIR% and %WINDIR% stand for their folders without a trailing "
       "backslash: %ZANTRIXDIR%Installers runs the folder's name into \"Installers\". Write "
       "%ZANTRIXDIR%\\Installers."},
  };
  return rules;
}

}  // namespace checktool
