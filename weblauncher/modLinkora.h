#pragma once
// The web launcher: one question, and on OK the vendor's partner page.

namespace modLinkora {

// Asks whether to visit the vendor's site and opens the partner page on OK.
void Main();

}  // namespace modLinkora

// The launcher's only form. It is never loaded: it exists to carry the
// program's icon, which the executable's icon resource provides.
class frmIcon {};
