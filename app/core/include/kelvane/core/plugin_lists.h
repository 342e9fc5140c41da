// The program's one list of loaded serializer modules and one of overlay
// modules, each with the list of all algorithms they offer. Start-up loads
// them from "Serializers.xml" and "Overlays.xml", the Serialize and Overlay
// commands find their algorithm in them when they run, the plug-in command
// pages list them, and shutdown unloads them.
#pragma once

#include <string>

#include "kelvane/core/plugin_algorithm_array.h"
#include "kelvane/core/plugin_module_array.h"

namespace kv {

class CSerializerPlugins {
  public:
    // Unloads what is loaded, reads the list file, opens every module and
    // builds the algorithm list. A failure leaves nothing loaded and returns
    // 0; its text goes to `error` when given, else into a message box.
    static int LoadSerializerModules(const std::string& path, std::string* error = nullptr);
    // Frees the algorithm list, then closes and frees the modules.
    static void UnloadSerializerModules();
    // nullptr when not loaded.
    static CArraySerializerModule* GetSerializerModules();
    static CArraySerializerAlgorithm* GetSerializerAlgorithms();
};

class COverlayPlugins {
  public:
    static int LoadOverlayModules(const std::string& path, std::string* error = nullptr);
    static void UnloadOverlayModules();
    static CArrayOverlayModule* GetOverlayModules();
    static CArrayOverlayAlgorithm* GetOverlayAlgorithms();
};

}  // namespace kv
