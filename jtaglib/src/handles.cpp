#include "handles.h"

#include <mutex>
#include <unordered_set>

namespace nandrel {

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_set<const NandrelHandleRecord*> live;
};

Registry& registry() {
    static Registry* r = new Registry;  // outlives every object, also at exit
    return *r;
}

}  // namespace

HandleRecord::HandleRecord() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.live.insert(&record_);
}

HandleRecord::~HandleRecord() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.live.erase(&record_);
}

void HandleRecord::fill(const void* object, const void* third, uintptr_t kind) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    record_.words[0] = reinterpret_cast<uintptr_t>(object);
    record_.words[1] = 0;
    record_.words[2] = reinterpret_cast<uintptr_t>(third);
    record_.words[3] = kind;
}

void HandleRecord::clear() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    record_ = NandrelHandleRecord{};
}

void* resolveHandle(NANDREL_HANDLE handle, uintptr_t kind) {
    if (!handle) return nullptr;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (!r.live.contains(handle)) return nullptr;
    if (handle->words[3] != kind) return nullptr;
    return reinterpret_cast<void*>(handle->words[0]);
}

}  // namespace nandrel
