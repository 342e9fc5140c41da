// The value plug-ins: the first byte chooses the plug-in and its algorithm,
// the rest is the value text. Every algorithm parses the text, renders its
// bytes into a buffer of exactly its size and gives its next value, which
// must parse again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gantrel/gantrel.h"
#include "vossil/vossil.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Plugin {
    decltype(&Serializer_GetAlgorithmCount) count;
    decltype(&Serializer_GetAlgorithmName) name;
    decltype(&Serializer_GetAlgorithmByName) byName;
    decltype(&Serializer_Parse) parse;
    decltype(&Serializer_GetOverlaySize) overlaySize;
    decltype(&Serializer_Overlay) overlay;
    decltype(&Serializer_GetNextValueString) next;
    decltype(&Serializer_GetLastError) lastError;
};

const Plugin kPlugins[] = {
    {Serializer_GetAlgorithmCount, Serializer_GetAlgorithmName, Serializer_GetAlgorithmByName,
     Serializer_Parse, Serializer_GetOverlaySize, Serializer_Overlay,
     Serializer_GetNextValueString, Serializer_GetLastError},
    {Overlay_GetAlgorithmCount, Overlay_GetAlgorithmName, Overlay_GetAlgorithmByName,
     Overlay_Parse, Overlay_GetOverlaySize, Overlay_Overlay, Overlay_GetNextValueString,
     Overlay_GetLastError},
};

bool IsSerializer(const Plugin& plugin) {
    return plugin.parse == Serializer_Parse;
}

// A serial number may be refused where it cannot advance (at the top of its
// range); the refusal must come with a text. Overlays always render.
void Render(const Plugin& plugin, std::int32_t index) {
    const std::uint32_t size = plugin.overlaySize(index);
    Check(size > 0 && size <= 64);
    // Exactly the size: a byte more or less would be a finding of the sanitizer.
    std::vector<std::uint8_t> buffer(size);
    if (plugin.overlay(index, buffer.data(), size) != 1) {
        Check(IsSerializer(plugin) && *plugin.lastError() != '\0');
        return;
    }
    if (size > 1) Check(plugin.overlay(index, buffer.data(), size - 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool opened = Serializer_Open(0) == 1 && Overlay_Open(0) == 1;
    Check(opened);
    if (size == 0) return 0;
    const Plugin& plugin = kPlugins[data[0] & 1];
    const std::int32_t count = plugin.count();
    Check(count > 0);
    const std::int32_t index = static_cast<std::int32_t>((data[0] >> 1) % (count + 1)) - 1;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (text.find('\0') != std::string::npos) return 0;
    if (index < 0) {
        // Names, including ones that are not there.
        Check(plugin.byName(text.c_str()) == -1 || plugin.name(plugin.byName(text.c_str())));
        Check(plugin.lastError() != nullptr);
        return 0;
    }
    const char* name = plugin.name(index);
    Check(name != nullptr && plugin.byName(name) == index);
    if (plugin.parse(index, text.c_str()) != 1) {
        Check(plugin.lastError() != nullptr && *plugin.lastError() != '\0');
        return 0;
    }
    Render(plugin, index);
    const char* next = plugin.next(index);
    if (next == nullptr) {
        Check(IsSerializer(plugin) && *plugin.lastError() != '\0');
        return 0;
    }
    const std::string nextText = next;
    // The next value of a serial number may be refused (no wrap past the top);
    // an overlay's next value is the value itself and always parses again.
    if (plugin.parse(index, nextText.c_str()) == 1) Render(plugin, index);
    else Check(IsSerializer(plugin));
    return 0;
}
