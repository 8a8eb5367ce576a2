#pragma once
// The vendor's web addresses, for this program alone.

namespace vendor {

inline constexpr const char* kHomeAddress = "http://www.zantrix.example";
inline constexpr const char* kPartnerPage = "http://www.zantrix.example/partner.htm?ID=1331";

}  // namespace vendor
