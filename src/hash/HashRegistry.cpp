// The hash registry: entries "name=category" with their classes, in registration order,
// filled with the built-in classes on first use.
#include "hash/HashRegistry.h"

#include "hash/ClassRegistry.h"
#include "hash/HashList.h"
#include "hash/Hashes.h"

namespace velkor {

namespace {

TClassRegistry<THashClassRef>& Registry() {
    static TClassRegistry<THashClassRef> registry = [] {
        TClassRegistry<THashClassRef> r;
        RegisterBuiltInHashClasses([&r](THashClass c, const char* name, const char* category) {
            r.Add(c, name, category);
        });
        return r;
    }();
    return registry;
}

} // namespace

const std::vector<THashRegistryEntry>& HashRegistry() {
    return Registry().Entries();
}

bool AddHashClass(THashClass hashClass, std::string_view name, std::string_view category) {
    return Registry().Add(hashClass, name, category);
}

bool RemoveHashClass(THashClass hashClass) {
    return Registry().Remove(hashClass);
}

THashClass FindHashClass(std::string_view name) {
    return Registry().Find(name);
}

std::string HashClassName(THashClass hashClass) {
    return Registry().NameOf(hashClass);
}

std::string HashClassCategory(THashClass hashClass) {
    const THashRegistryEntry* entry = Registry().EntryOf(hashClass);
    if (entry == nullptr) return {};
    std::size_t eq = entry->Text.find('=');
    if (eq == std::string::npos) return {};
    return std::string(Trim(std::string_view(entry->Text).substr(eq + 1)));
}

THashClass DefaultHashClass() {
    return THash_RipeMD256::Class();
}

} // namespace velkor
