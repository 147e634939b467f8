// POSIX systems have no dialog windows to make beside another desktop.
#include "platform/desktop.hpp"

namespace korvex {

std::unique_ptr<Desktop> attach_native_windows(std::unique_ptr<Desktop> desktop) {
    return desktop;
}

} // namespace korvex
