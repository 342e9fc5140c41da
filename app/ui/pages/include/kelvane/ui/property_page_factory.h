// Makes the property page of a command class from its element name, and
// installs that as the factory the command classes make their pages with.
#pragma once

#include <memory>
#include <string>

#include "kelvane/core/tree_ui.h"

namespace kv::ui {

// nullptr for a class without a page (or one not built yet).
std::unique_ptr<PropertyPage> CreatePropertyPageFor(const std::string& elementName);
// Hands CreatePropertyPageFor to the command classes.
void InstallPropertyPageFactory();

}  // namespace kv::ui
