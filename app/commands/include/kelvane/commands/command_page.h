// The property page of a command class: one page object per class shows
// whichever command of the class is selected. The user interface makes the
// pages through one factory; without a factory (console mode) a class simply
// has no page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kelvane/core/tree_ui.h"

namespace kv {

// Makes the page of the class with the element name; nullptr when the class
// has no page.
using CommandPageFactory =
    std::function<std::unique_ptr<PropertyPage>(const std::string& elementName)>;

// Installs the factory the command classes make their pages with; returns the
// previous one.
CommandPageFactory SetCommandPageFactory(CommandPageFactory factory);

// The class-wide page slot of one command class.
class CommandPage {
  public:
    explicit CommandPage(std::string elementName) : elementName_(std::move(elementName)) {}
    CommandPage(const CommandPage&) = delete;
    CommandPage& operator=(const CommandPage&) = delete;

    PropertyPage* Get() const { return page_.get(); }
    // Destroys any page, makes a new one, makes it a child of the parent and
    // moves it to the rectangle. 1 also when the factory makes no page.
    int Create(UiWindow* parent, const UiRect& rect);
    // 0 when there was no page.
    int Destroy();

  private:
    std::string elementName_;
    std::unique_ptr<PropertyPage> page_;
};

}  // namespace kv
