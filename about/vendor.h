#pragma once
// The vendor's web address, for the checker alone (Linkora keeps its own).

namespace about {

inline constexpr const char* kVendorHomePage = "http://www.zantrix.example";

}  // namespace about
