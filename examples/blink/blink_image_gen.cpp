// Prints the blink example's image as TI-TXT; examples/blink/blink.txt is
// its output.
#include <cstdio>

#include "blink_image.h"

int main() {
    const std::string text = kv::examples::blinkImageText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
