#include "kelvane/core/shared_text.h"

#include <mutex>
#include <set>

namespace kv {

const std::string& SharedText::Share(std::string_view text) {
    // Never destroyed: holders may outlive every other static object.
    static auto* const texts = new std::set<std::string, std::less<>>;
    static auto* const guard = new std::mutex;
    const std::lock_guard<std::mutex> lock(*guard);
    auto found = texts->find(text);
    if (found == texts->end()) found = texts->emplace(text).first;
    return *found;
}

}  // namespace kv
