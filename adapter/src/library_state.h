// Library-wide state of the Tovrin library: the options and the saved register
// image, shared by the exports and the port object.
#pragma once

#include <cstdint>

namespace tovrin {

struct LibraryOptions {
    bool messageBoxes = true;    // message boxes on driver errors
    bool restoreAtOpen = false;  // latch the saved registers at open
    uint32_t savedImage = 0;     // enable image << 16 | data image, after every latch
};

LibraryOptions& options();

}  // namespace tovrin
