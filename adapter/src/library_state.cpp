#include "library_state.h"

namespace tovrin {

LibraryOptions& options() {
    static LibraryOptions o;
    return o;
}

}  // namespace tovrin
