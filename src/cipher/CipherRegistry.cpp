// The cipher registry: entries "display name=note" with their classes, in registration order,
// filled with the built-in classes on first use.
#include "cipher/CipherRegistry.h"

#include "cipher/Blowfish.h"
#include "cipher/CipherList.h"
#include "hash/ClassRegistry.h"

namespace velkor {
namespace {

TClassRegistry<TCipherClassRef>& Registry() {
    static TClassRegistry<TCipherClassRef> registry = [] {
        TClassRegistry<TCipherClassRef> r;
        RegisterBuiltInCipherClasses(
            [&r](TCipherClass c, const char* name, const char* note) { r.Add(c, name, note); });
        return r;
    }();
    return registry;
}

} // namespace

const std::vector<TCipherRegistryEntry>& CipherRegistry() {
    return Registry().Entries();
}

TCipherClass DefaultCipherClass() {
    return TCipher_Blowfish::Class();
}

bool AddCipherClass(TCipherClass cipherClass, std::string_view name, std::string_view note) {
    return Registry().Add(cipherClass, name, note);
}

bool RemoveCipherClass(TCipherClass cipherClass) {
    return Registry().Remove(cipherClass);
}

TCipherClass FindCipherClass(std::string_view name) {
    return Registry().Find(name);
}

std::string CipherClassName(TCipherClass cipherClass) {
    return Registry().NameOf(cipherClass);
}

std::string CipherClassNote(TCipherClass cipherClass) {
    const TCipherRegistryEntry* entry = Registry().EntryOf(cipherClass);
    if (entry == nullptr) return {};
    std::string_view t = Trim(entry->Text);
    auto eq = t.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(t.substr(eq + 1));
}

} // namespace velkor
