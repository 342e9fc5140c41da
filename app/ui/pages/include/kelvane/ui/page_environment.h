// What the property pages need of the rest of the program: the window behind a
// UiWindow, the pod's supply capability found at start-up, the address width
// of the project's processor, and the program that shows a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "kelvane/core/tree_ui.h"

class QWidget;

namespace kv::ui {

// The widget behind a UiWindow (nullptr for none); a resolver may take its
// place.
using UiWindowResolver = std::function<QWidget*(UiWindow*)>;
UiWindowResolver SetUiWindowResolver(UiWindowResolver resolver);
QWidget* WidgetOfUiWindow(UiWindow* window);

// The pod's supply as start-up detection found it (the provider, when one is
// installed, takes its place): adjustable from 1500 to
// 3600 mV, or only its fixed voltage (3300 mV when no pod was found).
struct PodVccCapability {
    bool adjustable = false;
    std::uint32_t fixedVcc = 3300;
};
using PodVccProvider = std::function<PodVccCapability()>;
PodVccProvider SetPodVccProvider(PodVccProvider provider);
PodVccCapability GetPodVccCapability();

// 5 for a project processor with the extended address space, else 4 (also
// without a project).
int GetCurrentAddressDigits();

// Shows a file in a text editor without waiting; false when it cannot be
// started. The default runs the command in KELVANE_TEXT_EDITOR (a "%s" in it
// is replaced by the path, otherwise the path is appended), else xdg-open.
using FileViewer = std::function<bool(const std::string& path)>;
FileViewer SetFileViewer(FileViewer viewer);
bool ViewFile(const std::string& path);
// True when a file (not a folder) exists at the path.
bool FileExists(const std::string& path);

}  // namespace kv::ui
