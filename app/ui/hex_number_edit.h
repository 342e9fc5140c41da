// The hexadecimal number field lives with the hex editor controls.
#pragma once

#include "kelvane/ui/hex_number_edit.h"
