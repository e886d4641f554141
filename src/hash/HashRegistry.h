// The process-wide list of hash classes under their display names and categories, e.g.
// "Message Digest 5=Hash", filled with the built-in classes on first use. Lookups by name
// ignore letter case.
#pragma once

#include "hash/ClassRegistry.h"

#include "hash/Hash.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkor {

using THashRegistryEntry = TRegistryEntry<THashClassRef>; // Text: name + "=" + tail

const std::vector<THashRegistryEntry>& HashRegistry();

// False for a null class. A blank name is made from the class name ("THash_MD5" gives "MD5").
// A class registered again has its first entry's text replaced in place.
bool AddHashClass(THashClass hashClass, std::string_view name, std::string_view category);
// Deletes every entry of the class; true when one was deleted.
bool RemoveHashClass(THashClass hashClass);
// By trimmed class name first ("MD5", "THash_MD5"), then by display name; none otherwise.
THashClass FindHashClass(std::string_view name);
// The registered name, or the trimmed class name for a class that is not registered.
std::string HashClassName(THashClass hashClass);
// The category of the class's first entry, or empty when it is not registered.
std::string HashClassCategory(THashClass hashClass);

// THash_RipeMD256, used wherever no hash class is selected.
THashClass DefaultHashClass();

} // namespace velkor
