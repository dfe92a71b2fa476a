#pragma once
// The licence notice both programs show (the full text is in LICENSE).

namespace common {

inline constexpr const char* kLicenceNotice =
    "This program is free software: you can redistribute it and/or modify it under the "
    "terms of the GNU General Public License, version 3 or later. It comes with no "
    "warranty.";

}  // namespace common
